// An auto-resetting event: Set wakes one wait, which consumes the signal.
// Events can be waited on together (the first signalled one in the order
// given wins) with a time-out. Each event is a Linux eventfd, so it can also
// be polled beside other descriptors (a capture handle, a netlink socket).
#pragma once

#include <chrono>
#include <initializer_list>
#include <optional>

namespace ntr {

class AutoResetEvent {
 public:
  AutoResetEvent();
  ~AutoResetEvent();
  AutoResetEvent(const AutoResetEvent&) = delete;
  AutoResetEvent& operator=(const AutoResetEvent&) = delete;

  // Signals the event; it stays signalled until one wait consumes it.
  void Set();
  // Clears a pending signal without waiting.
  void Reset();
  // Consumes a pending signal if there is one; never waits.
  bool TryConsume();
  // Waits until signalled (consuming it) or the time-out passes.
  bool Wait(std::optional<std::chrono::milliseconds> timeout = std::nullopt);

  // The descriptor that becomes readable while the event is signalled.
  int fd() const { return fd_; }

 private:
  int fd_;
};

inline constexpr int kWaitTimeout = -1;

// Waits for any of `events` (at most 8); returns the index of the one that
// was signalled (its signal consumed; the lowest index wins when several
// are), or kWaitTimeout. No time-out waits without limit.
int WaitForAny(std::initializer_list<AutoResetEvent*> events,
               std::optional<std::chrono::milliseconds> timeout = std::nullopt);

}  // namespace ntr
