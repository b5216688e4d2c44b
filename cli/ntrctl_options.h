// ntrctl's command line: options, the command and its arguments.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/mac_address.h"

namespace ntr::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitQuestion = 3;
inline constexpr int kExitAnotherCopy = 4;
inline constexpr int kExitNotFound = 5;
// The switch left management while the command worked on it (its link went
// down, it stopped answering, it restarted).
inline constexpr int kExitSwitchLost = 6;

// The answer to one adoption question: for one switch by its MAC, or for
// every switch without one of its own.
struct AdoptionAnswer {
  std::optional<bool> all;
  std::map<MacAddress, bool> bySwitch;

  std::optional<bool> For(const MacAddress& mac) const {
    if (const auto own = bySwitch.find(mac); own != bySwitch.end()) return own->second;
    return all;
  }
};

// How long firmware waits for the switch's restart without --timeout.
inline constexpr int kRestartWaitSeconds = 120;

struct Options {
  std::string adapter;  // --adapter IF
  bool json = false;    // --json
  int timeoutSeconds = 20;
  bool timeoutGiven = false;  // --timeout was given (firmware: the restart wait too)
  // Answers to the adoption questions: true for the first button.
  AdoptionAnswer newDevice;             // --new [MAC=]factory|device
  AdoptionAnswer settingsChanged;       // --changed [MAC=]tool|device
  AdoptionAnswer factoryState;          // --factory [MAC=]yes|no
  bool all = false;                     // --all (show: defaults too)
  bool raw = false;                     // --raw (get: a status's code, not its words)
  bool quiet = false;                   // -q, --quiet (only errors)
  bool verbose = false;                 // -v, --verbose (every request and answer)
  bool dryRun = false;                  // --dry-run (apply: print the plan, send nothing)
  std::string file;                     // --file FILE (diff: against a file)
  bool noWait = false;                  // --no-wait (firmware: end as the transfer ends)
  bool once = false;                    // --once (watch: the current state as events, then end)
  bool dot = false;                     // --dot (topology: Graphviz)
  std::optional<int> temperatureLimit;  // --temperature-limit CELSIUS (watch)
  int intervalSeconds = 10;             // --interval SECONDS (watch: the status poll period)
  bool intervalGiven = false;
  std::string metrics;         // --metrics [ADDRESS:]PORT (watch: serve Prometheus metrics)
  bool metricsPublic = false;  // --metrics-public (watch: --metrics may use a non-loopback address)
  bool help = false;           // --help
  bool version = false;        // --version
  std::string command;
  std::vector<std::string> arguments;
};

// The commands that run the core as a read-only monitor (watch, topology).
inline bool MonitorCommand(const std::string& command) {
  return command == "watch" || command == "topology";
}

// Parses argv; false with the reason in `error`. Options may stand anywhere on
// the line, as "--name value" or "--name=value"; the first other word is the
// command, the rest its arguments; after "--" every word is an argument.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);

extern const char* const kUsage;
// The line after a usage error.
inline constexpr char kUsageHint[] = "Try 'ntrctl --help'.";

}  // namespace ntr::cli
