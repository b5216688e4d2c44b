#include "device/switch_client.h"

#include "base/text_encoding.h"
#include "catalogue/qos_speed.h"
#include "catalogue/switch_model.h"

namespace ntr {
namespace {

std::string RangeText(const char* what, int limit) {
  return std::string(what) + "の範囲は1～" + std::to_string(limit) + "です";
}

}  // namespace

SwitchClient::SwitchClient(TransactionHub& hub, SwitchRecord& record, ConfigSaver* saver,
                           TickSource ticks)
    : record_(&record),
      saver_(saver),
      transactor_(
          hub, record.switchState, [this] { return record_->switchMac.load(); }, std::move(ticks)) {
}

void SwitchClient::Attach() {
  SwitchRecord& r = *record_;
  r.macText = FormatSwitchMac(r.switchMac);
  ApplyModel(r);
  for (auto& port : r.ports) {
    port.shapingSelection = SelectionOf(port.shapingRate, r.qosSpeedUnit);
    port.policingSelection = SelectionOf(port.policingRate, r.qosSpeedUnit);
  }
}

bool SwitchClient::Busy(ErrorPair& error) const {
  const std::int32_t state = record_->switchState;
  return FirmwareRunning(state) && !error.Fail(kErrFirmwareUpdating);
}

bool SwitchClient::IndexesInRange(const FunctionDescriptor& function, FunctionIndex index) const {
  const int ports = std::min<int>(record_->portCount, kMaxPorts);
  const int counters = std::min<int>(record_->counterCount, kMaxCounters);
  const auto in = [](int value, int limit) { return value >= 0 && value < limit; };
  const int count = IndexCount(function);
  return (count < 1 || in(index.first, FirstIndexLimit(function, ports))) &&
         (count < 2 || in(index.second, SecondIndexLimit(function, ports, counters)));
}

bool SwitchClient::CheckIndexes(const FunctionDescriptor& function, FunctionIndex index,
                                ErrorPair& error) const {
  const int ports = std::min<int>(record_->portCount, kMaxPorts);
  const int counters = std::min<int>(record_->counterCount, kMaxCounters);
  const auto in = [](int value, int limit) { return value >= 0 && value < limit; };
  switch (function.index) {
    case IndexKind::kNone:
    case IndexKind::kDestination:
      return true;
    case IndexKind::kFan:
      if (!in(index.first, kFanCount))
        return error.Fail(kErrPortNumber, RangeText("FAN番号", kFanCount));
      return true;
    case IndexKind::kRegistration:
      if (!in(index.first, kVlanRegistrations)) {
        return error.Fail(kErrRegistrationNumber, RangeText("登録番号", kVlanRegistrations));
      }
      return true;
    case IndexKind::kPort:
    case IndexKind::kPortRegistration:
    case IndexKind::kPortGroup:
    case IndexKind::kPortCounter:
      break;
  }
  if (!in(index.first, ports)) return error.Fail(kErrPortNumber, RangeText("ポート番号", ports));
  switch (function.index) {
    case IndexKind::kPortRegistration:
      if (!in(index.second, kVlanRegistrations)) {
        return error.Fail(kErrRegistrationNumber, RangeText("登録番号", kVlanRegistrations));
      }
      break;
    case IndexKind::kPortGroup:
      if (!in(index.second, ports)) {
        return error.Fail(kErrOutOfRange, RangeText("マルチプルVLAN ID", ports));
      }
      break;
    case IndexKind::kPortCounter:
      if (!in(index.second, counters)) {
        return error.Fail(kErrCounterNumber, RangeText("カウンタ番号", counters));
      }
      break;
    default:
      break;
  }
  return true;
}

void SwitchClient::FillIndexes(FunctionRequest& request, const FunctionDescriptor& function,
                               std::int32_t indexType, FunctionIndex index) const {
  request.indexType = indexType;
  const int count = IndexCount(function);
  if (count == 0) request.indexType = kIndexNone;
  if (count >= 1) request.firstIndex = index.first + 1;
  if (count >= 2) request.secondIndex = index.second + 1;
}

bool SwitchClient::Refuse(const FunctionRequest& request, ErrorPair& /*error*/) {
  // A request refused before sending is still the one a bulk report names.
  if (record_->switchState == kStateBulk) transactor_.KeepLastRequest(request);
  return false;
}

bool SwitchClient::Exchange(const FunctionRequest& request, std::int32_t valueType,
                            FunctionResponse& response, ErrorPair& error) {
  return transactor_.ExecuteFunction(request, &response, error) &&
         CheckResponse(response, valueType, request.operation, error);
}

bool SwitchClient::Save(ErrorPair& error) {
  return saver_ == nullptr || saver_->SaveConfigFile(error);
}

bool SwitchClient::Finish(Commit commit, ErrorPair& error) {
  if (commit != Commit::kOperatorChange) return true;
  ComputeFingerprint(*record_);
  // A committed change always reads as changed against the saved file, even
  // when the CRC came back to the saved value.
  record_->savedFingerprint = record_->savedFingerprint + 1u;
  return Save(error);
}

bool SwitchClient::StoreIdentity(const FunctionDescriptor& function,
                                 const FunctionResponse& response) {
  SwitchRecord& r = *record_;
  if (function.value == ValueKind::kMacAddress) {
    if (response.octets.size() != 6) return false;  // not a MAC address: ignored
    MacAddress mac{};
    for (std::size_t i = 0; i < 6; ++i) mac[i] = static_cast<std::uint8_t>(response.octets[i]);
    r.switchMac = mac;
    r.macText = FormatSwitchMac(mac);
    return false;
  }
  r.*function.text = FileSafeText(Cp932ToUtf8Lossy(response.octets));
  // A text kept only in memory is neither fingerprinted nor saved.
  return !function.Has(kMemoryOnly) && !identityRead.load();
}

bool SwitchClient::Get(Function named, FunctionIndex index, ErrorPair& error) {
  const FunctionDescriptor* function = &DescriptorOf(named);
  const std::int32_t state = record_->switchState;
  if (function->Requested() && function->functionClass == FunctionClass::kStatus) {
    // A poll that meets a busy switch skips it.
    if (SwitchBusy(state)) return true;
  } else if (Busy(error)) {
    return false;
  }
  if (!function->Requested() || function->functionClass == FunctionClass::kAction) {
    return error.Fail(kErrFunctionInfo, std::string(function->keyword));
  }
  FunctionRequest request;
  request.operation = kOpGet;
  request.functionId = function->functionId;
  request.valueType = kValueNone;
  FillIndexes(request, *function, function->indexType, index);
  if (!CheckIndexes(*function, index, error)) return Refuse(request, error);

  const std::uint32_t noticesBefore = record_->statusNotices;
  FunctionResponse response;
  if (!Exchange(request, function->valueType, response, error)) return false;

  SwitchRecord& r = *record_;
  // A bulk read fingerprints and saves once at its end, not after each of
  // its thousands of reads.
  const bool bulk = r.switchState == kStateBulk;
  switch (function->functionClass) {
    case FunctionClass::kIdentity:
      if (!StoreIdentity(*function, response) || bulk) return true;
      ComputeFingerprint(r);
      return Save(error);
    case FunctionClass::kStatus:
      if (r.statusNotices != noticesBefore) return true;
      if (function->value == ValueKind::kCounter) {
        *function->counter(r, index.first, index.second) =
            static_cast<std::uint64_t>(response.intValue);
      } else if (const auto value = function->fromWire(response.intValue)) {
        *function->field(r, index.first, index.second) = *value;
      }
      return true;
    case FunctionClass::kSetting: {
      bool changed = false;
      if (function->value == ValueKind::kText) {
        std::string text(
            CutToChars(FileSafeText(Cp932ToUtf8Lossy(response.octets)), kSystemNameChars));
        changed = (r.*function->text).get() != text;
        r.*function->text = std::move(text);
      } else if (const auto value = function->fromWire(response.intValue)) {
        RelaxedInt32& field = *function->field(r, index.first, index.second);
        changed = field.load() != *value;
        field = *value;
        if (function->selection != nullptr) {
          *function->selection(r, index.first) = SelectionOf(*value, r.qosSpeedUnit);
        }
      }
      // A read that found what the tool holds writes nothing (a full disk
      // does not stop it).
      if (bulk || !changed) return true;
      ComputeFingerprint(r);
      return Save(error);
    }
    case FunctionClass::kAction:
      break;
  }
  return true;
}

bool SwitchClient::Set(Function named, FunctionIndex index, std::int32_t value, Commit commit,
                       ErrorPair& error) {
  if (Busy(error)) return false;
  const FunctionDescriptor* function = &DescriptorOf(named);
  if (!function->Requested() || function->functionClass != FunctionClass::kSetting ||
      function->field == nullptr) {
    return error.Fail(kErrFunctionInfo, std::string(function->keyword));
  }
  if (function->value == ValueKind::kQosRate) {
    return SetQosRate(*function, index.first, value, commit, error);
  }

  SwitchRecord& r = *record_;
  const bool inRange = IndexesInRange(*function, index);
  if (commit == Commit::kOperatorChange && inRange &&
      value == *function->field(r, index.first, index.second)) {
    return true;
  }

  FunctionRequest request;
  request.functionId = function->functionId;
  // A function without set-default (macaddress-aging) sends its default as a set.
  if ((function->operations & kOpsSetDefault) != 0 &&
      IsDefaultValue(*function, r, index.first, index.second, value)) {
    request.operation = kOpSetDefault;
    request.valueType = kValueNone;
  } else {
    request.operation = kOpSet;
    request.valueType = kValueInteger;
    request.intValue = static_cast<std::int64_t>(value) + function->wireOffset;
  }
  const std::int32_t indexType =
      function->setIndexType >= 0 ? function->setIndexType : function->indexType;
  FillIndexes(request, *function, indexType, index);

  if (!CheckIndexes(*function, index, error)) return Refuse(request, error);
  const int ports = std::min<int>(r.portCount, kMaxPorts);
  if (function->index == IndexKind::kDestination && (value < 0 || value >= ports)) {
    error.Fail(kErrPortNumber, RangeText("ポート番号", ports));
    return Refuse(request, error);
  }
  if (function->value == ValueKind::kRegistrationEntry &&
      (value < 0 || value >= kVlanRegistrations)) {
    error.Fail(kErrRegistrationNumber, RangeText("登録番号", kVlanRegistrations));
    return Refuse(request, error);
  }
  if (!function->rangeName.empty() && (value < function->min || value > function->max)) {
    error.Fail(kErrOutOfRange, RangeMessage(*function));
    return Refuse(request, error);
  }

  FunctionResponse response;
  if (!Exchange(request, function->valueType, response, error)) return false;
  *function->field(r, index.first, index.second) = value;
  return Finish(commit, error);
}

bool SwitchClient::SetQosRate(const FunctionDescriptor& function, int port, std::int32_t selection,
                              Commit commit, ErrorPair& error) {
  SwitchRecord& r = *record_;
  const bool operatorChange = commit == Commit::kOperatorChange;
  const FunctionIndex index = FunctionIndex::Port(port);
  if (IndexesInRange(function, index)) {
    RelaxedInt32& storedSelection = *function.selection(r, port);
    const RelaxedInt32& storedRate = *function.field(r, port, 0);
    if (operatorChange && selection == storedSelection) return true;
    if (operatorChange && ValidSelection(selection) &&
        kQosSelections[selection].rawValue == storedRate) {
      storedSelection = selection;
      return true;
    }
  }
  FunctionRequest request;
  request.functionId = function.functionId;
  FillIndexes(request, function, function.indexType, index);
  // A refused request is still a set: a bulk report names it as one, with
  // the rate asked for (the selection itself when it names no rate).
  request.operation = kOpSet;
  request.valueType = kValueInteger;
  request.intValue = ValidSelection(selection) ? kQosSelections[selection].rawValue : selection;
  if (!CheckIndexes(function, index, error)) return Refuse(request, error);
  if (selection != kNoSelection && !ValidSelection(selection)) {
    error.Fail(kErrSpeedValue);
    return Refuse(request, error);
  }
  RelaxedInt32& storedRate = *function.field(r, port, 0);
  const std::int32_t raw =
      selection == kNoSelection ? storedRate.load() : kQosSelections[selection].rawValue;
  if (IsDefaultValue(function, r, port, 0, raw)) {
    request.operation = kOpSetDefault;
    request.valueType = kValueNone;
    request.intValue = 0;
  } else {
    request.intValue = raw;
  }
  FunctionResponse response;
  if (!Exchange(request, function.valueType, response, error)) return false;
  *function.selection(r, port) = selection;
  if (selection != kNoSelection) storedRate = raw;
  return Finish(commit, error);
}

bool SwitchClient::SetSystemName(std::string_view name, Commit commit, ErrorPair& error) {
  if (Busy(error)) return false;
  const FunctionDescriptor* function = &DescriptorOf(Function::kSystemName);
  SwitchRecord& r = *record_;
  std::string text(CutToChars(name, kSystemNameChars));
  // Kept as code page 932 gives it back: the switch's and the file's form.
  if (std::string cp932, canonical; Utf8ToCp932(text, cp932) && Cp932ToUtf8(cp932, canonical)) {
    text = std::move(canonical);
  }
  if (commit == Commit::kOperatorChange && text == r.systemName.get()) return true;

  FunctionRequest request;
  request.functionId = function->functionId;
  if (text == r.DefaultSystemName()) {
    request.operation = kOpSetDefault;
    request.valueType = kValueNone;
  } else {
    request.operation = kOpSet;
    request.valueType = kValueOctets;
    // A name the switch's code page or the file's lines cannot carry is
    // refused rather than sent with characters replaced.
    if (FileSafeText(text) != text || !Utf8ToCp932(text, request.octets) ||
        request.octets.size() > 2 * kSystemNameChars) {
      error.Fail(kErrOutOfRange, "使用できない文字が含まれています");
      return Refuse(request, error);
    }
  }
  FunctionResponse response;
  if (!Exchange(request, function->valueType, response, error)) return false;
  r.systemName = text;
  return Finish(commit, error);
}

bool SwitchClient::Execute(Function action, ErrorPair& error) {
  if (Busy(error)) return false;
  const FunctionDescriptor* function = &DescriptorOf(action);
  if (!function->Requested() || function->functionClass != FunctionClass::kAction) {
    return error.Fail(kErrFunctionInfo, std::string(function->keyword));
  }
  FunctionRequest request;
  request.operation = kOpExecute;
  request.functionId = function->functionId;
  request.valueType = kValueNone;
  request.indexType = kIndexNone;
  FunctionResponse response;
  return Exchange(request, function->valueType, response, error);
}

}  // namespace ntr
