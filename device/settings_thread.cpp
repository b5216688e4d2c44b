#include "device/settings_thread.h"

#include <array>
#include <system_error>
#include <vector>

#include "catalogue/qos_speed.h"
#include "catalogue/request_text.h"
#include "catalogue/switch_model.h"
#include "device/failed_request_report.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;

// The order of a bulk write (only settings that differ from their defaults).
constexpr std::array<Function, 37> kBulkWriteOrder = {
    Function::kSystemName,
    Function::kEnergySaving,
    Function::kLedBrightness,
    Function::kPortSpeed,
    Function::kPortUse,
    Function::kPortAutoCrossover,
    Function::kPortSpeedDownshift,
    Function::kPortFlowControl,
    Function::kPortBlockingControlPacket,
    Function::kPortBlockingDataPacket,
    Function::kMacAddressAging,
    Function::kMacAddressAgingTimer,
    Function::kVlanId,
    Function::kVlanPortMode,
    Function::kVlanAccess,
    Function::kVlanTrunk,
    Function::kVlanMultipleUse,
    Function::kVlanMultiple,
    Function::kQosDscpRemarkType,
    Function::kQosDscpRemarkClass,
    Function::kQosSpeedUnit,
    Function::kQosPolicingUse,
    Function::kQosPolicingSpeed,
    Function::kQosShapingUse,
    Function::kQosShapingSpeed,
    Function::kMirroringUse,
    Function::kMirroringDestination,
    Function::kMirroringSourceRx,
    Function::kMirroringSourceTx,
    Function::kCounterFrameRxType,
    Function::kCounterFrameTxType,
    Function::kLoopDetectCount,
    Function::kLoopDetectTime,
    Function::kLoopDetectLinkDown,
    Function::kLoopDetectRecoveryTimer,
    Function::kLoopDetectUseControlPacket,
    Function::kLoopDetectPortUse,
};

// The polled status values, to tell whether a poll changed anything.
std::vector<std::int64_t> StatusSnapshot(const SwitchRecord& record) {
  std::vector<std::int64_t> values{record.fanState, record.fanSpeeds[0], record.fanSpeeds[1],
                                   record.poeTemperature};
  for (const auto& port : record.portStatus) {
    values.insert(values.end(),
                  {port.linkSpeed, port.loopState, port.poeDetectClass, port.poeState});
  }
  return values;
}

}  // namespace

std::int32_t BulkReadTotal(std::int32_t modelCode) { return ReadStepsOf(modelCode); }

SettingsThread::SettingsThread(SwitchClient& node, ConfigSaver* saver, NotificationSink* notices,
                               SwitchRef subject, Hooks hooks)
    : node_(node), saver_(saver), notices_(notices), subject_(subject), hooks_(std::move(hooks)) {
  node_.transactor().SetStopEvent(&stop_);
}

SettingsThread::~SettingsThread() {
  Stop();
  node_.transactor().SetStopEvent(nullptr);
}

bool SettingsThread::EnsureRunning(ErrorPair& error) {
  std::lock_guard<std::mutex> lock(threadLock_);
  if (thread_.joinable()) return true;
  stop_.Reset();
  try {
    thread_ = std::thread([this] { Loop(); });
  } catch (const std::system_error&) {
    return error.Fail(kErrStatusPollCreate);
  }
  return true;
}

bool SettingsThread::RequestPoll(ErrorPair& error, bool counters) {
  if (!EnsureRunning(error)) return false;
  if (counters) countersWanted_ = true;
  poll_.Set();
  return true;
}

bool SettingsThread::RequestIdentityRead(ErrorPair& error) {
  if (!EnsureRunning(error)) return false;
  identityRequested_ = true;
  identity_.Set();
  return true;
}

bool SettingsThread::RequestBulkRead(ErrorPair& error) {
  if (ModelCodeOf(node_.record().modelName.get()) == kModelUnknown) {
    return error.Fail(kErrUnknownModel);
  }
  if (bulkReadRequested_.exchange(true)) return true;
  if (!EnsureRunning(error)) {
    bulkReadRequested_ = false;
    return false;
  }
  bulkRead_.Set();
  return true;
}

