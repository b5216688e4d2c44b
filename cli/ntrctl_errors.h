// How a run of ntrctl tells its failures: "ntrctl: TEXT" on standard error;
// with --json also, when the run ends with a failure status, one object
// {"error":{"code":STATUS,"message":TEXT}} on standard output, so that a
// script reading the output sees the failure and its reason.
#pragma once

#include <string>
#include <string_view>

#include "app/switch_service.h"

namespace ntr::cli {

// Whether the run answers in JSON (--json); before anything is reported.
void SetJsonErrors(bool json);
// Prints "ntrctl: TEXT" on standard error and keeps TEXT for the JSON error.
void ReportError(std::string_view text);
// Keeps TEXT for the JSON error without printing it (printed otherwise).
void KeepError(std::string_view text);
// A line that explains the error before it (a rejected line, a failed
// setting): "  LINE" on standard error, kept as well.
void ReportErrorDetail(std::string_view line);
// The run ends with `status`: with --json, a failure status after a reported
// error prints the error object (once). Returns `status`.
int EndRun(int status);

// A failure's text: the message, and for code 6 its detail (the file and
// the reason) after it, as export prints it.
std::string ErrorText(const ErrorPair& error);
std::string ErrorText(const ServiceResult& result);

// The error object of a JSON run (message: the reported texts, one a line).
std::string JsonErrorObject(int status, std::string_view message);

}  // namespace ntr::cli
