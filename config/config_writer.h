// The configuration text file: every setting the tool keeps between runs,
// written whole each time something changes, in code page 932 with CR LF.
//
// A file is replaced through a temporary file in the same folder, flushed to
// the disk and renamed over the old one: a crash or a full disk leaves either
// the previous file or the new one, never a part of either.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "base/error.h"
#include "catalogue/config_saver.h"
#include "config/config_store.h"

namespace ntr {

inline constexpr char kConfigFileName[] = "config_ntr.txt";
// The copy of a file that had rejected lines, kept beside it.
inline constexpr char kBackupSuffix[] = ".bak";

// The data folder followed by "config_ntr.txt"; empty without a data folder.
std::filesystem::path ConfigFilePath();

// The file's text, UTF-8 with "\n" line ends: the watch line, the use line,
// the VLAN names, the carried log lines, then one block per stored record.
// Runs the model fix-up of every record of a known model and recomputes its
// current fingerprint, which the block's comment shows. `logs` may be null
// (the log lines then say "off").
std::string FormatConfigText(ConfigStore& config, const PacketLogSwitches* logs);

// Writes the file at `path`, replacing any file there. False with code 6 and
// the path as detail when it cannot be written whole; the old file is then
// left as it was.
bool WriteConfigText(ConfigStore& config, const PacketLogSwitches* logs,
                     const std::filesystem::path& path, ErrorPair& error);

// Creates the data folder if needed and writes "config_ntr.txt" in it; a
// refused data folder fails with code 6 and the reason as detail.
bool SaveConfigFile(ConfigStore& config, const PacketLogSwitches* logs, ErrorPair& error);

// Replaces the file at `path` by `bytes` through a temporary file in the same
// folder (created new, never through a link); false with code 6 and the path
// and the reason as detail. A file that is replaced keeps its mode; a new
// one gets 0666 less the umask. Whatever was at `path` (a link included) is
// replaced, never written through.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         ErrorPair& error);

// Copies `from` to `to` the same way (a link at `to` is replaced, not
// followed); false with code 6, the file and the reason.
bool CopyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to,
                        ErrorPair& error);

// Removes what a write killed half way left in `folder`: temporary files of
// the configuration file and of its ".bak" copy (a dot, the file's name, a
// dot and six letters or digits), regular files of this user only. Call it
// while holding the single-copy lock of that folder, so that no running
// copy's write is removed.
void RemoveStaleTemporaryFiles(const std::filesystem::path& folder);

// The saver that switch objects call after a committed change.
class ConfigFileSaver : public ConfigSaver {
 public:
  explicit ConfigFileSaver(ConfigStore& config, const PacketLogSwitches* logs = nullptr)
      : config_(config), logs_(logs) {}
  bool SaveConfigFile(ErrorPair& error) override {
    return ntr::SaveConfigFile(config_, logs_, error);
  }

 private:
  ConfigStore& config_;
  const PacketLogSwitches* logs_;
};

}  // namespace ntr