bool SettingsThread::RequestSynchronisation(ErrorPair& error) {
  if (ModelCodeOf(node_.record().modelName.get()) == kModelUnknown) {
    return error.Fail(kErrUnknownModel);
  }
  Sync expected = Sync::kNone;
  if (!sync_.compare_exchange_strong(expected, Sync::kRequested)) return true;
  if (!EnsureRunning(error)) {
    sync_ = Sync::kNone;
    return false;
  }
  synchronise_.Set();
  return true;
}

void SettingsThread::Stop() {
  std::lock_guard<std::mutex> lock(threadLock_);
  if (!thread_.joinable()) return;
  stop_.Set();
  thread_.join();
}

void SettingsThread::Notify(Notification message, std::int64_t value) {
  if (notices_ != nullptr) notices_->Post(Notice{message, value, 0, subject_});
}

bool SettingsThread::Pause() {
  if (stop_.Wait(1000ms)) {
    stop_.Set();  // the loop must still see it
    return false;
  }
  return true;
}

void SettingsThread::Loop() {
  for (;;) {
    switch (WaitForAny({&poll_, &synchronise_, &identity_, &stop_, &bulkRead_})) {
      case 0:
        Poll();
        poll_.Reset();  // requests made during the poll merge into it
        break;
      case 1:
        Synchronise();
        break;
      case 2:
        ReadIdentity();
        break;
      case 3:
        stop_.Set();  // a transaction waiting on it must end too
        return;
      case 4:
        BulkRead();
        break;
      default:
        break;
    }
  }
}

void SettingsThread::Poll() {
  SwitchRecord& record = node_.record();
  const std::int32_t model = record.modelCode;
  if (model == kModelUnknown) return;
  const auto before = StatusSnapshot(record);
  ErrorPair error;
  // Any failing read ends the poll: a silent switch costs one read's retries,
  // not one per remaining item.
  const bool fanRead = !PollsSystemFan(model) || node_.Get(Function::kStatusFan, error);
  const auto fanSpeed = [&](int fan) {
    return node_.Get(Function::kStatusFanRpm, FunctionIndex::Fan(fan), error);
  };
  const bool poeRead =
      fanRead && (!HasPoe(model) || (fanSpeed(0) && fanSpeed(1) &&
                                     node_.Get(Function::kStatusPoeTemperature, error)));
  const int ports = poeRead ? std::clamp<int>(record.portCount, 0, kMaxPorts) : 0;
  bool statusRead = poeRead;
  for (int p = 0; p < ports && statusRead; ++p) {
    const FunctionIndex port = FunctionIndex::Port(p);
    statusRead = node_.Get(Function::kStatusPortSpeed, port, error) &&
                 node_.Get(Function::kStatusLoopDetectPort, port, error) &&
                 (!HasPoe(model) || (node_.Get(Function::kStatusPoeDetectClass, port, error) &&
                                     node_.Get(Function::kStatusPoeState, port, error)));
  }
  if (statusRead && countersWanted_.exchange(false)) FetchCounters(ports);
  ++pollsDone_;
  if (StatusSnapshot(record) != before && hooks_.redraw) hooks_.redraw();
}

// Every port's frame counters (as many as the model counts), then its octet
// counters; the first failing read ends the fetch.
bool SettingsThread::FetchCounters(int ports) {
  const int counters = std::clamp<int>(node_.record().counterCount, 0, kMaxCounters);
  ErrorPair error;
  for (int p = 0; p < ports; ++p) {
    for (int c = 0; c < counters; ++c) {
      if (!node_.Get(Function::kStatusCounterFrameRx, FunctionIndex::PortCounter(p, c), error))
        return false;
    }
    for (int c = 0; c < counters; ++c) {
      if (!node_.Get(Function::kStatusCounterFrameTx, FunctionIndex::PortCounter(p, c), error))
        return false;
    }
    if (!node_.Get(Function::kStatusCounterOctetRx, FunctionIndex::Port(p), error) ||
        !node_.Get(Function::kStatusCounterOctetTx, FunctionIndex::Port(p), error)) {
      return false;
    }
  }
  return true;
}

