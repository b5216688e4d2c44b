// The narrow interface through which the rest of the core uses the link:
// PcapEndpoint implements it on libpcap, tests with an in-memory link.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>

#include "base/auto_reset_event.h"
#include "base/error.h"

namespace ntr {

// Sees each received frame on the receiving thread before it is queued, so
// that a frame someone is waiting for can be handed over without passing
// through the queue and the thread that drains it.
class FrameFilter {
 public:
  virtual ~FrameFilter() = default;
  // `payload` is the frame after its Ethernet header, as TakeFrame would
  // give it. Returns true when the frame has been dealt with and is not to
  // be queued. Runs on the thread that read the frame (the receiving thread,
  // or a caller in WaitReading), one frame at a time; it must not wait.
  virtual bool TakeReceived(std::span<const std::uint8_t> payload) = 0;
};

class LinkEndpoint {
 public:
  virtual ~LinkEndpoint() = default;

  // Sends one management message (the payload of one frame, already encoded
  // and padded). Any thread may call it; frames leave one at a time. On
  // failure `error` gets the reason.
  virtual bool Send(std::span<const std::uint8_t> payload, ErrorPair& error) = 0;

  // Removes the oldest received frame and copies at most buffer.size() bytes
  // of its payload; returns the count, 0 when nothing is queued.
  virtual std::size_t TakeFrame(std::span<std::uint8_t> buffer) = 0;

  // Frames waiting in the receive queue.
  virtual std::size_t QueuedCount() = 0;

  // The event signalled whenever a frame has been queued; may be null.
  virtual void SetReceiveNotice(AutoResetEvent* event) = 0;

  // The filter every received frame passes before it is queued; null for
  // none. Once this returns, the previous filter is no longer being called.
  virtual void SetFrameFilter(FrameFilter* filter) = 0;

  // Waits as WaitForAny does for one of `events` (at most 7), and meanwhile
  // may read received frames on the calling thread, each dealt with exactly
  // as the receiving thread would (frame filter, else queue and notice), so
  // that the frame a caller waits for wakes it without a hand-over between
  // threads. With `done`, it also returns, with events.size(), as soon as
  // `done` holds after a frame read on this thread has been dealt with (the
  // frame filter may have handed the caller what it waits for without
  // signalling an event). This one only waits.
  virtual int WaitReading(std::initializer_list<AutoResetEvent*> events,
                          std::optional<std::chrono::milliseconds> timeout,
                          bool (*done)() = nullptr) {
    static_cast<void>(done);
    return WaitForAny(events, timeout);
  }
};

}  // namespace ntr
