#include "base/mac_address.h"

#include <cstdio>

namespace ntr {
namespace {

std::string FormatMac(const MacAddress& mac, char separator) {
  char text[18];
  std::snprintf(text, sizeof text, "%02X%c%02X%c%02X%c%02X%c%02X%c%02X", mac[0], separator, mac[1],
                separator, mac[2], separator, mac[3], separator, mac[4], separator, mac[5]);
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string FormatSwitchMac(const MacAddress& mac) { return FormatMac(mac, ':'); }
std::string FormatAdapterMac(const MacAddress& mac) { return FormatMac(mac, '-'); }

std::optional<MacAddress> ParseMac(std::string_view text) {
  if (text.size() != 17) return std::nullopt;
  const char separator = text[2];
  if (separator != ':' && separator != '-') return std::nullopt;
  MacAddress mac{};
  for (std::size_t i = 0; i < 6; ++i) {
    const std::size_t at = i * 3;
    if (i > 0 && text[at - 1] != separator) return std::nullopt;
    const int high = HexDigit(text[at]);
    const int low = HexDigit(text[at + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    mac[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return mac;
}

}  // namespace ntr
