// Replacing a switch's firmware: the file is sent unchanged in numbered
// blocks of 512 bytes after a prepare command, followed by one empty block;
// the switch checks it. The job runs on its own thread; whoever shows the
// progress reads its state.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "catalogue/l2_switch_node.h"
#include "protocol/auto_reset_event.h"

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

class FirmwareUpdate {
 public:
  // `stillManaged` tells whether the switch is still under management; it is
  // asked from the update thread.
  FirmwareUpdate(L2SWITCHNODE& node, std::string path, std::function<bool()> stillManaged);
  // Waits for the update thread.
  ~FirmwareUpdate();
  FirmwareUpdate(const FirmwareUpdate&) = delete;
  FirmwareUpdate& operator=(const FirmwareUpdate&) = delete;

  // Starts the update thread; false when it cannot be created.
  bool Start();
  // Asks the switch to abort; the update goes on if the switch refuses.
  void RequestAbort();
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
  // A second's pause that an abort request cuts short.
  void Pause();

  L2SWITCHNODE& node_;
  std::string path_;
  std::function<bool()> stillManaged_;
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
