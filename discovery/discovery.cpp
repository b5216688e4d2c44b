#include "discovery/discovery.h"

#include <algorithm>
#include <system_error>

#include "catalogue/switch_record.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;

bool Synchronising(const ManagedSwitch* sw) {
  if (sw == nullptr) return false;
  return SettingsTransferRunning(sw->client().record().switchState);
}

}  // namespace

Discovery::Discovery(TransactionHub& hub, MainThread& main, NotificationSink* notices,
                     SwitchAdopter& adopter, Hooks hooks, TickSource ticks)
    : hub_(hub),
      main_(main),
      notices_(notices),
      adopter_(adopter),
      hooks_(std::move(hooks)),
      ticks_(std::move(ticks)),
      topology_([this](TopologyNode& node) {
        // Under the topology lock: only note the switch; it is removed after.
        if (node.managed != nullptr) {
          nodes_.erase(node.managed);
          removedByTree_.push_back(node.managed->ref());
        }
      }) {}

Discovery::~Discovery() {
  closing = true;
  alive_.reset();
  StopTimer();
  hub_.SetDiscoveryReplyHook(nullptr);
  hub_.SetNoticeHook(nullptr);
  RemoveAll();
}

void Discovery::Connect() {
  hub_.SetDiscoveryReplyHook([this](const Pdu& reply) { AcceptReply(reply); });
  hub_.SetNoticeHook([this](const Pdu& notice) { HandleNotice(notice); });
}

void Discovery::SetAdapterMac(const MacAddress& mac) {
  std::lock_guard<std::mutex> lock(topologyLock_);
  topology_.SetAdapterMac(mac);
}

void Discovery::SetWatch(int intervalSeconds, int downCount) {
  watchSeconds_ = intervalSeconds;
  downCount_ = downCount;
}

bool Discovery::StartTimer() {
  if (timer_.joinable()) return true;
  timerStop_.Reset();
  try {
    timer_ = std::thread([this] { TimerLoop(); });
  } catch (const std::system_error&) {
    return false;  // the view goes on without periodic discovery
  }
  return true;
}

void Discovery::StopTimer() {
  if (!timer_.joinable()) return;
  timerStop_.Set();
  timer_.join();
}

void Discovery::RequestCycle(bool enabled, int intervalMs) {
  {
    std::lock_guard<std::mutex> lock(timerLock_);
    cycleRequested_ = true;
    enabled_ = enabled;
    intervalMs_ = intervalMs;
  }
  timerWake_.Set();
}

int Discovery::cycleIntervalMs() {
  std::lock_guard<std::mutex> lock(timerLock_);
  return intervalMs_;
}

void Discovery::TimerLoop() {
  std::uint32_t lastCycle = ticks_();
  for (;;) {
    bool requested = false;
    bool enabled = false;
    int interval = 0;
    {
      std::lock_guard<std::mutex> lock(timerLock_);
      requested = cycleRequested_;
      cycleRequested_ = false;
      enabled = enabled_;
      interval = intervalMs_;
    }
    if (enabled && (requested || ticks_() - lastCycle >= static_cast<std::uint32_t>(interval))) {
      RunCycle();
      lastCycle = ticks_();
    }
    // The timer looks every 100 ms; a request or stop wakes it at once.
    if (WaitForAny({&timerStop_, &timerWake_}, 100ms) == 0) return;
  }
}

