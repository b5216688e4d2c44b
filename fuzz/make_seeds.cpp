// Writes the seed corpus of the fuzz targets (fuzz/corpus/) into a folder:
// one valid message for every application number, function requests for
// every index type the catalogue uses, function responses with each value
// type, a few cut-off or malformed messages and one that decodes although
// it is not in the encoder's form.
//
// The seeds are kept in the repository; run this only to regenerate them:
//   build-fuzz/fuzz/make_seeds fuzz/corpus
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "codec/pdu.h"
#include "codec/pdu_encoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr ntr::MacAddress kSwitchMac{0x02, 0x5C, 0x71, 0x00, 0x00, 0x01};
constexpr ntr::MacAddress kNeighbourMac{0x02, 0x5C, 0x71, 0x00, 0x00, 0x02};
constexpr ntr::MacAddress kAdapterMac{0x00, 0x11, 0x22, 0x33, 0x44, 0x55};

ntr::Pdu Message(ntr::PduType application, ntr::PduBody body, bool fromSwitch = false) {
  ntr::Pdu pdu;
  pdu.transactionId = 0x1234;
  pdu.sourceMac = fromSwitch ? kSwitchMac : kAdapterMac;
  pdu.destinationMac = fromSwitch ? ntr::kToolGroupAddress : ntr::kSwitchGroupAddress;
  pdu.application = application;
  pdu.body = std::move(body);
  return pdu;
}

Bytes Encode(const ntr::Pdu& pdu) {
  Bytes buffer(ntr::kEncodeBufferSize);
  ntr::ErrorPair error;
  std::size_t written = 0;
  if (!ntr::EncodePdu(error, buffer, pdu, written)) {
    std::fprintf(stderr, "make_seeds: encoding application %d failed with code %d\n",
                 static_cast<int>(pdu.application), error.code);
    std::exit(1);
  }
  buffer.resize(written);
  return buffer;
}

// Guards the byte offsets the malformed seeds patch.
void Expect(const Bytes& bytes, std::size_t offset, int value) {
  if (offset >= bytes.size() || bytes[offset] != value) {
    std::fprintf(stderr, "make_seeds: unexpected byte at offset %zu\n", offset);
    std::exit(1);
  }
}

ntr::FunctionRequest Request(std::uint16_t functionId, ntr::Operation operation,
                             std::int32_t valueType, std::int32_t indexType) {
  ntr::FunctionRequest request;
  request.functionId = functionId;
  request.operation = operation;
  request.valueType = valueType;
  request.indexType = indexType;
  return request;
}

ntr::FunctionResponse Response(std::int32_t result, std::int32_t valueType) {
  ntr::FunctionResponse response;
  response.result = result;
  response.valueType = valueType;
  return response;
}

