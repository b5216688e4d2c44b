// Replacing a switch's firmware: the file is sent unchanged in numbered
// blocks of 512 bytes after a prepare command, followed by one empty block;
// the switch checks it. The job runs on its own thread; whoever shows the
// progress reads its state. Under management the job belongs to its
// ManagedSwitch, which ends and joins it before the switch goes.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "base/auto_reset_event.h"
#include "device/switch_client.h"

namespace ntr {

enum FirmwareState : int {
  kFirmwareNotStarted = 0,
  kFirmwareFileError = 1,
  kFirmwarePreparing = 2,
  kFirmwarePrepareFailed = 3,
  kFirmwareTransferring = 4,
  kFirmwareTransferFailed = 5,
  kFirmwareAborted = 6,
  kFirmwareCompleted = 7,
  kFirmwareSwitchGone = 8,
};

inline constexpr std::size_t kFirmwareBlockSize = 512;

// A switch's update as its owner tells it: whether one was started and has
// ended, its state, its progress in percent and the reason of a failure.
struct FirmwareStatus {
  bool started = false;
  bool finished = false;
  int state = kFirmwareNotStarted;
  int progress = 0;
  std::string errorText;
};

class FirmwareUpdate {
 public:
  // `stillManaged` tells whether the switch is still under management; it is
  // asked from the update thread (empty: always). `finished` is called on the
  // update thread at its end with the final state (may be empty).
  FirmwareUpdate(SwitchClient& node, std::string path, std::function<bool()> stillManaged = {},
                 std::function<void(int state)> finished = {});
  // Waits for the update thread.
  ~FirmwareUpdate();
  FirmwareUpdate(const FirmwareUpdate&) = delete;
  FirmwareUpdate& operator=(const FirmwareUpdate&) = delete;

  // Starts the update thread; false when it cannot be created.
  bool Start();
  // Asks the switch to abort; the update goes on if the switch refuses.
  void RequestAbort();
  // The switch leaves management: the update ends as soon as it can (the
  // caller closes the switch, so a waiting request ends at once) with
  // kFirmwareSwitchGone. Returns at once.
  void SwitchGone();
  // Waits for the update thread to end.
  void Wait();

  int state() const { return state_; }
  bool finished() const { return finished_; }
  int progress() const { return progress_; }
  std::string errorText() const;
  int blocksSent() const { return blocks_; }

 private:
  void Run();
  // The abort check before each step: true when the update must end.
  bool AbortCheck();
  void Fail(int state, const std::string& text);
  bool Gone() const { return gone_ || (stillManaged_ && !stillManaged_()); }
  // A second's pause that an abort request cuts short.
  void Pause();

  SwitchClient& node_;
  std::string path_;
  std::function<bool()> stillManaged_;
  std::function<void(int)> finishedHook_;
  std::atomic<bool> gone_{false};
  std::atomic<int> state_{kFirmwareNotStarted};
  std::atomic<bool> finished_{false};
  std::atomic<int> progress_{0};
  std::atomic<int> blocks_{0};
  std::atomic<bool> abort_{false};
  AutoResetEvent abortRequested_;
  mutable std::mutex textLock_;
  std::string errorText_;
  std::thread thread_;
};

}  // namespace ntr
