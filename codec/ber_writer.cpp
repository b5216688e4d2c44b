#include "codec/ber_writer.h"

namespace ntr {

bool BerWriter::Integer(std::int64_t value) {
  const auto bits = static_cast<std::uint64_t>(value);
  std::uint8_t bytes[9];
  for (int i = 0; i < 8; ++i) bytes[1 + i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
  std::size_t first = 1;
  while (first < 8 && bytes[first] == 0) ++first;
  if (bytes[first] & 0x80) bytes[--first] = 0x00;
  const std::size_t count = 9 - first;
  if (out_.remaining() < 2 + count) return false;
  return out_.WriteByte(kTagInteger) && out_.WriteByte(static_cast<std::uint8_t>(count)) &&
         out_.WriteBytes(std::span<const std::uint8_t>(bytes + first, count));
}

bool BerWriter::Length(std::size_t length) {
  if (length < 0x80) return out_.WriteByte(static_cast<std::uint8_t>(length));
  if (length < 0x100) {
    return out_.remaining() >= 2 && out_.WriteByte(0x81) &&
           out_.WriteByte(static_cast<std::uint8_t>(length));
  }
  if (length <= 0xFFFF) {
    return out_.remaining() >= 3 && out_.WriteByte(0x82) &&
           out_.WriteByte(static_cast<std::uint8_t>(length >> 8)) &&
           out_.WriteByte(static_cast<std::uint8_t>(length));
  }
  return false;  // beyond what the protocol's length forms carry
}

bool BerWriter::Octets(std::span<const std::uint8_t> bytes) {
  const std::size_t header = 1 + (bytes.size() < 0x80 ? 1 : bytes.size() < 0x100 ? 2 : 3);
  if (out_.remaining() < header + bytes.size()) return false;
  return out_.WriteByte(kTagOctetString) && Length(bytes.size()) && out_.WriteBytes(bytes);
}

bool BerWriter::Octets(std::string_view bytes) {
  return Octets(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                              bytes.size()));
}

bool BerWriter::Null() {
  return out_.remaining() >= 2 && out_.WriteByte(kTagNull) && out_.WriteByte(0x00);
}

bool BerWriter::Begin(std::uint8_t identifier, std::size_t& lengthOffset) {
  if (out_.remaining() < 4) return false;
  out_.WriteByte(identifier);
  out_.WriteByte(0x82);
  lengthOffset = out_.size();
  return out_.WriteZeros(2);
}

bool BerWriter::End(std::size_t lengthOffset) {
  const std::size_t contentStart = lengthOffset + 2;
  if (out_.size() < contentStart) return false;
  const std::size_t length = out_.size() - contentStart;
  if (length > 0xFFFF) return false;
  return out_.Patch(lengthOffset, static_cast<std::uint8_t>(length >> 8)) &&
         out_.Patch(lengthOffset + 1, static_cast<std::uint8_t>(length));
}

}  // namespace ntr