void Discovery::RunCycle() {
  // The request is counted before the lost check is posted, so the check
  // sees this cycle's request however soon the main thread takes it.
  bool counts = false;
  {
    std::lock_guard<std::mutex> lock(timerLock_);
    const int interval = std::max(1, intervalMs_);
    const int perWatch = std::max(1, (watchSeconds_.load() * 1000 + interval - 1) / interval);
    counts = ++cyclesSinceCounted_ >= perWatch;
    if (counts) cyclesSinceCounted_ = 0;
  }
  if (counts) {
    std::lock_guard<std::mutex> lock(switchListLock_);
    for (auto& sw : switches_) {
      if (sw->active()) sw->CountRequest();
    }
  }
  main_.Post([this, alive = aliveWatch_] {
    if (alive.lock()) LostCheck();
  });
  DiscoveryRequest request;
  request.queryValue = kDiscoveryQuery;
  request.requesterMac = hub_.sourceMac();
  {
    std::lock_guard<std::mutex> lock(topologyLock_);
    if (topology_.size() >= kMaxTopologyNodes) {
      for (const auto& node : topology_.nodes()) {
        if (request.listedMacs.size() == kMaxTopologyNodes) break;
        request.listedMacs.push_back(node->switchMac);
      }
    }
  }
  Pdu pdu;
  pdu.application = PduType::kDiscoveryRequest;
  pdu.body = request;
  // The ID is the last discovery ID before the request leaves: the first
  // replies can come back before the send returns.
  const std::int32_t id = hub_.NextTransactionId();
  hub_.lastDiscoveryTransactionId = id;
  ErrorPair error;
  hub_.SendPdu(pdu, kSwitchGroupAddress, {.transactionId = id}, error);
  ++cycles_;
}

void Discovery::AcceptReply(const Pdu& reply) {
  if (reply.transactionId != hub_.lastDiscoveryTransactionId) return;
  // A reply naming the tool's own adapter as the switch is forged or a loop:
  // the adapter is the root of the tree, never a switch in it.
  const MacAddress adapter = hub_.sourceMac();
  if (reply.sourceMac == adapter || std::get<DiscoveryReply>(reply.body).switchMac == adapter) {
    ++dropped_;
    return;
  }
  bool managed = false;
  {
    std::lock_guard<std::mutex> lock(switchListLock_);
    for (auto& sw : switches_) {
      if (sw->active() && sw->mac() == reply.sourceMac) {
        sw->MarkAnswered();
        managed = true;
        break;
      }
    }
  }
  Enqueue(reply, false, managed);
}

void Discovery::Enqueue(Pdu reply, bool resumed, bool managed) {
  bool post = false;
  {
    std::lock_guard<std::mutex> lock(replyLock_);
    const MacAddress mac = reply.sourceMac;
    if (auto waiting = replies_.find(mac); waiting != replies_.end()) {
      // The newer reply takes the place of the one waiting, which counts as
      // dealt with; a resumed adoption is served by a new reply as well.
      if (resumed) return;
      if (!waiting->second.resumed) ++handled_;
      waiting->second = QueuedReply{std::move(reply), false};
      ++accepted_;
      return;
    }
    // A managed switch's reply always finds a place (there are at most 8 of them).
    if (replies_.size() >= kMaxWaitingReplies && !managed && !resumed) {
      ++dropped_;
      return;
    }
    replies_.emplace(mac, QueuedReply{std::move(reply), resumed});
    replyOrder_.push_back(mac);
    if (!resumed) ++accepted_;
    post = !applyPosted_;
    applyPosted_ = true;
  }
  if (post) {
    // The loop may outlive this discovery (a stop and a new start share it).
    main_.Post([this, alive = aliveWatch_] {
      if (!alive.lock()) return;
      {
        std::lock_guard<std::mutex> lock(replyLock_);
        applyPosted_ = false;
      }
      ApplyReplies();
    });
  }
}

std::size_t Discovery::waitingReplies() {
  std::lock_guard<std::mutex> lock(replyLock_);
  return replies_.size();
}

std::size_t Discovery::rootPortEntries() {
  std::lock_guard<std::mutex> lock(topologyLock_);
  return topology_.rootPort().size();
}