void SettingsThread::ReadIdentity() {
  node_.identityRead = true;
  // Items read before are not read again; the whole is published at the end.
  unsigned read = identityRead_;
  const auto item = [&](unsigned bit, Function identity) {
    ErrorPair error;
    if ((read & bit) == 0 && node_.Get(identity, error)) read |= bit;
  };
  item(1, Function::kSystemMacAddress);
  item(2, Function::kFirmwareRevision);
  item(4, Function::kModelName);
  item(8, Function::kSerialNumber);
  node_.identityRead = false;
  identityRead_ = read;
  // The hook runs while the request still shows: whoever waits for the flag
  // to drop finds the hook's work (a posted task) queued already.
  if (hooks_.identityReadEnded) hooks_.identityReadEnded();
  identityRequested_ = false;
}

void SettingsThread::BulkRead() {
  SwitchRecord& record = node_.record();
  const std::int32_t model = ModelCodeOf(record.modelName.get());
  bulkTotal_ = BulkReadTotal(model);
  bulkDone_ = 0;
  const std::int32_t savedState = record.switchState;
  record.switchState = kStateBulk;

  // The identity first, then the settings in the order a bulk write sends
  // them (a per-port or per-entry function is read for all its ports or
  // entries before the next one).
  std::vector<Function> order = {Function::kBootRomVersion, Function::kSystemMacAddress};
  order.insert(order.end(), kBulkWriteOrder.begin(), kBulkWriteOrder.end());
  order.push_back(Function::kSystemMacAddress);
  if (HasPoe(model)) {
    order.push_back(Function::kPoeClass);
    order.push_back(Function::kSystemMacAddress);
  }
  order.push_back(Function::kRouteBackupPort);

  bool failed = false;
  for (Function setting : order) {
    const FunctionDescriptor& function = DescriptorOf(setting);
    if (!function.Requested()) continue;
    if (!ModelHasFunction(function, model)) continue;
    ForEachIndex(function, record, [&](int first, int second) {
      ErrorPair error;
      if (node_.Get(setting, FunctionIndex(first, second), error)) {
        ++bulkDone_;
      } else if (!failed) {
        failed = true;
        ReportFailedRequest(node_, error);
      }
      return true;  // the group of the first failure is read to its end
    });
    if (failed) break;
  }

  // The getters of a bulk run neither fingerprint nor save one by one.
  ComputeFingerprint(record);
  ErrorPair saveError;
  if (saver_ != nullptr) saver_->SaveConfigFile(saveError);
  if (failed) {
    record.failures.Clear();
    record.AddFailure(node_.lastCommandText.get());
    record.AddFailure(node_.lastMessageText.get());
  }
  lastRunFailed_ = failed;
  // A read of the switch ends with its live status too: whoever shows the
  // record after the read shows the ports as they are, not as a poll long
  // ago (or none) left them. Status reads skip a switch in the bulk state,
  // so the poll runs in the state from before the read (still "reading":
  // the request is not cleared yet).
  if (!failed) {
    record.switchState = savedState;
    Poll();
    record.switchState = kStateBulk;
  }
  bulkReadRequested_ = false;
  if (notices_ != nullptr) {
    notices_->Send(Notice{Notification::kModalRead, 0, 0, subject_}, 5000ms);
  }
  record.switchState = savedState;
}

bool SettingsThread::QueryFingerprint(std::uint32_t& fingerprint, ErrorPair& error) {
  for (;;) {
    Pdu pdu;
    pdu.application = PduType::kFingerprintQuery;
    pdu.body = EmptyBody{};
    SwitchTransactor& transactor = node_.transactor();
    if (!transactor.Transaction(pdu, {.transactionId = transactor.hub().NextTransactionId()},
                                error)) {
      return false;
    }
    if (pdu.application != PduType::kFingerprintAnswer) return error.Fail(kErrRxApplication);
    const auto& answer = std::get<FingerprintAnswerBody>(pdu.body);
    if (answer.result == 0) {
      fingerprint = static_cast<std::uint32_t>(answer.fingerprint);
      return true;
    }
    if (!Pause()) return error.Fail(kErrWindowClosed);
  }
}

