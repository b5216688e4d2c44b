#include "cli/ntrctl_errors.h"

#include <cstdio>

#include "cli/ntrctl_words.h"

namespace ntr::cli {
namespace {

bool jsonErrors = false;
std::string reported;  // the texts reported so far, one a line
bool ended = false;

}  // namespace

void KeepError(std::string_view text) {
  if (!reported.empty()) reported += '\n';
  reported += text;
}

void SetJsonErrors(bool json) { jsonErrors = json; }

void ReportError(std::string_view text) {
  std::fprintf(stderr, "ntrctl: %.*s\n", static_cast<int>(text.size()), text.data());
  KeepError(text);
}

void ReportErrorDetail(std::string_view line) {
  std::fprintf(stderr, "  %.*s\n", static_cast<int>(line.size()), line.data());
  KeepError(line);
}

int EndRun(int status) {
  if (jsonErrors && status != 0 && !reported.empty() && !ended) {
    ended = true;
    std::printf("%s\n", JsonErrorObject(status, reported).c_str());
  }
  std::fflush(stdout);
  std::fflush(stderr);
  return status;
}

std::string ErrorText(const ErrorPair& error) {
  if (error.code == kErrFileOpen && !error.detail.empty()) {
    return FormatErrorMessage(error) + " (" + error.detail + ")";
  }
  return FormatErrorMessage(error);
}

std::string ErrorText(const ServiceResult& result) {
  return result.error.code != 0 ? ErrorText(result.error) : result.text;
}

std::string JsonErrorObject(int status, std::string_view message) {
  return "{\"error\":{\"code\":" + std::to_string(status) + ",\"message\":" + JsonString(message) +
         "}}";
}

}  // namespace ntr::cli
