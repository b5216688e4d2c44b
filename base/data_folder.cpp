#include "base/data_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace ntr {
namespace {

constexpr char kSetHome[] = "set HOME or XDG_DATA_HOME to a folder you can write";

std::filesystem::path HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') return home;
  if (const passwd* entry = getpwuid(getuid());
      entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') {
    return entry->pw_dir;
  }
  return {};
}

// Why `folder` (the data folder when `last`, else a folder on the way to
// it) is not safe to keep the tool's files in; empty when it is.
std::string Unsafe(const std::filesystem::path& folder, const struct stat& info, bool last) {
  const uid_t me = ::geteuid();
  const std::string name = folder.string();
  if (info.st_uid != me && (last || info.st_uid != 0)) {
    std::string text = name + " belongs to another user (uid " + std::to_string(info.st_uid) + ")";
    if (me == 0) {
      text +=
          "; running as root, the tool makes no files in another user's folders (sudo -E "
          "keeps that user's HOME): run it as that user, or set XDG_DATA_HOME to a folder "
          "of root's";
    } else {
      text += "; set XDG_DATA_HOME to a folder of your own";
    }
    return text;
  }
  const bool othersWrite = last ? (info.st_mode & (S_IWGRP | S_IWOTH)) != 0
                                : (info.st_mode & S_IWOTH) != 0 && (info.st_mode & S_ISVTX) == 0;
  if (othersWrite) return name + " can be written by other users; make it private (chmod go-w)";
  return {};
}

}  // namespace

std::filesystem::path DataFolder() {
  std::filesystem::path base;
  // The XDG rules: a relative XDG_DATA_HOME is ignored.
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') {
    base = xdg;
  } else {
    const std::filesystem::path home = HomeFolder();
    if (home.empty()) return {};
    base = home / ".local" / "share";
  }
  return base / "Kaldor" / "NTR_Application" / "";
}

bool MakeDataFolder(std::string* why) {
  const auto fail = [why](std::string text) {
    if (why != nullptr) *why = std::move(text);
    return false;
  };
  const std::filesystem::path folder = DataFolder().lexically_normal().parent_path();
  if (folder.empty()) {
    return fail(std::string("cannot create the data folder: no home folder (no HOME, no "
                            "XDG_DATA_HOME, none in the password database); ") +
                kSetHome);
  }
  // From the root down: every existing folder is checked, every missing one
  // made private.
  std::vector<std::filesystem::path> steps;
  for (std::filesystem::path step = folder; step != step.root_path(); step = step.parent_path()) {
    steps.push_back(step);
  }
  for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
    const bool last = *step == folder;
    struct stat info {};
    if (::stat(step->c_str(), &info) != 0) {
      if (errno != ENOENT || (::mkdir(step->c_str(), 0700) != 0 && errno != EEXIST) ||
          ::stat(step->c_str(), &info) != 0) {
        return fail("cannot create the data folder " + folder.string() + "/: " + step->string() +
                    ": " + std::strerror(errno) + "; " + kSetHome);
      }
    }
    if (!S_ISDIR(info.st_mode)) {
      return fail("cannot create the data folder " + folder.string() + "/: " + step->string() +
                  " is not a folder");
    }
    if (std::string unsafe = Unsafe(*step, info, last); !unsafe.empty()) {
      return fail("the data folder " + folder.string() + "/ is refused: " + unsafe);
    }
  }
  return true;
}

}  // namespace ntr
