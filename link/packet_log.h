// Packet logs: one text line per frame sent or accepted, with a time stamp
// and the frame in hexadecimal, appended to a file next to the executable.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

namespace ntr {

inline constexpr char kSendLogName[] = "NTR_SendLog.txt";
inline constexpr char kRecvLogName[] = "NTR_RecvLog.txt";

// "YY/MM/DD hh:mm:ss(tick) " then destination, source and EtherType in hex,
// each followed by a blank; a field is written only after the one before it
// and only when the frame still holds all of its bytes, and whatever is left
// is payload hex. Then CR LF. Upper-case digits, two per byte; the tick is
// unsigned.
std::string FormatPacketLogLine(std::span<const std::uint8_t> frame, const std::tm& localTime,
                                std::uint32_t tick);

// Milliseconds since the system started (suspended time included), modulo 2^32.
std::uint32_t TickCount();

// The folder of the running executable, ending in '/'; empty if unknown.
std::filesystem::path ExecutableFolder();

// The two logs of one link endpoint. Lines are written whole, one at a time
// (the log lock), each by opening the file in append mode and closing it again.
class PacketLog {
 public:
  PacketLog() : folder_(ExecutableFolder()) {}

  // Where the files go; the executable's folder unless changed.
  void SetFolder(std::filesystem::path folder);
  std::filesystem::path folder() const;

  // Appends the line for `frame` to `fileName` in the folder. A file that
  // cannot be opened (a link, another user's file: see OpenOwnFile) or
  // written loses the line silently.
  void Write(std::string_view fileName, std::span<const std::uint8_t> frame);

 private:
  mutable std::mutex mutex_;  // the log lock
  std::filesystem::path folder_;
};

}  // namespace ntr
