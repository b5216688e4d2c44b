#include "sim/fault_settings.h"

#include <algorithm>

#include "codec/byte_reader.h"

namespace ntr::sim {

std::optional<std::int32_t> FaultSettings::TakeRefusal(std::string_view keyword, bool function) {
  for (auto it = refusals.begin(); it != refusals.end(); ++it) {
    if (it->keyword != keyword && !(it->keyword == "*" && function)) continue;
    const std::int32_t result = it->result;
    if (it->remaining > 0 && --it->remaining == 0) refusals.erase(it);
    return result;
  }
  return std::nullopt;
}

bool FaultSettings::TakeOne(int& count) {
  if (count == 0) return false;
  if (count > 0) --count;
  return true;
}

Pdu WithWrongApplication(const Pdu& answer) {
  Pdu wrong = answer;
  std::int32_t result = 0;
  if (const auto* response = std::get_if<FunctionResponse>(&answer.body)) result = response->result;
  if (const auto* body = std::get_if<ResultBody>(&answer.body)) result = body->result;
  if (const auto* body = std::get_if<FingerprintAnswerBody>(&answer.body)) result = body->result;
  if (answer.application == PduType::kFuncResponse) {
    wrong.application = PduType::kFirmPrepareAnswer;
    wrong.body = ResultBody{result};
  } else if (answer.application == PduType::kDiscoveryReply) {
    const auto& reply = std::get<DiscoveryReply>(answer.body);
    wrong.application = PduType::kFingerprintAnswer;
    wrong.body = FingerprintAnswerBody{reply.result, reply.fingerprint};
  } else {
    wrong.application = PduType::kFuncResponse;
    wrong.body = FunctionResponse{result, 0, kValueNone, 0, {}};
  }
  return wrong;
}

void Malform(std::vector<std::uint8_t>& bytes, int turn) {
  // Find the body's identifier: after the SEQUENCE header, two INTEGERs and
  // two OCTET STRINGs, each an identifier, a one-byte length and contents.
  ByteReader reader(bytes);
  bool found = reader.Skip(4);
  for (int element = 0; found && element < 4; ++element) {
    std::uint8_t identifier = 0, length = 0;
    found = reader.ReadByte(identifier) && reader.ReadByte(length) && reader.Skip(length);
  }
  const std::size_t body = reader.position();
  if (!found || reader.empty()) {
    bytes.resize(bytes.size() / 2);
    return;
  }
  switch (turn % 3) {
    case 0:
      bytes.resize(std::min(bytes.size(), body + 3));  // the body's length octets cut off
      break;
    case 1:
      bytes[0] = 0x31;  // SET instead of SEQUENCE
      break;
    default:
      bytes[body] = 0x6F;  // [APPLICATION 15]
      break;
  }
}

}  // namespace ntr::sim
