#include "codec/pdu_decoder.h"

#include <gtest/gtest.h>

#include <limits>

#include "catalogue/function_descriptors.h"
#include "codec/pdu_encoder.h"
#include "tests/codec/pdu_test_util.h"

namespace ntr {
namespace {

using test::Hex;
using test::Message;

// Header of a message from the switch: SEQUENCE, header value 0, transaction
// 7, source and destination MACs. The body follows.
const char* kHeader =
    "30 82 00 00 02 01 00 02 01 07 04 06 02 5C 71 00 00 01 04 06 03 5C 71 00 E8 13";

struct Decoded {
  bool ok = false;
  ErrorPair error;
  Pdu pdu;
};

Decoded Decode(const std::vector<std::uint8_t>& bytes) {
  Decoded result;
  result.ok = DecodePdu(result.error, bytes, LookupFunctionTypes, result.pdu);
  return result;
}

Decoded DecodeBody(const std::string& body) { return Decode(Hex(std::string(kHeader) + body)); }

std::vector<std::uint8_t> Encode(const Pdu& pdu) {
  std::vector<std::uint8_t> buffer(kEncodeBufferSize);
  std::size_t written = 0;
  ErrorPair error;
  EXPECT_TRUE(EncodePdu(error, buffer, pdu, written)) << error.code;
  buffer.resize(written);
  return buffer;
}

// The worked example asks for function ID 3, which the catalogue lacks: give
// the decoder a lookup that knows it.
bool LookupWithId3(std::uint16_t id, std::int32_t& valueType, std::int32_t& indexType) {
  if (id == 3) {
    valueType = kValueOctets;
    indexType = kIndexPort;
    return true;
  }
  return LookupFunctionTypes(id, valueType, indexType);
}

TEST(PduDecoder, WorkedExamplesDecodeBack) {
  const auto bytes =
      Hex("30 82 00 2D 02 01 00 02 01 07 04 06 00 11 22 33 44 55 04 06 02 5C 71 "
          "00 00 01 68 82 00 13 02 01 00 02 01 02 04 02 00 03 05 00 30 82 00 03 "
          "02 01 05");
  Decoded decoded;
  ASSERT_FALSE(DecodePdu(decoded.error, bytes, LookupFunctionTypes, decoded.pdu));
  EXPECT_EQ(decoded.error.code, kErrRxFunctionId);
  decoded.ok = DecodePdu(decoded.error, bytes, LookupWithId3, decoded.pdu);
  ASSERT_TRUE(decoded.ok) << decoded.error.code;
  EXPECT_EQ(decoded.pdu.application, PduType::kFuncRequest);
  EXPECT_EQ(decoded.pdu.transactionId, 7);
  EXPECT_EQ(decoded.pdu.sourceMac, test::kAdapterMac);
  EXPECT_EQ(decoded.pdu.destinationMac, test::kSwitchMac);
  const auto& request = std::get<FunctionRequest>(decoded.pdu.body);
  EXPECT_EQ(request.operation, kOpGet);
  EXPECT_EQ(request.functionId, 0x0003);
  EXPECT_EQ(request.valueType, kValueNone);
  EXPECT_EQ(request.indexType, kIndexPort);
  EXPECT_EQ(request.firstIndex, 5);
  decoded =
      Decode(Hex("30 82 00 29 02 01 00 02 01 01 04 06 00 11 22 33 44 55 04 06 03 5C 71 00 "
                 "E8 12 60 82 00 0F 02 01 1E 04 06 00 11 22 33 44 55 30 82 00 00 00"));
  ASSERT_TRUE(decoded.ok);
  const auto& discovery = std::get<DiscoveryRequest>(decoded.pdu.body);
  EXPECT_EQ(discovery.queryValue, 30);
  EXPECT_EQ(discovery.requesterMac, test::kAdapterMac);
  EXPECT_TRUE(discovery.listedMacs.empty());
}

TEST(PduDecoder, IntegerForms) {
  struct Case {
    const char* bytes;
    std::int64_t value;
  };
  const Case cases[] = {
      {"02 01 FF", -1},
      {"02 09 00 FF FF FF FF FF FF FF FF", -1},
      {"02 02 00 80", 128},
      {"02 01 80", -128},
      {"02 01 7F", 127},
      {"02 00", 0},
      {"02 08 80 00 00 00 00 00 00 00", std::numeric_limits<std::int64_t>::min()},
      {"02 0A 12 34 7F FF FF FF FF FF FF FF", std::numeric_limits<std::int64_t>::max()},
      {"02 81 02 01 00", 256},  // long length form
  };
  for (const auto& c : cases) {
    const auto decoded = DecodeBody(std::string("69 82 00 00 02 01 00 02 01 00 ") + c.bytes);
    ASSERT_TRUE(decoded.ok) << c.bytes << " code " << decoded.error.code;
    const auto& response = std::get<FunctionResponse>(decoded.pdu.body);
    EXPECT_EQ(response.valueType, kValueInteger);
    EXPECT_EQ(response.intValue, c.value) << c.bytes;
  }
  // 32-bit fields keep the low 32 bits.
  auto decoded = DecodeBody("74 82 00 00 02 05 01 00 00 00 05 02 09 00 FF FF FF FF FF FF FF FE");
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(std::get<TwoIntegersBody>(decoded.pdu.body), (TwoIntegersBody{5, -2}));
}

TEST(PduDecoder, ResultsOutsideZeroToEightBecome100) {
  struct Case {
    const char* integer;
    std::int32_t result;
  };
  const Case cases[] = {{"02 01 00", 0},
                        {"02 01 08", 8},
                        {"02 01 09", 100},
                        {"02 01 FF", 100},
                        {"02 05 01 00 00 00 01", 100}};
  for (const auto& c : cases) {
    auto decoded = DecodeBody(std::string("63 82 00 03 ") + c.integer);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(std::get<ResultBody>(decoded.pdu.body).result, c.result) << c.integer;
    decoded = DecodeBody(std::string("6B 82 00 00 ") + c.integer + " 02 01 FF");
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(std::get<FingerprintAnswerBody>(decoded.pdu.body),
              (FingerprintAnswerBody{c.result, -1}));
  }
  // Notices carry no result: stored as read.
  auto decoded = DecodeBody("79 82 00 00 02 01 09 02 01 FF");
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(std::get<TwoIntegersBody>(decoded.pdu.body), (TwoIntegersBody{9, -1}));
}

TEST(PduDecoder, PaddingAndOuterLengthAreNotLookedAt) {
  // Outer length says 0x7FFF; only the bytes present count. Trailing garbage
  // after the body is never read.
  auto decoded =
      Decode(Hex("30 82 7F FF 02 01 00 02 01 07 04 06 02 5C 71 00 00 01 04 06 03 5C 71 "
                 "00 E8 13 6A 82 00 00 FF FF 30 05"));
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(decoded.pdu.application, PduType::kFingerprintQuery);
  // Short-form and long-form outer lengths are both passed over.
  decoded =
      Decode(Hex("30 1E 02 01 00 02 01 07 04 06 02 5C 71 00 00 01 04 06 03 5C 71 00 E8 13 "
                 "76 00"));
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(decoded.pdu.application, PduType::kNoticeFan);
}

TEST(PduDecoder, ShortMacsAreZeroFilledAndLongOnesCut) {
  auto decoded =
      Decode(Hex("30 82 00 00 02 01 00 02 01 07 04 04 02 5C 71 00 04 08 03 5C 71 00 E8 "
                 "13 99 99 6A 82 00 00"));
  ASSERT_TRUE(decoded.ok) << decoded.error.code;
  EXPECT_EQ(decoded.pdu.sourceMac, (MacAddress{0x02, 0x5C, 0x71, 0x00, 0x00, 0x00}));
  EXPECT_EQ(decoded.pdu.destinationMac, kToolGroupAddress);
}

TEST(PduDecoder, DiscoveryReplyKeepsAtMost24Neighbours) {
  DiscoveryReply reply;
  reply.switchMac = test::kSwitchMac;
  reply.firstText = "NTR7100-8G";
  reply.secondText = "";
  for (int i = 0; i < 30; ++i) {
    reply.neighbourMacs.push_back(MacAddress{0, 0, 0, 0, 0, static_cast<std::uint8_t>(i)});
  }
  auto bytes = Encode(Message(PduType::kDiscoveryReply, reply));
  // Spoil what follows the 24th entry: it must not be read.
  const std::size_t afterEntry24 = bytes.size() - 6 * 8;
  bytes[afterEntry24] = 0xFF;
  auto decoded = Decode(bytes);
  ASSERT_TRUE(decoded.ok) << decoded.error.code;
  const auto& got = std::get<DiscoveryReply>(decoded.pdu.body);
  ASSERT_EQ(got.neighbourMacs.size(), 24u);
  EXPECT_EQ(got.neighbourMacs[23][5], 23);
  EXPECT_EQ(got.firstText, "NTR7100-8G");

  // A text longer than 64 bytes keeps 64; a zero byte ends it.
  decoded = DecodeBody(
      "61 82 00 00 02 01 00 04 06 02 5C 71 00 00 01 02 01 01 04 03 41 00 42 "
      "04 00 30 82 00 00");
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(std::get<DiscoveryReply>(decoded.pdu.body).firstText, "A");
}

TEST(PduDecoder, DiscoveryRequestKeepsAtMost8ListedMacs) {
  DiscoveryRequest request{30, test::kAdapterMac, {}};
  for (int i = 0; i < 10; ++i) {
    request.listedMacs.push_back(MacAddress{2, 0, 0, 0, 0, static_cast<std::uint8_t>(i)});
  }
  const auto decoded = Decode(Encode(Message(PduType::kDiscoveryRequest, request)));
  ASSERT_TRUE(decoded.ok);
  const auto& got = std::get<DiscoveryRequest>(decoded.pdu.body);
  ASSERT_EQ(got.listedMacs.size(), 8u);
  EXPECT_EQ(got.listedMacs[7][5], 7);
}

TEST(PduDecoder, FunctionRequestTakesTypesFromTheCatalogue) {
  // set (0) of port-speed 0x0201: integer value, port index.
  auto decoded =
      DecodeBody("68 82 00 00 02 01 00 02 01 00 04 02 02 01 02 01 03 30 82 00 03 02 01 02");
  ASSERT_TRUE(decoded.ok) << decoded.error.code;
  auto request = std::get<FunctionRequest>(decoded.pdu.body);
  EXPECT_EQ(request.functionId, 0x0201);
  EXPECT_EQ(request.valueType, kValueInteger);
  EXPECT_EQ(request.intValue, 3);
  EXPECT_EQ(request.indexType, kIndexPort);
  EXPECT_EQ(request.firstIndex, 2);

  // set-default (1) carries no value even for an integer function.
  decoded = DecodeBody("68 82 00 00 02 01 00 02 01 01 04 02 02 01 05 00 30 82 00 03 02 01 02");
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(std::get<FunctionRequest>(decoded.pdu.body).valueType, kValueNone);

  // set of system-name: octets, no index.
  decoded = DecodeBody("68 82 00 00 02 01 00 02 01 00 04 02 01 06 04 03 53 57 31 30 82 00 00");
  ASSERT_TRUE(decoded.ok);
  request = std::get<FunctionRequest>(decoded.pdu.body);
  EXPECT_EQ(request.valueType, kValueOctets);
  EXPECT_EQ(request.octets, "SW1");

  // vlan-trunk 0x0404: two-integer index.
  decoded =
      DecodeBody("68 82 00 00 02 01 00 02 01 02 04 02 04 04 05 00 30 82 00 06 02 01 03 02 01 20");
  ASSERT_TRUE(decoded.ok);
  request = std::get<FunctionRequest>(decoded.pdu.body);
  EXPECT_EQ(request.indexType, kIndexPortRegistration);
  EXPECT_EQ(request.firstIndex, 3);
  EXPECT_EQ(request.secondIndex, 32);

  // status-macaddress-addr 0x0303: a MAC index.
  decoded = DecodeBody(
      "68 82 00 00 02 01 00 02 01 02 04 02 03 03 05 00 30 82 00 08 04 06 02 5C 71 00 00 09");
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(std::get<FunctionRequest>(decoded.pdu.body).indexMac,
            (MacAddress{0x02, 0x5C, 0x71, 0x00, 0x00, 0x09}));

  // An octet-string value keeps at most 65 bytes and consumes the rest.
  std::string seventyAs;
  for (int i = 0; i < 70; ++i) seventyAs += "41 ";
  decoded =
      DecodeBody("68 82 00 00 02 01 00 02 01 00 04 02 01 06 04 46 " + seventyAs + "30 82 00 00");
  ASSERT_TRUE(decoded.ok) << decoded.error.code;
  EXPECT_EQ(std::get<FunctionRequest>(decoded.pdu.body).octets, std::string(65, 'A'));
}

TEST(PduDecoder, FunctionResponseValueTypesFollowTheIdentifier) {
  auto decoded = DecodeBody("69 82 00 00 02 01 00 02 01 00 04 02 41 00");
  ASSERT_TRUE(decoded.ok);
  auto response = std::get<FunctionResponse>(decoded.pdu.body);
  EXPECT_EQ(response.valueType, kValueOctets);
  EXPECT_EQ(response.octets, std::string("A\0", 2));
  decoded = DecodeBody("69 82 00 00 02 01 06 02 01 00 05 00");
  ASSERT_TRUE(decoded.ok);
  response = std::get<FunctionResponse>(decoded.pdu.body);
  EXPECT_EQ(response.valueType, kValueNone);
  EXPECT_EQ(response.result, 6);
}

TEST(PduDecoder, EveryBodyRoundTrips) {
  FunctionRequest request;
  request.operation = kOpSet;
  request.functionId = 0x0701;  // counter-frame-rx-type: port, counter
  request.valueType = kValueInteger;
  request.intValue = -5;
  request.indexType = kIndexPortCounter;
  request.firstIndex = 8;
  request.secondIndex = 2;
  FunctionResponse response;
  response.result = 0;
  response.secondValue = -7;
  response.valueType = kValueOctets;
  response.octets = std::string("\x83\x58\x83\x43\x83\x62\x83\x60", 8);
  DiscoveryReply reply{0,        test::kSwitchMac,
                       -1,       "first",
                       "second", {test::kAdapterMac, MacAddress{}, test::kSwitchMac}};
  const Pdu messages[] = {
      Message(PduType::kDiscoveryRequest,
              DiscoveryRequest{30, test::kAdapterMac, {test::kSwitchMac}}),
      Message(PduType::kDiscoveryReply, reply),
      Message(PduType::kFirmPrepare, EmptyBody{}),
      Message(PduType::kFirmPrepareAnswer, ResultBody{3}),
      Message(PduType::kFirmBlock, FirmwareBlock{12, std::vector<std::uint8_t>(512, 0x5A)}),
      Message(PduType::kFirmBlockAnswer, ResultBody{0}),
      Message(PduType::kFirmAbort, EmptyBody{}),
      Message(PduType::kFirmAbortAnswer, ResultBody{100}),
      Message(PduType::kFuncRequest, request),
      Message(PduType::kFuncResponse, response),
      Message(PduType::kFingerprintQuery, EmptyBody{}),
      Message(PduType::kFingerprintAnswer, FingerprintAnswerBody{0, 0x12345678}),
      Message(PduType::kConfigSync, EmptyBody{}),
      Message(PduType::kConfigSyncAnswer, ResultBody{2}),
      Message(PduType::kReserved14, EmptyBody{}),
      Message(PduType::kNoticePortSpeed, TwoIntegersBody{3, 1000}),
      Message(PduType::kNoticeLinkDown, OneIntegerBody{24}),
      Message(PduType::kNoticeFan, EmptyBody{}),
      Message(PduType::kNoticeLoop, OneIntegerBody{1}),
      Message(PduType::kNotice25, TwoIntegersBody{std::numeric_limits<std::int32_t>::min(), -1}),
      Message(PduType::kNotice26, OneIntegerBody{std::numeric_limits<std::int32_t>::max()}),
  };
  for (const auto& message : messages) {
    const auto decoded = Decode(Encode(message));
    ASSERT_TRUE(decoded.ok) << static_cast<int>(message.application) << " code "
                            << decoded.error.code;
    EXPECT_EQ(decoded.pdu, message) << static_cast<int>(message.application);
  }
}

TEST(PduDecoder, EveryErrorCode) {
  struct Case {
    std::string bytes;
    int code;
    const char* why;
  };
  const std::string header(kHeader);
  const Case cases[] = {
      {"", kErrBufferExhausted, "empty payload"},
      {"30", kErrRxLength, "one-byte payload"},
      {"70 82 00 00", kErrRxIdentifierClass, "outer identifier of application class"},
      {"10 82 00 00", kErrRxIdentifierPc, "outer identifier not constructed"},
      {"02 01 00", kErrRxIdentifierPc, "outer INTEGER instead of SEQUENCE"},
      {"31 82 00 00", kErrRxIdentifierTag, "outer SET"},
      {"30 82 00", kErrRxLength, "outer length cut off"},
      {"30 82 00 00", kErrBufferExhausted, "nothing after the outer length"},
      {"30 82 00 00 02 05 00", kErrRxLength, "INTEGER longer than what remains"},
      {"30 82 00 00 02", kErrRxLength, "INTEGER without length"},
      {"30 82 00 00 02 84 00 00", kErrRxLength, "length octets cut off"},
      {"30 82 00 00 02 89 FF FF FF FF FF FF FF FF FF 00", kErrRxLength, "huge length"},
      {"30 82 00 00 04 01 00", kErrRxIdentifierTag, "OCTET STRING where INTEGER belongs"},
      {"30 82 00 00 22 01 00", kErrRxIdentifierPc, "constructed INTEGER"},
      {"30 82 00 00 42 01 00", kErrRxIdentifierClass, "application-class INTEGER"},
      {header, kErrBufferExhausted, "no body"},
      {header + " 8A 82 00 00", kErrRxIdentifierClass, "body of context class"},
      {header + " 48 82 00 00", kErrRxIdentifierPc, "body of application class, primitive"},
      {header + " 30 82 00 00", kErrRxIdentifierClass, "body of universal class"},
      {header + " 6F 82 00 00", kErrRxApplication, "application 15"},
      {header + " 78 82 00 00", kErrRxApplication, "application 24"},
      {header + " 7B 82 00 00", kErrRxApplication, "application 27"},
      {header + " 7F 82 00 00", kErrRxApplication, "application 31"},
      {header + " 6A 82 00", kErrRxLength, "body length cut off"},
      {header + " 63 82 00 03", kErrBufferExhausted, "result missing"},
      {header + " 68 82 00 00 02 01 00 02 01 02 04 02 01 0C 05 00 30 82 00 00", kErrRxFunctionId,
       "unused function ID 0x010C"},
      {header + " 68 82 00 00 02 01 00 02 01 02 04 02 02 01 05 01 00 30 82 00 00", kErrRxLength,
       "NULL with contents"},
      {header + " 68 82 00 00 02 01 00 02 01 02 04 02 02 01 05 00 30 82 00 09 02 01 01",
       kErrRxLength, "index SEQUENCE longer than what remains"},
      {header + " 68 82 00 00 02 01 00 02 01 02 04 02 02 01 05 00 10 82 00 00", kErrRxIdentifierPc,
       "index SEQUENCE not constructed"},
      {header + " 68 82 00 00 02 01 00 02 01 02 04 02 02 01 05 00 30 82 00 00", kErrBufferExhausted,
       "index INTEGER missing"},
      {header + " 68 82 00 00 02 01 00 02 01 00 04 02 02 01 04 01 03", kErrRxIdentifierTag,
       "set with octets where the catalogue says integer"},
      {header + " 69 82 00 00 02 01 00 02 01 00 A2 01 00", kErrRxIdentifierClass,
       "response value of context class"},
      {header + " 69 82 00 00 02 01 00 02 01 00 24 01 00", kErrRxIdentifierPc,
       "constructed response value"},
      {header + " 69 82 00 00 02 01 00 02 01 00 06 01 00", kErrRxIdentifierTag,
       "response value with tag 6"},
      {header + " 69 82 00 00 02 01 00 02 01 00", kErrBufferExhausted, "response value missing"},
      {header + " 60 82 00 00 02 01 1E 04 06 00 11 22 33 44 55 30 82 00 0C 04 06 01 02 03 04 05 06",
       kErrRxLength, "MAC list longer than what remains"},
      {header + " 60 82 00 00 02 01 1E 04 06 00 11 22 33 44 55 30 82 00 08 04 06 01 02 03",
       kErrRxLength, "listed MAC cut off"},
      {header + " 64 82 00 00 02 01 01 04 82 02 00 00", kErrRxLength, "firmware data cut off"},
  };
  for (const auto& c : cases) {
    const auto decoded = Decode(Hex(c.bytes));
    EXPECT_FALSE(decoded.ok) << c.why;
    EXPECT_EQ(decoded.error.code, c.code) << c.why;
  }
}

TEST(PduDecoder, WithoutCatalogueEveryFunctionRequestIsRefused) {
  ErrorPair error;
  Pdu pdu;
  const auto bytes = Hex(std::string(kHeader) +
                         " 68 82 00 00 02 01 00 02 01 02 04 02 02 01 05 00 30 82 00 03 02 01 01");
  EXPECT_FALSE(DecodePdu(error, bytes, nullptr, pdu));
  EXPECT_EQ(error.code, kErrRxFunctionId);
}

}  // namespace
}  // namespace ntr
