#include "catalogue/request_text.h"

#include <cstdio>

#include "base/error_log.h"
#include "base/text_encoding.h"
#include "catalogue/function_descriptors.h"
#include "catalogue/qos_speed.h"

namespace ntr {
namespace {

std::string Trimmed(std::string text) {
  const auto begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  const auto end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}

std::string Unknown(std::int32_t value) { return "不明(" + std::to_string(value) + ")"; }

}  // namespace

std::string OperationWord(std::int32_t operation) {
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
      return "不明";
  }
}

std::string_view RxCounterTypeName(std::int32_t type) {
  return kRxCounterTypeWords.WordOf(type).value_or("");
}

std::string_view TxCounterTypeName(std::int32_t type) {
  return kTxCounterTypeWords.WordOf(type).value_or("");
}

std::optional<std::string> ValueWord(std::string_view keyword, std::int64_t value) {
  const FunctionDescriptor* function = FindFunctionByKeyword(keyword);
  if (function == nullptr || function->requestWords == nullptr) return std::nullopt;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  // The text form spells only the codes its words name, two-state or not.
  const auto code = static_cast<std::int32_t>(value);
  for (const WordCode& entry : function->requestWords->words) {
    if (entry.code == code) return std::string(entry.word);
  }
  return std::nullopt;
}

std::string IndexText(const FunctionRequest& request) {
  switch (request.indexType) {
    case kIndexNone:
      return "";
    case kIndexPort:
    case kIndexInteger3:
    case kIndexRegistration:
      return std::to_string(request.firstIndex);
    case kIndexMac:
      return FormatSwitchMac(request.indexMac);
    case kIndexPair5:
    case kIndexPortGroup:
    case kIndexPortCounter:
    case kIndexPortRegistration:
      return std::to_string(request.firstIndex) + " " + std::to_string(request.secondIndex);
    default:
      return Unknown(request.indexType);
  }
}

std::string ValueText(const FunctionRequest& request) {
  switch (request.valueType) {
    case kValueInteger:
      // The text form prints the value as a 32-bit number.
      return std::to_string(static_cast<std::int32_t>(request.intValue));
    case kValueOctets:
      return Cp932ToUtf8Lossy(request.octets);
    case kValueNone:
      return "";
    default:
      return Unknown(request.valueType);
  }
}

std::string ArgumentText(const FunctionRequest& request, std::string_view keyword) {
  if (request.operation == kOpSet && request.valueType == kValueInteger) {
    if (const auto word = ValueWord(keyword, request.intValue)) {
      const FunctionDescriptor* function = FindFunctionByKeyword(keyword);
      if (function != nullptr && function->Has(kRequestWordAlone)) return *word;
      return IndexText(request) + " " + *word;
    }
  }
  return Trimmed(IndexText(request) + " " + ValueText(request));
}

std::string CommandText(const FunctionRequest& request, std::string_view keyword) {
  return "switch control function " + OperationWord(request.operation) + " " +
         std::string(keyword) + " " + ArgumentText(request, keyword);
}

}  // namespace ntr
