// The firmware image a simulated switch accepts.
//
// The tool sends a firmware file unchanged in 512-byte blocks; the switch
// checks it. An image is laid out as follows (numbers big-endian):
//
//   offset  size  field
//   0       8     magic code "NTRFW" 00 01 00 (format 1); checked as soon
//                 as block 0 arrives: anything else is result 3
//   8       4     body length N
//   12      64    new firmware revision, zero-padded text (at most 64 bytes)
//   76      N     body (any bytes)
//   76+N    4     CRC-32 (zlib crc32) of every byte before it
//
// The whole image is checked when the empty final block arrives: a total
// length other than 80 + N, or a CRC that does not match, is result 4.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ntr::sim {

inline constexpr std::array<std::uint8_t, 8> kFirmwareMagic{'N', 'T', 'R', 'F', 'W', 0, 1, 0};
inline constexpr std::size_t kFirmwareRevisionSize = 64;
inline constexpr std::size_t kFirmwareHeaderSize = 8 + 4 + kFirmwareRevisionSize;
inline constexpr std::size_t kFirmwareTrailerSize = 4;

// Whether the first block starts with the magic code.
bool HasFirmwareMagic(std::span<const std::uint8_t> firstBlock);

// Checks a whole image; the new revision on success, nothing when its length
// or checksum is wrong.
std::optional<std::string> VerifyFirmwareImage(std::span<const std::uint8_t> image);

// Builds a valid image carrying `revision` (cut to 64 bytes) and `body`.
std::vector<std::uint8_t> BuildFirmwareImage(std::string_view revision,
                                             std::span<const std::uint8_t> body);

}  // namespace ntr::sim
