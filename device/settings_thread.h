// The settings-execution thread of one managed switch: it polls the switch's
// status, reads its identity, reads all its settings in bulk, and brings the
// switch's configuration in line with the tool's copy through the settings
// fingerprint. Requests are events; the thread handles them in the order
// poll, synchronise, identity read, stop, bulk read.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "base/auto_reset_event.h"
#include "base/notification.h"
#include "catalogue/config_saver.h"
#include "device/switch_client.h"

namespace ntr {

// Expected request totals of a bulk read, the progress range.
std::int32_t BulkReadTotal(std::int32_t modelCode);

class SettingsThread {
 public:
  struct Hooks {
    // The switch's settings changed on the switch itself: the next discovery
    // reply must apply the switch again.
    std::function<void()> markModelUnknown;
    // A status value changed during a poll: redraw the switch.
    std::function<void()> redraw;
    // An identity read ended, complete or not (on the settings thread).
    std::function<void()> identityReadEnded;
  };

  // `subject` is the switch the notices name.
  SettingsThread(SwitchClient& node, ConfigSaver* saver, NotificationSink* notices,
                 SwitchRef subject, Hooks hooks = {});
  ~SettingsThread();
  SettingsThread(const SettingsThread&) = delete;
  SettingsThread& operator=(const SettingsThread&) = delete;

  // A status poll; with `counters`, the poll also fetches every port's
  // frame and octet counters (merged into a poll requested or running).
  bool RequestPoll(ErrorPair& error, bool counters = false);
  bool RequestIdentityRead(ErrorPair& error);
  // Refused with code 2 unless the model name is one of the three models.
  bool RequestBulkRead(ErrorPair& error);
  bool RequestSynchronisation(ErrorPair& error);
  // Signals stop and waits for the thread to end.
  void Stop();

  // Flags and progress, read by other threads.
  bool polledOnce() const { return pollsDone_ > 0; }
  // Polls completed so far.
  int pollsDone() const { return pollsDone_; }
  bool identityComplete() const { return identityRead_ == kIdentityAll; }
  bool identityRequested() const { return identityRequested_; }
  // A synchronisation runs / is requested or runs.
  bool synchronising() const { return sync_ == Sync::kRunning; }
  bool synchronisationPending() const { return sync_ != Sync::kNone; }
  // A synchronisation has run to its end at least once.
  bool lastSyncDone() const { return lastSyncDone_; }
  bool bulkReadRequested() const { return bulkReadRequested_; }
  int bulkDone() const { return bulkDone_; }
  int bulkTotal() const { return bulkTotal_; }
  // The grace count of the lost check, 3 after every synchronisation.
  std::atomic<int> graceCount{0};
  // Whether the last bulk read or synchronisation failed.
  bool lastRunFailed() const { return lastRunFailed_; }
  // The texts of the last failed request of a bulk read.
  std::string lastFailedCommand() const { return node_.lastCommandText.get(); }
  std::string lastFailedMessage() const { return node_.lastMessageText.get(); }

 private:
  bool EnsureRunning(ErrorPair& error);
  void Loop();
  void Poll();
  bool FetchCounters(int ports);
  void ReadIdentity();
  void BulkRead();
  void Synchronise();
  bool BulkWrite(ErrorPair& error);
  bool QueryFingerprint(std::uint32_t& fingerprint, ErrorPair& error);
  bool RequestSync(ErrorPair& error);
  // Waits a second unless stop is requested (then false, stop kept signalled).
  bool Pause();
  void Notify(Notification message, std::int64_t value = 0);

  SwitchClient& node_;
  ConfigSaver* saver_;
  NotificationSink* notices_;
  SwitchRef subject_;
  Hooks hooks_;

  AutoResetEvent poll_;
  AutoResetEvent synchronise_;
  AutoResetEvent identity_;
  AutoResetEvent stop_;
  AutoResetEvent bulkRead_;
  std::mutex threadLock_;
  std::thread thread_;

  // The identity items read so far, one bit each (MAC, firmware, model, serial).
  static constexpr unsigned kIdentityAll = 0xF;
  // Where the synchronisation stands: a request made meanwhile merges into
  // the one requested or running.
  enum class Sync { kNone, kRequested, kRunning };

  std::atomic<int> pollsDone_{0};
  std::atomic<bool> countersWanted_{false};
  std::atomic<unsigned> identityRead_{0};
  std::atomic<bool> identityRequested_{false};
  std::atomic<Sync> sync_{Sync::kNone};
  std::atomic<bool> lastSyncDone_{false};
  std::atomic<bool> bulkReadRequested_{false};
  std::atomic<bool> lastRunFailed_{false};
  std::atomic<int> bulkDone_{0};
  std::atomic<int> bulkTotal_{0};
};

}  // namespace ntr
