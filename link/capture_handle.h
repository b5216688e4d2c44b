// Opening a libpcap capture set up for the management protocol.
#pragma once

#include <pcap/pcap.h>

#include <memory>
#include <string>

namespace ntr {

// Added to the library's text when the capture was refused for want of
// privileges.
inline constexpr char kCapturePermissionHint[] =
    "needs CAP_NET_RAW, and CAP_NET_ADMIN for promiscuous mode";

struct CaptureCloser {
  void operator()(pcap_t* handle) const { pcap_close(handle); }
};
using CapturePtr = std::unique_ptr<pcap_t, CaptureCloser>;

// Snapshot length: the largest management frame (1600-byte send buffer,
// 1616-byte receive record) fits with room to spare. It also sizes the slots
// of the kernel ring in immediate mode: at 65536 the default buffer holds
// only 32 frames and bursts are dropped.
inline constexpr int kCaptureSnapLength = 2048;
// Kernel ring: several thousand slots of kCaptureSnapLength bytes.
inline constexpr int kCaptureBufferSize = 16 * 1024 * 1024;
inline constexpr int kCaptureTimeoutMs = 50;
// While callers read the handle themselves the capture thread looks every
// this many milliseconds whether they still do.
inline constexpr int kStandAsideMs = 1;

// Opens `name` for live capture: promiscuous, 50 ms read time-out, immediate
// mode (an answer is delivered as soon as it arrives instead of waiting for
// the block timer), non-blocking, and a kernel filter that passes only the
// protocol's frames to the tool. On failure returns nothing and sets
// `errorText` to the library's text. `legacy` (benchmarks only) opens the
// capture as the older design did: no immediate mode, answers wait for the
// 50 ms block timer.
CapturePtr OpenCapture(const std::string& name, std::string& errorText, bool legacy = false);

}  // namespace ntr
