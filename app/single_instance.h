// One running copy of the tool per data folder: an exclusive lock on a file
// named after the application title inside the data folder, so that copies
// with different runtime folders (two sessions, two users) never share one
// data folder. The lock goes with the process, also when it crashes.
// (Raising the running copy's window is the window's part: it listens on a
// local socket of the same key.)
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "base/error.h"

namespace ntr {

class SingleInstance {
 public:
  SingleInstance() = default;
  ~SingleInstance() { Release(); }
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Creates the data folder and takes the lock for `title`; false when
  // another copy holds it (`error` stays clear), or with code 6 and the
  // reason when the data folder is refused or the lock file cannot be opened
  // (it is never opened through a link, nor when another user owns it).
  // With the lock taken, the temporary files a killed write left in the
  // data folder are removed, unless `removeStale` is false (a read-only
  // monitor beside a running copy must leave that copy's files alone).
  bool Acquire(std::string_view title, ErrorPair& error, bool removeStale = true);
  void Release();
  bool held() const { return fd_ >= 0; }

  // The key derived from the title (also the name of the running copy's socket).
  static std::string Key(std::string_view title);
  static std::filesystem::path LockPath(std::string_view title);

 private:
  int fd_ = -1;
};

}  // namespace ntr
