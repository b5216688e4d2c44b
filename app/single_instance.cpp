#include "app/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/data_folder.h"
#include "base/own_file.h"
#include "config/config_writer.h"

namespace ntr {

std::string SingleInstance::Key(std::string_view title) {
  // The title as it is, with '/' (never in a file name) replaced.
  std::string key(title);
  for (char& c : key) {
    if (c == '/') c = '_';
  }
  return key;
}

std::filesystem::path SingleInstance::LockPath(std::string_view title) {
  // In the data folder itself: whatever the runtime folder, two copies on
  // one data folder find the same lock.
  return DataFolder() / (Key(title) + ".lock");
}

bool SingleInstance::Acquire(std::string_view title, ErrorPair& error, bool removeStale) {
  error = ErrorPair{};
  if (held()) return true;
  if (std::string why; !MakeDataFolder(&why)) return error.Fail(kErrFileOpen, why);
  const std::filesystem::path path = LockPath(title);
  const int fd = OpenOwnFile(path, O_RDWR | O_CREAT, 0600);
  if (fd < 0) return error.Fail(kErrFileOpen, path.string() + ": " + std::strerror(errno));
  int rc = 0;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  // No other copy works on the folder now: what a killed write left is stale.
  if (removeStale) RemoveStaleTemporaryFiles(DataFolder());
  return true;
}

void SingleInstance::Release() {
  if (fd_ < 0) return;
  ::close(fd_);  // closing the last descriptor releases the lock
  fd_ = -1;
}

}  // namespace ntr
