// What the kernel reports about the network interfaces of the calling
// thread's network namespace: hardware type and address, flags and unicast
// IP addresses, in the kernel's order.
#pragma once

#include <sys/socket.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ntr {

struct InterfaceFacts {
  std::string name;
  int index = 0;
  unsigned flags = 0;               // IFF_* including IFF_LOWER_UP and IFF_DORMANT
  unsigned short hardwareType = 0;  // ARPHRD_*
  std::vector<std::uint8_t> hardwareAddress;
  std::vector<sockaddr_storage> addresses;  // AF_INET and AF_INET6, in listing order
};

// Reads the interfaces with getifaddrs. False when the kernel cannot be asked.
bool ReadInterfaces(std::vector<InterfaceFacts>& out);

// The operational status in the numbering of RFC 2863's ifOperStatus
// (1 up, 2 down, 5 dormant, 7 lower layer down), derived from the flags.
inline constexpr int kOperStatusUp = 1;
int OperationalStatus(unsigned flags);

}  // namespace ntr
