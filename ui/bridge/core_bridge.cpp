#include "ui/bridge/core_bridge.h"

#include <QMetaObject>

namespace ntr::ui {

CoreBridge::CoreBridge(QObject* parent) : QObject(parent), guiThread_(std::this_thread::get_id()) {}

CoreBridge::~CoreBridge() { Close(); }

void CoreBridge::SetNoticeFilter(NoticeFilter filter) { filter_ = std::move(filter); }

void CoreBridge::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  closed_ = true;
  for (auto& handover : waiting_) handover->abandoned = true;
  waiting_.clear();
  handedOver_.notify_all();
}

bool CoreBridge::Queue(Task task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return false;
  }
  // Queued calls to an object run on its thread; they are dropped with it.
  return QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void CoreBridge::Post(Task task) {
  Queue([this, task = std::move(task)] {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (closed_) return;
    }
    task();
  });
}

bool CoreBridge::Send(Task task, std::optional<std::chrono::milliseconds> timeout) {
  if (OnMainThread()) {
    task();
    return true;
  }
  auto handover = std::make_shared<Handover>();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return false;
    waiting_.push_back(handover);
  }
  const bool queued = Queue([this, handover, task = std::move(task)] {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (handover->abandoned) return;  // the sender gave up: too late to act
    }
    task();
    std::lock_guard<std::mutex> lock(mutex_);
    handover->done = true;
    handedOver_.notify_all();
  });
  std::unique_lock<std::mutex> lock(mutex_);
  const auto over = [&] { return handover->done || handover->abandoned; };
  if (queued) {
    if (timeout) {
      handedOver_.wait_for(lock, *timeout, over);
    } else {
      handedOver_.wait(lock, over);
    }
  }
  handover->abandoned = !handover->done;
  waiting_.remove(handover);
  return handover->done;
}

bool CoreBridge::OnMainThread() const { return std::this_thread::get_id() == guiThread_; }

void CoreBridge::Post(const Notice& notice) {
  Post([this, notice] { Deliver(notice); });
}

bool CoreBridge::Send(const Notice& notice, std::optional<std::chrono::milliseconds> timeout) {
  return Send([this, notice] { Deliver(notice); }, timeout);
}

void CoreBridge::Deliver(const Notice& delivered) {
  if (filter_ && filter_(delivered)) return;
  emit notice(delivered);
}

}  // namespace ntr::ui
