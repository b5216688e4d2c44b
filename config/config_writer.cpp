#include "config/config_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "base/data_folder.h"
#include "base/text_encoding.h"
#include "base/write_all.h"
#include "catalogue/switch_model.h"
#include "config/switch_block_writer.h"

namespace ntr {
namespace {

// One file write at a time: saves come from the user-interface thread, the
// import thread and every switch's settings thread.
std::mutex& SaveLock() {
  static std::mutex lock;
  return lock;
}

// A text that came from a switch or an operator must not break the line
// structure of the file (the texts of a record are kept in this form already).
std::string OneLine(const std::string& text) { return FileSafeText(text); }

void AppendCommonLines(const ConfigStore& config, const PacketLogSwitches* logs, std::string& out) {
  out.append("switch control watch interval ")
      .append(std::to_string(config.watchInterval()))
      .append(" ")
      .append(std::to_string(config.downCount()))
      .append("\n");
  out.append("switch control use lan1 on\n");

  const std::vector<VlanName> names = config.VlanNames();
  for (std::size_t position = 0; position < names.size(); ++position) {
    if (position == 0 && names[0].name == "default") continue;
    out.append("vlan lan1/")
        .append(std::to_string(position))
        .append(" 802.1q vid=")
        .append(std::to_string(names[position].id))
        .append(" name=")
        .append(OneLine(names[position].name))
        .append("\n");
  }

  const auto onOff = [](bool on) { return on ? "on" : "off"; };
  if (config.sendLogLine) {
    out.append("#log send ").append(onOff(logs != nullptr && logs->sendLog())).append("\n");
  }
  if (config.receiveLogLine) {
    out.append("#log receive ").append(onOff(logs != nullptr && logs->receiveLog())).append("\n");
  }
  if (config.clearLogLine) out.append("#log clear\n");
}

void AppendRecord(SwitchRecord& record, std::string& out) {
  out.append("\n");
  if (ModelCodeOf(record.modelName.get()) == kModelUnknown) return;
  ModelFixUp(record);
  ComputeFingerprint(record);
  SwitchRecord shown(record);
  shown.systemName = OneLine(record.systemName.get());
  shown.serialNumber = OneLine(record.serialNumber.get());
  shown.firmwareRevision = OneLine(record.firmwareRevision.get());
  shown.macText = FormatSwitchMac(record.switchMac);
  WriteSwitchComment(shown, out);
  WriteSwitchBlock(shown, out);
}

// The permissions of the file being replaced, or the usual ones for a new file.
mode_t ModeFor(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
  return 0644;
}

void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the rename is done either way
  ::close(fd);
}

}  // namespace

std::filesystem::path ConfigFilePath() { return DataFolder() / kConfigFileName; }

std::string FormatConfigText(ConfigStore& config, const PacketLogSwitches* logs) {
  std::string out;
  AppendCommonLines(config, logs, out);
  for (const RecordPtr& record : config.StoredRecords()) AppendRecord(*record, out);
  return out;
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         ErrorPair& error) {
  const std::filesystem::path folder =
      path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
  // The detail names the file and the reason: "PATH: errno text".
  const auto failed = [&](int reason) {
    return error.Fail(kErrFileOpen, path.string() + ": " + std::strerror(reason != 0 ? reason : EIO));
  };
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return failed(errno);
  int reason = 0;
  bool written = ::fchmod(fd, ModeFor(path)) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  if (!written) reason = errno;
  if (::close(fd) != 0 && written) {
    written = false;
    reason = errno;
  }
  if (written && ::rename(temporary.c_str(), path.c_str()) != 0) {
    written = false;
    reason = errno;
  }
  if (!written) {
    ::unlink(temporary.c_str());
    return failed(reason);
  }
  SyncFolder(folder);
  return true;
}

bool WriteConfigText(ConfigStore& config, const PacketLogSwitches* logs,
                     const std::filesystem::path& path, ErrorPair& error) {
  std::lock_guard<std::mutex> lock(SaveLock());
  const std::string text = FormatConfigText(config, logs);
  return WriteFileAtomically(path, ToCrLf(Utf8ToCp932Lossy(text)), error);
}

bool SaveConfigFile(ConfigStore& config, const PacketLogSwitches* logs, ErrorPair& error) {
  MakeDataFolder();
  return WriteConfigText(config, logs, ConfigFilePath(), error);
}

}  // namespace ntr
