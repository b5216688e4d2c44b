#include "config/config_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <random>

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

// The permissions of the regular file being replaced; none for a new file
// (it is then created 0666 less the umask).
std::optional<mode_t> ModeOf(const std::filesystem::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
  return std::nullopt;
}

constexpr std::size_t kTemporaryLetters = 6;
constexpr char kTemporaryAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// The temporary file beside `path`: "." NAME "." and six letters or digits,
// created new (never through a link) with 0666 less the umask.
int CreateTemporary(const std::filesystem::path& folder, const std::filesystem::path& path,
                    std::string& temporary) {
  static std::mutex randomLock;
  static std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string letters(kTemporaryLetters, 'x');
    {
      std::lock_guard<std::mutex> lock(randomLock);
      for (char& c : letters) c = kTemporaryAlphabet[random() % (sizeof kTemporaryAlphabet - 1)];
    }
    temporary = (folder / ("." + path.filename().string() + "." + letters)).string();
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool IsTemporaryOf(std::string_view name, std::string_view target) {
  if (name.size() != 1 + target.size() + 1 + kTemporaryLetters || name[0] != '.' ||
      name.substr(1, target.size()) != target || name[1 + target.size()] != '.') {
    return false;
  }
  const std::string_view letters = name.substr(name.size() - kTemporaryLetters);
  return letters.find_first_not_of(kTemporaryAlphabet) == std::string_view::npos;
}

void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the rename is done either way
  ::close(fd);
}

}  // namespace

std::filesystem::path ConfigFilePath() {
  const std::filesystem::path folder = DataFolder();
  return folder.empty() ? folder : folder / kConfigFileName;
}

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
  // The detail names the file and the reason: "PATH: errno text".
  const auto failed = [&](int reason) {
    return error.Fail(kErrFileOpen,
                      path.string() + ": " + std::strerror(reason != 0 ? reason : EIO));
  };
  std::string temporary;
  const int fd = CreateTemporary(folder, path, temporary);
  if (fd < 0) return failed(errno);
  int reason = 0;
  const std::optional<mode_t> mode = ModeOf(path);
  bool written = (!mode || ::fchmod(fd, *mode) == 0) && WriteAll(fd, bytes) && ::fsync(fd) == 0;
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
  if (std::string why; !MakeDataFolder(&why)) return error.Fail(kErrFileOpen, why);
  return WriteConfigText(config, logs, ConfigFilePath(), error);
}

bool CopyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to,
                        ErrorPair& error) {
  const int fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return error.Fail(kErrFileOpen, from.string() + ": " + std::strerror(errno));
  std::string bytes;
  char buffer[65536];
  ssize_t n = 0;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
    if (n > 0) bytes.append(buffer, static_cast<std::size_t>(n));
  }
  const int reason = errno;
  ::close(fd);
  if (n < 0) return error.Fail(kErrFileOpen, from.string() + ": " + std::strerror(reason));
  return WriteFileAtomically(to, bytes, error);
}

void RemoveStaleTemporaryFiles(const std::filesystem::path& folder) {
  const std::string config = kConfigFileName;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (!IsTemporaryOf(name, config) && !IsTemporaryOf(name, config + kBackupSuffix)) continue;
    struct stat info {};
    if (::lstat(entry.path().c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_uid == ::geteuid()) {
      ::unlink(entry.path().c_str());
    }
  }
}

}  // namespace ntr
