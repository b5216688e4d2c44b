// An in-memory link for tests: it plugs in where the pcap endpoint sits.
// Sent payloads are recorded and handed to a peer function on the sending
// thread; the peer (or the test) delivers answers, which pass the frame
// filter and then the receive queue and its receive-notice event exactly as
// on the capture thread.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

#include "base/auto_reset_event.h"
#include "link/link_endpoint.h"

namespace ntr::test {

using Bytes = std::vector<std::uint8_t>;

class MemoryLink : public LinkEndpoint {
 public:
  // Called for every sent payload, on the sending thread, outside the link's lock.
  using Peer = std::function<void(const Bytes& payload)>;

  void SetPeer(Peer peer) {
    std::lock_guard<std::mutex> lock(mutex_);
    peer_ = std::move(peer);
  }
  // Every following send fails with this code (0: sends succeed again).
  void FailSends(ErrorCode code) {
    std::lock_guard<std::mutex> lock(mutex_);
    failCode_ = code;
  }

  bool Send(std::span<const std::uint8_t> payload, ErrorPair& error) override {
    Peer peer;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (failCode_ != kErrNone) return error.Fail(failCode_, "code=-1");
      sent_.emplace_back(payload.begin(), payload.end());
      peer = peer_;
    }
    if (peer) peer(Bytes(payload.begin(), payload.end()));
    return true;
  }

  // Passes the frame filter like the capture thread; frames arrive one at a
  // time, in order, from any thread.
  void Deliver(Bytes payload) {
    std::lock_guard<std::mutex> arrival(filterMutex_);
    if (filter_ != nullptr && !payload.empty() && filter_->TakeReceived(payload)) return;
    AutoResetEvent* notice = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      queue_.push_back(std::move(payload));
      notice = notice_;
    }
    if (notice != nullptr) notice->Set();
  }

  std::size_t TakeFrame(std::span<std::uint8_t> buffer) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.empty()) return 0;
    const Bytes frame = std::move(queue_.front());
    queue_.pop_front();
    const std::size_t count = std::min(buffer.size(), frame.size());
    std::copy_n(frame.begin(), count, buffer.begin());
    return count;
  }

  std::size_t QueuedCount() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size();
  }

  void SetReceiveNotice(AutoResetEvent* event) override {
    std::lock_guard<std::mutex> lock(mutex_);
    notice_ = event;
  }

  void SetFrameFilter(FrameFilter* filter) override {
    std::lock_guard<std::mutex> arrival(filterMutex_);
    filter_ = filter;
  }

  std::vector<Bytes> Sent() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sent_;
  }
  std::size_t SentCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sent_.size();
  }

 private:
  std::mutex filterMutex_;  // one frame arriving at a time; taken before mutex_
  FrameFilter* filter_ = nullptr;
  mutable std::mutex mutex_;
  Peer peer_;
  ErrorCode failCode_ = kErrNone;
  std::vector<Bytes> sent_;
  std::deque<Bytes> queue_;
  AutoResetEvent* notice_ = nullptr;
};

}  // namespace ntr::test
