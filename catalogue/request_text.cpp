#include "catalogue/request_text.h"

#include <cstdio>

#include "catalogue/function_descriptors.h"
#include "catalogue/l2_switch_node.h"
#include "catalogue/qos_speed.h"
#include "protocol/error_log.h"
#include "protocol/text_encoding.h"

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

std::string IndexText(const FUNCREQUEST& request) {
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

std::string ValueText(const FUNCREQUEST& request) {
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

std::string ArgumentText(const FUNCREQUEST& request, std::string_view keyword) {
  if (request.operation == kOpSet && request.valueType == kValueInteger) {
    if (const auto word = ValueWord(keyword, request.intValue)) {
      const FunctionDescriptor* function = FindFunctionByKeyword(keyword);
      if (function != nullptr && function->Has(kRequestWordAlone)) return *word;
      return IndexText(request) + " " + *word;
    }
  }
  return Trimmed(IndexText(request) + " " + ValueText(request));
}

std::string CommandText(const FUNCREQUEST& request, std::string_view keyword) {
  return "switch control function " + OperationWord(request.operation) + " " +
         std::string(keyword) + " " + ArgumentText(request, keyword);
}

namespace {

// Puts the record's field of a refused set back to its default.
void RestoreDefault(tag_SWITCHDATA& record, const FunctionDescriptor& function,
                    const FUNCREQUEST& request) {
  const int first = request.firstIndex - 1;
  const int second = request.secondIndex - 1;
  if (function.value == ValueKind::kText) {
    record.*function.text = record.DefaultSystemName();
    return;
  }
  if (function.field == nullptr) return;
  // The request named an index the record does not hold.
  if (!IndexesFitRecord(function, first, second)) return;
  if (function.selection != nullptr) *function.selection(record, first) = kDefaultQosSelection;
  if (const auto value = DefaultValueOf(function, record, first, second)) {
    *function.field(record, first, second) = *value;
  }
}

}  // namespace

bool ReportFailedRequest(L2SWITCHNODE& node, const ErrorPair& error) {
  tag_SWITCHDATA& record = node.record();
  if (record.switchState != kStateBulk) return true;
  const FUNCREQUEST request = node.transactor().LastRequest();
  const bool refused = error.code >= kErrSwitchBusy && error.code <= kErrFatal;
  std::string command;
  bool logged = false;
  if (error.code == kErrFunctionInfo) {
    command = error.detail;
  } else if (const FunctionDescriptor* entry = FindFunctionById(request.functionId); entry == nullptr) {
    char text[32];
    std::snprintf(text, sizeof text, "不明(%04x)", request.functionId);
    command = text;
  } else {
    const std::string keyword(entry->keyword);
    // The fan speed has no text form of its own.
    command = entry->index == IndexKind::kFan
                  ? "switch control function " + OperationWord(request.operation) + " " +
                        keyword + " 不明なコマンド(" + keyword + ")"
                  : CommandText(request, keyword);
    logged = refused;
    if (refused && (request.operation == kOpSet || request.operation == kOpSetDefault)) {
      RestoreDefault(record, *entry, request);
    }
  }
  const std::string message = FormatErrorMessage(error);
  bool written = false;
  if (logged) {
    record.AddFailure(command);
    written = AppendErrorLog(record.macText.get(), command, message);
  }
  node.lastCommandText = command;
  node.lastMessageText = message;
  return written;
}

}  // namespace ntr
