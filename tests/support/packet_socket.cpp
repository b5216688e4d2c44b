#include "tests/support/packet_socket.h"

#include <arpa/inet.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "tests/support/private_network.h"

namespace ntr::testing {

Frame MakeFrame(const MacAddress& destination, const MacAddress& source, std::uint8_t typeHigh,
                std::uint8_t typeLow, std::span<const std::uint8_t> payload) {
  Frame frame(destination.begin(), destination.end());
  frame.insert(frame.end(), source.begin(), source.end());
  frame.push_back(typeHigh);
  frame.push_back(typeLow);
  frame.insert(frame.end(), payload.begin(), payload.end());
  return frame;
}

PacketSocket::~PacketSocket() {
  if (fd_ >= 0) ::close(fd_);
}

bool PacketSocket::Open(const std::string& name, const std::string& interface, std::string& error,
                        bool managementOnly) {
  const std::uint16_t protocol = htons(managementOnly ? 0xE812 : ETH_P_ALL);
  std::thread opener([&] {
    NamespaceScope scope(name);
    if (!scope.ok()) {
      error = "cannot enter namespace " + name;
      return;
    }
    const int fd = ::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, protocol);
    if (fd < 0) {
      error = std::string("socket: ") + std::strerror(errno);
      return;
    }
    ifreq request{};
    interface.copy(request.ifr_name, IFNAMSIZ - 1);
    if (::ioctl(fd, SIOCGIFINDEX, &request) != 0) {
      error = "no interface " + interface + " in " + name;
      ::close(fd);
      return;
    }
    index_ = request.ifr_ifindex;
    // Room for bursts: tests read hundreds of frames after the fact.
    const int bufferSize = 8 * 1024 * 1024;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &bufferSize, sizeof bufferSize);
    if (::ioctl(fd, SIOCGIFHWADDR, &request) == 0) {
      std::memcpy(mac_.data(), request.ifr_hwaddr.sa_data, mac_.size());
    }
    sockaddr_ll address{};
    address.sll_family = AF_PACKET;
    address.sll_protocol = protocol;
    address.sll_ifindex = index_;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      error = std::string("bind: ") + std::strerror(errno);
      ::close(fd);
      return;
    }
    fd_ = fd;
  });
  opener.join();
  return fd_ >= 0;
}

bool PacketSocket::Send(std::span<const std::uint8_t> frame) {
  ssize_t n;
  while ((n = ::send(fd_, frame.data(), frame.size(), 0)) < 0 && errno == EINTR) {
  }
  return n == static_cast<ssize_t>(frame.size());
}

std::optional<Frame> PacketSocket::Receive(std::chrono::milliseconds timeout) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + timeout;
  Frame frame(4096);
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd ready{fd_, POLLIN, 0};
    if (::poll(&ready, 1, static_cast<int>(std::max<long long>(left.count(), 0))) <= 0) {
      if (Clock::now() >= deadline) return std::nullopt;
      continue;
    }
    sockaddr_ll from{};
    socklen_t fromSize = sizeof from;
    const ssize_t n = ::recvfrom(fd_, frame.data(), frame.size(), MSG_DONTWAIT,
                                 reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (n < 0) continue;
    if (from.sll_pkttype == PACKET_OUTGOING) continue;
    frame.resize(static_cast<std::size_t>(n));
    return frame;
  }
}

}  // namespace ntr::testing
