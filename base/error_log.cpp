#include "base/error_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>

#include "base/data_folder.h"
#include "base/own_file.h"
#include "base/text_encoding.h"
#include "base/write_all.h"

namespace ntr {
namespace {

// Serialises the writers of this process (a file lock serialises processes).
// Each record also goes out in one append-mode write, so a record is never
// split by another writer.
std::mutex& ErrorLogLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

std::filesystem::path ErrorLogPath() {
  const std::filesystem::path folder = DataFolder();
  return folder.empty() ? folder : folder / "error_log.txt";
}

std::string FormatErrorLogRecord(const std::tm& localTime, std::string_view switchText,
                                 std::string_view commandText, std::string_view reasonText) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%d/%02d/%02d %02d:%02d:%02d", localTime.tm_year + 1900,
                localTime.tm_mon + 1, localTime.tm_mday, localTime.tm_hour, localTime.tm_min,
                localTime.tm_sec);
  std::string record;
  record.append("実行日時: ").append(stamp).append("\n");
  record.append("スイッチ: ").append(switchText).append("\n");
  record.append("実行コマンド: ").append(commandText).append("\n");
  record.append("エラー理由: ").append(reasonText).append("\n\n");
  return record;
}

bool AppendErrorLog(std::string_view switchText, std::string_view commandText,
                    std::string_view reasonText) {
  if (!MakeDataFolder()) return false;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string bytes =
      Utf8ToCp932Lossy(ToCrLf(FormatErrorLogRecord(local, switchText, commandText, reasonText)));
  std::lock_guard<std::mutex> guard(ErrorLogLock());
  return AppendCappedLog(ErrorLogPath(), bytes, kErrorLogLimit);
}

bool AppendCappedLog(const std::filesystem::path& path, std::string_view bytes,
                     std::uintmax_t limit) {
  // Writers in other processes take the same file lock; a writer that opened
  // the file just before another one rotated it opens the new one instead.
  for (int attempt = 0; attempt < 8; ++attempt) {
    const int fd = OpenOwnFile(path, O_WRONLY | O_CREAT | O_APPEND);
    if (fd < 0) return false;
    int locked = 0;
    do {
      locked = ::flock(fd, LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    struct stat opened {};
    struct stat named {};
    if (locked != 0 || ::fstat(fd, &opened) != 0) {
      ::close(fd);
      return false;
    }
    if (::stat(path.c_str(), &named) != 0 || named.st_ino != opened.st_ino ||
        named.st_dev != opened.st_dev) {
      ::close(fd);  // rotated away meanwhile
      continue;
    }
    const auto size = static_cast<std::uintmax_t>(opened.st_size);
    if (size > 0 && size + bytes.size() > limit) {
      // The older records go to ".1" (replacing older ones still); the
      // record starts a new file.
      std::filesystem::path older = path;
      older += ".1";
      const bool rotated = ::rename(path.c_str(), older.c_str()) == 0;
      ::close(fd);
      if (!rotated) return false;
      continue;
    }
    const bool written = WriteAll(fd, bytes);
    return ::close(fd) == 0 && written;  // closing releases the lock
  }
  return false;
}

}  // namespace ntr
