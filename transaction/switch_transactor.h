// The per-switch half of request–answer transactions: retries under one
// transaction ID, waits that an abort, a close or the switch's stop event
// end at once, the check of a function response, and the recent-change flag.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <optional>

#include "base/auto_reset_event.h"
#include "base/error.h"
#include "base/relaxed.h"
#include "codec/pdu.h"
#include "transaction/transaction_hub.h"

namespace ntr {

// A switch's activity, as kept in its record.
enum SwitchState : std::int32_t {
  kStateNew = 0,
  kStateIdle = 1,
  kStateFirmPrepare = 2,   // firmware preparation running
  kStateFirmTransfer = 3,  // firmware data transfer running
  kStateRequest = 4,       // a function request running
  kStateSyncQuery = 5,     // settings thread: fingerprint query
  kStateSyncRequest = 6,   // settings thread: synchronisation request
  kStateBulk = 7,          // bulk read or write of all settings
  kStateBulkFinish = 8,    // settings thread: end of a bulk run
};

// What a switch state says; the one place that interprets the numbers.
// A firmware preparation or transfer is running.
inline bool FirmwareRunning(std::int32_t state) {
  return state == kStateFirmPrepare || state == kStateFirmTransfer;
}
// The settings thread runs a synchronisation or a bulk read or write.
inline bool SettingsRunRunning(std::int32_t state) { return state >= kStateSyncQuery; }
// Settings are being written to the switch (its synchronisation request or
// the bulk run): its discovery replies are not to be trusted meanwhile.
inline bool SettingsTransferRunning(std::int32_t state) {
  return state == kStateSyncRequest || state == kStateBulk;
}
// The switch is busy: polls skip it and a front end waits.
inline bool SwitchBusy(std::int32_t state) {
  return FirmwareRunning(state) || SettingsRunRunning(state);
}

inline constexpr int kAttempts = 5;
inline constexpr int kBulkAttempts = 30;
inline constexpr std::chrono::milliseconds kAttemptTimeout{1000};
inline constexpr std::uint32_t kRecentChangeMs = 2000;

// How one transaction runs.
struct TransactionOptions {
  int attempts = kAttempts;
  bool expectAnswer = true;
  std::optional<std::int32_t> transactionId{};  // nothing: a fresh one
  std::int32_t headerValue = 0;                 // 0 in every message the tool sends
};

// Milliseconds since some fixed start, modulo 2^32.
using TickSource = std::function<std::uint32_t()>;
std::uint32_t SteadyTickMs();

// Result of a function response against what was asked: success, 10 for a
// value of the wrong type, 12 to 20 for the switch's refusals.
bool CheckResponse(const FunctionResponse& response, std::int32_t functionValueType,
                   std::int32_t operation, ErrorPair& error);

class SwitchTransactor {
 public:
  // `state` is the switch state field of the switch's record; `destination`
  // tells the switch's MAC when a request goes out.
  SwitchTransactor(TransactionHub& hub, Relaxed<std::int32_t>& state,
                   std::function<MacAddress()> destination, TickSource ticks = SteadyTickMs);
  SwitchTransactor(const SwitchTransactor&) = delete;
  SwitchTransactor& operator=(const SwitchTransactor&) = delete;

  // The settings thread's stop event; it also ends a waiting transaction.
  void SetStopEvent(AutoResetEvent* stop);

  // How long one attempt waits for its answer (a second; tests shorten it).
  void SetAttemptTimeout(std::chrono::milliseconds timeout) { attemptTimeout_ = timeout; }

  // One transaction: `options.attempts` sends of `pdu` under one transaction
  // ID, each waiting up to a second for an answer when one is expected. On
  // success `pdu` holds the answer.
  bool Transaction(Pdu& pdu, const TransactionOptions& options, ErrorPair& error);

  // A function request (application 8) answered by a function response (9).
  // Without `response` nothing is awaited. The caller checks the response.
  bool ExecuteFunction(const FunctionRequest& request, FunctionResponse* response,
                       ErrorPair& error);

  // Firmware transfer: prepare (2 → 3), data block (4 → 5), abort (6 → 7).
  bool FirmwarePrepare(std::int32_t& result, ErrorPair& error);
  bool FirmwareData(const FirmwareBlock& block, std::int32_t& result, ErrorPair& error);
  bool FirmwareAbort(std::int32_t& result, ErrorPair& error);

  // Ends every transaction now waiting on this switch with code 8.
  void AbortWaits();
  // Refuses new transactions (code 24), then aborts the waiting ones.
  void Close();
  bool closing() const;

  // A set or set-default went out less than two seconds ago.
  bool RecentlyChanged();

  // While the switch state is 7: the last request sent and response received.
  void KeepLastRequest(const FunctionRequest& request);
  FunctionRequest LastRequest() const;
  FunctionResponse LastResponse() const;

  TransactionHub& hub() { return hub_; }
  Relaxed<std::int32_t>& state() { return state_; }

 private:
  bool FirmwareStep(PduType application, PduBody body, PduType answerApplication,
                    std::int32_t& result, ErrorPair& error);
  bool RegisterAbort(AutoResetEvent* abort, std::uint64_t& abortsBefore);
  void UnregisterAbort(AutoResetEvent* abort, std::uint64_t abortsBefore);

  TransactionHub& hub_;
  Relaxed<std::int32_t>& state_;
  std::function<MacAddress()> destination_;
  TickSource ticks_;

  std::chrono::milliseconds attemptTimeout_ = kAttemptTimeout;

  mutable std::mutex abortLock_;  // guards the abort list, the closing flag and the stop event
  std::list<AutoResetEvent*> abortEvents_;
  std::uint64_t aborts_ = 0;  // aborts so far (AbortWaits, Close)
  bool closing_ = false;
  AutoResetEvent* stop_ = nullptr;

  std::mutex recentLock_;
  bool recentChange_ = false;
  std::uint32_t recentStamp_ = 0;

  mutable std::mutex lastLock_;
  FunctionRequest lastRequest_;
  FunctionResponse lastResponse_;
};

}  // namespace ntr
