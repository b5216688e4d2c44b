#include "sim/request_log.h"

#include "base/text_encoding.h"
#include "catalogue/function_descriptors.h"
#include "sim/sim_functions.h"

namespace ntr::sim {
namespace {

const char* OperationWord(std::int32_t operation) {
  switch (operation) {
    case kOpSet:
      return "set";
    case kOpSetDefault:
      return "set-default";
    case kOpGet:
      return "get";
    case kOpExecute:
      return "execute";
    default:
      return "unknown";
  }
}

// Texts are built by appending: GCC 12 warns falsely (-Wrestrict) about
// "literal" + std::string in optimised builds.
std::string IndexText(const FunctionRequest& q) {
  std::string text;
  switch (q.indexType) {
    case kIndexNone:
      return text;
    case kIndexMac:
      return text.append(" ").append(FormatSwitchMac(q.indexMac));
    case kIndexPort:
    case kIndexInteger3:
    case kIndexRegistration:
      return text.append(" ").append(std::to_string(q.firstIndex));
    default:
      return text.append(" ")
          .append(std::to_string(q.firstIndex))
          .append(" ")
          .append(std::to_string(q.secondIndex));
  }
}

// A value as a number, a MAC (six octets of an address function) or quoted text.
std::string ValueText(std::uint16_t functionId, std::int32_t valueType, std::int64_t number,
                      const std::string& octets) {
  if (valueType == kValueInteger) return std::to_string(number);
  if (valueType != kValueOctets) return "none";
  const std::optional<Function> function = FunctionOf(functionId);
  const bool address =
      function == Function::kSystemMacAddress || function == Function::kStatusMacTablePort;
  if (address && octets.size() == 6) {
    MacAddress mac{};
    for (std::size_t i = 0; i < mac.size(); ++i) mac[i] = static_cast<std::uint8_t>(octets[i]);
    return FormatSwitchMac(mac);
  }
  return std::string("\"").append(Cp932ToUtf8Lossy(octets)).append("\"");
}

std::string RequestText(const RequestLogEntry& e) {
  switch (e.application) {
    case PduType::kDiscoveryRequest:
      return "discovery";
    case PduType::kFirmPrepare:
      return "firmware-prepare";
    case PduType::kFirmAbort:
      return "firmware-abort";
    case PduType::kFingerprintQuery:
      return "fingerprint";
    case PduType::kConfigSync:
      return "sync";
    case PduType::kFirmBlock:
      return "firmware-block " + std::to_string(e.blockNumber) +
             " len=" + std::to_string(e.blockLength);
    case PduType::kFuncRequest: {
      const FunctionDescriptor* entry = FindFunctionById(e.function.functionId);
      std::string keyword(entry != nullptr ? entry->keyword : "unknown");
      while (!keyword.empty() && keyword.back() == ' ') keyword.pop_back();
      std::string text = std::string("function ") + OperationWord(e.function.operation) + " " +
                         keyword + IndexText(e.function);
      if (e.function.valueType != kValueNone) {
        text += " value=" + ValueText(e.function.functionId, e.function.valueType,
                                      e.function.intValue, e.function.octets);
      }
      return text;
    }
    default:
      return "application-" + std::to_string(static_cast<std::int32_t>(e.application));
  }
}

}  // namespace

std::string RequestLogEntry::Format() const {
  std::string line = std::to_string(sequence) + " " + switchName + " " +
                     FormatSwitchMac(switchMac) + " tid=" + std::to_string(transactionId) + " " +
                     RequestText(*this) + " -> ";
  switch (outcome) {
    case Outcome::kSilent:
      return line + "silent";
    case Outcome::kLost:
      return line + "lost";
    case Outcome::kAnswered:
      break;
  }
  line += std::to_string(result);
  if (application == PduType::kFuncRequest && answer.valueType != kValueNone) {
    line += " answer=" +
            ValueText(function.functionId, answer.valueType, answer.intValue, answer.octets);
  }
  if (fingerprint) line += " fingerprint=" + std::to_string(*fingerprint);
  if (answerLost) line += " answer-lost";
  if (repeated) line += " repeat";
  return line;
}

void RequestLog::Add(RequestLogEntry entry) {
  entry.sequence = next_++;
  if (sink_) sink_(entry);
  entries_.push_back(std::move(entry));
  if (entries_.size() > kKept) entries_.pop_front();
}

}  // namespace ntr::sim
