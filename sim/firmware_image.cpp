#include "sim/firmware_image.h"

#include <zlib.h>

#include <algorithm>

#include "codec/byte_reader.h"

namespace ntr::sim {
namespace {

std::uint32_t Crc(std::span<const std::uint8_t> bytes) {
  return static_cast<std::uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

bool ReadU32(ByteReader& reader, std::uint32_t& value) {
  std::span<const std::uint8_t> bytes;
  if (!reader.ReadBytes(4, bytes)) return false;
  value = 0;
  for (std::uint8_t b : bytes) value = (value << 8) | b;
  return true;
}

}  // namespace

bool HasFirmwareMagic(std::span<const std::uint8_t> firstBlock) {
  return firstBlock.size() >= kFirmwareMagic.size() &&
         std::equal(kFirmwareMagic.begin(), kFirmwareMagic.end(), firstBlock.begin());
}

std::optional<std::string> VerifyFirmwareImage(std::span<const std::uint8_t> image) {
  ByteReader reader(image);
  std::span<const std::uint8_t> magic, revision, body;
  std::uint32_t bodyLength = 0;
  std::uint32_t checksum = 0;
  if (!reader.ReadBytes(kFirmwareMagic.size(), magic) || !HasFirmwareMagic(magic) ||
      !ReadU32(reader, bodyLength) || !reader.ReadBytes(kFirmwareRevisionSize, revision) ||
      !reader.ReadBytes(bodyLength, body) || !ReadU32(reader, checksum) || !reader.empty()) {
    return std::nullopt;
  }
  if (Crc(image.first(image.size() - kFirmwareTrailerSize)) != checksum) return std::nullopt;
  std::string text(revision.begin(), revision.end());
  text.resize(std::min(text.find('\0'), text.size()));
  return text;
}

std::vector<std::uint8_t> BuildFirmwareImage(std::string_view revision,
                                             std::span<const std::uint8_t> body) {
  std::vector<std::uint8_t> image(kFirmwareMagic.begin(), kFirmwareMagic.end());
  PutU32(image, static_cast<std::uint32_t>(body.size()));
  const std::string_view cut = revision.substr(0, kFirmwareRevisionSize);
  image.insert(image.end(), cut.begin(), cut.end());
  image.resize(kFirmwareHeaderSize, 0);
  image.insert(image.end(), body.begin(), body.end());
  PutU32(image, Crc(image));
  return image;
}

}  // namespace ntr::sim
