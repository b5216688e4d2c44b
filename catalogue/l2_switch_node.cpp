#include "catalogue/l2_switch_node.h"

#include "catalogue/function_catalogue.h"
#include "catalogue/qos_speed.h"
#include "catalogue/switch_model.h"
#include "protocol/text_encoding.h"

namespace ntr {
namespace {

std::string RangeText(const char* what, int limit) {
  return std::string(what) + "の範囲は1～" + std::to_string(limit) + "です";
}

bool IsQosRate(std::string_view keyword) {
  return keyword == "qos-policing-speed" || keyword == "qos-shaping-speed";
}

}  // namespace

L2SWITCHNODE::L2SWITCHNODE(TransactionHub& hub, tag_SWITCHDATA& record, ConfigSaver* saver,
                           TickSource ticks)
    : record_(&record),
      saver_(saver),
      transactor_(hub, record.switchState, [this] { return record_->switchMac.load(); },
                  std::move(ticks)) {}

void L2SWITCHNODE::Attach() {
  tag_SWITCHDATA& r = *record_;
  r.macText = FormatSwitchMac(r.switchMac);
  ApplyModel(r);
  for (auto& port : r.ports) {
    port.shapingSelection = SelectionOf(port.shapingRate, r.qosSpeedUnit);
    port.policingSelection = SelectionOf(port.policingRate, r.qosSpeedUnit);
  }
}

bool L2SWITCHNODE::Busy(ErrorPair& error) const {
  const std::int32_t state = record_->switchState;
  return FirmwareRunning(state) && !error.Fail(kErrFirmwareUpdating);
}

bool L2SWITCHNODE::IndexesInRange(const MemberSpec& member, int first, int second) const {
  const int ports = std::min<int>(record_->portCount, kMaxPorts);
  const int counters = std::min<int>(record_->counterCount, kMaxCounters);
  const auto in = [](int value, int limit) { return value >= 0 && value < limit; };
  switch (member.args) {
    case MemberArgs::kNone:
    case MemberArgs::kDestination:
      return true;
    case MemberArgs::kPort:
      return in(first, ports);
    case MemberArgs::kFan:
      return in(first, kFanCount);
    case MemberArgs::kRegistration:
      return in(first, kVlanRegistrations);
    case MemberArgs::kPortRegistration:
      return in(first, ports) && in(second, kVlanRegistrations);
    case MemberArgs::kPortGroup:
      return in(first, ports) && in(second, ports);
    case MemberArgs::kPortCounter:
      return in(first, ports) && in(second, counters);
  }
  return false;
}

bool L2SWITCHNODE::CheckIndexes(const MemberSpec& member, int first, int second,
                                ErrorPair& error) const {
  const int ports = std::min<int>(record_->portCount, kMaxPorts);
  const int counters = std::min<int>(record_->counterCount, kMaxCounters);
  const auto in = [](int value, int limit) { return value >= 0 && value < limit; };
  const bool hasPort = member.args == MemberArgs::kPort ||
                       member.args == MemberArgs::kPortRegistration ||
                       member.args == MemberArgs::kPortGroup ||
                       member.args == MemberArgs::kPortCounter;
  if (hasPort && !in(first, ports)) {
    return error.Fail(kErrPortNumber, RangeText("ポート番号", ports));
  }
  switch (member.args) {
    case MemberArgs::kFan:
      if (!in(first, kFanCount)) return error.Fail(kErrPortNumber, RangeText("FAN番号", kFanCount));
      break;
    case MemberArgs::kRegistration:
      if (!in(first, kVlanRegistrations)) {
        return error.Fail(kErrRegistrationNumber, RangeText("登録番号", kVlanRegistrations));
      }
      break;
    case MemberArgs::kPortRegistration:
      if (!in(second, kVlanRegistrations)) {
        return error.Fail(kErrRegistrationNumber, RangeText("登録番号", kVlanRegistrations));
      }
      break;
    case MemberArgs::kPortGroup:
      if (!in(second, ports)) {
        return error.Fail(kErrOutOfRange, RangeText("マルチプルVLAN ID", ports));
      }
      break;
    case MemberArgs::kPortCounter:
      if (!in(second, counters)) {
        return error.Fail(kErrCounterNumber, RangeText("カウンタ番号", counters));
      }
      break;
    case MemberArgs::kNone:
    case MemberArgs::kPort:
    case MemberArgs::kDestination:
      break;
  }
  return true;
}

void L2SWITCHNODE::FillIndexes(FUNCREQUEST& request, const MemberSpec& member,
                               std::int32_t indexType, int first, int second) const {
  request.indexType = indexType;
  switch (member.args) {
    case MemberArgs::kNone:
    case MemberArgs::kDestination:
      request.indexType = kIndexNone;
      break;
    case MemberArgs::kPort:
    case MemberArgs::kFan:
    case MemberArgs::kRegistration:
      request.firstIndex = first + 1;
      break;
    case MemberArgs::kPortRegistration:
    case MemberArgs::kPortGroup:
    case MemberArgs::kPortCounter:
      request.firstIndex = first + 1;
      request.secondIndex = second + 1;
      break;
  }
}

bool L2SWITCHNODE::Refuse(const FUNCREQUEST& request, ErrorPair& /*error*/) {
  // A request refused before sending is still the one a bulk report names.
  if (record_->switchState == kStateBulk) transactor_.KeepLastRequest(request);
  return false;
}

bool L2SWITCHNODE::Exchange(const FUNCREQUEST& request, std::int32_t valueType,
                            FUNCRESPONSE& response, ErrorPair& error) {
  return transactor_.ExecuteFunction(request, &response, error) &&
         CheckResponse(response, valueType, request.operation, error);
}

bool L2SWITCHNODE::Save(ErrorPair& error) {
  return saver_ == nullptr || saver_->SaveConfigFile(error);
}

bool L2SWITCHNODE::Finish(bool commit, ErrorPair& error) {
  if (!commit) return true;
  ComputeFingerprint(*record_);
  // A committed change always reads as changed against the saved file, even
  // when the CRC came back to the saved value.
  record_->savedFingerprint = record_->savedFingerprint + 1u;
  return Save(error);
}

bool L2SWITCHNODE::StoreIdentity(const MemberSpec& member, const FUNCRESPONSE& response) {
  tag_SWITCHDATA& r = *record_;
  if (member.keyword == "system-macaddress") {
    if (response.octets.size() != 6) return false;  // not a MAC address: ignored
    etherAddress mac{};
    for (std::size_t i = 0; i < 6; ++i) mac[i] = static_cast<std::uint8_t>(response.octets[i]);
    r.switchMac = mac;
    r.macText = FormatSwitchMac(mac);
    return false;
  }
  const std::string text = Cp932ToUtf8Lossy(response.octets);
  if (member.keyword == "boot-rom-version") {
    r.bootRomVersion = text;
    return false;
  }
  if (member.keyword == "firmware-revision") r.firmwareRevision = text;
  if (member.keyword == "serial-number") r.serialNumber = text;
  if (member.keyword == "model-name") r.modelName = text;
  return !identityRead.load();
}

void L2SWITCHNODE::StoreStatusCounter(std::string_view keyword, int port, int counter,
                                      std::int64_t value) {
  PortStatus& status = record_->portStatus[port];
  const auto count = static_cast<std::uint64_t>(value);
  if (keyword == "status-counter-frame-rx") status.rxFrames[counter] = count;
  if (keyword == "status-counter-frame-tx") status.txFrames[counter] = count;
  if (keyword == "status-counter-octet-rx") status.rxOctets = count;
  if (keyword == "status-counter-octet-tx") status.txOctets = count;
}

bool L2SWITCHNODE::Get(std::string_view keyword, int first, int second, ErrorPair& error) {
  const MemberSpec* member = FindMember(keyword);
  const std::int32_t state = record_->switchState;
  if (member != nullptr && member->kind == MemberKind::kStatus) {
    // A poll that meets a busy switch skips it.
    if (SwitchBusy(state)) return true;
  } else if (Busy(error)) {
    return false;
  }
  const FunctionEntry* entry = FindFunctionByKeyword(keyword);
  if (entry == nullptr || member == nullptr || member->kind == MemberKind::kAction) {
    return error.Fail(kErrFunctionInfo, std::string(keyword));
  }
  FUNCREQUEST request;
  request.operation = kOpGet;
  request.functionId = entry->functionId;
  request.valueType = kValueNone;
  FillIndexes(request, *member, entry->indexType, first, second);
  if (!CheckIndexes(*member, first, second, error)) return Refuse(request, error);

  FUNCRESPONSE response;
  if (!Exchange(request, entry->valueType, response, error)) return false;

  tag_SWITCHDATA& r = *record_;
  // A bulk read fingerprints and saves once at its end, not after each of
  // its thousands of reads.
  const bool bulk = r.switchState == kStateBulk;
  switch (member->kind) {
    case MemberKind::kIdentity:
      if (!StoreIdentity(*member, response) || bulk) return true;
      ComputeFingerprint(r);
      return Save(error);
    case MemberKind::kStatus:
      if (member->field == nullptr) {
        StoreStatusCounter(keyword, first, second, response.intValue);
      } else if (const auto value = member->fromWire(response.intValue)) {
        *member->field(r, first, second) = *value;
      }
      return true;
    case MemberKind::kSetting:
      if (keyword == "system-name") {
        r.systemName = std::string(CutToChars(Cp932ToUtf8Lossy(response.octets), kSystemNameChars));
      } else if (const auto value = member->fromWire(response.intValue)) {
        *member->field(r, first, second) = *value;
        if (IsQosRate(keyword)) {
          PortSettings& port = r.ports[first];
          const std::int32_t selection = SelectionOf(*value, r.qosSpeedUnit);
          (keyword == "qos-policing-speed" ? port.policingSelection : port.shapingSelection) =
              selection;
        }
      }
      if (bulk) return true;
      ComputeFingerprint(r);
      return Save(error);
    case MemberKind::kAction:
      break;
  }
  return true;
}

bool L2SWITCHNODE::Set(std::string_view keyword, int first, int second, std::int32_t value,
                       bool commit, ErrorPair& error) {
  if (Busy(error)) return false;
  const FunctionEntry* entry = FindFunctionByKeyword(keyword);
  const MemberSpec* member = FindMember(keyword);
  if (entry == nullptr || member == nullptr || member->kind != MemberKind::kSetting ||
      member->field == nullptr) {
    return error.Fail(kErrFunctionInfo, std::string(keyword));
  }
  if (IsQosRate(keyword)) return SetQosRate(*member, first, value, commit, error);

  tag_SWITCHDATA& r = *record_;
  const bool inRange = IndexesInRange(*member, first, second);
  if (commit && inRange && value == *member->field(r, first, second)) return true;

  FUNCREQUEST request;
  request.functionId = entry->functionId;
  // macaddress-aging goes out as a set, never as set-default.
  if (member->isDefault(r, first, second, value)) {
    request.operation = kOpSetDefault;
    request.valueType = kValueNone;
  } else {
    request.operation = kOpSet;
    request.valueType = kValueInteger;
    request.intValue = member->toWire(value);
  }
  const std::int32_t indexType = member->setIndexType >= 0 ? member->setIndexType : entry->indexType;
  FillIndexes(request, *member, indexType, first, second);

  if (!CheckIndexes(*member, first, second, error)) return Refuse(request, error);
  const int ports = std::min<int>(r.portCount, kMaxPorts);
  if (member->args == MemberArgs::kDestination && (value < 0 || value >= ports)) {
    error.Fail(kErrPortNumber, RangeText("ポート番号", ports));
    return Refuse(request, error);
  }
  if (keyword == "vlan-access" && (value < 0 || value >= kVlanRegistrations)) {
    error.Fail(kErrRegistrationNumber, RangeText("登録番号", kVlanRegistrations));
    return Refuse(request, error);
  }
  if (const auto range = member->checkValue(r, value)) {
    error.Fail(kErrOutOfRange, *range);
    return Refuse(request, error);
  }

  FUNCRESPONSE response;
  if (!Exchange(request, entry->valueType, response, error)) return false;
  *member->field(r, first, second) = value;
  return Finish(commit, error);
}

bool L2SWITCHNODE::SetQosRate(const MemberSpec& member, int port, std::int32_t selection,
                              bool commit, ErrorPair& error) {
  tag_SWITCHDATA& r = *record_;
  const FunctionEntry* entry = FindFunctionByKeyword(member.keyword);
  const bool policing = member.keyword == "qos-policing-speed";
  const bool inRange = IndexesInRange(member, port, 0);
  if (inRange) {
    PortSettings& settings = r.ports[port];
    S32& storedSelection = policing ? settings.policingSelection : settings.shapingSelection;
    const S32& storedRate = policing ? settings.policingRate : settings.shapingRate;
    if (commit && selection == storedSelection) return true;
    if (commit && ValidSelection(selection) &&
        kQosSelections[selection].rawValue == storedRate) {
      storedSelection = selection;
      return true;
    }
  }
  FUNCREQUEST request;
  request.functionId = entry->functionId;
  FillIndexes(request, member, entry->indexType, port, 0);
  if (!CheckIndexes(member, port, 0, error)) return Refuse(request, error);
  if (selection != kNoSelection && !ValidSelection(selection)) {
    error.Fail(kErrSpeedValue);
    return Refuse(request, error);
  }
  PortSettings& settings = r.ports[port];
  S32& storedRate = policing ? settings.policingRate : settings.shapingRate;
  const std::int32_t raw =
      selection == kNoSelection ? storedRate.load() : kQosSelections[selection].rawValue;
  if (raw == 1) {
    request.operation = kOpSetDefault;
    request.valueType = kValueNone;
  } else {
    request.operation = kOpSet;
    request.valueType = kValueInteger;
    request.intValue = raw;
  }
  FUNCRESPONSE response;
  if (!Exchange(request, entry->valueType, response, error)) return false;
  (policing ? settings.policingSelection : settings.shapingSelection) = selection;
  if (selection != kNoSelection) storedRate = raw;
  return Finish(commit, error);
}

bool L2SWITCHNODE::SetSystemName(std::string_view name, bool commit, ErrorPair& error) {
  if (Busy(error)) return false;
  const FunctionEntry* entry = FindFunctionByKeyword("system-name");
  if (entry == nullptr) return error.Fail(kErrFunctionInfo, "system-name");
  tag_SWITCHDATA& r = *record_;
  const std::string text(CutToChars(name, kSystemNameChars));
  if (commit && text == r.systemName.get()) return true;

  FUNCREQUEST request;
  request.functionId = entry->functionId;
  if (text == r.DefaultSystemName()) {
    request.operation = kOpSetDefault;
    request.valueType = kValueNone;
  } else {
    request.operation = kOpSet;
    request.valueType = kValueOctets;
    // A name the switch's code page cannot carry is refused rather than
    // sent with characters replaced.
    if (!Utf8ToCp932(text, request.octets) || request.octets.size() > 2 * kSystemNameChars) {
      error.Fail(kErrOutOfRange, "使用できない文字が含まれています");
      return Refuse(request, error);
    }
  }
  FUNCRESPONSE response;
  if (!Exchange(request, entry->valueType, response, error)) return false;
  r.systemName = text;
  return Finish(commit, error);
}

bool L2SWITCHNODE::Execute(std::string_view keyword, ErrorPair& error) {
  if (Busy(error)) return false;
  const FunctionEntry* entry = FindFunctionByKeyword(keyword);
  const MemberSpec* member = FindMember(keyword);
  if (entry == nullptr || member == nullptr || member->kind != MemberKind::kAction) {
    return error.Fail(kErrFunctionInfo, std::string(keyword));
  }
  FUNCREQUEST request;
  request.operation = kOpExecute;
  request.functionId = entry->functionId;
  request.valueType = kValueNone;
  request.indexType = kIndexNone;
  FUNCRESPONSE response;
  return Exchange(request, entry->valueType, response, error);
}

}  // namespace ntr
