// The capture thread of PcapEndpoint.
#include <poll.h>

#include <algorithm>

#include "link/link_frame.h"
#include "link/pcap_endpoint.h"

namespace ntr {

void PcapEndpoint::CaptureLoop(pcap_t* handle) {
  const int captureFd = pcap_get_selectable_fd(handle);
  // After the descriptor reported an error condition that the library then
  // consumed without a frame, one wait leaves it out, so that a lasting
  // condition cannot make the thread spin.
  bool restDescriptor = false;
  for (;;) {
    // One wait per frame: it returns at once while frames are ready, and it
    // shows the stop and pause requests, which are looked at before every
    // read. They arrive through their own events, never through the handle,
    // so a stop or pause can never be mistaken for a read error.
    pollfd fds[3] = {{stopRequest_.fd(), POLLIN, 0},
                     {pauseRequest_.fd(), POLLIN, 0},
                     {captureFd, POLLIN, 0}};
    const nfds_t count = restDescriptor ? 2 : 3;
    const int ready = ::poll(fds, count, kCaptureTimeoutMs);
    if (ready > 0 && fds[0].revents != 0 && stopRequest_.TryConsume()) return;
    if (ready > 0 && fds[1].revents != 0 && pauseRequest_.TryConsume()) {
      paused_ = true;
      // Reads nothing more; only a stop request ends this state.
      stopRequest_.Wait();
      return;
    }

    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    const int result = pcap_next_ex(handle, &header, &data);
    if (result == 1) {
      restDescriptor = false;
      Accept(*header, std::span(data, header->caplen));
    } else if (result < 0) {
      // A real read failure of the library: report it and pause.
      paused_ = true;
      if (sink_ != nullptr) sink_->Post({Notification::kCaptureReadError, result});
      stopRequest_.Wait();
      return;
    } else {
      restDescriptor = count == 3 && ready > 0 && (fds[2].revents & (POLLERR | POLLHUP | POLLNVAL));
    }
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
    const std::size_t stored = std::min({frame.size(), std::size_t{header.len}, kRecvFrameCapacity});
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
