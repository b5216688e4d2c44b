// What a managed switch is doing, in one answer for front ends: the switch's
// record, its settings thread and discovery's view of it read together.
#pragma once

#include <string_view>

namespace ntr {

class ManagedSwitch;

enum class SwitchPhase {
  kIdentifying,       // its identity (MAC, firmware, model, serial) is being read
  kHeldBack,          // not (yet) adopted: the next discovery reply applies it (again)
  kReading,           // a bulk read of its settings runs (progress: done of total)
  kSynchronising,     // the tool's settings are being compared with or written to it
  kFirmwareUpdating,  // a firmware preparation or transfer runs
  kReadFailed,        // a read of its own settings failed; held back until adopted again
  kReady,             // managed and idle: its record is what the switch holds
  kRemoved,           // leaving management
};

struct SwitchStatus {
  SwitchPhase phase = SwitchPhase::kIdentifying;
  // Requests done and expected of a bulk read (kReading only; total may be 0
  // until the read has begun).
  int done = 0;
  int total = 0;
};

// The one place that tells the phase from the flags; from any thread.
SwitchStatus StatusOf(const ManagedSwitch& sw);
bool IsReady(const ManagedSwitch& sw);

// A short English word for logs and the command line ("ready", "reading", ...).
std::string_view PhaseName(SwitchPhase phase);

}  // namespace ntr
