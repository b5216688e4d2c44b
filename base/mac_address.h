// MAC addresses and the protocol's fixed group addresses.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ntr {

using MacAddress = std::array<std::uint8_t, 6>;

// Every frame the tool sends goes to this group address...
inline constexpr MacAddress kSwitchGroupAddress{0x03, 0x5C, 0x71, 0x00, 0xE8, 0x12};
// ...and it accepts only frames addressed to this one.
inline constexpr MacAddress kToolGroupAddress{0x03, 0x5C, 0x71, 0x00, 0xE8, 0x13};

// "02:5C:71:00:00:01", the form used for switches.
std::string FormatSwitchMac(const MacAddress& mac);
// "00-11-22-33-44-55", the form used for network adapters.
std::string FormatAdapterMac(const MacAddress& mac);
// Reads six hexadecimal pairs separated by ':' or '-' (either case).
std::optional<MacAddress> ParseMac(std::string_view text);

// For tables indexed by MAC address.
struct MacAddressHash {
  std::size_t operator()(const MacAddress& mac) const {
    std::uint64_t value = 0;
    for (const std::uint8_t byte : mac) value = value << 8 | byte;
    return std::hash<std::uint64_t>{}(value * 0x9E3779B97F4A7C15ull);
  }
};

}  // namespace ntr
