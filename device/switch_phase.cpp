#include "device/switch_phase.h"

#include "device/managed_switch.h"

namespace ntr {

SwitchStatus StatusOf(const ManagedSwitch& sw) {
  const SettingsThread& settings = sw.settings();
  const SwitchRecord& record = sw.client().record();
  const std::int32_t state = record.switchState;
  if (!sw.active()) return {SwitchPhase::kRemoved};
  if (FirmwareRunning(state)) return {SwitchPhase::kFirmwareUpdating};
  // A bulk read keeps the bulk state until its end has been handed over.
  if (settings.bulkReadRequested() || (state == kStateBulk && !settings.synchronising())) {
    return {SwitchPhase::kReading, settings.bulkDone(), settings.bulkTotal()};
  }
  if (settings.synchronisationPending() || SettingsRunRunning(state)) {
    return {SwitchPhase::kSynchronising};
  }
  if (!settings.identityComplete()) return {SwitchPhase::kIdentifying};
  if (sw.heldBack()) {
    return {record.readFailed != 0 ? SwitchPhase::kReadFailed : SwitchPhase::kHeldBack};
  }
  return {SwitchPhase::kReady};
}

bool IsReady(const ManagedSwitch& sw) { return StatusOf(sw).phase == SwitchPhase::kReady; }

std::string_view PhaseName(SwitchPhase phase) {
  switch (phase) {
    case SwitchPhase::kIdentifying:
      return "identifying";
    case SwitchPhase::kHeldBack:
      return "held-back";
    case SwitchPhase::kReading:
      return "reading";
    case SwitchPhase::kSynchronising:
      return "synchronising";
    case SwitchPhase::kFirmwareUpdating:
      return "firmware-updating";
    case SwitchPhase::kReadFailed:
      return "read-failed";
    case SwitchPhase::kReady:
      return "ready";
    case SwitchPhase::kRemoved:
      return "removed";
  }
  return "unknown";
}

}  // namespace ntr
