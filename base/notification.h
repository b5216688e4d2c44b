// The notifications that worker threads hand to the user-interface thread.
// Each has its fixed number; the window implements NotificationSink by
// queuing the call onto its event loop, headless front ends and tests with a
// loop of their own. Nothing in the core assumes which.
//
// Only the notices the core sends or handles are here; what the window's
// own parts tell each other (focus, frame edges, icon or detail view) goes
// through the window's signals.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "base/error.h"
#include "base/mac_address.h"

namespace ntr {

enum class Notification : int {
  // Thread messages of the application object.
  kCaptureReadError = 0x501,     // value: the capture library's result code
  kFramesReceived = 0x502,       // frames queued and no receive-notice event set
  kPollNow = 0x505,              // to the view: discovery cycle and status polls now
  kRelayout = 0x506,             // to the view: lay the top page out again
  kFirmwareUpdated = 0x507,      // switch: the updated (restarting) switch
  kPopupSwitchChanged = 0x50C,   // switch: the switch (to the pop-up window)
  kTopPanelAction = 0x600,       // value: 1..5, see the top panel
  kSwitchResyncStarted = 0x602,  // switch: the switch (its panel)
  kSwitchWorkFinished = 0x603,   // switch: the switch (its panel); no switch: the import's end
  kLostCheck = 0x604,            // thread message: run the lost check
  kLinkStatus = 0x605,           // value: operational status, 1 = up
  kApplyResult = 0x606,          // switch, job: the apply job; error: its result (code 0 = done);
                                 // value: index of the failed change, -1 when none failed
  kModalRead = 0x607,            // value: 1 start, 0 end; switch: the switch
  kReadProgress = 0x608,         // value: percent; switch: the switch
  kFirmwareFinished = 0x609,     // switch: the switch; value: the update's final state
};

// Names a managed switch in a notice: its MAC and the generation of its
// runtime object. A switch that goes and comes back gets a new generation,
// so a notice about the old object is never taken for the new one.
struct SwitchRef {
  MacAddress mac{};
  std::uint64_t generation = 0;  // 0: no switch

  bool named() const { return generation != 0; }
  bool operator==(const SwitchRef&) const = default;
};

struct Notice {
  Notification message;
  std::int64_t value = 0;
  std::int64_t value2 = 0;
  SwitchRef switchRef{};  // the switch concerned, if any
  std::uint64_t job = 0;  // the job concerned, if any (kApplyResult)
  ErrorPair error{};      // a job's result (kApplyResult)
};

class NotificationSink {
 public:
  virtual ~NotificationSink() = default;

  // Queues the notice for the user-interface thread and returns at once.
  virtual void Post(const Notice& notice) = 0;

  // Hands the notice over and waits until it has been handled, at most
  // `timeout` when one is given. Returns false when the wait timed out or the
  // receiver is gone. Must not be called on the user-interface thread itself
  // unless the implementation handles that case directly.
  virtual bool Send(const Notice& notice,
                    std::optional<std::chrono::milliseconds> timeout = std::nullopt) = 0;
};

}  // namespace ntr
