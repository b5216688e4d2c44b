// Error codes, the error pair every failing object holds, and the message table.
#pragma once

#include <string>
#include <string_view>

namespace ntr {

// Every failure of the system has one of these numbers. Codes 12 to 20 are the
// refusals a switch reports in the result of a response.
enum ErrorCode : int {
  kErrNone = 0,
  kErrNoMemory = 1,
  kErrUnknownModel = 2,
  kErrBaseInfoSave = 3,
  kErrScreenCreate = 4,
  kErrReceiveThreadCreate = 5,
  kErrFileOpen = 6,
  kErrConfigSyntax = 7,
  kErrSendInterrupted = 8,
  kErrNoResponse = 9,
  kErrBadResponseValue = 10,
  kErrOutOfRange = 11,
  kErrSwitchBusy = 12,
  kErrSwitchPending = 13,
  kErrMagicMismatch = 14,
  kErrChecksumMismatch = 15,
  kErrFlashWrite = 16,
  kErrNoSuchFunction = 17,
  kErrAccessDenied = 18,
  kErrBadParameter = 19,
  kErrFatal = 20,
  kErrStatusPollCreate = 21,
  kErrFirmwareUpdating = 22,
  kErrConfigSyncRunning = 23,
  kErrWindowClosed = 24,
  kErrFunctionInfo = 25,
  kErrPortNumber = 26,
  kErrCounterNumber = 27,
  kErrRegistrationNumber = 28,
  kErrSpeedValue = 29,
  kErrSpeedValueRemoved = 30,
  kErrRxIdentifierClass = 31,
  kErrRxIdentifierPc = 32,
  kErrRxIdentifierTag = 33,
  kErrRxApplication = 34,
  kErrRxLength = 35,
  kErrRxFunctionId = 36,
  kErrBufferExhausted = 37,
  kErrApplicationNumber = 38,
  kErrValueType = 39,
  kErrIndexType = 40,
  kErrNoNetwork = 41,
  kErrDeviceChoiceCancelled = 42,
  kErrDeviceIndexRange = 43,
  kErrNoDeviceSelected = 44,
  kErrDeviceSearch = 45,
  kErrAdapterSearch = 46,
  kErrDeviceOpen = 47,
  kErrDeviceNotOpen = 48,
  kErrSend = 49,
  kErrCaptureThreadCreate = 50,
  kErrNoCaptureThread = 51,
  kErrSettingsThreadCreate = 52,
};

inline constexpr int kFirstErrorCode = kErrNoMemory;
inline constexpr int kLastErrorCode = kErrSettingsThreadCreate;

// The last failure of an object: a code (0 for none) and a detail text that
// fills the message's placeholder. Nothing clears it on success.
struct ErrorPair {
  ErrorCode code = kErrNone;
  std::string detail;

  // Records a failure and returns false, so that a failing operation can
  // `return error.Fail(kErrX);`.
  bool Fail(ErrorCode failureCode, std::string failureDetail = {}) {
    code = failureCode;
    detail = std::move(failureDetail);
    return false;
  }
  // Passes a callee's failure on to this object; returns false.
  bool Take(const ErrorPair& other) {
    code = other.code;
    detail = other.detail;
    return false;
  }
  void Clear() {
    code = kErrNone;
    detail.clear();
  }
  bool failed() const { return code != kErrNone; }
};

// The operator's message for a code, with the detail in its placeholder.
// Codes outside 1..52 give the "unknown error code" message with the number.
std::string FormatErrorMessage(int code, std::string_view detail = {});
inline std::string FormatErrorMessage(const ErrorPair& error) {
  return FormatErrorMessage(error.code, error.detail);
}

}  // namespace ntr