bool SettingsThread::RequestSync(ErrorPair& error) {
  constexpr int kSyncAttempts = 60;
  SwitchTransactor& transactor = node_.transactor();
  for (;;) {
    Pdu pdu;
    pdu.application = PduType::kConfigSync;
    pdu.body = EmptyBody{};
    if (!transactor.Transaction(
            pdu, {.attempts = kSyncAttempts, .transactionId = transactor.hub().NextTransactionId()},
            error)) {
      return false;
    }
    if (pdu.application != PduType::kConfigSyncAnswer) return error.Fail(kErrRxApplication);
    const std::int32_t result = std::get<ResultBody>(pdu.body).result;
    if (result == 0) return true;
    if (result != 2) {
      FunctionResponse refused;
      refused.result = result;
      CheckResponse(refused, kValueNone, kOpExecute, error);
      return false;
    }
    if (!Pause()) return error.Fail(kErrWindowClosed);
  }
}

void SettingsThread::Synchronise() {
  SwitchRecord& record = node_.record();
  sync_ = Sync::kRunning;
  ComputeFingerprint(record, true);
  if (record.switchState == kStateNew) record.switchState = kStateSyncQuery;

  ErrorPair error;
  bool failed = false;
  bool differs = false;
  std::uint32_t reported = 0;
  if (!QueryFingerprint(reported, error)) {
    failed = true;
  } else if (reported != record.currentFingerprint) {
    if (hooks_.markModelUnknown) hooks_.markModelUnknown();
    Notify(Notification::kSwitchResyncStarted);
    record.switchState = kStateSyncRequest;
    bool written = RequestSync(error);
    if (written) {
      record.switchState = kStateBulk;
      written = BulkWrite(error);
      if (written) record.switchState = kStateBulkFinish;
    }
    ComputeFingerprint(record, true);
    ErrorPair saveError;
    if (!written) {
      failed = true;
      if (saver_ != nullptr) saver_->SaveConfigFile(saveError);
    } else if (QueryFingerprint(reported, error)) {
      record.savedFingerprint = record.currentFingerprint.load();
      if (saver_ != nullptr) saver_->SaveConfigFile(saveError);
      differs = reported != record.currentFingerprint;
    } else {
      failed = true;
    }
  }

  record.switchState = kStateIdle;
  if (failed || differs) {
    if (hooks_.markModelUnknown) hooks_.markModelUnknown();
  } else {
    ModelFixUp(record);
  }
  record.fingerprintValid = 1;
  lastSyncDone_ = true;
  lastRunFailed_ = failed || differs;
  sync_ = Sync::kNone;
  graceCount = 3;
  Notify(Notification::kSwitchWorkFinished);
}

bool SettingsThread::BulkWrite(ErrorPair& error) {
  SwitchRecord& record = node_.record();
  // The model code is marked unknown while a synchronisation runs: the
  // model name tells which functions the switch has.
  const std::int32_t model = ModelCodeOf(record.modelName.get());
  std::vector<Function> order(kBulkWriteOrder.begin(), kBulkWriteOrder.end());
  order.push_back(Function::kPoeClass);
  order.push_back(Function::kRouteBackupPort);

  // A failed setter is reported; the write goes on only when the report was
  // written (a refusal by the switch).
  const auto failedSoGoOn = [&](const ErrorPair& failure) {
    error = failure;
    return ReportFailedRequest(node_, failure);
  };

  for (Function setting : order) {
    const FunctionDescriptor& function = DescriptorOf(setting);
    if (!ModelHasFunction(function, model)) continue;  // the switch lacks it: nothing to write
    if (function.value == ValueKind::kText) {
      const std::string name = (record.*function.text).get();
      if (name.empty() || name == record.DefaultSystemName()) continue;
      ErrorPair failure;
      if (!node_.SetSystemName(name, Commit::kBulkWrite, failure) && !failedSoGoOn(failure)) {
        return false;
      }
      continue;
    }
    if (function.field == nullptr) continue;
    const bool ok = ForEachIndex(function, record, [&](int first, int second) {
      const std::int32_t value = StoredValue(function, record, first, second);
      if (IsDefaultValue(function, record, first, second, value)) return true;
      // The QoS rates are set by their selection numbers.
      const std::int32_t argument =
          function.selection != nullptr ? function.selection(record, first)->load() : value;
      ErrorPair failure;
      if (node_.Set(setting, FunctionIndex(first, second), argument, Commit::kBulkWrite, failure)) {
        return true;
      }
      return failedSoGoOn(failure);
    });
    if (!ok) return false;
  }
  return true;
}

}  // namespace ntr
