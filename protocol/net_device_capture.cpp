// The capture thread of CNetDevice.
#include <poll.h>

#include <cerrno>

#include "protocol/link_frame.h"
#include "protocol/net_device.h"

namespace ntr {

void CNetDevice::CaptureLoop(pcap_t* handle) {
  const int captureFd = pcap_get_selectable_fd(handle);
  bool paused = false;
  // After the descriptor reported an error condition that the library then
  // consumed without a frame, one wait leaves it out, so that a lasting
  // condition cannot make the thread spin.
  bool restDescriptor = false;
  for (;;) {
    if (stopRequest_.TryConsume()) return;
    if (paused) {
      // Reads nothing more; only a stop request ends this state.
      stopRequest_.Wait();
      return;
    }
    if (pauseRequest_.TryConsume()) {
      paused = true;
      continue;
    }

    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    const int result = pcap_next_ex(handle, &header, &data);
    if (result == 1) {
      Accept(*header, std::span(data, header->caplen));
      continue;
    }
    if (result < 0) {
      // A real read failure of the library: stop and the pause requests are
      // events beside the handle, so they can never be mistaken for one.
      if (sink_ != nullptr) sink_->Post({Notification::kCaptureReadError, result});
      paused = true;
      continue;
    }

    // Nothing waiting: sleep until a frame, a request or the read time-out.
    pollfd fds[3] = {{stopRequest_.fd(), POLLIN, 0},
                     {pauseRequest_.fd(), POLLIN, 0},
                     {captureFd, POLLIN, 0}};
    const nfds_t count = restDescriptor ? 2 : 3;
    const int ready = ::poll(fds, count, kCaptureTimeoutMs);
    restDescriptor = ready > 0 && count == 3 && (fds[2].revents & (POLLERR | POLLHUP | POLLNVAL));
  }
}

void CNetDevice::Accept(const pcap_pkthdr& header, std::span<const std::uint8_t> frame) {
  if (!IsFrameForTool(frame)) return;
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
