#include "device/failed_request_report.h"

#include <cstdio>

#include "base/error_log.h"
#include "base/text_encoding.h"
#include "catalogue/function_descriptors.h"
#include "catalogue/qos_speed.h"
#include "catalogue/request_text.h"
#include "device/switch_client.h"

namespace ntr {

namespace {

// Puts the record's field of a refused set back to its default.
void RestoreDefault(SwitchRecord& record, const FunctionDescriptor& function,
                    const FunctionRequest& request) {
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

bool ReportFailedRequest(SwitchClient& node, const ErrorPair& error) {
  SwitchRecord& record = node.record();
  if (record.switchState != kStateBulk) return true;
  const FunctionRequest request = node.transactor().LastRequest();
  const bool refused = error.code >= kErrSwitchBusy && error.code <= kErrFatal;
  std::string command;
  bool logged = false;
  if (error.code == kErrFunctionInfo) {
    command = error.detail;
  } else if (const FunctionDescriptor* entry = FindFunctionById(request.functionId);
             entry == nullptr) {
    char text[32];
    std::snprintf(text, sizeof text, "不明(%04x)", request.functionId);
    command = text;
  } else {
    const std::string keyword(entry->keyword);
    // The fan speed has no text form of its own.
    command = entry->index == IndexKind::kFan
                  ? "switch control function " + OperationWord(request.operation) + " " + keyword +
                        " 不明なコマンド(" + keyword + ")"
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
