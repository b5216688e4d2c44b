#include "link/receive_queue.h"

#include <algorithm>

#include "link/link_frame.h"

namespace ntr {

bool ReceiveQueue::Push(const Stamp& stamp, std::span<const std::uint8_t> frame, bool& wasEmpty) {
  std::lock_guard<std::mutex> lock(mutex_);
  wasEmpty = entries_.empty();
  if (entries_.size() >= kReceiveQueueLimit) return false;
  ReceivedFrame& entry = entries_.emplace_back();
  entry.seconds = stamp.seconds;
  entry.microseconds = stamp.microseconds;
  entry.capturedLength = stamp.capturedLength;
  entry.length = stamp.length;
  std::ranges::copy(frame.first(std::min(frame.size(), entry.frame.size())), entry.frame.begin());
  return true;
}

std::size_t ReceiveQueue::Take(std::span<std::uint8_t> buffer) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (entries_.empty()) return 0;
  const ReceivedFrame& entry = entries_.front();
  // The wire length counts bytes the capture may not have delivered (and a
  // record keeps at most its capacity): copy only bytes that were stored.
  const std::size_t stored =
      std::min({std::size_t{entry.length}, std::size_t{entry.capturedLength}, entry.frame.size()});
  const std::size_t payload = stored > kEthernetHeaderSize ? stored - kEthernetHeaderSize : 0;
  const std::size_t count = std::min(buffer.size(), payload);
  std::ranges::copy(std::span(entry.frame).subspan(kEthernetHeaderSize, count), buffer.begin());
  entries_.pop_front();
  return count;
}

std::size_t ReceiveQueue::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_.size();
}

void ReceiveQueue::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.clear();
}

}  // namespace ntr
