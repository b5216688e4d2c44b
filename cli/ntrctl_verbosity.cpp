#include "cli/ntrctl_verbosity.h"

#include <algorithm>
#include <cstdio>

#include "base/text_encoding.h"
#include "catalogue/function_descriptors.h"
#include "catalogue/request_text.h"
#include "cli/ntrctl_words.h"

namespace ntr::cli {
namespace {

bool quiet = false;

// A value on the wire in the file's words (a text as UTF-8).
std::string ValueText(const FunctionDescriptor* function, std::int32_t valueType,
                      std::int64_t number, const std::string& octets) {
  if (valueType == kValueOctets) {
    // Text, or bytes such as the switch's own MAC address.
    const bool binary = std::any_of(octets.begin(), octets.end(),
                                    [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (!binary) return Cp932ToUtf8Lossy(octets);
    if (octets.size() == 6) {
      MacAddress mac{};
      std::copy(octets.begin(), octets.end(), mac.begin());
      return FormatSwitchMac(mac);
    }
    std::string hex = "0x";
    for (const char c : octets) {
      char pair[3];
      std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(c));
      hex += pair;
    }
    return hex;
  }
  if (valueType != kValueInteger) return "";
  if (function == nullptr) return std::to_string(number);
  std::optional<std::int32_t> stored = static_cast<std::int32_t>(number);
  if (function->fromWire != nullptr) stored = function->fromWire(number);
  return stored ? StoredValueText(*function, *stored) : std::to_string(number);
}

}  // namespace

void SetQuiet(bool on) { quiet = on; }
bool Quiet() { return quiet; }

std::string TraceLine(const FunctionTrace& trace) {
  const FunctionRequest& request = *trace.request;
  const FunctionDescriptor* function = FindFunctionById(request.functionId);
  char id[8];
  std::snprintf(id, sizeof id, "0x%04X", request.functionId);
  std::string line = std::string(trace.answered ? "< " : "> ") + FormatSwitchMac(trace.sw) +
                     " switch control function " + OperationWord(request.operation) + " " +
                     (function != nullptr ? std::string(function->keyword) : std::string(id));
  if (const std::string index = IndexText(request); !index.empty()) line += " " + index;
  // A set carries its value; a get's answer carries the value read.
  std::string value;
  if (request.operation == kOpSet) {
    value = ValueText(function, request.valueType, request.intValue, request.octets);
  } else if (trace.answered && trace.response != nullptr && request.operation == kOpGet) {
    value = ValueText(function, trace.response->valueType, trace.response->intValue,
                      trace.response->octets);
  }
  if (!value.empty()) line += " " + value;
  if (trace.error != nullptr) line += " (" + FormatErrorMessage(*trace.error) + ")";
  return line;
}

void TraceRequests(TransactionHub& hub) {
  hub.SetFunctionTraceHook(
      [](const FunctionTrace& trace) { std::fprintf(stderr, "%s\n", TraceLine(trace).c_str()); });
}

}  // namespace ntr::cli
