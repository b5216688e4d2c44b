#include "base/own_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ntr {

int OpenOwnFile(const std::filesystem::path& path, int flags, mode_t mode) {
  // Non-blocking, so that opening a named pipe does not wait for a reader.
  const int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, mode);
  if (fd < 0) return -1;
  struct stat info {};
  int reason = 0;
  if (::fstat(fd, &info) != 0) {
    reason = errno;
  } else if (!S_ISREG(info.st_mode)) {
    reason = EINVAL;
  } else if (info.st_uid != ::geteuid()) {
    reason = EPERM;
  } else if ((flags & O_NONBLOCK) == 0 &&
             ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    reason = errno;
  }
  if (reason == 0) return fd;
  ::close(fd);
  errno = reason;
  return -1;
}

}  // namespace ntr
