// Opening a file the tool writes in a folder of its own (the data folder, the
// packet logs' folder): never through a symbolic link, and never a file that
// another user owns or that is no regular file. A file another user planted
// there could otherwise receive the tool's records or be replaced by them.
#pragma once

#include <fcntl.h>
#include <sys/types.h>

#include <filesystem>

namespace ntr {

// Opens `path` with `flags` (O_CREAT allowed) and O_NOFOLLOW, O_CLOEXEC; a
// new file gets `mode` less the umask. Returns the descriptor, or -1 with
// errno: ELOOP for a symbolic link, EPERM for a file of another user, EINVAL
// for anything but a regular file (a named pipe is never waited on).
int OpenOwnFile(const std::filesystem::path& path, int flags, mode_t mode = 0666);

}  // namespace ntr
