// Work that must happen on the user-interface thread (applying discovery
// replies, the lost check, removing and adopting switches) goes through this
// interface. The window implements it on Qt's event loop; headless front ends
// and tests use EventLoop. Nothing in the core assumes which.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace ntr {

class MainThread {
 public:
  using Task = std::function<void()>;
  virtual ~MainThread() = default;

  // Queues `task` to run on the main thread and returns at once.
  virtual void Post(Task task) = 0;
  // Runs `task` on the main thread and waits until it has run, at most
  // `timeout` when given; on the main thread itself it runs at once. Returns
  // false when it timed out or the loop has ended (the task may then never run).
  virtual bool Send(Task task, std::optional<std::chrono::milliseconds> timeout = std::nullopt) = 0;
  // True on the main thread.
  virtual bool OnMainThread() const = 0;
};

}  // namespace ntr
