#include "protocol/error_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>

#include "protocol/data_folder.h"
#include "protocol/text_encoding.h"
#include "protocol/write_all.h"

namespace ntr {
namespace {

// Serialises the writers of this process. Each record also goes out in one
// append-mode write, so a record is never split by another writer.
std::mutex& ErrorLogLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

std::filesystem::path ErrorLogPath() { return DataFolder() / "error_log.txt"; }

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
  MakeDataFolder();
  const std::string path = ErrorLogPath().string();
  std::lock_guard<std::mutex> guard(ErrorLogLock());
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string bytes =
      Utf8ToCp932Lossy(ToCrLf(FormatErrorLogRecord(local, switchText, commandText, reasonText)));
  const bool written = WriteAll(fd, bytes);
  return ::close(fd) == 0 && written;
}

}  // namespace ntr
