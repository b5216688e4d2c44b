// The error log: requests that a switch or the configuration text file could
// not carry out, appended to "error_log.txt" in the data folder.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

namespace ntr {

// The data folder followed by "error_log.txt"; empty without a data folder.
std::filesystem::path ErrorLogPath();

// One record as UTF-8 text with "\n" line ends: the time, the switch, the
// command and the reason, then an empty line.
std::string FormatErrorLogRecord(const std::tm& localTime, std::string_view switchText,
                                 std::string_view commandText, std::string_view reasonText);

// Past this size the log is moved to "error_log.txt.1" before a record is
// appended, replacing an older one there.
inline constexpr std::uintmax_t kErrorLogLimit = 4 * 1024 * 1024;

// Appends one record stamped with the local time now, in code page 932 with
// CR LF, creating the folder and the file on first use. Records from several
// threads never interleave. Returns false (and loses the record) when the
// data folder is refused (see MakeDataFolder) or the file cannot be opened
// (see OpenOwnFile) or written.
bool AppendErrorLog(std::string_view switchText, std::string_view commandText,
                    std::string_view reasonText);

// Appends `bytes` to `path` in one write under an exclusive file lock (other
// processes' writers wait); when the file would grow past `limit`, it is
// first renamed to `path` + ".1". False when it cannot be written.
bool AppendCappedLog(const std::filesystem::path& path, std::string_view bytes,
                     std::uintmax_t limit);

}  // namespace ntr
