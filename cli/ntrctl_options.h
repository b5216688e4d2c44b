// ntrctl's command line: options, the command and its arguments.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ntr::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitQuestion = 3;
inline constexpr int kExitAnotherCopy = 4;
inline constexpr int kExitNotFound = 5;

struct Options {
  std::string adapter;     // --adapter IF
  bool json = false;       // --json
  int timeoutSeconds = 20;
  // Answers to the adoption questions: true for the first button.
  std::optional<bool> newDevice;        // --new factory|device
  std::optional<bool> settingsChanged;  // --changed tool|device
  std::optional<bool> factoryState;     // --factory yes|no
  bool help = false;     // --help
  bool version = false;  // --version
  std::string command;
  std::vector<std::string> arguments;
};

// Parses argv; false with the reason in `error`. Options may stand anywhere on
// the line, as "--name value" or "--name=value"; the first other word is the
// command, the rest its arguments; after "--" every word is an argument.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);

extern const char* const kUsage;
// The line after a usage error.
inline constexpr char kUsageHint[] = "Try 'ntrctl --help'.";

}  // namespace ntr::cli