std::vector<std::pair<std::string, Bytes>> Seeds() {
  std::vector<std::pair<std::string, Bytes>> seeds;
  auto add = [&](std::string name, Bytes bytes) {
    seeds.emplace_back(std::move(name), std::move(bytes));
  };

  add("00-discovery-request",
      Encode(Message(ntr::PduType::kDiscoveryRequest,
                     ntr::DiscoveryRequest{30, kAdapterMac, {kSwitchMac, kNeighbourMac}})));

  ntr::DiscoveryReply reply{0, kSwitchMac, 0x1A2B3C4D, "SW-CORE-01", "rack 2", {}};
  reply.neighbourMacs = {kNeighbourMac, {}, {}, kAdapterMac, {}, {}, {}, {}};
  const Bytes replyBytes = Encode(Message(ntr::PduType::kDiscoveryReply, reply, true));
  add("01-discovery-reply", replyBytes);

  add("02-firm-prepare", Encode(Message(ntr::PduType::kFirmPrepare, ntr::EmptyBody{})));
  add("03-firm-prepare-answer",
      Encode(Message(ntr::PduType::kFirmPrepareAnswer, ntr::ResultBody{0}, true)));
  ntr::FirmwareBlock block{7, {}};
  for (int i = 0; i < 64; ++i) block.data.push_back(static_cast<std::uint8_t>(i * 37));
  add("04-firm-block", Encode(Message(ntr::PduType::kFirmBlock, block)));
  add("05-firm-block-answer",
      Encode(Message(ntr::PduType::kFirmBlockAnswer, ntr::ResultBody{3}, true)));
  add("06-firm-abort", Encode(Message(ntr::PduType::kFirmAbort, ntr::EmptyBody{})));
  add("07-firm-abort-answer",
      Encode(Message(ntr::PduType::kFirmAbortAnswer, ntr::ResultBody{0}, true)));

  // Function requests: one per index type of the catalogue, and an execute.
  auto request = Request(0x0106, ntr::kOpSet, ntr::kValueOctets, ntr::kIndexNone);
  request.octets = "office-sw";
  add("08-func-request-index0-set-octets", Encode(Message(ntr::PduType::kFuncRequest, request)));
  request = Request(0x0201, ntr::kOpSet, ntr::kValueInteger, ntr::kIndexPort);
  request.intValue = 100;
  request.firstIndex = 3;
  add("08-func-request-index1-set-integer", Encode(Message(ntr::PduType::kFuncRequest, request)));
  request = Request(0x0303, ntr::kOpGet, ntr::kValueNone, ntr::kIndexMac);
  request.indexMac = kNeighbourMac;
  add("08-func-request-index2-get", Encode(Message(ntr::PduType::kFuncRequest, request)));
  request = Request(0x0401, ntr::kOpSet, ntr::kValueInteger, ntr::kIndexRegistration);
  request.intValue = 4094;
  request.firstIndex = 2;
  add("08-func-request-index4-set", Encode(Message(ntr::PduType::kFuncRequest, request)));
  request = Request(0x0406, ntr::kOpGet, ntr::kValueNone, ntr::kIndexPortGroup);
  request.firstIndex = 5;
  request.secondIndex = 2;
  add("08-func-request-index6-get", Encode(Message(ntr::PduType::kFuncRequest, request)));
  request = Request(0x0703, ntr::kOpGet, ntr::kValueNone, ntr::kIndexPortCounter);
  request.firstIndex = 1;
  request.secondIndex = 3;
  add("08-func-request-index7-get", Encode(Message(ntr::PduType::kFuncRequest, request)));
  request = Request(0x0404, ntr::kOpSetDefault, ntr::kValueNone, ntr::kIndexPortRegistration);
  request.firstIndex = 2;
  request.secondIndex = 4;
  add("08-func-request-index8-set-default", Encode(Message(ntr::PduType::kFuncRequest, request)));
  const Bytes executeBytes =
      Encode(Message(ntr::PduType::kFuncRequest,
                     Request(0x010B, ntr::kOpExecute, ntr::kValueNone, ntr::kIndexNone)));
  add("08-func-request-execute-null", executeBytes);

  // Function responses with each value type; the last one carries a
  // negative transaction ID (a nine-byte INTEGER) and a result out of range.
  auto response = Response(0, ntr::kValueInteger);
  response.intValue = 1000;
  add("09-func-response-integer", Encode(Message(ntr::PduType::kFuncResponse, response, true)));
  response = Response(0, ntr::kValueOctets);
  response.octets = "1.02.03";
  add("09-func-response-octets", Encode(Message(ntr::PduType::kFuncResponse, response, true)));
  auto nullResponse =
      Message(ntr::PduType::kFuncResponse, Response(ntr::kResultOther, ntr::kValueNone), true);
  nullResponse.transactionId = -2;
  add("09-func-response-null", Encode(nullResponse));

  add("10-fingerprint-query", Encode(Message(ntr::PduType::kFingerprintQuery, ntr::EmptyBody{})));
  add("11-fingerprint-answer", Encode(Message(ntr::PduType::kFingerprintAnswer,
                                              ntr::FingerprintAnswerBody{0, 0x1A2B3C4D}, true)));
  add("12-config-sync", Encode(Message(ntr::PduType::kConfigSync, ntr::EmptyBody{})));
  add("13-config-sync-answer",
      Encode(Message(ntr::PduType::kConfigSyncAnswer, ntr::ResultBody{1}, true)));
  add("14-reserved", Encode(Message(ntr::PduType::kReserved14, ntr::EmptyBody{})));
  add("20-notice-port-speed",
      Encode(Message(ntr::PduType::kNoticePortSpeed, ntr::TwoIntegersBody{4, 1000}, true)));
  add("21-notice-link-down",
      Encode(Message(ntr::PduType::kNoticeLinkDown, ntr::OneIntegerBody{4}, true)));
  add("22-notice-fan", Encode(Message(ntr::PduType::kNoticeFan, ntr::EmptyBody{}, true)));
  add("23-notice-loop", Encode(Message(ntr::PduType::kNoticeLoop, ntr::OneIntegerBody{7}, true)));
  add("25-notice-two-integers",
      Encode(Message(ntr::PduType::kNotice25, ntr::TwoIntegersBody{1, 2}, true)));
  add("26-notice-one-integer",
      Encode(Message(ntr::PduType::kNotice26, ntr::OneIntegerBody{1}, true)));

  // Cut-off, malformed and unusual messages.
  add("bad-truncated-discovery-reply", Bytes(replyBytes.begin(), replyBytes.begin() + 58));
  // In the encoded execute request (header INTEGERs of one and two bytes),
  // the body identifier is at offset 27 and the function ID's high byte at 39.
  Bytes application15 = executeBytes;
  Expect(application15, 27, 0x60 + static_cast<int>(ntr::PduType::kFuncRequest));
  application15[27] = 0x60 + 15;  // no application 15
  add("bad-application-15", application15);
  Bytes unknownFunction = executeBytes;
  Expect(unknownFunction, 39, 0x01);
  unknownFunction[39] = 0x77;  // function ID 0x770B is not in the catalogue
  add("bad-unknown-function-id", unknownFunction);
  // A function response that decodes although nothing in it is in the
  // encoder's form: short-form lengths, an empty INTEGER, a ten-byte INTEGER,
  // MAC fields of two and zero bytes, no padding.
  add("noncanonical-func-response",
      Bytes{0x30, 0x21, 0x02, 0x00, 0x02, 0x0A, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06,
            0x07, 0x08, 0x09, 0x0A, 0x04, 0x02, 0x02, 0x5C, 0x04, 0x00, 0x69, 0x0B,
            0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x04, 0x03, 0x61, 0x62, 0x63});
  // A primitive body identifier and an indefinite length form.
  add("bad-primitive-body",
      Bytes{0x30, 0x80, 0x02, 0x01, 0x00, 0x02, 0x01, 0x01, 0x04, 0x00, 0x04, 0x00, 0x4A, 0x00});
  return seeds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder(argv[1]);
  std::filesystem::create_directories(folder);
  const auto seeds = Seeds();
  for (const auto& [name, bytes] : seeds) {
    std::ofstream file(folder / (name + ".bin"), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file) {
      std::fprintf(stderr, "make_seeds: cannot write %s\n", name.c_str());
      return 1;
    }
  }
  std::printf("%zu seeds written to %s\n", seeds.size(), folder.c_str());
  return 0;
}
