#include "sim/sim_switch.h"

#include <algorithm>

#include "base/text_encoding.h"
#include "catalogue/function_descriptors.h"
#include "catalogue/switch_model.h"
#include "sim/sim_functions.h"
#include "sim/switch_settings.h"

namespace ntr::sim {
namespace {

// The keyword refusals name a function by: the catalogue's, without the
// trailing blank of the fan-speed keyword.
std::string_view RefusalKeyword(std::uint16_t functionId) {
  const FunctionDescriptor* entry = FindFunctionById(functionId);
  if (entry == nullptr) return {};
  std::string_view keyword = entry->keyword;
  while (!keyword.empty() && keyword.back() == ' ') keyword.remove_suffix(1);
  return keyword;
}

std::int32_t ResultOf(const Pdu& answer) {
  if (const auto* response = std::get_if<FunctionResponse>(&answer.body)) return response->result;
  if (const auto* result = std::get_if<ResultBody>(&answer.body)) return result->result;
  if (const auto* fingerprint = std::get_if<FingerprintAnswerBody>(&answer.body))
    return fingerprint->result;
  return 0;
}

}  // namespace

SimSwitch::SimSwitch(const SwitchEntry& entry, TimePoint now) : entry_(entry), status_(now) {
  record_.switchMac = entry.mac.value_or(MacAddress{});
  record_.modelName = entry.model;
  record_.serialNumber = entry.serial;
  record_.firmwareRevision = entry.firmware;
  record_.bootRomVersion = entry.bootRom;
  ResetSettings(record_);
  firmware_.preparePending = entry.preparePending;
}

std::string SimSwitch::ReportedModel() const {
  return entry_.reportedModel.empty() ? record_.modelName.get() : entry_.reportedModel;
}

std::int32_t SimSwitch::Fingerprint() {
  if (factory_) return -1;
  ComputeFingerprint(record_);
  return static_cast<std::int32_t>(record_.currentFingerprint.load());
}

void SimSwitch::ResetToFactory() {
  ResetSettings(record_);
  factory_ = true;
}

std::int32_t SimSwitch::Refused(std::string_view keyword, bool function, std::int32_t otherwise) {
  return faults_.TakeRefusal(keyword, function).value_or(otherwise);
}

bool SimSwitch::Handle(const Pdu& request, TimePoint now, Pdu& answer, RequestLogEntry& entry) {
  entry.outcome = Outcome::kAnswered;
  const auto earlier = std::find_if(recent_.begin(), recent_.end(),
                                    [&](const Answered& done) { return done.request == request; });
  if (earlier != recent_.end()) {
    answer = earlier->answer;
    entry.repeated = true;
    entry.result = ResultOf(answer);
    if (const auto* response = std::get_if<FunctionResponse>(&answer.body))
      entry.answer = *response;
    if (const auto* body = std::get_if<FingerprintAnswerBody>(&answer.body))
      entry.fingerprint = body->fingerprint;
    return true;
  }
  bool restart = false;
  std::int32_t result = kResOk;
  switch (request.application) {
    case PduType::kFuncRequest: {
      FunctionResponse response;
      restart = HandleFunction(std::get<FunctionRequest>(request.body), now, response);
      entry.answer = response;
      result = response.result;
      answer.application = PduType::kFuncResponse;
      answer.body = response;
      break;
    }
    case PduType::kFingerprintQuery: {
      result = Refused("fingerprint", false, kResOk);
      const std::int32_t fingerprint = Fingerprint();
      entry.fingerprint = fingerprint;
      answer.application = PduType::kFingerprintAnswer;
      answer.body = FingerprintAnswerBody{result, fingerprint};
      break;
    }
    case PduType::kConfigSync:
      result = Refused("sync", false, -1);
      if (result < 0 && syncAnswered_ < entry_.syncPending) {
        ++syncAnswered_;
        result = kResPending;
      } else if (result < 0) {
        // Accepted: back to defaults, so that the tool's write brings the
        // switch in line with its copy.
        syncAnswered_ = 0;
        ResetToFactory();
        result = kResOk;
      }
      answer.application = PduType::kConfigSyncAnswer;
      answer.body = ResultBody{result};
      break;
    case PduType::kFirmPrepare:
      result = Refused("firmware-prepare", false, -1);
      if (result < 0) result = firmware_.Prepare();
      answer.application = PduType::kFirmPrepareAnswer;
      answer.body = ResultBody{result};
      break;
    case PduType::kFirmBlock: {
      const auto& block = std::get<FirmwareBlock>(request.body);
      entry.blockNumber = block.blockNumber;
      entry.blockLength = block.data.size();
      result = Refused("firmware-block", false, -1);
      if (result < 0) {
        std::optional<std::string> revision;
        result = firmware_.Block(block, revision);
        if (revision) {
          pendingRevision_ = revision;
          restart = true;
        }
      }
      answer.application = PduType::kFirmBlockAnswer;
      answer.body = ResultBody{result};
      break;
    }
    case PduType::kFirmAbort:
      result = Refused("firmware-abort", false, -1);
      if (result < 0) result = firmware_.Abort();
      answer.application = PduType::kFirmAbortAnswer;
      answer.body = ResultBody{result};
      break;
    default:
      return false;  // not a request a switch answers
  }
  entry.result = result;
  recent_.push_back({request, answer});
  if (recent_.size() > kRecentRequests) recent_.pop_front();
  if (restart) Restart(now);  // after the answer; the restart forgets it
  return true;
}

bool SimSwitch::HandleFunction(const FunctionRequest& request, TimePoint now,
                               FunctionResponse& response) {
  response = FunctionResponse{};
  bool restart = false;
  if (const auto refused = faults_.TakeRefusal(RefusalKeyword(request.functionId), true)) {
    response.result = *refused;
  } else if (!ModelHasFunction(record_.modelCode, request.functionId)) {
    response.result = kResNoFunction;
  } else if (!OperationAllowed(request.functionId, request.operation)) {
    response.result = kResAccess;
  } else {
    response.result = Operate(request, now, response, restart);
    if (FunctionOf(request.functionId) == Function::kModelName && response.result == kResOk) {
      response.octets = Utf8ToCp932Lossy(ReportedModel());
    }
  }
  if (response.result != kResOk) {
    response.valueType = kValueNone;
    response.octets.clear();
    restart = false;
  }
  return restart;
}

std::int32_t SimSwitch::Operate(const FunctionRequest& request, TimePoint now,
                                FunctionResponse& response, bool& restart) {
  const FunctionDescriptor& function = *FindFunctionById(request.functionId);
  switch (function.functionClass) {
    case FunctionClass::kIdentity:
    case FunctionClass::kSetting:
      if (request.operation == kOpGet) return GetSetting(record_, request, response);
      return Drift(request);
    case FunctionClass::kStatus:
      status_.Advance(record_, now);
      return status_.Get(record_, request, now, response);
    case FunctionClass::kAction:
      if (function.function == Function::kRestart) {
        restart = true;
        return kResOk;
      }
      return status_.Execute(request);
  }
  return kResNoFunction;
}

std::int32_t SimSwitch::Drift(const FunctionRequest& request) {
  const FunctionDescriptor* entry = FindFunctionById(request.functionId);
  if (entry == nullptr || entry->functionClass != FunctionClass::kSetting ||
      !ModelHasFunction(record_.modelCode, request.functionId)) {
    return kResNoFunction;
  }
  std::int32_t result = kResAccess;
  if (request.operation == kOpSet) result = SetSetting(record_, request);
  if (request.operation == kOpSetDefault) result = SetSettingDefault(record_, request);
  if (result == kResOk) factory_ = false;
  return result;
}

DiscoveryReply SimSwitch::AnswerDiscovery(const std::vector<MacAddress>& neighbours) {
  DiscoveryReply reply;
  reply.result = Refused("discovery", false, kResOk);
  reply.switchMac = record_.switchMac;
  reply.fingerprint = Fingerprint();
  reply.firstText = Utf8ToCp932Lossy(ReportedModel());
  reply.secondText =
      Utf8ToCp932Lossy(std::string(CutToChars(record_.systemName.get(), kSystemNameChars)));
  reply.neighbourMacs = neighbours;
  return reply;
}

void SimSwitch::Restart(TimePoint now) {
  silentUntil_ = now + std::chrono::milliseconds(entry_.restartMs);
  restarting_ = true;
  status_.Restart();
  firmware_.Abort();
  recent_.clear();
  syncAnswered_ = 0;
}

bool SimSwitch::Wake(TimePoint now) {
  if (!silentUntil_ || now < *silentUntil_) return false;
  silentUntil_.reset();
  restarting_ = false;
  if (pendingRevision_) {
    record_.firmwareRevision = *pendingRevision_;
    pendingRevision_.reset();
  }
  return true;
}

}  // namespace ntr::sim
