// Finding the switches of the segment: the discovery timer and its cycles,
// the replies and the topology they build, the managed-switch list, the lost
// check that drops silent switches, and the switches' notices.
//
// Threads: the timer thread sends requests and counts them; the receive
// thread accepts replies and applies notices; everything that changes the
// tree or the list runs on the main thread (through MainThread).
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "base/auto_reset_event.h"
#include "base/main_thread.h"
#include "base/notification.h"
#include "device/managed_switch.h"
#include "discovery/topology.h"
#include "transaction/transaction_hub.h"

namespace ntr {

class Discovery;

// Takes the switch of a node under management (creating its runtime object
// when the node has none). Runs on the main thread; it may run a nested
// event loop, after which it must find the node again by its MAC.
class SwitchAdopter {
 public:
  virtual ~SwitchAdopter() = default;
  virtual void AdoptSwitch(Discovery& discovery, TopologyNode& node, const Pdu& reply) = 0;
};

inline constexpr std::int32_t kDiscoveryQuery = 30;
// Switches whose replies wait for the main thread at most: one reply each
// (a newer reply replaces the one waiting); replies of further switches are
// dropped until the main thread catches up, as if lost on the wire (those
// of managed switches always find a place).
inline constexpr std::size_t kMaxWaitingReplies = 256;
inline constexpr int kDefaultWatchSeconds = 3;
inline constexpr int kDefaultDownCount = 3;

class Discovery {
 public:
  struct Hooks {
    // A switch is about to be removed (main thread): close what shows it.
    std::function<void(ManagedSwitch&)> switchRemoving;
  };

  Discovery(TransactionHub& hub, MainThread& main, NotificationSink* notices,
            SwitchAdopter& adopter, Hooks hooks = {}, TickSource ticks = SteadyTickMs);
  // Stops the timer thread and removes every switch.
  ~Discovery();
  Discovery(const Discovery&) = delete;
  Discovery& operator=(const Discovery&) = delete;

  // Routes the hub's discovery replies and notices here.
  void Connect();
  void SetAdapterMac(const MacAddress& mac);
  void SetWatch(int intervalSeconds, int downCount);

  // The timer thread: a cycle at once after a request, then every interval.
  bool StartTimer();
  void StopTimer();
  void RequestCycle(bool enabled, int intervalMs);
  // The cycle interval last requested.
  int cycleIntervalMs();

  // One discovery cycle (the timer thread runs it; tests may call it). The
  // lost check counts watch periods, not cycles: when cycles come faster
  // than the watch interval, only one cycle per watch interval (by the cycle
  // interval last requested) counts as an unanswered request, so a switch is
  // lost after watch interval x down count whatever the cycle interval.
  void RunCycle();
  // Receive thread: a discovery reply / a notice.
  void AcceptReply(const Pdu& reply);
  void HandleNotice(const Pdu& notice);
  // Main thread.
  void ApplyReplies();
  void LostCheck();
  void HandleLinkStatus(std::int64_t operStatus);
  void HandleFirmwareUpdated(const SwitchRef& updated);
  // Removes a switch: the hook runs first (it may run a nested loop), then
  // the switch object goes with every job on it (see ManagedSwitch).
  void RemoveSwitch(const SwitchRef& doomed);
  void RemoveSwitch(ManagedSwitch* doomed);
  void RemoveAll();
  // An identity read of a switch ended: its adoption goes on with the last
  // reply of its MAC (main thread; posted by the settings thread's hook).
  void ResumeAdoption(const SwitchRef& ref);

  // For the adopter (main thread): puts a new switch under management on
  // `node`; its identity reads resume its adoption.
  ManagedSwitch* AddSwitch(std::unique_ptr<ManagedSwitch> created, TopologyNode& node);
  TopologyNode* FindNode(const MacAddress& mac);
  // Main thread: the switch's place in the topology; null when it has none
  // (any more).
  TopologyNode* NodeOf(const ManagedSwitch& sw);
  // Main thread: the managed switch of this runtime object / of this MAC; null
  // when it is not (or no longer) managed.
  ManagedSwitch* Find(const SwitchRef& ref);
  ManagedSwitch* FindByMac(const MacAddress& mac);

