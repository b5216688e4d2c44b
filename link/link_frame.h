// The Ethernet frame of the management protocol: destination, source,
// EtherType 0xE812, then one encoded message as payload.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/mac_address.h"

namespace ntr {

inline constexpr std::uint8_t kEtherTypeHigh = 0xE8;
inline constexpr std::uint8_t kEtherTypeLow = 0x12;
inline constexpr std::size_t kEthernetHeaderSize = 14;
// Frames are built in a buffer of this size, so a payload holds at most
// kSendBufferSize - kEthernetHeaderSize bytes.
inline constexpr std::size_t kSendBufferSize = 1600;
inline constexpr std::size_t kMaxPayloadSize = kSendBufferSize - kEthernetHeaderSize;

using SendBuffer = std::array<std::uint8_t, kSendBufferSize>;

// True for a frame addressed to the tool's group address with the protocol's
// EtherType; everything else (requests of other tools, the tool's own frames,
// other protocols, runts) is not for us.
bool IsFrameForTool(std::span<const std::uint8_t> frame);

// Writes destination (the switches' group address), `source`, the EtherType
// and the payload into `buffer`; returns the frame length, or 0 when the
// payload does not fit.
std::size_t BuildFrame(const MacAddress& source, std::span<const std::uint8_t> payload,
                       SendBuffer& buffer);

}  // namespace ntr