void Discovery::ApplyReplies() {
  {
    std::lock_guard<std::mutex> lock(reentryLock_);
    if (applying_) return;
    applying_ = true;
  }
  for (;;) {
    Pdu reply;
    bool resumed = false;
    {
      std::lock_guard<std::mutex> lock(replyLock_);
      if (replyOrder_.empty()) break;
      const auto waiting = replies_.find(replyOrder_.front());
      reply = std::move(waiting->second.reply);
      resumed = waiting->second.resumed;
      replies_.erase(waiting);
      replyOrder_.pop_front();
    }
    struct Handled {
      std::atomic<std::uint64_t>& count;
      bool counts;
      ~Handled() {
        if (counts) ++count;
      }
    } handled{handled_, !resumed};
    if (closing || importRunning || refreshRunning) continue;
    const auto& body = std::get<DiscoveryReply>(reply.body);

    TopologyNode* node = nullptr;
    std::vector<SwitchRef> doomed;
    {
      std::lock_guard<std::mutex> lock(topologyLock_);
      if (reply.sourceMac == body.switchMac) topology_.RecordOnRoot(reply.sourceMac);
      topology_.FindOrInsert(reply.sourceMac, body.neighbourMacs);
      doomed.swap(removedByTree_);
    }
    // The removal hooks may run a nested loop (a message box) in which
    // anything can go: the node is looked up again afterwards.
    RemoveDoomed(doomed);
    node = FindNode(reply.sourceMac);
    if (node == nullptr) continue;
    // Kept for the switches of the tree only (LostCheck forgets the others).
    if (!resumed) lastReplies_[reply.sourceMac] = reply;

    ManagedSwitch* sw = node->managed;
    const bool apply = sw == nullptr || (!sw->client().transactor().RecentlyChanged() &&
                                         sw->heldBack() && (!node->applied || sw->adoptAgain()));
    if (apply) {
      bool taken = false;
      {
        std::lock_guard<std::mutex> lock(mailboxLock_);
        taken = !mailboxFull_;
        mailboxFull_ = true;
      }
      if (taken) {
        node->applied = true;
        if (sw != nullptr) sw->SetAdoptAgain(false);
        adopter_.AdoptSwitch(*this, *node, reply);
        std::lock_guard<std::mutex> lock(mailboxLock_);
        mailboxFull_ = false;
      }
      // An adoption may have run a nested loop in which the tree changed.
      node = FindNode(reply.sourceMac);
      if (node == nullptr) continue;
      sw = node->managed;
    }

    if (sw == nullptr || !sw->active()) continue;
    if (sw->discoveryPaused() || !sw->settings().identityComplete()) continue;
    sw->MarkAnswered();
    SwitchRecord& record = sw->record();
    if (!sw->client().transactor().RecentlyChanged() && record.fingerprintValid &&
        static_cast<std::uint32_t>(body.fingerprint) != record.savedFingerprint) {
      ErrorPair error;
      // Held back, the switch must be adopted again at a later reply
      // (applied already, it would otherwise stay without polls for good).
      if (!sw->settings().RequestSynchronisation(error)) {
        sw->HoldBack();
        sw->SetAdoptAgain(true);
      }
    }
    int present = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(kMaxNeighbours); ++i) {
      const bool filled = i < body.neighbourMacs.size() && body.neighbourMacs[i] != MacAddress{};
      record.neighbourMacs[i] = filled ? body.neighbourMacs[i] : MacAddress{};
      record.neighbourPresent[i] = filled ? 1 : 0;
      present += filled ? 1 : 0;
    }
    record.neighbourCount = present;
  }
  std::lock_guard<std::mutex> lock(reentryLock_);
  applying_ = false;
}

// Only a synchronisation under way holds a removal back: a grace after one
// would keep a silent switch beyond watch interval x (down count + 1).
bool Discovery::HeldBack(TopologyNode& node) {
  bool held = Synchronising(node.managed);
  for (TopologyNode* below : topology_.Below(node)) {
    if (Synchronising(below->managed)) held = true;
  }
  return held;
}

