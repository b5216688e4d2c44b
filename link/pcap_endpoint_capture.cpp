// The readers of PcapEndpoint: the capture thread, and callers reading while
// they wait.
#include <poll.h>

#include <algorithm>
#include <cerrno>

#include "link/link_frame.h"
#include "link/pcap_endpoint.h"

namespace ntr {

void PcapEndpoint::CaptureLoop(pcap_t* handle) {
  const int captureFd = pcap_get_selectable_fd(handle);
  // After the descriptor reported an error condition that the library then
  // consumed without a frame, one wait leaves it out, so that a lasting
  // condition cannot make the thread spin.
  bool restDescriptor = false;
  std::uint32_t seenEntries = waitingEntries_.load();
  for (;;) {
    // While callers read the handle themselves this thread stands aside: it
    // leaves the handle out of its wait, so that a frame wakes only the
    // caller, and looks again after a short while. It takes the handle back
    // once a whole period has passed without a caller reading.
    const std::uint32_t entries = waitingEntries_.load();
    const bool aside = waitingCallers_.load() != 0 || entries != seenEntries;
    seenEntries = entries;
    // One wait per frame: it returns at once while frames are ready, and it
    // shows the stop and pause requests, which are looked at before every
    // read. They arrive through their own events, never through the handle,
    // so a stop or pause can never be mistaken for a read error.
    pollfd fds[3] = {
        {stopRequest_.fd(), POLLIN, 0}, {pauseRequest_.fd(), POLLIN, 0}, {captureFd, POLLIN, 0}};
    const nfds_t count = restDescriptor || aside ? 2 : 3;
    const int ready = ::poll(fds, count, aside ? kStandAsideMs : kCaptureTimeoutMs);
    if (ready > 0 && fds[0].revents != 0 && stopRequest_.TryConsume()) return;
    if (ready > 0 && fds[1].revents != 0 && pauseRequest_.TryConsume()) {
      {
        // Waiting callers stop reading too, before the pause shows.
        std::lock_guard<std::mutex> read(readMutex_);
        if (readHandle_ == handle) readHandle_ = nullptr;
      }
      paused_ = true;
      // Reads nothing more; only a stop request ends this state.
      stopRequest_.Wait();
      return;
    }
    if (aside) {
      restDescriptor = false;
      continue;
    }

    const int result = ReadOne(handle);
    if (result == 1) {
      restDescriptor = false;
    } else if (result < 0) {
      // ReadOne has reported it and stopped reading: wait for the stop.
      stopRequest_.Wait();
      return;
    } else {
      restDescriptor = count == 3 && ready > 0 && (fds[2].revents & (POLLERR | POLLHUP | POLLNVAL));
    }
  }
}

int PcapEndpoint::ReadOne(pcap_t* handle) {
  int result = 0;
  {
    std::lock_guard<std::mutex> read(readMutex_);
    // Stopped, paused, or another handle since the caller looked.
    if (handle == nullptr || readHandle_ != handle) return 0;
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    result = pcap_next_ex(handle, &header, &data);
    if (result == 1) {
      Accept(*header, std::span(data, header->caplen));
      return 1;
    }
    if (result >= 0) return 0;
    // A real read failure of the library: nobody reads on.
    readHandle_ = nullptr;
  }
  paused_ = true;
  // The capture thread parks on it, whichever reader met the failure.
  pauseRequest_.Set();
  if (sink_ != nullptr) sink_->Post({Notification::kCaptureReadError, result});
  return result;
}

int PcapEndpoint::WaitReading(std::initializer_list<AutoResetEvent*> events,
                              std::optional<std::chrono::milliseconds> timeout, bool (*done)()) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = timeout ? Clock::now() + *timeout : Clock::time_point::max();
  constexpr std::size_t kMaxEvents = 7;
  const std::size_t count = std::min(events.size(), kMaxEvents);
  // One waiting caller at a time reads, so that a frame wakes one thread; the
  // others wait on their events and the hand-over event, which the reading
  // caller signals when it stops reading while others still wait.
  struct Waiting {
    PcapEndpoint& self;
    bool reading = false;
    explicit Waiting(PcapEndpoint& s) : self(s) {
      ++self.waitingEntries_;
      ++self.waitingCallers_;
    }
    ~Waiting() {
      StopReading();
      --self.waitingCallers_;
    }
    bool TryReading() {
      bool free = false;
      reading = reading || self.callerReading_.compare_exchange_strong(free, true);
      return reading;
    }
    // Gives the role up without signalling: nobody can read until the
    // capture starts again, which signals the hand-over itself.
    void LeaveQuietly() {
      reading = false;
      self.callerReading_ = false;
    }
    void StopReading() {
      if (!reading) return;
      reading = false;
      self.callerReading_ = false;
      // A caller that comes later finds the role free; one already waiting
      // needs the signal.
      if (self.waitingCallers_.load() > 1) self.handOver_.Set();
    }
  } waiting{*this};

