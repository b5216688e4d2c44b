#include "app/import_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "base/write_all.h"
#include "catalogue/switch_model.h"
#include "config/config_writer.h"

namespace ntr {
namespace {

// The whole content of a regular file.
bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  char buffer[16384];
  while (ok) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return ok;
}

bool ReadSavedSettings(std::string& bytes, ErrorPair& error) {
  const std::filesystem::path source = ConfigFilePath();
  return ReadWholeFile(source, bytes) || error.Fail(kErrFileOpen, source.string());
}

}  // namespace

bool ExportSettings(const std::filesystem::path& destination, ErrorPair& error) {
  // The atomic replacement renames over whatever is there: only a regular
  // file may be replaced, never a link, a pipe or a device.
  struct stat info {};
  if (::lstat(destination.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    return error.Fail(kErrFileOpen,
                      destination.string() + ": " + std::string(kExportNotRegularText));
  }
  std::string bytes;
  return ReadSavedSettings(bytes, error) && WriteFileAtomically(destination, bytes, error);
}

bool ExportSettingsTo(int fd, ErrorPair& error) {
  std::string bytes;
  if (!ReadSavedSettings(bytes, error)) return false;
  return WriteAll(fd, bytes) || error.Fail(kErrFileOpen, "standard output");
}

SettingsImport::SettingsImport(Parts parts) : parts_(std::move(parts)) {}

SettingsImport::~SettingsImport() { Finish(); }

SettingsImport::Start SettingsImport::Begin(const std::filesystem::path& file) {
  std::lock_guard<std::mutex> lock(threadLock_);
  if (thread_.joinable()) return Start::kAlreadyRunning;
  try {
    thread_ = std::thread([this, file] { Run(file); });
  } catch (const std::system_error&) {
    return Start::kThreadFailed;
  }
  return Start::kStarted;
}

void SettingsImport::ShowResult(std::int64_t action) {
  const bool imported = action == kImportSucceeded;
  parts_.op.ShowMessage(imported ? kImportedText : kImportFailedText,
                        imported ? MessageIcon::kNone : MessageIcon::kError);
  parts_.discovery.importRunning = false;
}

void SettingsImport::Finish() {
  std::lock_guard<std::mutex> lock(threadLock_);
  if (thread_.joinable()) thread_.join();
}

bool SettingsImport::threadExists() const {
  std::lock_guard<std::mutex> lock(threadLock_);
  return thread_.joinable();
}

bool SettingsImport::Run(const std::filesystem::path& file) {
  ConfigStore& config = parts_.host.config;
  const std::int32_t savedInterval = config.watchInterval();
  const std::int32_t savedDownCount = config.downCount();
  const std::vector<VlanName> savedNames = config.VlanNames();
  parts_.discovery.importRunning = true;

  bool merged = false;
  try {
    ConfigStore imported;
    std::vector<std::int32_t> named;
    if (ReadAndCheck(file, imported, named)) {
      Merge(imported);
      // Names of the table before that nothing uses any more go, unless the
      // file named them itself.
      std::vector<std::int32_t> unnamed;
      for (const VlanName& entry : savedNames) {
        if (std::find(named.begin(), named.end(), entry.id) == named.end()) {
          unnamed.push_back(entry.id);
        }
      }
      std::vector<RecordPtr> users = parts_.adoption.ManagedRecords();
      for (RecordPtr& record : config.StoredRecords()) users.push_back(std::move(record));
      config.DropUnusedVlanNames(unnamed, users);
      merged = true;
    }
  } catch (const std::exception&) {
    merged = false;  // reading or merging ran out of memory
  }
  if (!merged) {
    // Nothing of a failed import stays: watch values and names as before.
    config.SetWatch(savedInterval, savedDownCount);
    config.RestoreVlanNames(savedNames);
  }
  ErrorPair error;
  parts_.saver.SaveConfigFile(error);
  parts_.discovery.SetWatch(config.watchInterval(), config.downCount());
  // A new interval: the next cycle at once, the ones after it at that interval.
  if (merged && config.watchInterval() != savedInterval) {
    parts_.discovery.RequestCycle(true, config.watchInterval() * 1000);
  }
  Post(Notification::kTopPanelAction, merged ? kImportSucceeded : kImportFailed);
  if (parts_.notices != nullptr) {
    parts_.notices->Post(Notice{Notification::kSwitchWorkFinished});  // no switch: the import
  }
  return merged;
}

bool SettingsImport::ReadAndCheck(const std::filesystem::path& file, ConfigStore& imported,
                                  std::vector<std::int32_t>& named) {
  ReadOptions options;
  options.strict = true;
  options.mode = ReadMode::kImport;
  options.namedVlanIds = &named;
  ErrorPair error;
  if (!ReadConfigText(parts_.host, imported, file, options, error)) return false;

  // Every block of a switch the tool knows must also pass with that switch's
  // own counts; all are checked, so that the log lists every rejected line.
  bool passed = true;
  for (const RecordPtr& record : imported.StoredRecords()) {
    ModelFixUp(*record);
    const RecordPtr stored = parts_.host.config.FindStoredRecord(record->switchMac);
    if (stored == nullptr) continue;
    const std::int32_t model = ModelCodeOf(stored->modelName.get());
    ReadOptions check;
    check.filter = stored.get();
    check.portCount = model != kModelUnknown ? PortCountOf(model) : stored->portCount.load();
    check.counterCount =
        model != kModelUnknown ? CounterCountOf(model) : stored->counterCount.load();
    check.strict = true;
    check.mode = ReadMode::kImport;
    ConfigStore checked;
    ErrorPair checkError;
    // A failure list of earlier work is not this file's: its lines were logged
    // and announced when they were rejected, and the import replaces the
    // settings they were about. Only what this check rejects fails the import.
    stored->failures.Clear();
    if (!ReadConfigText(parts_.host, checked, file, check, checkError)) passed = false;
  }
  return passed;
}

void SettingsImport::Merge(ConfigStore& imported) {
  ConfigStore& config = parts_.host.config;
  for (const RecordPtr& record : imported.StoredRecords()) {
    ModelFixUp(*record);
    const MacAddress mac = record->switchMac;
    const RecordPtr stored = config.FindStoredRecord(mac);
    const RecordPtr runtime = parts_.adoption.ManagedRecordOf(mac);
    if (stored == nullptr) {
      config.AppendStoredRecord(record);
    } else {
      CopySettings(*stored, *record);
      if (runtime != nullptr && runtime != stored) CopySettings(*runtime, *record);
    }
    if (runtime != nullptr) {
      // The next discovery reply runs adoption again, which compares the
      // imported settings with the switch's own.
      runtime->modelCode = kModelUnknown;
      parts_.adoption.DecideAgain(mac);
      RestartAdoption(mac);
    }
    NameVlansUsedOnPorts(config, *record);
  }
}

void SettingsImport::RestartAdoption(const MacAddress& mac) {
  Discovery& discovery = parts_.discovery;
  parts_.main.Post([&discovery, mac] {
    TopologyNode* node = discovery.FindNode(mac);
    if (node == nullptr) return;
    node->applied = false;
    if (node->managed != nullptr) node->managed->Redraw();
  });
}

void SettingsImport::Post(Notification message, std::int64_t value) {
  if (parts_.notices != nullptr) parts_.notices->Post(Notice{message, value});
}

}  // namespace ntr
