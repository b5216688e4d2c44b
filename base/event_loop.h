// A main thread without a window: tasks posted from any thread run, in
// order, on the thread that calls Run (or RunFor / RunUntil).
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "base/main_thread.h"

namespace ntr {

class EventLoop : public MainThread {
 public:
  // The constructing thread is the main thread until Run is called elsewhere.
  EventLoop();
  ~EventLoop() override;

  void Post(Task task) override;
  bool Send(Task task, std::optional<std::chrono::milliseconds> timeout = std::nullopt) override;
  bool OnMainThread() const override;

  // Runs tasks until Quit.
  void Run();
  // Runs tasks until `done` holds (checked after every task) or the time-out
  // passes; returns whether `done` holds.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Runs the tasks that are queued now, and those they queue, for `duration`.
  void RunFor(std::chrono::milliseconds duration);
  // Ends Run; further posts are dropped and waiting senders released.
  void Quit();

 private:
  struct Entry {
    Task task;
    std::shared_ptr<bool> done;  // set for Send, shared with the sender
  };
  bool RunOne(std::chrono::steady_clock::time_point deadline);

  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::condition_variable finished_;
  std::deque<Entry> tasks_;
  std::thread::id owner_;
  bool quit_ = false;
};

}  // namespace ntr
