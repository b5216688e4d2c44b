// One run of ntrctl: the application core with a headless main loop on this
// thread, the notices it hands to the window handled here, and waits for
// switches to come under management.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/event_loop.h"
#include "app/marl_app.h"
#include "cli/ntrctl_operator.h"
#include "cli/ntrctl_options.h"

namespace ntr::cli {

class Session : public NotificationSink {
 public:
  explicit Session(const Options& options);
  ~Session() override;

  // Start-up of the core; kExitOk, or the exit status to end with.
  int Start();

  // Discovery cycles every `intervalMs` (a command wants its answer soon).
  void RunDiscovery(int intervalMs = 1000);
  // Runs the main loop until `done` or the session's time-out.
  bool RunUntil(const std::function<bool()>& done);
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

  // A managed switch by MAC text or system name; null when none is.
  ManagedSwitch* Find(const std::string& who);
  // Waits until the switch is managed and settled; null after the time-out.
  ManagedSwitch* WaitForSwitch(const std::string& who);
  // Managed, identity read, model known, and no synchronisation or read under way.
  static bool Settled(ManagedSwitch& sw);
  // Requests a poll and waits for it.
  bool Poll(ManagedSwitch& sw);

  CMarlApp& app() { return *app_; }
  EventLoop& loop() { return loop_; }
  const Options& options() const { return options_; }

  // NotificationSink: notices go to the main loop.
  void Post(const Notice& notice) override;
  bool Send(const Notice& notice, std::optional<std::chrono::milliseconds> timeout) override;

  // What the handled notices told.
  int readsEnded() const { return readsEnded_; }
  std::int64_t importResult() const { return importResult_; }
  bool fatal() const { return fatal_; }

 private:
  void Handle(const Notice& notice);
  // The end of a modal read of a switch's settings, as the view takes it.
  void EndModalRead(ManagedSwitch& sw);

  const Options& options_;
  CliOperator operator_;
  EventLoop loop_;
  std::unique_ptr<CMarlApp> app_;
  bool started_ = false;
  std::atomic<int> readsEnded_{0};
  std::atomic<std::int64_t> importResult_{0};
  std::atomic<bool> fatal_{false};
  // Records as they were when a modal read began, by the switch object's
  // generation (main thread only).
  std::map<std::uint64_t, std::unique_ptr<tag_SWITCHDATA>> snapshots_;
};

}  // namespace ntr::cli
