#include "metrics/listen_address.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <charconv>

namespace ntr {

namespace {

bool ParsePort(std::string_view text, int& port) {
  if (text.empty() || text.size() > 5) return false;
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > 65535)
    return false;
  port = value;
  return true;
}

}  // namespace

std::string FormatListenAddress(std::string_view host, int port) {
  const bool brackets = host.find(':') != std::string_view::npos;
  std::string text;
  if (brackets) text += '[';
  text += host;
  if (brackets) text += ']';
  text += ':';
  text += std::to_string(port);
  return text;
}

bool ParseListenAddress(std::string_view text, bool allowPublic, ListenAddress& address,
                        ErrorPair& error) {
  const auto invalid = [&] {
    return error.Fail(kErrOutOfRange, "metrics address \"" + std::string(text) +
                                          "\" is not PORT or ADDRESS:PORT (a numeric address, "
                                          "IPv6 in brackets, or localhost; port 0 to 65535)");
  };
  std::string_view host = kDefaultMetricsHost;
  std::string_view port = text;
  if (!text.empty() && text.front() == '[') {
    const auto close = text.find(']');
    if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != ':') {
      return invalid();
    }
    host = text.substr(1, close - 1);
    port = text.substr(close + 2);
  } else if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
    // An IPv6 address needs brackets, so that its last group is not taken for the port.
    if (host.find(':') != std::string_view::npos) return invalid();
  }
  ListenAddress parsed;
  if (!ParsePort(port, parsed.port)) return invalid();
  if (host == "localhost") host = kDefaultMetricsHost;
  parsed.host = std::string(host);

  in_addr v4{};
  in6_addr v6{};
  if (inet_pton(AF_INET, parsed.host.c_str(), &v4) == 1) {
    parsed.loopback = (ntohl(v4.s_addr) >> 24) == 127;
  } else if (inet_pton(AF_INET6, parsed.host.c_str(), &v6) == 1) {
    parsed.loopback = IN6_IS_ADDR_LOOPBACK(&v6);
  } else {
    return invalid();
  }
  if (!parsed.loopback && !allowPublic) {
    return error.Fail(kErrOutOfRange, "metrics address " +
                                          FormatListenAddress(parsed.host, parsed.port) +
                                          " is not a loopback address: other hosts could read "
                                          "the network's state (allow it with --metrics-public)");
  }
  address = std::move(parsed);
  return true;
}

}  // namespace ntr