  pollfd fds[kMaxEvents + 1];
  for (std::size_t i = 0; i < count; ++i) fds[i] = pollfd{events.begin()[i]->fd(), POLLIN, 0};
  // Like the capture thread, a reader whose descriptor reported an error
  // condition without giving a frame leaves it out, here for the rest of
  // this wait (and passes the role on).
  bool restDescriptor = false;
  for (;;) {
    pcap_t* handle = nullptr;
    int extraFd = -1;  // the capture descriptor, or the hand-over event; none while resting
    if (!restDescriptor && waiting.TryReading()) {
      std::lock_guard<std::mutex> read(readMutex_);
      handle = readHandle_;
      if (handle != nullptr) {
        extraFd = readFd_;
      } else {
        waiting.LeaveQuietly();  // under the read lock, so a start comes after it
      }
    }
    if (extraFd < 0 && !restDescriptor) extraFd = handOver_.fd();
    fds[count] = pollfd{extraFd, POLLIN, 0};  // a negative descriptor is not waited on
    int waitMs = -1;
    if (timeout) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      waitMs = static_cast<int>(std::clamp<long long>(left.count(), 0, 1 << 30));
    }
    const int rc = ::poll(fds, count + 1, waitMs);
    if (rc < 0 && errno != EINTR) return kWaitTimeout;
    if (rc > 0) {
      // The lowest signalled index wins, as with WaitForAny.
      for (std::size_t i = 0; i < count; ++i) {
        if ((fds[i].revents & POLLIN) && events.begin()[i]->TryConsume())
          return static_cast<int>(i);
      }
      if (extraFd >= 0 && fds[count].revents != 0) {
        if (handle == nullptr) {
          handOver_.TryConsume();  // the role may be free now: look again
        } else {
          const int result = ReadOne(handle);
          if (result == 1) {
            if (done != nullptr && done()) return static_cast<int>(count);
          } else if (result == 0 && (fds[count].revents & (POLLERR | POLLHUP | POLLNVAL))) {
            restDescriptor = true;
            waiting.StopReading();
          }
        }
      }
    } else if (rc == 0 && waitMs == 0) {
      return kWaitTimeout;
    }
    if (timeout && Clock::now() >= deadline) return kWaitTimeout;
  }
}

void PcapEndpoint::SetFrameFilter(FrameFilter* filter) {
  std::lock_guard<std::mutex> lock(filterMutex_);
  filter_ = filter;
}

void PcapEndpoint::Accept(const pcap_pkthdr& header, std::span<const std::uint8_t> frame) {
  if (!IsFrameForTool(frame)) return;
  // While the receive log is on, every frame takes the queue, so that it is
  // logged before anyone acts on it.
  if (!receiveLog_) {
    std::lock_guard<std::mutex> lock(filterMutex_);
    // The filter sees the bytes the queue would keep and hand out.
    const std::size_t stored =
        std::min({frame.size(), std::size_t{header.len}, kRecvFrameCapacity});
    if (filter_ != nullptr && stored > kEthernetHeaderSize &&
        filter_->TakeReceived(frame.subspan(kEthernetHeaderSize, stored - kEthernetHeaderSize))) {
      return;
    }
  }
  const ReceiveQueue::Stamp stamp{static_cast<std::uint32_t>(header.ts.tv_sec),
                                  static_cast<std::uint32_t>(header.ts.tv_usec), header.caplen,
                                  header.len};
  bool wasEmpty = false;
  if (!queue_.Push(stamp, frame, wasEmpty)) return;
  if (receiveLog_) log_.Write(kRecvLogName, frame);
  if (AutoResetEvent* notice = receiveNotice_.load(); notice != nullptr) {
    notice->Set();
  } else if (sink_ != nullptr && wasEmpty) {
    // The handler drains the whole queue, so one notice per batch suffices.
    sink_->Post({Notification::kFramesReceived});
  }
}

}  // namespace ntr
