// Application: the application object, one per process. It owns the link, the
// registry, the transactions with their receive-dispatch thread, discovery
// with the managed switches and their topology, adoption, the import, and
// the single-instance lock; the window (or the headless front end) supplies
// the operator, the main thread and the notification sink.
//
// The eleven locks of the application and where they live:
//   transaction-number lock   TransactionHub (counter)
//   pending-transaction lock  TransactionHub (pending list)
//   adoption lock             Discovery (the one-slot adoption mailbox)
//   switch-list lock          Discovery (managed-switch list)
//   reply-queue lock          Discovery (reply queue)
//   reply-queue busy lock     Discovery (re-entry flag of applying replies)
//   topology lock             Discovery (topology)
//   adapter lock              here: opening, closing and reopening the adapter
//   error-log lock            protocol/error_log.cpp (one record at a time)
//   settings-failure lock     here: one settings-failure report at a time
//   MAC-list lock             ResetMacList
// None of them is held while a thread is waited for.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/adoption.h"
#include "app/app_link.h"
#include "app/import_export.h"
#include "app/monitor_adoption.h"
#include "app/operator.h"
#include "app/single_instance.h"
#include "app/switch_view.h"
#include "base/main_thread.h"
#include "config/config_reader.h"
#include "config/config_store.h"
#include "discovery/discovery.h"
#include "transaction/transaction_hub.h"

namespace ntr {

class Application : public ConfigSaver {
 public:
  struct Parts {
    Operator& op;
    MainThread& main;
    NotificationSink* notices = nullptr;  // the window's queue; may be null
    std::unique_ptr<AppLink> link;        // null: the machine's adapters through libpcap
    // A read-only monitor: switches are watched (identity, status, counters)
    // but never adopted, asked about, read in bulk, synchronised or set; the
    // configuration file is read for names and never written. Its own lock
    // lets it run beside a window on the same data folder.
    bool monitor = false;
  };

  // What a notice handed to HandleNotice did.
  enum class NoticeResult {
    kNotMine,  // a window's notice: the window handles it
    kHandled,
    kCloseMainWindow,  // a fatal capture error was shown: end the program
  };

  // Construction: defaults, events, and the receive-dispatch thread at once
  // (if it cannot start, the last error is code 5 and start-up goes on).
  explicit Application(Parts parts);
  // Runs the shutdown step and ExitInstance if nobody did.
  ~Application() override;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Start-up in order: single-instance lock (false without a word when
  // another copy runs), configuration read and written back, adapter choice,
  // capture, address watch, the tool's MAC. False ends the process; the
  // failure has been shown where the operator must see it.
  bool InitInstance();
  // The main window closes: waits end, threads stop, the topology empties.
  void Shutdown();
  // Stops the capture, frees the records, releases the lock; the exit code.
  int ExitInstance();
  // The system goes to sleep; true when the adapter was closed cleanly.
  bool Suspend();
  // After a resume: true when the adapter is open and capturing again.
  bool Restart();

  // Writes the configuration file (ConfigSaver); on failure the last error
  // is code 6 as well.
  bool SaveConfigFile(ErrorPair& error) override;

  // The thread messages of the application object (0x501, 0x502, 0x507,
  // 0x604, 0x605) and the core's part of the import's messages (0x600 with 3
  // or 5, 0x603 naming no switch: the import's end).
  NoticeResult HandleNotice(const Notice& notice);
  // The view's discovery timer: enabled with the watch interval, or disabled.
  void RequestDiscovery(bool enabled);
  // The operator's watch values: stored and saved, or, when the file cannot
  // be written, the old values kept (false, with the error). Once saved the
  // next discovery cycle runs at once, the ones after it at the new interval.
  bool SetWatch(std::int32_t interval, std::int32_t downCount, ErrorPair& error);
  // Shows a switch's pending failure list with the error-log path, once;
  // true when there was one. Reports never overlap: one that comes while
  // another is shown (its dialog runs a nested loop) is queued and shown
  // after it, by the call that showed the first.
  bool ReportSettingFailures(SwitchRecord& record);
  bool ReportSettingFailures(SwitchView sw) { return ReportSettingFailures(sw.sw_->record()); }

  // Hooks of the window: a switch got its runtime object / is about to go
  // (on the main thread; the view is valid until the removing hook returns).
  void SetSwitchCreatedHook(std::function<void(SwitchView)> hook);
  void SetSwitchRemovingHook(std::function<void(SwitchView)> hook);

  ErrorPair lastError() const;
  // InitInstance returned false because another copy runs: knock at it.
  bool anotherCopyRuns() const { return anotherCopyRuns_; }
  const std::string& version() const { return version_; }
  bool stopping() const { return stopping_; }
  bool monitor() const { return monitor_; }
  bool alive() const { return alive_; }

  ConfigStore& config() { return config_; }
  ConfigHost& host() { return host_; }
  AppLink& link() { return *link_; }
  TransactionHub& hub() { return hub_; }
  Discovery& discovery() { return discovery_; }
  // The managed switches in discovery's order, and one by reference or MAC
  // (a null view when it is not managed): what a front end reads of discovery.
  std::vector<SwitchView> Switches();
  SwitchView FindSwitch(const SwitchRef& sw) { return discovery_.Find(sw); }
  SwitchView FindSwitchByMac(const MacAddress& mac) { return discovery_.FindByMac(mac); }
  // Discovery is closing the switches (the application ends or suspends).
  bool closingSwitches() const { return discovery_.closing; }
  SwitchAdoption& adoption() { return adoption_; }
  SettingsImport& import() { return import_; }
  ResetMacList& resetMacs() { return resetMacs_; }

 private:
  void SetLastError(const ErrorPair& error);
  void CloseSwitches(bool close);
  void EmptyTopology();
  void StopThreads();
  bool ShowLinkFailure();
  bool ReadConfigAtStartUp();
  bool ReadConfigForMonitor();
  bool ShowStartUpFailure(const ErrorPair& error);

  const bool monitor_;
  Operator& op_;
  MainThread& main_;
  NotificationSink* notices_;
  std::unique_ptr<AppLink> link_;

  mutable std::mutex errorLock_;
  ErrorPair lastError_;
  std::mutex adapterLock_;
  struct PendingReport {
    std::string macText;
    std::vector<std::string> commands;
  };
  std::mutex reportLock_;  // the reports waiting to be shown; never held while one is
  std::deque<PendingReport> reports_;
  bool reporting_ = false;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> alive_{false};
  std::string version_;

  ConfigStore config_;
  ConfigHost host_;
  TransactionHub hub_;
  ResetMacList resetMacs_;
  std::mutex hookLock_;
  std::function<void(ManagedSwitch&)> createdHook_;
  std::function<void(ManagedSwitch&)> removingHook_;
  SwitchAdoption adoption_;
  MonitorAdoption monitorAdoption_;
  Discovery discovery_;
  SettingsImport import_;
  SingleInstance instance_;
  bool anotherCopyRuns_ = false;
  bool shutDown_ = false;
  bool exited_ = false;
};

}  // namespace ntr
