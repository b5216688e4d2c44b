// Reading a configuration text file back into configuration data.
//
// The common lines of a file (watch values, VLAN names, packet logs) always
// act on the application's own data; the switch blocks go to the target,
// which is the application's data only at start-up. With a filter record,
// only the block of the filter's switch is read, onto a copy of the filter.
// Every rejected line goes to the error log and, inside a block, to the
// block's failure list; reading goes on after it. "#log clear" deletes the
// packet logs only on a reading without a filter.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/error_log.h"
#include "config/config_store.h"

namespace ntr {

enum class ReadMode {
  kNormal,
  // Imports are stricter: a setting line outside any block is rejected, and
  // a block is kept only with a known model and a serial number.
  kImport,
};

using ErrorLogWriter = bool (*)(std::string_view switchText, std::string_view commandText,
                                std::string_view reasonText);

// What the common lines of a file act on.
struct ConfigHost {
  ConfigStore& config;                // the application's data
  PacketLogSwitches* logs = nullptr;  // the endpoint's packet logs, if any
  ErrorLogWriter appendErrorLog = &AppendErrorLog;
};

// What a read with a filter found of the filter's own block: whether the file
// has one, and its rejected lines with their 1-based line numbers.
struct FilterBlockReport {
  struct Rejected {
    int lineNumber = 0;
    std::string text;
    std::string reason;
  };
  bool found = false;
  std::vector<Rejected> rejected;
};

struct ReadOptions {
  const SwitchRecord* filter = nullptr;
  int portCount = kMaxPorts;        // of every block; bounds port numbers
  int counterCount = kMaxCounters;  // bounds counter numbers
  bool strict = false;              // any rejected line makes the result false
  ReadMode mode = ReadMode::kNormal;
  // When given, receives the VLAN IDs that the file's VLAN lines name.
  std::vector<std::int32_t>* namedVlanIds = nullptr;
  // When given with a filter, receives what was found of the filter's block.
  FilterBlockReport* filterReport = nullptr;
};

// Resets `target`, reads the file at `path` and returns true, or false with
// code 6 and "PATH: reason" when the file cannot be opened, and false (the
// error pair untouched) when strict and a line was rejected.
bool ReadConfigText(ConfigHost& host, ConfigStore& target, const std::filesystem::path& path,
                    const ReadOptions& options, ErrorPair& error);

// The same for file content already in memory (code page 932, any line ends).
bool ReadConfigBytes(ConfigHost& host, ConfigStore& target, std::string_view bytes,
                     const ReadOptions& options);

}  // namespace ntr
