// Export and import of the whole registry as a configuration text file.
//
// Export copies the saved "config_ntr.txt". Import reads a file on its own
// thread in the strict import mode and merges its switch records only when
// every line was accepted and every known switch's block passes its own
// check; otherwise the watch values and the VLAN names are put back. The
// result reaches the top panel as 0x600 (3 imported, 5 failed), then 0x603
// naming no switch, after which the panel calls Finish.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string_view>
#include <thread>

#include "app/adoption.h"
#include "app/operator.h"
#include "base/main_thread.h"
#include "base/notification.h"
#include "catalogue/config_saver.h"
#include "config/config_reader.h"
#include "discovery/discovery.h"

namespace ntr {

inline constexpr std::string_view kExportedText = "エクスポートしました。";
inline constexpr std::string_view kExportFailedText = "エクスポートできませんでした。";
inline constexpr std::string_view kImportedText = "インポートしました。";
inline constexpr std::string_view kImportFailedText = "インポートできませんでした。";
// The file dialogs' filter and default extension.
inline constexpr std::string_view kSettingsFileFilter =
    "NTR設定ファイル(*.txt)|*.txt|All Files(*.*)|*.*||";
inline constexpr std::string_view kSettingsFileExtension = "txt";

// The top panel's actions (value of 0x600).
enum TopPanelAction : std::int64_t {
  kDisableFileButtons = 1,
  kEnableFileButtons = 2,
  kImportSucceeded = 3,
  kImportFailed = 5,
};

// Copies the saved configuration file to `destination`, replacing a regular
// file there or creating a new one; false with code 6 when it cannot be read
// or written. Anything else at `destination` (a symbolic link, a named pipe,
// a device, a folder) is left alone and refused, with
// kExportNotRegularText in the detail.
bool ExportSettings(const std::filesystem::path& destination, ErrorPair& error);
// Writes the saved configuration file to the open descriptor `fd` (standard
// output); false with code 6 when it cannot be read or written.
bool ExportSettingsTo(int fd, ErrorPair& error);
inline constexpr std::string_view kExportNotRegularText = "not a regular file";

class SettingsImport {
 public:
  struct Parts {
    ConfigHost& host;  // the application's registry and packet logs
    ConfigSaver& saver;
    Discovery& discovery;  // its import-running flag, its watch, the managed switches' nodes
    SwitchAdoption& adoption;
    MainThread& main;
    NotificationSink* notices;  // the top panel and the view; may be null
    Operator& op;
  };

  enum class Start { kStarted, kAlreadyRunning, kThreadFailed };

  explicit SettingsImport(Parts parts);
  // Waits for a running import.
  ~SettingsImport();
  SettingsImport(const SettingsImport&) = delete;
  SettingsImport& operator=(const SettingsImport&) = delete;

  // Starts the import thread on `file`. While a thread exists (until Finish),
  // a second start does nothing. On kThreadFailed the caller shows
  // kImportFailedText.
  Start Begin(const std::filesystem::path& file);
  // The top panel's 0x600 with 3 or 5: shows the result, ends the import-running state.
  void ShowResult(std::int64_t action);
  // The top panel's 0x603 of the import: waits for the thread to end.
  void Finish();
  bool threadExists() const;

  // The import work on the calling thread; true when the file was merged.
  bool Run(const std::filesystem::path& file);

 private:
  bool ReadAndCheck(const std::filesystem::path& file, ConfigStore& imported,
                    std::vector<std::int32_t>& named);
  void Merge(ConfigStore& imported);
  void RestartAdoption(const MacAddress& mac);
  void Post(Notification message, std::int64_t value = 0);

  Parts parts_;
  mutable std::mutex threadLock_;
  std::thread thread_;
};

}  // namespace ntr
