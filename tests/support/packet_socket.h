// A plain AF_PACKET socket on one interface of a private network, for the far
// end of a link in tests and benchmarks: it sends whole frames as given and
// receives the frames of the management protocol's EtherType.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/mac_address.h"

namespace ntr::testing {

using Frame = std::vector<std::uint8_t>;

// destination, source, EtherType bytes, payload.
Frame MakeFrame(const MacAddress& destination, const MacAddress& source, std::uint8_t typeHigh,
                std::uint8_t typeLow, std::span<const std::uint8_t> payload);

class PacketSocket {
 public:
  PacketSocket() = default;
  ~PacketSocket();
  PacketSocket(const PacketSocket&) = delete;
  PacketSocket& operator=(const PacketSocket&) = delete;

  // Opens the socket on `interface` inside namespace `name` (from a short
  // helper thread), so the calling thread may live anywhere. Receives only
  // EtherType 0xE812 when `managementOnly`, otherwise every frame arriving.
  bool Open(const std::string& name, const std::string& interface, std::string& error,
            bool managementOnly = true);

  bool Send(std::span<const std::uint8_t> frame);
  // The next frame that arrives within `timeout` (frames the socket itself
  // sent are not seen).
  std::optional<Frame> Receive(std::chrono::milliseconds timeout);

  int fd() const { return fd_; }
  const MacAddress& mac() const { return mac_; }

 private:
  int fd_ = -1;
  int index_ = 0;
  MacAddress mac_{};
};

}  // namespace ntr::testing
