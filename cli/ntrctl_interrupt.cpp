#include "cli/ntrctl_interrupt.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

namespace ntr::cli {
namespace {

std::atomic<int> presses{0};
std::atomic<const char*> finishing{nullptr};
std::atomic<const char*> abandoned{nullptr};

void WriteText(const char* text) {
  if (text == nullptr) return;
  // Only async-signal-safe calls here.
  const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
  (void)ignored;
}

void OnInterrupt(int) {
  const int count = ++presses;
  WriteText("\n");  // ends a progress line
  if (count == 1) {
    WriteText(finishing.load());
    return;
  }
  WriteText(abandoned.load());
  ::_exit(kExitInterrupted);
}

}  // namespace

FinishOnInterrupt::FinishOnInterrupt(const char* finishingText, const char* abandonedText) {
  presses = 0;
  finishing = finishingText;
  abandoned = abandonedText;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, nullptr);
}

FinishOnInterrupt::~FinishOnInterrupt() { std::signal(SIGINT, SIG_DFL); }

bool FinishOnInterrupt::interrupted() { return presses > 0; }

}  // namespace ntr::cli
