#include "app/managed_switch.h"

#include "catalogue/switch_model.h"

namespace ntr {

ManagedSwitch::ManagedSwitch(TransactionHub& hub, tag_SWITCHDATA& record, ConfigSaver* saver,
                             NotificationSink* notices, TickSource ticks)
    : node(hub, record, saver, std::move(ticks)),
      settings(node, saver, notices, this,
               SettingsThread::Hooks{[this] {
                                       HoldBack();
                                       node.record().readFailed = 0;
                                       adoptAgain = true;
                                     },
                                     [this] { Redraw(); }}) {}

bool ManagedSwitch::heldBack() const { return node.record().modelCode == kModelUnknown; }

void ManagedSwitch::HoldBack() { node.record().modelCode = kModelUnknown; }

ManagedSwitch::~ManagedSwitch() {
  node.transactor().Close();
  settings.Stop();
}

void ManagedSwitch::CountRequest() {
  std::lock_guard<std::mutex> first(requestLock_);
  ++requests_;
}

void ManagedSwitch::MarkAnswered() {
  std::lock_guard<std::mutex> first(requestLock_);
  std::lock_guard<std::mutex> second(answerLock_);
  answered_ = requests_;
}

std::uint32_t ManagedSwitch::Unanswered() const {
  std::lock_guard<std::mutex> first(requestLock_);
  std::lock_guard<std::mutex> second(answerLock_);
  return requests_ - answered_;
}

void ManagedSwitch::SetRedraw(std::function<void()> redraw) {
  std::lock_guard<std::mutex> lock(redrawLock_);
  redraw_ = std::move(redraw);
}

void ManagedSwitch::Redraw() {
  std::function<void()> redraw;
  {
    std::lock_guard<std::mutex> lock(redrawLock_);
    redraw = redraw_;
  }
  if (redraw) redraw();
}

}  // namespace ntr
