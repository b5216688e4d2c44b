// Reads the BER elements of the management protocol from untrusted bytes.
// Each read checks its identifier octet and every length against the bytes
// that remain, and on a fault leaves the decoder's error code:
// 31 wrong class, 32 wrong primitive/constructed flag, 33 wrong tag,
// 35 a length cut off or longer than what remains, 37 no byte where an
// identifier octet is expected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/error.h"
#include "base/mac_address.h"
#include "codec/ber_tags.h"
#include "codec/byte_reader.h"

namespace ntr {

class BerReader {
 public:
  BerReader(ByteReader& in, ErrorPair& error) : in_(in), error_(error) {}

  std::size_t remaining() const { return in_.remaining(); }
  std::size_t position() const { return in_.position(); }

  // An identifier octet of the universal class, primitive; `tag` gets its tag.
  bool PrimitiveIdentifier(std::uint8_t& tag);
  // A primitive universal identifier with the given tag.
  bool Identifier(std::uint8_t expectedTag);
  // The identifier of a SEQUENCE (universal, constructed, tag 16).
  bool SequenceIdentifier();
  // The identifier of a message body ([APPLICATION n], constructed); `number`
  // gets n. Application class but primitive is 32, any other class 31.
  bool ApplicationIdentifier(std::uint8_t& number);

  // Length octets: the short form, or 0x80 + n and n bytes, most significant
  // first. A value too large for the machine saturates (and so exceeds what
  // remains).
  bool Length(std::size_t& length);
  // Passes over length octets without using their value.
  bool SkipLength();
  // A length that must not exceed the bytes that remain.
  bool ContentLength(std::size_t& length);

  // Whole elements.
  bool Integer(std::int64_t& value);
  bool Integer32(std::int32_t& value);
  // An INTEGER that carries a switch result: 0..8 as read, 100 otherwise.
  bool Result(std::int32_t& value);
  // OCTET STRING into a field of `capacity` bytes: the first min(length,
  // capacity) bytes are kept in `out`, all content bytes are consumed.
  bool Octets(std::size_t capacity, std::string& out);
  // OCTET STRING into a 6-byte field, zero-filled after what was stored.
  bool Mac(MacAddress& out);
  bool Null();

  // Element contents once the identifier has been read.
  bool IntegerContent(std::int64_t& value);
  bool OctetsContent(std::size_t capacity, std::string& out);
  bool NullContent();

 private:
  ByteReader& in_;
  ErrorPair& error_;
};

// Maps a result as read to the switch result the tool keeps.
std::int32_t MapResult(std::int64_t value);

}  // namespace ntr
