// One run of ntrctl: the application core with a headless main loop on this
// thread, the notices it hands to the window handled here, and waits for
// switches to come under management.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/switch_service.h"
#include "base/event_loop.h"
#include "cli/ntrctl_operator.h"
#include "cli/ntrctl_options.h"
#include "cli/ntrctl_switch_argument.h"
#include "device/switch_phase.h"

namespace ntr::cli {

struct SwitchLookup {
  ManagedSwitch* found = nullptr;
  std::vector<std::string> sameName;  // MACs when the name is not unique
  // A name nothing carries: "NAME (MAC)" of every switch known by a name.
  std::vector<std::string> knownNames;
};

class Session : public NotificationSink {
 public:
  explicit Session(const Options& options);
  ~Session() override;

  // The switch the command works on: an adoption question about any other
  // switch leaves that one unmanaged instead of ending the command. Before Start.
  void SetCommandSwitch(const SwitchArgument& target);

  // Start-up of the core; kExitOk, or the exit status to end with.
  int Start();

  // Discovery cycles every `intervalMs` (a command wants its answer soon).
  void RunDiscovery(int intervalMs = 1000);
  // Runs the main loop until `done` or the session's time-out.
  bool RunUntil(const std::function<bool()>& done);
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Runs the main loop until every switch found is settled and no new one
  // came for `quietCycles` discovery cycles (or the time-out).
  bool RunUntilSettled(std::uint32_t quietCycles);
  // The same with the caller's notion of a settled switch; `cancelled` ends
  // the wait early.
  bool RunUntilQuiet(std::uint32_t quietCycles, const std::function<bool(ManagedSwitch&)>& settled,
                     const std::function<bool()>& cancelled = {});

  // The managed switches a MAC address or system name names.
  std::vector<ManagedSwitch*> Matching(const SwitchArgument& ref);
  // A managed switch by MAC text or system name; null when none or several are.
  ManagedSwitch* Find(const std::string& who);
  // Starts discovery and waits until the switch is managed and settled. A
  // name the stored records carry names that record's switch (several
  // records: their MACs at once); another name waits until the switches found
  // have told their names and a whole discovery cycle brought no new one,
  // and ends without a switch, with the names known, when none carries it.
  // A MAC address waits up to the time-out.
  SwitchLookup WaitForSwitch(const std::string& who);
  // Managed and ready: identity read, adopted, nothing under way.
  static bool Settled(const ManagedSwitch& sw) { return IsReady(sw); }

  // How a wait on one switch ended.
  enum class SwitchWait { kDone, kTimedOut, kLost };
  // Runs the main loop until `done` holds for the switch `ref` names. The loop
  // may remove the switch (lost, link down) and free it: it is looked up again
  // on every turn, and the wait ends kLost once it is no longer managed (a
  // switch that came back is another generation). Without a time-out, the
  // session's.
  SwitchWait RunWithSwitch(const SwitchRef& ref, const std::function<bool(ManagedSwitch&)>& done,
                           std::optional<std::chrono::milliseconds> timeout = std::nullopt);
  // Requests a poll and waits for it.
  SwitchWait Poll(const SwitchRef& ref);

  Application& app() { return *app_; }
  SwitchService& service() { return *service_; }
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
  // "NAME (MAC)" of the stored records and the switches found, by name.
  std::vector<std::string> KnownNames();
  void DescribeChange(const MacAddress& mac);

  const Options& options_;
  CliOperator operator_;
  EventLoop loop_;
  std::unique_ptr<Application> app_;
  std::unique_ptr<SwitchService> service_;
  SwitchArgument commandTarget_;  // see SetCommandSwitch; a stored name becomes its MAC
  std::function<bool(const MacAddress&)> commandSwitch_;
  bool started_ = false;
  std::atomic<int> readsEnded_{0};
  std::atomic<std::int64_t> importResult_{0};
  std::atomic<bool> fatal_{false};
};

}  // namespace ntr::cli
