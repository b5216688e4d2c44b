#include "codec/pdu_encoder.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/codec/pdu_test_util.h"

namespace ntr {
namespace {

using test::Hex;
using test::Message;
using test::ToHex;

struct Encoded {
  bool ok = false;
  ErrorPair error;
  std::vector<std::uint8_t> bytes;
};

Encoded Encode(const Pdu& pdu, std::size_t capacity = kEncodeBufferSize) {
  Encoded result;
  std::vector<std::uint8_t> buffer(capacity, 0xEE);
  std::size_t written = 0;
  result.ok = EncodePdu(result.error, buffer, pdu, written);
  buffer.resize(written);
  result.bytes = buffer;
  return result;
}

FunctionRequest GetRequest(std::uint16_t id, std::int32_t indexType, std::int32_t first = 0,
                           std::int32_t second = 0) {
  FunctionRequest request;
  request.operation = kOpGet;
  request.functionId = id;
  request.valueType = kValueNone;
  request.indexType = indexType;
  request.firstIndex = first;
  request.secondIndex = second;
  return request;
}

TEST(PduEncoder, GetRequestWorkedExample) {
  const auto encoded = Encode(Message(PduType::kFuncRequest, GetRequest(0x0003, kIndexPort, 5)));
  ASSERT_TRUE(encoded.ok);
  EXPECT_EQ(
      ToHex(encoded.bytes),
      ToHex(Hex("30 82 00 2D 02 01 00 02 01 07 04 06 00 11 22 33 44 55 04 06 02 5C 71 00 "
                "00 01 68 82 00 13 02 01 00 02 01 02 04 02 00 03 05 00 30 82 00 03 02 01 05")));
}

TEST(PduEncoder, DiscoveryRequestWorkedExampleIsPaddedTo46) {
  Pdu pdu = Message(PduType::kDiscoveryRequest, DiscoveryRequest{30, test::kAdapterMac, {}}, 1);
  pdu.destinationMac = kSwitchGroupAddress;
  const auto encoded = Encode(pdu);
  ASSERT_TRUE(encoded.ok);
  EXPECT_EQ(ToHex(encoded.bytes),
            ToHex(Hex("30 82 00 29 02 01 00 02 01 01 04 06 00 11 22 33 44 55 04 06 03 5C 71 00 "
                      "E8 12 60 82 00 0F 02 01 1E 04 06 00 11 22 33 44 55 30 82 00 00 00")));
}

TEST(PduEncoder, ShortMessagesArePaddedOutsideTheSequence) {
  const auto encoded = Encode(Message(PduType::kFingerprintQuery, EmptyBody{}));
  ASSERT_TRUE(encoded.ok);
  ASSERT_EQ(encoded.bytes.size(), 46u);
  // SEQUENCE length counts only its 26 bytes of contents, not the padding.
  EXPECT_EQ(encoded.bytes[3], 0x1A);
  EXPECT_EQ(ToHex({encoded.bytes.begin() + 26, encoded.bytes.begin() + 30}), "6A 82 00 00");
  for (std::size_t i = 30; i < 46; ++i) EXPECT_EQ(encoded.bytes[i], 0) << i;
}

TEST(PduEncoder, IntegerForms) {
  struct Case {
    std::int64_t value;
    const char* bytes;
  };
  const Case cases[] = {
      {0, "02 01 00"},
      {30, "02 01 1E"},
      {127, "02 01 7F"},
      {128, "02 02 00 80"},
      {255, "02 02 00 FF"},
      {256, "02 02 01 00"},
      {-1, "02 09 00 FF FF FF FF FF FF FF FF"},
      {std::numeric_limits<std::int32_t>::min(), "02 09 00 FF FF FF FF 80 00 00 00"},
      {std::numeric_limits<std::int32_t>::max(), "02 04 7F FF FF FF"},
      {std::numeric_limits<std::int64_t>::max(), "02 08 7F FF FF FF FF FF FF FF"},
      {std::numeric_limits<std::int64_t>::min(), "02 09 00 80 00 00 00 00 00 00 00"},
  };
  for (const auto& c : cases) {
    FunctionRequest request = GetRequest(0x0201, kIndexNone);
    request.operation = kOpSet;
    request.valueType = kValueInteger;
    request.intValue = c.value;
    const auto encoded = Encode(Message(PduType::kFuncRequest, request));
    ASSERT_TRUE(encoded.ok);
    // The value follows leading value, operation and function ID inside the body.
    const std::vector<std::uint8_t> value(encoded.bytes.begin() + 40,
                                          encoded.bytes.begin() + 40 + Hex(c.bytes).size());
    EXPECT_EQ(ToHex(value), ToHex(Hex(c.bytes))) << c.value;
  }
}

TEST(PduEncoder, ThirtyTwoBitFieldsAreWidenedWithTheirSign) {
  const auto encoded = Encode(Message(PduType::kFuncRequest, GetRequest(0x0201, kIndexNone), -1));
  ASSERT_TRUE(encoded.ok);
  EXPECT_EQ(ToHex({encoded.bytes.begin() + 7, encoded.bytes.begin() + 18}),
            "02 09 00 FF FF FF FF FF FF FF FF");
}

TEST(PduEncoder, OctetStringLengthForms) {
  struct Case {
    std::size_t size;
    const char* header;
  };
  const Case cases[] = {{0, "04 00"},        {127, "04 7F"},    {128, "04 81 80"},
                        {200, "04 81 C8"},   {255, "04 81 FF"}, {256, "04 82 01 00"},
                        {300, "04 82 01 2C"}};
  for (const auto& c : cases) {
    FirmwareBlock block{3, std::vector<std::uint8_t>(c.size, 0xAB)};
    const auto encoded = Encode(Message(PduType::kFirmBlock, block));
    ASSERT_TRUE(encoded.ok) << c.size;
    // Body: 64 82 hi lo, then INTEGER 3, then the OCTET STRING.
    const auto header = Hex(c.header);
    const std::vector<std::uint8_t> got(encoded.bytes.begin() + 33,
                                        encoded.bytes.begin() + 33 + header.size());
    EXPECT_EQ(ToHex(got), ToHex(header)) << c.size;
    EXPECT_EQ(encoded.bytes.size(), std::max<std::size_t>(33 + header.size() + c.size, 46));
    // Constructed lengths always take the three-byte form, with the real length.
    const std::size_t bodyLength = encoded.bytes[28] * 256u + encoded.bytes[29];
    EXPECT_EQ(bodyLength, 3 + header.size() + c.size);
  }
}

TEST(PduEncoder, IndexForms) {
  struct Case {
    std::int32_t indexType;
    const char* sequence;
  };
  const Case cases[] = {
      {kIndexNone, "30 82 00 00"},
      {kIndexPort, "30 82 00 03 02 01 05"},
      {kIndexInteger3, "30 82 00 03 02 01 05"},
      {kIndexRegistration, "30 82 00 03 02 01 05"},
      {kIndexPair5, "30 82 00 07 02 01 05 02 02 00 80"},
      {kIndexPortGroup, "30 82 00 07 02 01 05 02 02 00 80"},
      {kIndexPortCounter, "30 82 00 07 02 01 05 02 02 00 80"},
      {kIndexPortRegistration, "30 82 00 07 02 01 05 02 02 00 80"},
      {kIndexMac, "30 82 00 08 04 06 02 5C 71 00 00 01"},
  };
  for (const auto& c : cases) {
    FunctionRequest request = GetRequest(0x0201, c.indexType, 5, 128);
    request.indexMac = test::kSwitchMac;
    const auto encoded = Encode(Message(PduType::kFuncRequest, request));
    ASSERT_TRUE(encoded.ok);
    const auto expected = Hex(c.sequence);
    // 30 bytes of header, 14 of leading value/operation/ID/NULL, then the index.
    const std::vector<std::uint8_t> got(encoded.bytes.begin() + 42,
                                        encoded.bytes.begin() + 42 + expected.size());
    EXPECT_EQ(ToHex(got), ToHex(expected)) << c.indexType;
  }
}

TEST(PduEncoder, ResponseAndReplyBodies) {
  FunctionResponse response;
  response.result = 0;
  response.secondValue = 0;
  response.valueType = kValueOctets;
  response.octets = "SW1";
  auto encoded = Encode(Message(PduType::kFuncResponse, response));
  ASSERT_TRUE(encoded.ok);
  EXPECT_EQ(ToHex({encoded.bytes.begin() + 26, encoded.bytes.begin() + 41}),
            "69 82 00 0B 02 01 00 02 01 00 04 03 53 57 31");

  DiscoveryReply reply;
  reply.switchMac = test::kSwitchMac;
  reply.fingerprint = 5;
  reply.firstText = std::string(70, 'x');       // only 64 bytes go out
  reply.secondText = std::string("ab\0cd", 5);  // ends at its zero byte
  reply.neighbourMacs = {test::kAdapterMac};
  encoded = Encode(Message(PduType::kDiscoveryReply, reply));
  ASSERT_TRUE(encoded.ok);
  const auto& b = encoded.bytes;
  // result, MAC, fingerprint, then the first text's header.
  EXPECT_EQ(ToHex({b.begin() + 30, b.begin() + 43}), "02 01 00 04 06 02 5C 71 00 00 01 02 01");
  EXPECT_EQ(ToHex({b.begin() + 44, b.begin() + 46}), "04 40");
  EXPECT_EQ(ToHex({b.begin() + 110, b.begin() + 114}), "04 02 61 62");
  EXPECT_EQ(ToHex({b.begin() + 114, b.end()}), "30 82 00 08 04 06 00 11 22 33 44 55");
}

TEST(PduEncoder, Failures) {
  // Too small before anything is written: 37.
  auto encoded = Encode(Message(PduType::kFuncRequest, GetRequest(3, kIndexPort, 5)), 45);
  EXPECT_FALSE(encoded.ok);
  EXPECT_EQ(encoded.error.code, kErrBufferExhausted);

  // Room for 46 but not for the 49-byte request: 37 as well.
  encoded = Encode(Message(PduType::kFuncRequest, GetRequest(3, kIndexPort, 5)), 48);
  EXPECT_FALSE(encoded.ok);
  EXPECT_EQ(encoded.error.code, kErrBufferExhausted);
  EXPECT_TRUE(Encode(Message(PduType::kFuncRequest, GetRequest(3, kIndexPort, 5)), 49).ok);

  // Application numbers that do not exist, or a body that is not the one the
  // number carries: 38.
  for (std::int32_t application : {15, 19, 24, 27, 31, -1}) {
    encoded = Encode(Message(static_cast<PduType>(application), EmptyBody{}));
    EXPECT_FALSE(encoded.ok) << application;
    EXPECT_EQ(encoded.error.code, kErrApplicationNumber) << application;
  }
  encoded = Encode(Message(PduType::kFuncRequest, ResultBody{}));
  EXPECT_EQ(encoded.error.code, kErrApplicationNumber);

  FunctionRequest request = GetRequest(3, kIndexPort, 5);
  request.valueType = 3;
  encoded = Encode(Message(PduType::kFuncRequest, request));
  EXPECT_FALSE(encoded.ok);
  EXPECT_EQ(encoded.error.code, kErrValueType);
  EXPECT_EQ(encoded.error.detail, "value type=3");

  FunctionResponse response;
  response.valueType = -2;
  encoded = Encode(Message(PduType::kFuncResponse, response));
  EXPECT_EQ(encoded.error.code, kErrValueType);
  EXPECT_EQ(encoded.error.detail, "value type=-2");

  request = GetRequest(3, 9, 5);
  encoded = Encode(Message(PduType::kFuncRequest, request));
  EXPECT_FALSE(encoded.ok);
  EXPECT_EQ(encoded.error.code, kErrIndexType);
  EXPECT_EQ(encoded.error.detail, "index type=9");
}

}  // namespace
}  // namespace ntr
