// A short demonstration of the management protocol's codec: it encodes a
// discovery request and a switch's reply to it, decodes both again and prints
// the bytes and the fields. It touches no network.
#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/function_catalogue.h"
#include "protocol/pdu_decoder.h"
#include "protocol/pdu_encoder.h"

namespace {

using namespace ntr;

void PrintBytes(const std::vector<std::uint8_t>& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i % 16 == 0) std::printf("  ");
    std::printf("%02X%c", bytes[i], (i + 1) % 16 == 0 || i + 1 == bytes.size() ? '\n' : ' ');
  }
}

bool Exchange(const char* title, const PDUDATA& pdu, PDUDATA& decoded) {
  std::vector<std::uint8_t> buffer(kEncodeBufferSize);
  std::size_t written = 0;
  ErrorPair error;
  if (!EncodePdu(error, buffer, pdu, written)) {
    std::printf("%s: encoding failed: %s\n", title, FormatErrorMessage(error).c_str());
    return false;
  }
  buffer.resize(written);
  std::printf("%s, %zu bytes:\n", title, written);
  PrintBytes(buffer);
  if (!DecodePdu(error, buffer, LookupFunctionTypes, decoded)) {
    std::printf("%s: decoding failed: %s\n", title, FormatErrorMessage(error).c_str());
    return false;
  }
  return true;
}

}  // namespace

int main() {
  const etherAddress adapter{0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
  const etherAddress switchMac{0x02, 0x5C, 0x71, 0x00, 0x00, 0x01};

  PDUDATA request;
  request.transactionId = 1;
  request.sourceMac = adapter;
  request.destinationMac = kSwitchGroupAddress;
  request.application = kAppDiscoveryRequest;
  request.body = DISCOVERYREQUEST{30, adapter, {}};

  PDUDATA decoded;
  if (!Exchange("discovery request", request, decoded)) return 1;
  const auto& query = std::get<DISCOVERYREQUEST>(decoded.body);
  std::printf("  transaction %d from %s, query %d, %zu listed switches\n\n", decoded.transactionId,
              FormatAdapterMac(decoded.sourceMac).c_str(), query.queryValue,
              query.listedMacs.size());

  PDUDATA reply;
  reply.transactionId = decoded.transactionId;
  reply.sourceMac = switchMac;
  reply.destinationMac = kToolGroupAddress;
  reply.application = kAppDiscoveryReply;
  DISCOVERYREPLY body;
  body.switchMac = switchMac;
  body.fingerprint = -1;
  body.neighbourMacs.assign(8, etherAddress{});
  body.neighbourMacs[0] = adapter;
  reply.body = body;

  if (!Exchange("discovery reply", reply, decoded)) return 1;
  const auto& answer = std::get<DISCOVERYREPLY>(decoded.body);
  std::printf("  switch %s answers transaction %d, fingerprint %d, %zu ports\n",
              FormatSwitchMac(answer.switchMac).c_str(), decoded.transactionId, answer.fingerprint,
              answer.neighbourMacs.size());
  for (std::size_t port = 0; port < answer.neighbourMacs.size(); ++port) {
    if (answer.neighbourMacs[port] != etherAddress{}) {
      std::printf("  port %zu: neighbour %s\n", port + 1,
                  FormatSwitchMac(answer.neighbourMacs[port]).c_str());
    }
  }
  return 0;
}
