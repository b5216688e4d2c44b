#include <gtest/gtest.h>

#include <vector>

#include "codec/ber_reader.h"
#include "codec/ber_writer.h"
#include "codec/byte_reader.h"
#include "codec/byte_writer.h"

namespace ntr {
namespace {

TEST(ByteCursors, FailedReadsAndWritesChangeNothing) {
  const std::uint8_t bytes[] = {1, 2, 3};
  ByteReader reader(bytes);
  std::span<const std::uint8_t> view;
  EXPECT_FALSE(reader.ReadBytes(4, view));
  EXPECT_FALSE(reader.Skip(4));
  EXPECT_EQ(reader.remaining(), 3u);
  EXPECT_TRUE(reader.ReadBytes(3, view));
  std::uint8_t b = 0;
  EXPECT_FALSE(reader.ReadByte(b));

  std::uint8_t out[3] = {9, 9, 9};
  ByteWriter writer(out);
  EXPECT_FALSE(writer.WriteBytes(std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(writer.size(), 0u);
  EXPECT_EQ(out[0], 9);
  EXPECT_FALSE(writer.Patch(0, 1));  // nothing written there yet
  EXPECT_TRUE(writer.WriteZeros(3));
  EXPECT_FALSE(writer.WriteByte(1));
}

TEST(BerWriter, ElementsNeverOverrunTheBuffer) {
  // Each element is refused whole when the buffer cannot hold it.
  std::uint8_t out[4];
  ByteWriter writer(out);
  BerWriter ber(writer);
  EXPECT_FALSE(ber.Integer(-1));  // needs 11 bytes
  EXPECT_EQ(writer.size(), 0u);
  EXPECT_TRUE(ber.Integer(0x1234));  // 02 02 12 34
  EXPECT_FALSE(ber.Null());
  EXPECT_FALSE(ber.Octets(std::string_view("")));
  EXPECT_EQ(writer.size(), 4u);
}

TEST(BerWriter, ConstructedLengthIsFilledInAtTheEnd) {
  std::vector<std::uint8_t> out(70000);
  ByteWriter writer(out);
  BerWriter ber(writer);
  std::size_t at = 0;
  ASSERT_TRUE(ber.Begin(kTagSequence, at));
  ASSERT_TRUE(ber.Null());
  ASSERT_TRUE(ber.End(at));
  EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 6),
            (std::vector<std::uint8_t>{0x30, 0x82, 0x00, 0x02, 0x05, 0x00}));
  // Contents beyond 65535 bytes cannot be described by the 0x82 form.
  ASSERT_TRUE(ber.Begin(kTagSequence, at));
  ASSERT_TRUE(writer.WriteZeros(0x10000));
  EXPECT_FALSE(ber.End(at));
}

TEST(BerReader, LengthForms) {
  const std::uint8_t bytes[] = {0x05, 0x81, 0xC8, 0x82, 0x01, 0x2C, 0x80, 0x84, 0x00, 0x00, 0x01};
  ByteReader in(bytes);
  ErrorPair error;
  BerReader ber(in, error);
  std::size_t length = 0;
  ASSERT_TRUE(ber.Length(length));
  EXPECT_EQ(length, 5u);
  ASSERT_TRUE(ber.Length(length));
  EXPECT_EQ(length, 200u);
  ASSERT_TRUE(ber.Length(length));
  EXPECT_EQ(length, 300u);
  ASSERT_TRUE(ber.Length(length));  // 0x80: no length bytes follow
  EXPECT_EQ(length, 0u);
  EXPECT_FALSE(ber.Length(length));  // four length bytes announced, three left
  EXPECT_EQ(error.code, kErrRxLength);
}

TEST(BerReader, ZeroLengthIntegerIsZero) {
  const std::uint8_t bytes[] = {0x02, 0x00};
  ByteReader in(bytes);
  ErrorPair error;
  BerReader ber(in, error);
  std::int64_t value = 99;
  ASSERT_TRUE(ber.Integer(value));
  EXPECT_EQ(value, 0);
}

}  // namespace
}  // namespace ntr
