// The address the metrics endpoint listens on, from the operator's
// "ADDRESS:PORT" (or just "PORT"): an IPv4 address, an IPv6 address in
// brackets, or "localhost". Only loopback addresses are taken unless serving
// other hosts is allowed.
#pragma once

#include <string>
#include <string_view>

#include "base/error.h"

namespace ntr {

inline constexpr std::string_view kDefaultMetricsHost = "127.0.0.1";

struct ListenAddress {
  std::string host;  // numeric, without brackets
  int port = 0;      // 0: any free port
  bool loopback = false;
};

// Parses `text`. Fails with kErrOutOfRange and a sentence in the detail when
// the text is not ADDRESS:PORT or PORT, or names a non-loopback address while
// `allowPublic` is false.
bool ParseListenAddress(std::string_view text, bool allowPublic, ListenAddress& address,
                        ErrorPair& error);

// "HOST:PORT", with brackets around an IPv6 host.
std::string FormatListenAddress(std::string_view host, int port);

}  // namespace ntr
