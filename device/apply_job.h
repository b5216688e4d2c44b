// Applying a screen's changes to a switch without blocking the window. The
// window's thread reads its controls into a plain list of changes; the job
// sends them in order on its own thread, each only while the earlier ones
// succeeded and nobody stopped it, and posts its result (kApplyResult) naming
// the switch and the job. The job never looks at the window.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "base/notification.h"
#include "device/switch_client.h"

namespace ntr {

// One request of an apply job.
struct SettingChange {
  enum class Kind { kSet, kSystemName, kExecute };
  Kind kind = Kind::kSet;
  Function function{};     // kSet, kExecute
  FunctionIndex index;     // 0-based, as the setters take it
  std::int32_t value = 0;  // kSet
  std::string text;        // kSystemName: the new name

  static SettingChange Set(Function function, FunctionIndex index, std::int32_t value);
  static SettingChange SystemName(std::string name);
  static SettingChange Execute(Function action);
};

class ApplyJob {
 public:
  // The job's result goes to `notices` (may be null) naming `sw` and `id`.
  ApplyJob(SwitchClient& node, NotificationSink* notices, SwitchRef sw, std::uint64_t id,
           std::vector<SettingChange> changes);
  // Stops the job and waits for it (the request in flight only).
  ~ApplyJob();
  ApplyJob(const ApplyJob&) = delete;
  ApplyJob& operator=(const ApplyJob&) = delete;

  // Starts the job's thread; false (code 52) when it cannot be created.
  bool Start(ErrorPair& error);
  // No further request is sent; returns at once. The request in flight ends
  // as it will, then the result (code kErrWindowClosed) is posted.
  void RequestStop();
  // RequestStop and wait for the thread.
  void Stop();

  std::uint64_t id() const { return id_; }
  bool finished() const { return finished_; }

 private:
  void Run();
  bool Send(const SettingChange& change, ErrorPair& error);

  SwitchClient& node_;
  NotificationSink* notices_;
  SwitchRef switch_;
  std::uint64_t id_;
  std::vector<SettingChange> changes_;
  // The stop signal, looked at before each request; the request in flight
  // is left to end by itself (its wait is bounded), so no event is needed.
  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

}  // namespace ntr
