// The notifications that worker threads hand to the user-interface thread.
// Each has its fixed number; the window implements NotificationSink by
// queuing the call onto its event loop, headless front ends and tests with a
// loop of their own. Nothing in the core assumes which.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace ntr {

enum class Notification : int {
  // Thread messages of the application object.
  kCaptureReadError = 0x501,     // wParam: the capture library's result code
  kFramesReceived = 0x502,       // frames queued and no receive-notice event set
  kScreenClosing = 0x503,        // subject: the closing screen (to the view)
  kSettingFrameClosed = 0x504,   // focus goes back to the top page
  kPollNow = 0x505,              // to the view: discovery cycle and status polls now
  kRelayout = 0x506,             // to the view: lay the top page out again
  kFirmwareUpdated = 0x507,      // subject: the updated switch
  kShowAllIcons = 0x508,         // to the view
  kShowAllDetailed = 0x509,      // to the view
  kSettingFrameEdges = 0x50A,    // wParam: right edge, lParam: bottom edge
  kRestartDiscovery = 0x50B,     // wParam: -1 stop, otherwise start
  kPopupSwitchChanged = 0x50C,   // to the pop-up window
  kApplyReplies = 0x50D,         // to the view: discovery replies are queued
  kFocusHandOver = 0x50E,        // wParam: focus position of a panel
  kTopPanelAction = 0x600,       // wParam: 1..5, see the top panel
  kSwitchResyncStarted = 0x602,  // subject: the switch (its panel)
  kSwitchWorkFinished = 0x603,   // subject: the switch (its panel), or the import's end
  kLostCheck = 0x604,            // thread message: run the lost check
  kLinkStatus = 0x605,           // wParam: operational status, 1 = up
  kApplyResult = 0x606,          // subject: the screen; wParam: result
  kModalRead = 0x607,            // wParam: 1 start, 0 end; subject: the switch
  kReadProgress = 0x608,         // wParam: percent; subject: the switch
};

struct Notice {
  Notification message;
  std::int64_t wParam = 0;
  std::int64_t lParam = 0;
  void* subject = nullptr;  // the switch, screen or thread object concerned, if any
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
