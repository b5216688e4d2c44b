// The simulator's door to the network: one libpcap handle on one interface
// (in tests and demonstrations one end of a private veth pair). It captures
// the tool's frames (destination 03:5C:71:00:E8:12, EtherType E8 12) and
// sends the switches' frames to 03:5C:71:00:E8:13 with the sending switch's
// MAC as Ethernet source.
//
// The handle is non-blocking; its owner polls fd() together with its other
// descriptors (a stop event, control connections) and then calls
// ReadPending, so that a stop request is seen at once.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "base/mac_address.h"

struct pcap;

namespace ntr::sim {

class SimLink {
 public:
  SimLink() = default;
  ~SimLink();
  SimLink(const SimLink&) = delete;
  SimLink& operator=(const SimLink&) = delete;

  // Opens the interface: immediate mode, snapshot length 2048, a 16 MiB
  // buffer, promiscuous, non-blocking, with a kernel filter for the tool's
  // frames. False with the capture library's reason.
  bool Open(const std::string& interface, std::string& error);
  void Close();

  // Becomes readable when frames may be waiting.
  int fd() const { return fd_; }

  // Hands the payload of every tool frame waiting now to `deliver` (at most
  // `limit` frames, so that other work is not starved). False on a capture
  // error.
  bool ReadPending(const std::function<void(std::span<const std::uint8_t>)>& deliver,
                   std::string& error, int limit = 256);

  // Sends one payload from `source` to the tool's group address, padded to
  // the Ethernet minimum.
  bool Send(const MacAddress& source, std::span<const std::uint8_t> payload, std::string& error);

 private:
  pcap* handle_ = nullptr;
  int fd_ = -1;
};

}  // namespace ntr::sim
