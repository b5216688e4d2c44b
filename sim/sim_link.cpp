#include "sim/sim_link.h"

#include <pcap/pcap.h>

#include <algorithm>
#include <array>
#include <vector>

namespace ntr::sim {
namespace {

constexpr int kSnapshotLength = 2048;
constexpr int kBufferBytes = 16 << 20;
constexpr std::size_t kHeaderSize = 14;
constexpr std::size_t kMinFrame = 60;
constexpr std::size_t kMaxFrame = 1600;
constexpr const char* kFilter = "ether dst 03:5c:71:00:e8:12 and ether proto 0xe812";

bool IsToolFrame(const std::uint8_t* frame, std::size_t length) {
  return length >= kHeaderSize &&
         std::equal(kSwitchGroupAddress.begin(), kSwitchGroupAddress.end(), frame) &&
         frame[12] == 0xE8 && frame[13] == 0x12;
}

}  // namespace

SimLink::~SimLink() { Close(); }

bool SimLink::Open(const std::string& interface, std::string& error) {
  Close();
  char message[PCAP_ERRBUF_SIZE] = {};
  handle_ = pcap_create(interface.c_str(), message);
  if (handle_ == nullptr) {
    error = message;
    return false;
  }
  pcap_set_snaplen(handle_, kSnapshotLength);
  pcap_set_promisc(handle_, 1);
  pcap_set_immediate_mode(handle_, 1);
  pcap_set_buffer_size(handle_, kBufferBytes);
  bpf_program program{};
  if (pcap_activate(handle_) < 0 || pcap_setnonblock(handle_, 1, message) != 0 ||
      pcap_compile(handle_, &program, kFilter, 1, PCAP_NETMASK_UNKNOWN) != 0) {
    error = pcap_geterr(handle_);
    Close();
    return false;
  }
  const int filtered = pcap_setfilter(handle_, &program);
  pcap_freecode(&program);
  fd_ = pcap_get_selectable_fd(handle_);
  if (filtered != 0 || fd_ < 0) {
    error = filtered != 0 ? pcap_geterr(handle_) : "the capture has no descriptor to poll";
    Close();
    return false;
  }
  pcap_setdirection(handle_, PCAP_D_IN);  // our own frames need not come back
  return true;
}

void SimLink::Close() {
  if (handle_ != nullptr) pcap_close(handle_);
  handle_ = nullptr;
  fd_ = -1;
}

bool SimLink::ReadPending(const std::function<void(std::span<const std::uint8_t>)>& deliver,
                          std::string& error, int limit) {
  for (int read = 0; read < limit && handle_ != nullptr; ++read) {
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    const int status = pcap_next_ex(handle_, &header, &data);
    if (status == 0) return true;  // nothing more waiting
    if (status < 0) {
      error = status == PCAP_ERROR_BREAK ? "capture ended" : pcap_geterr(handle_);
      return false;
    }
    const std::size_t length = header->caplen;
    if (!IsToolFrame(data, length)) continue;  // the kernel filter may let others by
    deliver(std::span<const std::uint8_t>(data + kHeaderSize, length - kHeaderSize));
  }
  return true;
}

bool SimLink::Send(const MacAddress& source, std::span<const std::uint8_t> payload,
                   std::string& error) {
  if (handle_ == nullptr || payload.size() > kMaxFrame - kHeaderSize) {
    error = handle_ == nullptr ? "the link is not open" : "the payload is too long";
    return false;
  }
  std::array<std::uint8_t, kMaxFrame> frame{};  // zero: the padding of a short frame
  auto end = std::copy(kToolGroupAddress.begin(), kToolGroupAddress.end(), frame.begin());
  end = std::copy(source.begin(), source.end(), end);
  *end++ = 0xE8;
  *end++ = 0x12;
  end = std::copy(payload.begin(), payload.end(), end);
  const std::size_t length = std::max(static_cast<std::size_t>(end - frame.begin()), kMinFrame);
  if (pcap_sendpacket(handle_, frame.data(), static_cast<int>(length)) != 0) {
    error = pcap_geterr(handle_);
    return false;
  }
  return true;
}

}  // namespace ntr::sim
