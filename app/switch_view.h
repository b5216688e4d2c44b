// SwitchView: what a front end reads of one managed switch. A non-owning
// handle (one pointer, copied freely) that the application hands out; it
// reads the live record and the switch's state, never a copy. A default (or
// null) view names no switch. It stays valid while the switch is managed:
// the window keeps its views from the switch-created hook to the
// switch-removing hook, and looks a switch up again by SwitchRef otherwise.
// What changes a switch goes through SwitchService or Application.
#pragma once

#include <cstddef>
#include <functional>

#include "base/mac_address.h"
#include "base/notification.h"
#include "catalogue/switch_record.h"
#include "device/firmware_update.h"
#include "device/switch_phase.h"

namespace ntr {

class ManagedSwitch;

class SwitchView {
 public:
  SwitchView() = default;
  SwitchView(std::nullptr_t) {}
  SwitchView(ManagedSwitch* sw) : sw_(sw) {}
  SwitchView(ManagedSwitch& sw) : sw_(&sw) {}

  explicit operator bool() const { return sw_ != nullptr; }
  friend bool operator==(const SwitchView& a, const SwitchView& b) { return a.sw_ == b.sw_; }

  // The live record (its fields are atomics: reading never waits).
  const SwitchRecord& record() const;
  MacAddress mac() const;
  // How notices name the switch: its MAC and its generation.
  SwitchRef ref() const;
  // What the switch is doing (StatusOf), and whether it is managed and idle.
  SwitchStatus status() const;
  bool ready() const;
  // The switch's firmware update: started, finished, state, progress.
  FirmwareStatus firmwareStatus() const;
  // The settings thread: a status poll has answered once; the last
  // synchronisation ran to its end; one is asked for or runs.
  bool polledOnce() const;
  bool lastSyncDone() const;
  bool synchronisationPending() const;

  // The drawing of the switch: set by whoever draws it (null to clear);
  // Redraw calls it, from any thread.
  void SetRedraw(std::function<void()> redraw) const;
  void Redraw() const;

 private:
  friend class SwitchService;
  friend class Application;
  ManagedSwitch* sw_ = nullptr;
};

}  // namespace ntr
