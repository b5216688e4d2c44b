// One switch under management: its switch object (transactions, getters and
// setters), its settings-execution thread, and what discovery keeps for it.
// The record it works on belongs to the registry and outlives it.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include "app/settings_thread.h"
#include "catalogue/l2_switch_node.h"

namespace ntr {

struct TOPOLOGYNODE;

class ManagedSwitch {
 public:
  ManagedSwitch(TransactionHub& hub, tag_SWITCHDATA& record, ConfigSaver* saver,
                NotificationSink* notices, TickSource ticks = SteadyTickMs);
  // Closes the switch (waiting transactions end at once) and stops its
  // settings thread before anything goes.
  ~ManagedSwitch();
  ManagedSwitch(const ManagedSwitch&) = delete;
  ManagedSwitch& operator=(const ManagedSwitch&) = delete;

  tag_SWITCHDATA& record() { return node.record(); }
  etherAddress mac() const { return node.record().switchMac.load(); }

  // Held back: not adopted yet, or to be adopted again by the next discovery
  // reply. The record's model code is held at unknown meanwhile (which also
  // keeps polls away); the model name still tells the model.
  bool heldBack() const;
  void HoldBack();

  // Discovery requests sent while the switch was managed, and the count at
  // its last answer; their difference is the unanswered requests.
  void CountRequest();
  void MarkAnswered();
  std::uint32_t Unanswered() const;

  // The drawing of the switch, set by whoever draws it; called from any thread.
  void SetRedraw(std::function<void()> redraw);
  void Redraw();

  // Keeps a shared record alive for as long as the switch object exists
  // (declared first, so it goes last); empty when the record is kept elsewhere.
  std::shared_ptr<tag_SWITCHDATA> recordOwner;
  L2SWITCHNODE node;
  SettingsThread settings;

  Relaxed<bool> active{false};
  // The next discovery reply adopts the switch again even though its node was
  // applied already (its settings changed on the switch, or a synchronisation
  // failed); the model code is held at unknown until then.
  Relaxed<bool> adoptAgain{false};
  // Set by a front end while it deals with the result of a bulk read:
  // discovery leaves the switch alone meanwhile (counts no answer, starts no
  // synchronisation). Not the same fact as `adoptAgain`: that one makes
  // discovery act at the next reply, this one keeps it from acting.
  Relaxed<bool> discoveryPaused{false};
  // The switch's place in the topology; main thread only.
  TOPOLOGYNODE* topologyNode = nullptr;

 private:
  mutable std::mutex requestLock_;  // taken before answerLock_
  mutable std::mutex answerLock_;
  std::uint32_t requests_ = 0;
  std::uint32_t answered_ = 0;
  std::mutex redrawLock_;
  std::function<void()> redraw_;
};

}  // namespace ntr