void Discovery::LostCheck() {
  {
    // Once a cycle: MACs seen but never taken into the tree are forgotten
    // after a few cycles, and so are the last replies of MACs that left it.
    std::lock_guard<std::mutex> lock(topologyLock_);
    topology_.EndCycle();
    std::erase_if(lastReplies_,
                  [&](const auto& entry) { return topology_.Find(entry.first) == nullptr; });
  }
  std::vector<SwitchRef> doomed;
  for (ManagedSwitch* sw : Switches()) {
    if (!sw->active()) continue;
    if (sw->Unanswered() < static_cast<std::uint32_t>(std::max(0, downCount_.load())) ||
        sw->client().transactor().RecentlyChanged()) {
      continue;
    }
    sw->settings().graceCount = 0;
    std::lock_guard<std::mutex> lock(topologyLock_);
    TopologyNode* node = NodeOfLocked(*sw);
    if (node == nullptr || node->parent != nullptr || HeldBack(*node)) continue;
    topology_.Remove(*node);
    doomed.insert(doomed.end(), removedByTree_.begin(), removedByTree_.end());
    removedByTree_.clear();
  }
  RemoveDoomed(doomed);
  if (!doomed.empty() && notices_ != nullptr && !closing) {
    notices_->Post(Notice{Notification::kRelayout});
  }
}

void Discovery::HandleLinkStatus(std::int64_t operStatus) {
  if (operStatus == 1) return;
  std::vector<SwitchRef> doomed;
  {
    std::lock_guard<std::mutex> lock(topologyLock_);
    if (topology_.nodes().empty()) return;
    TopologyNode& first = *topology_.nodes().front();
    if (first.parent != nullptr || HeldBack(first)) return;
    topology_.Remove(first);
    doomed.swap(removedByTree_);
  }
  RemoveDoomed(doomed);
  if (!doomed.empty() && notices_ != nullptr && !closing) {
    notices_->Post(Notice{Notification::kRelayout});
  }
}

void Discovery::HandleFirmwareUpdated(const SwitchRef& ref) {
  ManagedSwitch* updated = Find(ref);
  if (updated == nullptr) return;
  std::vector<SwitchRef> doomed;
  {
    std::lock_guard<std::mutex> lock(topologyLock_);
    TopologyNode* node = NodeOfLocked(*updated);
    if (node != nullptr && node->parent == nullptr) {
      topology_.Remove(*node);
      doomed.swap(removedByTree_);
    }
  }
  if (doomed.empty()) {
    if (notices_ != nullptr) notices_->Post(Notice{Notification::kSwitchResyncStarted, 0, 0, ref});
    return;
  }
  RemoveDoomed(doomed);
  if (notices_ != nullptr && !closing) notices_->Post(Notice{Notification::kRelayout});
}

void Discovery::RemoveDoomed(const std::vector<SwitchRef>& doomed) {
  for (const SwitchRef& sw : doomed) RemoveSwitch(sw);
}

void Discovery::RemoveSwitch(ManagedSwitch* doomed) {
  if (doomed != nullptr) RemoveSwitch(doomed->ref());
}

// Switches are named by reference, never by pointer: a removal hook may run
// a nested loop in which other switches go and new ones take their addresses.
void Discovery::RemoveSwitch(const SwitchRef& doomed) {
  std::unique_ptr<ManagedSwitch> owned;
  {
    std::lock_guard<std::mutex> lock(switchListLock_);
    auto it = std::find_if(switches_.begin(), switches_.end(),
                           [&](const auto& sw) { return sw->ref() == doomed; });
    if (it == switches_.end()) return;
    (*it)->SetActive(false);
    owned = std::move(*it);
    switches_.erase(it);
  }
  {
    std::lock_guard<std::mutex> lock(topologyLock_);
    if (const auto found = nodes_.find(owned.get()); found != nodes_.end()) {
      found->second->managed = nullptr;
      nodes_.erase(found);
    }
  }
  lastReplies_.erase(doomed.mac);
  if (hooks_.switchRemoving) hooks_.switchRemoving(*owned);
  owned.reset();  // closes the switch, ends and joins its jobs and its settings thread
  if (notices_ != nullptr && !closing) notices_->Post(Notice{Notification::kRelayout});
}

void Discovery::RemoveAll() {
  std::vector<SwitchRef> all;
  for (ManagedSwitch* sw : Switches()) all.push_back(sw->ref());
  RemoveDoomed(all);
}

