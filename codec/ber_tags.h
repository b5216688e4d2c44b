// Identifier octets of the BER subset the management protocol uses.
#pragma once

#include <cstdint>

namespace ntr {

inline constexpr std::uint8_t kTagInteger = 0x02;
inline constexpr std::uint8_t kTagOctetString = 0x04;
inline constexpr std::uint8_t kTagNull = 0x05;
inline constexpr std::uint8_t kTagSequence = 0x30;     // universal, constructed, tag 16
inline constexpr std::uint8_t kTagApplication = 0x60;  // application, constructed, + n

// Parts of an identifier octet.
inline constexpr std::uint8_t kClassMask = 0xC0;
inline constexpr std::uint8_t kClassApplication = 0x40;
inline constexpr std::uint8_t kConstructedFlag = 0x20;
inline constexpr std::uint8_t kTagNumberMask = 0x1F;
inline constexpr std::uint8_t kSequenceTagNumber = 16;

}  // namespace ntr
