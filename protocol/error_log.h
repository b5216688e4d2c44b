// The error log: requests that a switch or the configuration text file could
// not carry out, appended to "error_log.txt" in the data folder.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

namespace ntr {

// The data folder followed by "error_log.txt".
std::filesystem::path ErrorLogPath();

// One record as UTF-8 text with "\n" line ends: the time, the switch, the
// command and the reason, then an empty line.
std::string FormatErrorLogRecord(const std::tm& localTime, std::string_view switchText,
                                 std::string_view commandText, std::string_view reasonText);

// Appends one record stamped with the local time now, in code page 932 with
// CR LF, creating the folder and the file on first use. Records from several
// threads never interleave. Returns false (and loses the record) when the
// file cannot be opened or written.
bool AppendErrorLog(std::string_view switchText, std::string_view commandText,
                    std::string_view reasonText);

}  // namespace ntr
