// The pop-up's refresh worker: keeps what the pop-up shows of a switch or a
// port current. On every refresh tick it looks at the shown switch's record
// (kind 2) or fetches the shown port's counters and power from the switch
// (kind 3), and calls `changed` when a value differs from the one last
// shown. Plain C++: the window gives it its target and its ticks.
//
// The user-interface thread never waits on a switch here: Show and Hide
// only change the target under the lock, and a result for a target that is
// no longer shown is dropped. Forget is the one call that waits, and only
// for the worker to let go of a switch that is about to be destroyed; it
// aborts the worker's request to make that quick.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "app/switch_view.h"
#include "base/auto_reset_event.h"
#include "catalogue/switch_record.h"

namespace ntr::ui {

class PopupRefresher {
 public:
  // Starts the worker. `changed` is called on the worker's thread.
  explicit PopupRefresher(std::function<void()> changed);
  // Aborts a request in flight, stops and joins the worker.
  ~PopupRefresher();
  PopupRefresher(const PopupRefresher&) = delete;
  PopupRefresher& operator=(const PopupRefresher&) = delete;

  // The pop-up now shows `kind` (2 switch, 3 port; other kinds need no
  // refresh) of `sw`, port `port` (0-based). Takes the values shown now as
  // the ones to compare with and restarts the fetch count, so that the first
  // tick of a port fetches.
  void Show(int kind, SwitchView sw, int port);
  void Hide();
  // One tick of the refresh timer.
  void Tick();
  // Called just before `sw` is destroyed: when it returns, the worker does
  // not touch `sw` any more (a request of the worker's on it is aborted).
  void Forget(SwitchView sw);

  // Waits until every tick given so far has been dealt with; false on time-out (tests).
  bool WaitForTicks(std::chrono::milliseconds timeout);

  // Ticks between two fetches of a port's counters: the PoE model every 120th
  // tick (of 500 ms), the others every tick (of 60 s).
  static int FetchInterval(std::int32_t modelCode);

 private:
  // The values of the target that the pop-up shows and the worker compares.
  struct Shown {
    std::int32_t fanState = 0;
    std::array<std::int32_t, kFanCount> fanSpeeds{};
    std::int32_t temperature = 0;
    std::uint64_t txOctets = 0;
    std::uint64_t rxOctets = 0;
    std::array<std::uint64_t, kMaxCounters> txFrames{};
    std::array<std::uint64_t, kMaxCounters> rxFrames{};
    std::int32_t poeState = 0;
    std::int32_t poeSupply = 0;
    bool operator==(const Shown&) const = default;
  };
  struct Target {
    int kind = 0;
    SwitchView sw = nullptr;
    int port = -1;
  };

  void Run();
  void Refresh();
  // Fetches the port's counters (and power); stops at the first failure or
  // when the target changes.
  void Fetch(SwitchView sw, int port, std::uint64_t serial);
  static Shown Read(SwitchView sw, const Target& target);
  // Aborts the worker's requests on `sw` until it lets go of it. `lock` holds lock_.
  void Release(std::unique_lock<std::mutex>& lock, SwitchView sw);

  std::function<void()> changed_;

  std::mutex lock_;
  std::condition_variable released_;  // inUse_ cleared, or a round ended
  Target target_;
  std::uint64_t serial_ = 0;  // counts target changes
  Shown shown_;
  int ticks_ = 0;  // ticks since the last fetch
  SwitchView inUse_ = nullptr;
  bool stopping_ = false;
  std::uint64_t ticksGiven_ = 0;
  std::uint64_t ticksDone_ = 0;

  AutoResetEvent stop_;
  AutoResetEvent refresh_;
  std::thread thread_;  // last: starts when everything else is ready
};

}  // namespace ntr::ui