  // Main thread: the managed switches in order of adoption.
  std::vector<ManagedSwitch*> Switches();
  // Main thread, or under care: the tree.
  Topology& topology() { return topology_; }
  std::mutex& topologyLock() { return topologyLock_; }
  TransactionHub& hub() { return hub_; }
  MainThread& mainThread() { return main_; }
  NotificationSink* notices() { return notices_; }

  // Conditions under which replies are not applied.
  std::atomic<bool> closing{false};
  std::atomic<bool> importRunning{false};
  std::atomic<bool> refreshRunning{false};

  std::uint32_t cyclesRun() const { return cycles_; }
  // Replies accepted from the link, and replies the main thread has dealt with.
  std::uint64_t repliesAccepted() const { return accepted_; }
  std::uint64_t repliesHandled() const { return handled_; }
  // Replies dropped because kMaxWaitingReplies switches were waiting, or
  // naming the tool's own adapter as the switch.
  std::uint64_t repliesDropped() const { return dropped_; }

  // The per-MAC tables, for their bounds: replies waiting for the main
  // thread, last replies kept for adoptions (main thread), MACs on the root's port.
  std::size_t waitingReplies();
  std::size_t lastRepliesKept() const { return lastReplies_.size(); }
  std::size_t rootPortEntries();

 private:
  void TimerLoop();
  void RemoveDoomed(const std::vector<SwitchRef>& doomed);
  bool HeldBack(TopologyNode& node);
  TopologyNode* NodeOfLocked(const ManagedSwitch& sw) const;

  TransactionHub& hub_;
  MainThread& main_;
  NotificationSink* notices_;
  SwitchAdopter& adopter_;
  Hooks hooks_;
  TickSource ticks_;

  std::atomic<int> watchSeconds_{kDefaultWatchSeconds};
  std::atomic<int> downCount_{kDefaultDownCount};

  // Timer.
  std::mutex timerLock_;
  bool cycleRequested_ = false;
  bool enabled_ = false;
  int intervalMs_ = 3000;
  int cyclesSinceCounted_ = 0;  // cycles since the last one the lost check counted
  AutoResetEvent timerStop_;
  AutoResetEvent timerWake_;
  std::thread timer_;
  std::atomic<std::uint32_t> cycles_{0};
  std::atomic<std::uint64_t> accepted_{0};
  std::atomic<std::uint64_t> handled_{0};

  // Replies waiting for the main thread, one per switch MAC in the order the
  // MACs first came (a newer reply replaces the one waiting, so a main thread
  // held up in a question finds at most one per switch); `resumed` marks a
  // reply given again to an adoption that waited for an identity read.
  struct QueuedReply {
    Pdu reply;
    bool resumed = false;
  };
  void Enqueue(Pdu reply, bool resumed, bool managed);
  std::mutex replyLock_;
  std::deque<MacAddress> replyOrder_;
  std::unordered_map<MacAddress, QueuedReply, MacAddressHash> replies_;
  bool applyPosted_ = false;  // an ApplyReplies task is on its way to the main thread
  std::atomic<std::uint64_t> dropped_{0};
  // The last reply of every switch of the tree (main thread).
  std::map<MacAddress, Pdu> lastReplies_;
  std::mutex reentryLock_;
  bool applying_ = false;
  std::mutex mailboxLock_;  // the one-slot mailbox of adoptions
  bool mailboxFull_ = false;

  std::mutex topologyLock_;
  // Each managed switch's place in the topology; main thread only, under the
  // topology lock (declared before the topology, which may still tell of a
  // node's removal as it goes).
  std::unordered_map<const ManagedSwitch*, TopologyNode*> nodes_;
  Topology topology_;
  std::vector<SwitchRef> removedByTree_;  // collected under the topology lock

  std::mutex switchListLock_;
  std::vector<std::unique_ptr<ManagedSwitch>> switches_;
  // Tasks posted from other threads hold it weakly and do nothing once it is gone.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
  const std::weak_ptr<int> aliveWatch_ = alive_;  // copied by other threads; never changed
};

}  // namespace ntr
