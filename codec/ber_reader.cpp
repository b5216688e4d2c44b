#include "codec/ber_reader.h"

#include <limits>
#include <span>

namespace ntr {
std::int32_t MapResult(std::int64_t value) {
  return value >= 0 && value <= 8 ? static_cast<std::int32_t>(value) : 100;
}

bool BerReader::PrimitiveIdentifier(std::uint8_t& tag) {
  std::uint8_t octet = 0;
  if (!in_.ReadByte(octet)) return error_.Fail(kErrBufferExhausted);
  if (octet & kClassMask) return error_.Fail(kErrRxIdentifierClass);
  if (octet & kConstructedFlag) return error_.Fail(kErrRxIdentifierPc);
  tag = octet & kTagNumberMask;
  return true;
}

bool BerReader::Identifier(std::uint8_t expectedTag) {
  std::uint8_t tag = 0;
  if (!PrimitiveIdentifier(tag)) return false;
  return tag == expectedTag || error_.Fail(kErrRxIdentifierTag);
}

bool BerReader::SequenceIdentifier() {
  std::uint8_t octet = 0;
  if (!in_.ReadByte(octet)) return error_.Fail(kErrBufferExhausted);
  if (octet & kClassMask) return error_.Fail(kErrRxIdentifierClass);
  if (!(octet & kConstructedFlag)) return error_.Fail(kErrRxIdentifierPc);
  if ((octet & kTagNumberMask) != kSequenceTagNumber) return error_.Fail(kErrRxIdentifierTag);
  return true;
}

bool BerReader::ApplicationIdentifier(std::uint8_t& number) {
  std::uint8_t octet = 0;
  if (!in_.ReadByte(octet)) return error_.Fail(kErrBufferExhausted);
  if ((octet & kClassMask) != kClassApplication) return error_.Fail(kErrRxIdentifierClass);
  if (!(octet & kConstructedFlag)) return error_.Fail(kErrRxIdentifierPc);
  number = octet & kTagNumberMask;
  return true;
}

bool BerReader::Length(std::size_t& length) {
  std::uint8_t first = 0;
  if (!in_.ReadByte(first)) return error_.Fail(kErrRxLength);
  if (first < 0x80) {
    length = first;
    return true;
  }
  std::size_t value = 0;
  for (int count = first & 0x7F; count > 0; --count) {
    std::uint8_t next = 0;
    if (!in_.ReadByte(next)) return error_.Fail(kErrRxLength);
    value = value > (std::numeric_limits<std::size_t>::max() >> 8)
                ? std::numeric_limits<std::size_t>::max()
                : (value << 8) | next;
  }
  length = value;
  return true;
}

bool BerReader::SkipLength() {
  std::size_t ignored = 0;
  return Length(ignored);
}

bool BerReader::ContentLength(std::size_t& length) {
  if (!Length(length)) return false;
  return length <= in_.remaining() || error_.Fail(kErrRxLength);
}

bool BerReader::IntegerContent(std::int64_t& value) {
  std::size_t length = 0;
  if (!ContentLength(length)) return false;
  std::span<const std::uint8_t> bytes;
  in_.ReadBytes(length, bytes);
  if (bytes.size() > 8) bytes = bytes.last(8);
  std::uint64_t bits = (!bytes.empty() && (bytes[0] & 0x80)) ? ~std::uint64_t{0} : 0;
  for (std::uint8_t b : bytes) bits = (bits << 8) | b;
  value = static_cast<std::int64_t>(bits);
  return true;
}

bool BerReader::OctetsContent(std::size_t capacity, std::string& out) {
  std::size_t length = 0;
  if (!ContentLength(length)) return false;
  std::span<const std::uint8_t> bytes;
  in_.ReadBytes(length, bytes);
  if (bytes.size() > capacity) bytes = bytes.first(capacity);
  out.assign(bytes.begin(), bytes.end());
  return true;
}

bool BerReader::NullContent() {
  std::size_t length = 0;
  if (!Length(length)) return false;
  return length == 0 || error_.Fail(kErrRxLength);
}

bool BerReader::Integer(std::int64_t& value) {
  return Identifier(kTagInteger) && IntegerContent(value);
}

bool BerReader::Integer32(std::int32_t& value) {
  std::int64_t wide = 0;
  if (!Integer(wide)) return false;
  value = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(wide)));
  return true;
}

bool BerReader::Result(std::int32_t& value) {
  std::int64_t wide = 0;
  if (!Integer(wide)) return false;
  value = MapResult(wide);
  return true;
}

bool BerReader::Octets(std::size_t capacity, std::string& out) {
  return Identifier(kTagOctetString) && OctetsContent(capacity, out);
}

bool BerReader::Mac(MacAddress& out) {
  std::string stored;
  if (!Octets(6, stored)) return false;
  for (std::size_t i = 0; i < 6; ++i) {
    out[i] = i < stored.size() ? static_cast<std::uint8_t>(stored[i]) : 0;
  }
  return true;
}

bool BerReader::Null() { return Identifier(kTagNull) && NullContent(); }

}  // namespace ntr
