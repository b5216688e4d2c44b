#include "base/event_loop.h"

namespace ntr {

EventLoop::EventLoop() : owner_(std::this_thread::get_id()) {}

EventLoop::~EventLoop() { Quit(); }

void EventLoop::Post(Task task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (quit_) return;
    tasks_.push_back(Entry{std::move(task), nullptr});
  }
  arrived_.notify_all();
}

bool EventLoop::Send(Task task, std::optional<std::chrono::milliseconds> timeout) {
  if (OnMainThread()) {
    task();
    return true;
  }
  auto done = std::make_shared<bool>(false);
  std::unique_lock<std::mutex> lock(mutex_);
  if (quit_) return false;
  tasks_.push_back(Entry{std::move(task), done});
  arrived_.notify_all();
  const auto finished = [&] { return *done || quit_; };
  if (timeout) {
    finished_.wait_for(lock, *timeout, finished);
  } else {
    finished_.wait(lock, finished);
  }
  return *done;
}

bool EventLoop::OnMainThread() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return owner_ == std::this_thread::get_id();
}

bool EventLoop::RunOne(std::chrono::steady_clock::time_point deadline) {
  Entry entry;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!arrived_.wait_until(lock, deadline, [&] { return !tasks_.empty() || quit_; }) ||
        tasks_.empty()) {
      return false;
    }
    entry = std::move(tasks_.front());
    tasks_.pop_front();
  }
  entry.task();
  if (entry.done) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      *entry.done = true;
    }
    finished_.notify_all();
  }
  return true;
}

void EventLoop::Run() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    owner_ = std::this_thread::get_id();
  }
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (quit_) return;
    }
    RunOne(std::chrono::steady_clock::now() + std::chrono::hours(1));
  }
}

bool EventLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    owner_ = std::this_thread::get_id();
  }
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return done();
    RunOne(std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(20)));
  }
  return true;
}

void EventLoop::RunFor(std::chrono::milliseconds duration) {
  const auto deadline = std::chrono::steady_clock::now() + duration;
  RunUntil([&] { return std::chrono::steady_clock::now() >= deadline; }, duration);
}

void EventLoop::Quit() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
    tasks_.clear();
  }
  arrived_.notify_all();
  finished_.notify_all();
}

}  // namespace ntr
