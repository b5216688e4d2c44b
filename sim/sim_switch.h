// One simulated switch: identity, settings and live state, and how it
// answers each request addressed to it. The network around it
// (sim/sim_network.h) decides which requests reach it, supplies its
// neighbours and applies injected faults to its answers.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/switch_record.h"
#include "codec/pdu.h"
#include "sim/fault_settings.h"
#include "sim/firmware_receiver.h"
#include "sim/network_description.h"
#include "sim/request_log.h"
#include "sim/switch_status.h"

namespace ntr::sim {

inline constexpr std::size_t kRecentRequests = 16;

class SimSwitch {
 public:
  // `entry` must carry a MAC and a serial number and name a known model.
  SimSwitch(const SwitchEntry& entry, TimePoint now);

  const std::string& name() const { return entry_.name; }
  const SwitchEntry& entry() const { return entry_; }
  MacAddress mac() const { return record_.switchMac; }
  int portCount() const { return record_.portCount; }
  int uplinkPort() const { return entry_.uplinkPort; }  // 1-based

  SwitchRecord& record() { return record_; }
  const SwitchRecord& record() const { return record_; }
  SwitchStatus& status() { return status_; }
  const SwitchStatus& status() const { return status_; }
  FirmwareReceiver& firmware() { return firmware_; }
  FaultSettings& faults() { return faults_; }
  int& syncPending() { return entry_.syncPending; }
  int& restartMs() { return entry_.restartMs; }

  // The settings fingerprint the switch reports: -1 while it is in factory
  // state (never configured since its last reset), otherwise the CRC of
  // catalogue/switch_data.h over its settings.
  std::int32_t Fingerprint();
  // The model name the switch tells (its own, or the description's reported-model=).
  std::string ReportedModel() const;
  bool factoryState() const { return factory_; }
  // Returns every setting to its default and enters factory state.
  void ResetToFactory();

  // Answers one request addressed to this switch (any application but
  // discovery): fills `answer` (application number and body; the network
  // adds the header) and the log entry's outcome fields. False for a message
  // that a switch does not answer. A retransmission (a request equal, with
  // its transaction ID, to one of the last kRecentRequests) gets the same
  // answer again without the switch acting twice.
  bool Handle(const Pdu& request, TimePoint now, Pdu& answer, RequestLogEntry& entry);
  // The discovery reply, with the neighbours the network sees on its ports.
  DiscoveryReply AnswerDiscovery(const std::vector<MacAddress>& neighbours);

  // Applies a set or set-default behind the tool's back (drift), with the
  // switch's own checks; the result code. Logs nothing.
  std::int32_t Drift(const FunctionRequest& request);

  // Restarts: silent for its restart time, forwarding nothing meanwhile;
  // settings are kept, counters and loop states are cleared.
  void Restart(TimePoint now);
  // Stops answering until `until` (forwarding goes on); nothing ends it early
  // but Unsilence.
  void Silence(TimePoint until) { silentUntil_ = until; }
  void Unsilence() {
    silentUntil_.reset();
    restarting_ = false;
  }
  bool Silent(TimePoint now) const { return silentUntil_ && now < *silentUntil_; }
  bool Restarting(TimePoint now) const { return restarting_ && Silent(now); }
  // Ends a silence that has run out; a firmware update takes effect here.
  // True when the switch came back.
  bool Wake(TimePoint now);
  std::optional<TimePoint> silentUntil() const { return silentUntil_; }

 private:
  // Answers a function request; true when the switch restarts after
  // answering (an executed restart). Operate does the work of an accepted
  // request and says so through `restart`.
  bool HandleFunction(const FunctionRequest& request, TimePoint now, FunctionResponse& response);
  std::int32_t Operate(const FunctionRequest& request, TimePoint now, FunctionResponse& response,
                       bool& restart);
  std::int32_t Refused(std::string_view keyword, bool function, std::int32_t otherwise);

  SwitchEntry entry_;
  SwitchRecord record_;
  SwitchStatus status_;
  FirmwareReceiver firmware_;
  FaultSettings faults_;
  bool factory_ = true;
  int syncAnswered_ = 0;
  std::optional<TimePoint> silentUntil_;
  bool restarting_ = false;
  std::optional<std::string> pendingRevision_;
  // Recent requests with their answers, to answer a retransmission again.
  struct Answered {
    Pdu request;
    Pdu answer;
  };
  std::deque<Answered> recent_;
};

}  // namespace ntr::sim
