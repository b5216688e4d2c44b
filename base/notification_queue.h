// A NotificationSink without a window: notices wait in a queue until the
// owning thread handles them. Headless front ends run their loop on it; tests
// wait on it for the notice they expect.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "base/notification.h"

namespace ntr {

class NotificationQueue : public NotificationSink {
 public:
  ~NotificationQueue() override;

  void Post(const Notice& notice) override;
  bool Send(const Notice& notice,
            std::optional<std::chrono::milliseconds> timeout = std::nullopt) override;

  // Takes the oldest notice, waiting at most `timeout` for one, and hands it
  // to `handle`; a Send waiting for it returns once `handle` is done.
  // Returns false when nothing arrived in time or the queue is closed.
  bool HandleNext(const std::function<void(const Notice&)>& handle,
                  std::chrono::milliseconds timeout);

  // Handles notices (dropping them) until one with `message` arrives; returns
  // it, or nothing after `timeout`.
  std::optional<Notice> WaitFor(Notification message, std::chrono::milliseconds timeout);

  // Refuses further notices and releases every waiting Send with false.
  void Close();

  std::size_t size() const;

 private:
  struct Entry {
    Notice notice;
    std::shared_ptr<bool> handled;  // set for Send, shared with the sender
  };

  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::condition_variable handled_;
  std::deque<Entry> entries_;
  bool closed_ = false;
};

}  // namespace ntr
