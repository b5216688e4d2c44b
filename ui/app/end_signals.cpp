#include "ui/app/end_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

namespace ntr::ui {

namespace {

int signalSockets[2] = {-1, -1};  // [0] read by the loop, [1] written by the handler

void Caught(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(signalSockets[1], &byte, 1);
}

void Handle(int signal, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(signal, &action, nullptr);
}

}  // namespace

EndSignals::EndSignals(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets) != 0)
    return;
  notifier_ = new QSocketNotifier(signalSockets[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &EndSignals::Read);
  Handle(SIGTERM, Caught);
  Handle(SIGINT, Caught);
}

EndSignals::~EndSignals() {
  if (notifier_ == nullptr) return;
  Handle(SIGTERM, SIG_DFL);
  Handle(SIGINT, SIG_DFL);
  delete notifier_;
  ::close(signalSockets[0]);
  ::close(signalSockets[1]);
  signalSockets[0] = signalSockets[1] = -1;
}

void EndSignals::Read() {
  char bytes[16];
  while (::read(signalSockets[0], bytes, sizeof bytes) > 0) {
  }
  received_ = true;
  emit endRequested();
}

}  // namespace ntr::ui