void Discovery::ResumeAdoption(const SwitchRef& ref) {
  if (closing) return;
  ManagedSwitch* sw = Find(ref);
  if (sw == nullptr || !sw->settings().identityComplete() || sw->record().modelCode != 0) return;
  const auto last = lastReplies_.find(ref.mac);
  if (last == lastReplies_.end()) return;
  Enqueue(last->second, true, true);
  ApplyReplies();
}

ManagedSwitch* Discovery::AddSwitch(std::unique_ptr<ManagedSwitch> created, TopologyNode& node) {
  ManagedSwitch* sw = created.get();
  {
    std::lock_guard<std::mutex> lock(topologyLock_);
    node.managed = sw;
    nodes_[sw] = &node;
  }
  sw->SetActive(true);
  const SwitchRef ref = sw->ref();
  sw->SetIdentityReadHook([this, ref, alive = std::weak_ptr<int>(alive_)] {
    main_.Post([this, ref, alive] {
      if (alive.lock()) ResumeAdoption(ref);
    });
  });
  std::lock_guard<std::mutex> lock(switchListLock_);
  switches_.push_back(std::move(created));
  return sw;
}

ManagedSwitch* Discovery::Find(const SwitchRef& ref) {
  std::lock_guard<std::mutex> lock(switchListLock_);
  for (auto& sw : switches_) {
    if (sw->active() && sw->ref() == ref) return sw.get();
  }
  return nullptr;
}

ManagedSwitch* Discovery::FindByMac(const MacAddress& mac) {
  std::lock_guard<std::mutex> lock(switchListLock_);
  for (auto& sw : switches_) {
    if (sw->active() && sw->mac() == mac) return sw.get();
  }
  return nullptr;
}

TopologyNode* Discovery::FindNode(const MacAddress& mac) {
  std::lock_guard<std::mutex> lock(topologyLock_);
  return topology_.Find(mac);
}

TopologyNode* Discovery::NodeOf(const ManagedSwitch& sw) {
  std::lock_guard<std::mutex> lock(topologyLock_);
  return NodeOfLocked(sw);
}

TopologyNode* Discovery::NodeOfLocked(const ManagedSwitch& sw) const {
  const auto found = nodes_.find(&sw);
  return found != nodes_.end() ? found->second : nullptr;
}

std::vector<ManagedSwitch*> Discovery::Switches() {
  std::lock_guard<std::mutex> lock(switchListLock_);
  std::vector<ManagedSwitch*> list;
  for (auto& sw : switches_) list.push_back(sw.get());
  return list;
}

void Discovery::HandleNotice(const Pdu& notice) {
  std::lock_guard<std::mutex> lock(switchListLock_);
  for (auto& sw : switches_) {
    if (!sw->active() || sw->mac() != notice.sourceMac) continue;
    SwitchRecord& record = sw->record();
    record.statusNotices = record.statusNotices + 1;
    const auto port = [&](std::int32_t number) -> PortStatus* {
      if (number < 1 || number > std::min<int>(record.portCount, kMaxPorts)) return nullptr;
      return &record.portStatus[static_cast<std::size_t>(number - 1)];
    };
    switch (notice.application) {
      case PduType::kNoticePortSpeed: {
        const auto& body = std::get<TwoIntegersBody>(notice.body);
        PortStatus* status = port(body.first);
        if (status == nullptr) return;
        status->linkSpeed = body.second;
        break;
      }
      case PduType::kNoticeLinkDown: {
        PortStatus* status = port(std::get<OneIntegerBody>(notice.body).value);
        if (status == nullptr) return;
        status->linkSpeed = 0;
        break;
      }
      case PduType::kNoticeFan:
        record.fanState = 1;
        if (notices_ != nullptr) {
          notices_->Post(Notice{Notification::kPopupSwitchChanged, 0, 0, sw->ref()});
        }
        break;
      case PduType::kNoticeLoop: {
        PortStatus* status = port(std::get<OneIntegerBody>(notice.body).value);
        if (status == nullptr) return;
        status->loopState = 2;
        break;
      }
      default:
        return;  // 25 and 26 change nothing
    }
    sw->Redraw();
    return;
  }
}

}  // namespace ntr
