// Helpers shared by the codec tests: hex text to bytes and back, and small
// message builders.
#pragma once

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/pdu.h"

namespace ntr::test {

// "30 82 00 2D · 02 01" → bytes; anything but hex digits separates.
inline std::vector<std::uint8_t> Hex(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  int high = -1;
  for (unsigned char c : text) {
    if (!std::isxdigit(c)) continue;
    const int digit = std::isdigit(c) ? c - '0' : std::toupper(c) - 'A' + 10;
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
      high = -1;
    }
  }
  return bytes;
}

inline std::string ToHex(const std::vector<std::uint8_t>& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string text;
  for (std::uint8_t b : bytes) {
    if (!text.empty()) text.push_back(' ');
    text.push_back(digits[b >> 4]);
    text.push_back(digits[b & 15]);
  }
  return text;
}

inline constexpr MacAddress kAdapterMac{0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
inline constexpr MacAddress kSwitchMac{0x02, 0x5C, 0x71, 0x00, 0x00, 0x01};

inline Pdu Message(PduType application, PduBody body, std::int32_t transactionId = 7) {
  Pdu pdu;
  pdu.transactionId = transactionId;
  pdu.sourceMac = kAdapterMac;
  pdu.destinationMac = kSwitchMac;
  pdu.application = application;
  pdu.body = std::move(body);
  return pdu;
}

}  // namespace ntr::test
