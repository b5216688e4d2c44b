// The receive queue between the capture thread and the receive dispatcher:
// captured frames of the management protocol, oldest first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>

namespace ntr {

inline constexpr std::size_t kRecvFrameCapacity = 1616;

// One captured frame waiting in the receive queue.
struct ReceivedFrame {
  std::uint32_t seconds = 0;  // capture time stamp
  std::uint32_t microseconds = 0;
  std::uint32_t capturedLength = 0;                      // bytes the capture library delivered
  std::uint32_t length = 0;                              // frame length on the wire
  std::array<std::uint8_t, kRecvFrameCapacity> frame{};  // from the destination address on
};

// Most frames the queue holds; further frames are dropped until the
// dispatcher catches up, so that a flood cannot exhaust memory.
inline constexpr std::size_t kReceiveQueueLimit = 4096;

// Thread-safe FIFO of ReceivedFrame; its mutex is the queue lock.
class ReceiveQueue {
 public:
  struct Stamp {
    std::uint32_t seconds = 0;
    std::uint32_t microseconds = 0;
    std::uint32_t capturedLength = 0;
    std::uint32_t length = 0;
  };

  // Appends a frame, keeping at most kRecvFrameCapacity of its bytes. Returns
  // false when the queue is full and the frame was dropped. `wasEmpty` tells
  // whether the queue held nothing before.
  bool Push(const Stamp& stamp, std::span<const std::uint8_t> frame, bool& wasEmpty);

  // Removes the oldest frame and copies at most buffer.size() bytes of its
  // payload (the frame after the Ethernet header); 0 when empty. The rest of
  // a frame that does not fit is dropped with it.
  std::size_t Take(std::span<std::uint8_t> buffer);

  std::size_t Count() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::deque<ReceivedFrame> entries_;
};

}  // namespace ntr
