// Writes the few BER elements the management protocol uses. Every write fails
// (writing nothing more) when the buffer cannot hold it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "codec/ber_tags.h"
#include "codec/byte_writer.h"

namespace ntr {

class BerWriter {
 public:
  explicit BerWriter(ByteWriter& out) : out_(out) {}

  // INTEGER: big-endian with leading zero bytes dropped (one stays), and a
  // 0x00 in front when the top bit of the first byte is set; so 1 to 9 bytes.
  bool Integer(std::int64_t value);
  // OCTET STRING with the shortest length form (up to 0x82 and two bytes).
  bool Octets(std::span<const std::uint8_t> bytes);
  bool Octets(std::string_view bytes);
  bool Null();

  // A constructed element always takes the long form 0x82 hi lo; the two
  // length bytes are reserved here and filled in by End.
  bool Begin(std::uint8_t identifier, std::size_t& lengthOffset);
  bool End(std::size_t lengthOffset);

 private:
  bool Length(std::size_t length);
  ByteWriter& out_;
};

}  // namespace ntr
