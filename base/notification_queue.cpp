#include "base/notification_queue.h"

namespace ntr {

NotificationQueue::~NotificationQueue() { Close(); }

void NotificationQueue::Post(const Notice& notice) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return;
    entries_.push_back(Entry{notice, nullptr});
  }
  arrived_.notify_all();
}

bool NotificationQueue::Send(const Notice& notice,
                             std::optional<std::chrono::milliseconds> timeout) {
  auto handled = std::make_shared<bool>(false);
  std::unique_lock<std::mutex> lock(mutex_);
  if (closed_) return false;
  entries_.push_back(Entry{notice, handled});
  arrived_.notify_all();
  const auto done = [&] { return *handled || closed_; };
  if (timeout) {
    handled_.wait_for(lock, *timeout, done);
  } else {
    handled_.wait(lock, done);
  }
  return *handled;
}

bool NotificationQueue::HandleNext(const std::function<void(const Notice&)>& handle,
                                   std::chrono::milliseconds timeout) {
  Entry entry;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!arrived_.wait_for(lock, timeout, [&] { return !entries_.empty() || closed_; }) ||
        entries_.empty()) {
      return false;
    }
    entry = std::move(entries_.front());
    entries_.pop_front();
  }
  handle(entry.notice);
  if (entry.handled) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      *entry.handled = true;
    }
    handled_.notify_all();
  }
  return true;
}

std::optional<Notice> NotificationQueue::WaitFor(Notification message,
                                                 std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::optional<Notice> found;
  while (!found) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    if (!HandleNext(
            [&](const Notice& notice) {
              if (notice.message == message) found = notice;
            },
            left)) {
      break;
    }
  }
  return found;
}

void NotificationQueue::Close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  arrived_.notify_all();
  handled_.notify_all();
}

std::size_t NotificationQueue::size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_.size();
}

}  // namespace ntr
