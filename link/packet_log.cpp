#include "link/packet_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "base/own_file.h"
#include "base/write_all.h"
#include "codec/byte_reader.h"

namespace ntr {
namespace {

void AppendHex(std::string& line, std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (std::uint8_t b : bytes) {
    line.push_back(kDigits[b >> 4]);
    line.push_back(kDigits[b & 0x0F]);
  }
}

// Writes the next `count` bytes of the frame and a blank, if they are there.
bool AppendField(std::string& line, ByteReader& reader, std::size_t count) {
  std::span<const std::uint8_t> field;
  if (!reader.ReadBytes(count, field)) return false;
  AppendHex(line, field);
  line.push_back(' ');
  return true;
}

}  // namespace

std::string FormatPacketLogLine(std::span<const std::uint8_t> frame, const std::tm& localTime,
                                std::uint32_t tick) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%02d/%02d/%02d %02d:%02d:%02d(%u) ",
                (localTime.tm_year + 1900) % 100, localTime.tm_mon + 1, localTime.tm_mday,
                localTime.tm_hour, localTime.tm_min, localTime.tm_sec, tick);
  std::string line(stamp);
  line.reserve(line.size() + frame.size() * 2 + 5);
  ByteReader reader(frame);
  // Each header field only follows the one before it; whatever is too short
  // to be the next field is payload.
  AppendField(line, reader, 6) && AppendField(line, reader, 6) && AppendField(line, reader, 2);
  std::span<const std::uint8_t> payload;
  reader.ReadBytes(reader.remaining(), payload);
  AppendHex(line, payload);
  line += "\r\n";
  return line;
}

std::uint32_t TickCount() {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                  static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);
}

std::filesystem::path ExecutableFolder() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return executable.parent_path() / "";
}

void PacketLog::SetFolder(std::filesystem::path folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  folder_ = std::move(folder);
}

std::filesystem::path PacketLog::folder() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return folder_;
}

void PacketLog::Write(std::string_view fileName, std::span<const std::uint8_t> frame) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string line = FormatPacketLogLine(frame, local, TickCount());

  std::lock_guard<std::mutex> lock(mutex_);
  const std::filesystem::path path = folder_ / fileName;
  const int fd = OpenOwnFile(path, O_WRONLY | O_CREAT | O_APPEND);
  if (fd < 0) return;
  WriteAll(fd, line);
  ::close(fd);
}

}  // namespace ntr
