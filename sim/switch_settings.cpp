#include "sim/switch_settings.h"

#include "catalogue/switch_model.h"
#include "protocol/text_encoding.h"
#include "sim/sim_functions.h"

namespace ntr::sim {
namespace {

// Where one integer setting lives and what the switch accepts for it.
template <typename Field>
struct SlotOf {
  Field* field = nullptr;
  std::int32_t defaultValue = 0;  // stored form
  std::int32_t wireOffset = 0;    // wire value = stored value + offset
  std::int64_t min = 0;           // accepted wire values
  std::int64_t max = 0;
  int port = -1;                  // 0-based port of a per-port setting
  bool (*accepts)(std::int64_t wire, int port) = nullptr;  // a further check
};

constexpr std::size_t kMaxNameBytes = 64;

bool TransmitCounterType(std::int64_t type, int /*port*/) { return type <= 17 || type >= 26; }
bool PoeClassForPort(std::int64_t poeClass, int port) {
  return PoeClassOffered(port, static_cast<std::int32_t>(poeClass));
}

// Turns a 1-based wire number into a 0-based index below `count`.
bool IndexOf(std::int32_t number, std::int32_t count, int& index) {
  if (number < 1 || number > count) return false;
  index = number - 1;
  return true;
}

// Finds the slot of an integer setting; false for an index outside the
// switch's ranges or a function that is no integer setting. `Record` is
// tag_SWITCHDATA or its const form, which gives a read-only slot.
template <typename Record, typename Slot>
bool ResolveSlot(Record& r, const FUNCREQUEST& q, Slot& slot) {
  int p = 0;
  int second = 0;
  const auto port = [&] { return IndexOf(q.firstIndex, r.portCount, p); };
  const auto onOff = [&](auto& field, std::int32_t defaultValue) {
    slot = {&field, defaultValue, 0, 0, 1, p};
    return true;
  };
  switch (q.functionId) {
    case kFnEnergySaving: return onOff(r.energySaving, 0);
    case kFnLedBrightness: return onOff(r.ledBrightness, 0);
    case kFnPortSpeed:
      if (!port()) return false;
      slot = {&r.ports[p].speed, 1, 0, 1, 6, p};
      return true;
    case kFnPortUse: return port() && onOff(r.ports[p].use, 1);
    case kFnPortAutoCrossover: return port() && onOff(r.ports[p].autoCrossover, 1);
    case kFnPortSpeedDownshift: return port() && onOff(r.ports[p].speedDownshift, 1);
    case kFnPortFlowControl: return port() && onOff(r.ports[p].flowControl, 0);
    case kFnPortBlockingControl: return port() && onOff(r.ports[p].blockControlPackets, 0);
    case kFnPortBlockingData: return port() && onOff(r.ports[p].blockDataPackets, 0);
    case kFnMacAgeing: return onOff(r.macAgeing, 1);
    case kFnMacAgeingTimer: slot = {&r.macAgeingTime, 300, 0, 10, 64800}; return true;
    case kFnVlanId:
      if (!IndexOf(q.firstIndex, kVlanRegistrations, second)) return false;
      slot = {&r.vlanIds[second], 1, 0, 1, kMaxVlanId};
      return true;
    case kFnVlanPortMode:
      if (!port()) return false;
      slot = {&r.ports[p].vlanMode, 0, 0, 0, 2, p};
      return true;
    case kFnVlanAccess:
      if (!port()) return false;
      slot = {&r.ports[p].accessVlanEntry, 0, 1, 1, kVlanRegistrations, p};
      return true;
    case kFnVlanTrunk:
      if (!port() || !IndexOf(q.secondIndex, kVlanRegistrations, second)) return false;
      return onOff(r.ports[p].trunk[second], 0);
    case kFnVlanMultipleUse: return onOff(r.multipleVlanUse, 0);
    case kFnVlanMultiple:
      if (!port() || !IndexOf(q.secondIndex, r.portCount, second)) return false;
      return onOff(r.ports[p].multiple[second], 0);
    case kFnQosRemarkType:
      if (!port()) return false;
      slot = {&r.ports[p].dscpRemarkType, 0, 0, 0, 2, p};
      return true;
    case kFnQosRemarkClass:
      if (!port()) return false;
      slot = {&r.ports[p].dscpRemarkClass, 0, 0, 0, 4, p};
      return true;
    case kFnQosSpeedUnit: slot = {&r.qosSpeedUnit, 3, 0, 0, 3}; return true;
    case kFnQosPolicingUse: return port() && onOff(r.ports[p].policingUse, 0);
    case kFnQosPolicingSpeed:
      if (!port()) return false;
      slot = {&r.ports[p].policingRate, 1, 0, 1, 31, p};
      return true;
    case kFnQosShapingUse: return port() && onOff(r.ports[p].shapingUse, 0);
    case kFnQosShapingSpeed:
      if (!port()) return false;
      slot = {&r.ports[p].shapingRate, 1, 0, 1, 31, p};
      return true;
    case kFnMirroringUse: return onOff(r.mirroringUse, 0);
    case kFnMirroringDest:
      slot = {&r.mirrorDestination, DefaultMirrorDestination(r.modelName.get()), 1, 1, r.portCount};
      return true;
    case kFnMirroringSrcRx: return port() && onOff(r.ports[p].mirrorRx, 0);
    case kFnMirroringSrcTx: return port() && onOff(r.ports[p].mirrorTx, 0);
    case kFnCounterRxType:
      if (!port() || !IndexOf(q.secondIndex, r.counterCount, second)) return false;
      slot = {&r.ports[p].rxCounterTypes[second], kDefaultRxCounterTypes[second], 0, 0, 25, p};
      return true;
    case kFnCounterTxType:
      if (!port() || !IndexOf(q.secondIndex, r.counterCount, second)) return false;
      slot = {&r.ports[p].txCounterTypes[second], kDefaultTxCounterTypes[second], 0, 0, 28, p,
              TransmitCounterType};
      return true;
    case kFnLoopCount: slot = {&r.loopCount, 3, 0, 3, 65535}; return true;
    case kFnLoopTime: slot = {&r.loopDetectionTime, 3, 0, 2, 60}; return true;
    case kFnLoopLinkDown: slot = {&r.loopLinkDown, 0, 0, 0, 2}; return true;
    case kFnLoopRecoveryTimer: slot = {&r.loopRecoveryTime, 300, 0, 1, 86400}; return true;
    case kFnLoopPortUse: return port() && onOff(r.ports[p].loopDetect, 1);
    case kFnLoopControlPacket: return onOff(r.loopControlPackets, 1);
    case kFnPoeClass:
      if (!port()) return false;
      slot = {&r.ports[p].poeClass, DefaultPoeClass(p), 0, 0, 5, p, PoeClassForPort};
      return true;
    case kFnBackupPort:
      if (!port()) return false;
      slot = {&r.ports[p].backupPort, -1, 1, 0, r.portCount, p};
      return true;
    default:
      return false;
  }
}

void Octets(FUNCRESPONSE& response, std::string bytes) {
  response.valueType = kValueOctets;
  response.octets = std::move(bytes);
}

using Slot = SlotOf<S32>;
using ReadSlot = SlotOf<const S32>;

bool Accepts(const Slot& slot, std::int64_t wire) {
  if (wire < slot.min || wire > slot.max) return false;
  return slot.accepts == nullptr || slot.accepts(wire, slot.port);
}

}  // namespace

std::int32_t GetSetting(const tag_SWITCHDATA& record, const FUNCREQUEST& request,
                        FUNCRESPONSE& response) {
  switch (request.functionId) {
    case kFnBootRomVersion: Octets(response, Utf8ToCp932Lossy(record.bootRomVersion.get())); return kResOk;
    case kFnFirmwareRevision: Octets(response, Utf8ToCp932Lossy(record.firmwareRevision.get())); return kResOk;
    case kFnSerialNumber: Octets(response, Utf8ToCp932Lossy(record.serialNumber.get())); return kResOk;
    case kFnModelName: Octets(response, Utf8ToCp932Lossy(record.modelName.get())); return kResOk;
    case kFnSystemName: Octets(response, Utf8ToCp932Lossy(record.systemName.get())); return kResOk;
    case kFnSystemMac: {
      const etherAddress mac = record.switchMac;
      Octets(response, std::string(mac.begin(), mac.end()));
      return kResOk;
    }
    default:
      break;
  }
  ReadSlot slot;
  if (!ResolveSlot(record, request, slot)) return kResParameter;
  response.valueType = kValueInteger;
  response.intValue = static_cast<std::int64_t>(slot.field->load()) + slot.wireOffset;
  return kResOk;
}

std::int32_t SetSetting(tag_SWITCHDATA& record, const FUNCREQUEST& request) {
  if (request.functionId == kFnSystemName) {
    std::string name;
    if (request.valueType != kValueOctets || request.octets.empty() ||
        request.octets.size() > kMaxNameBytes || !Cp932ToUtf8(request.octets, name)) {
      return kResParameter;
    }
    record.systemName = name;
    return kResOk;
  }
  Slot slot;
  if (request.valueType != kValueInteger || !ResolveSlot(record, request, slot) ||
      !Accepts(slot, request.intValue)) {
    return kResParameter;
  }
  *slot.field = static_cast<std::int32_t>(request.intValue - slot.wireOffset);
  return kResOk;
}

std::int32_t SetSettingDefault(tag_SWITCHDATA& record, const FUNCREQUEST& request) {
  if (request.functionId == kFnSystemName) {
    record.systemName = record.DefaultSystemName();
    return kResOk;
  }
  Slot slot;
  if (!ResolveSlot(record, request, slot)) return kResParameter;
  *slot.field = slot.defaultValue;
  return kResOk;
}

void ResetSettings(tag_SWITCHDATA& record) {
  tag_SWITCHDATA fresh;
  fresh.switchMac = record.switchMac;
  fresh.macText = FormatSwitchMac(record.switchMac);
  fresh.modelName = record.modelName;
  fresh.serialNumber = record.serialNumber;
  fresh.firmwareRevision = record.firmwareRevision;
  fresh.bootRomVersion = record.bootRomVersion;
  ApplyModel(fresh);
  fresh.systemName = fresh.DefaultSystemName();
  fresh.mirrorDestination = DefaultMirrorDestination(fresh.modelName.get());
  record = fresh;
}

}  // namespace ntr::sim
