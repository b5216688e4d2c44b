#include "base/data_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <system_error>

namespace ntr {
namespace {

std::filesystem::path HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') return home;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
    return entry->pw_dir;
  }
  return "/tmp";
}

}  // namespace

std::filesystem::path DataFolder() {
  std::filesystem::path base;
  // The XDG rules: a relative XDG_DATA_HOME is ignored.
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') {
    base = xdg;
  } else {
    base = HomeFolder() / ".local" / "share";
  }
  return base / "Kaldor" / "NTR_Application" / "";
}

bool MakeDataFolder(std::string* why) {
  std::error_code error;
  const auto folder = DataFolder();
  std::filesystem::create_directories(folder, error);
  std::error_code checked;
  if (std::filesystem::is_directory(folder, checked)) return true;
  if (why != nullptr) {
    const std::error_code reason = error ? error : std::make_error_code(std::errc::not_a_directory);
    *why = folder.string() + ": " + reason.message();
  }
  return false;
}

}  // namespace ntr
