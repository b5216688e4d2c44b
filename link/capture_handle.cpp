#include "link/capture_handle.h"

namespace ntr {
namespace {

// Only frames to the tool's group address with the protocol's EtherType
// cross into user space; the capture thread still checks every frame itself.
constexpr char kKernelFilter[] = "ether dst 03:5c:71:00:e8:13 and ether proto 0xe812";

std::string ActivationError(pcap_t* handle, int status) {
  std::string text = pcap_geterr(handle);
  if (text.empty()) text = pcap_statustostr(status);
  if (status == PCAP_ERROR_PERM_DENIED) text.append("; ").append(kCapturePermissionHint);
  return text;
}

// The filter only saves work; without it the user-space check does it all.
void InstallKernelFilter(pcap_t* handle) {
  bpf_program program{};
  if (pcap_compile(handle, &program, kKernelFilter, 1, PCAP_NETMASK_UNKNOWN) != 0) return;
  pcap_setfilter(handle, &program);
  pcap_freecode(&program);
}

}  // namespace

CapturePtr OpenCapture(const std::string& name, std::string& errorText, bool legacy) {
  char buffer[PCAP_ERRBUF_SIZE] = "";
  CapturePtr handle(pcap_create(name.c_str(), buffer));
  if (!handle) {
    errorText = buffer;
    return nullptr;
  }
  pcap_set_snaplen(handle.get(), kCaptureSnapLength);
  pcap_set_promisc(handle.get(), 1);
  pcap_set_timeout(handle.get(), kCaptureTimeoutMs);
  if (!legacy) {
    pcap_set_immediate_mode(handle.get(), 1);
    pcap_set_buffer_size(handle.get(), kCaptureBufferSize);
  }
  const int status = pcap_activate(handle.get());
  if (status < 0) {
    errorText = ActivationError(handle.get(), status);
    return nullptr;
  }
  // The capture thread waits in poll() on the handle's descriptor beside its
  // stop and pause events, so reads must never block.
  if (pcap_setnonblock(handle.get(), 1, buffer) != 0 || pcap_get_selectable_fd(handle.get()) < 0) {
    errorText = buffer[0] != '\0' ? buffer : "no selectable descriptor";
    return nullptr;
  }
  InstallKernelFilter(handle.get());
  return handle;
}

}  // namespace ntr
