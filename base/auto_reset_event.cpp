#include "base/auto_reset_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace ntr {

AutoResetEvent::AutoResetEvent() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  if (fd_ < 0) {
    // Without an event no thread could ever be stopped: nothing sensible is left to do.
    std::perror("eventfd");
    std::abort();
  }
}

AutoResetEvent::~AutoResetEvent() { ::close(fd_); }

void AutoResetEvent::Set() {
  const std::uint64_t one = 1;
  while (::write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

void AutoResetEvent::Reset() { TryConsume(); }

bool AutoResetEvent::TryConsume() {
  std::uint64_t count = 0;
  ssize_t n;
  while ((n = ::read(fd_, &count, sizeof count)) < 0 && errno == EINTR) {
  }
  return n == sizeof count;
}

bool AutoResetEvent::Wait(std::optional<std::chrono::milliseconds> timeout) {
  return WaitForAny({this}, timeout) == 0;
}

int WaitForAny(std::initializer_list<AutoResetEvent*> events,
               std::optional<std::chrono::milliseconds> timeout) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = timeout ? Clock::now() + *timeout : Clock::time_point::max();
  pollfd fds[8];
  const std::size_t count = std::min<std::size_t>(events.size(), 8);
  std::size_t n = 0;
  for (AutoResetEvent* event : events) {
    if (n == count) break;
    fds[n++] = pollfd{event->fd(), POLLIN, 0};
  }
  for (;;) {
    int waitMs = -1;
    if (timeout) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      waitMs = static_cast<int>(std::clamp<long long>(left.count(), 0, 1 << 30));
    }
    // poll returns at once when an event is already signalled.
    const int rc = ::poll(fds, count, waitMs);
    if (rc < 0 && errno != EINTR) return kWaitTimeout;
    if (rc > 0) {
      // The lowest signalled index wins. Another waiter may take a signal
      // between poll and read: then look again.
      for (std::size_t i = 0; i < count; ++i) {
        if ((fds[i].revents & POLLIN) && events.begin()[i]->TryConsume()) {
          return static_cast<int>(i);
        }
      }
    } else if (rc == 0 && waitMs == 0) {
      return kWaitTimeout;
    }
    if (timeout && Clock::now() >= deadline) return kWaitTimeout;
  }
}

}  // namespace ntr
