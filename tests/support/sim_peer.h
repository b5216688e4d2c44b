// The switch simulator in process, behind an in-memory link: what the tool
// sends goes straight into the simulated network, and its answers come back
// through the link's receive queue. A small thread hands over what the
// network sends later (delayed answers, notices, the end of silences).
#pragma once

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/auto_reset_event.h"
#include "sim/control_commands.h"
#include "sim/sim_network.h"
#include "tests/support/memory_link.h"

namespace ntr::test {

class SimPeer {
 public:
  explicit SimPeer(const std::string& description) : network_(sim::Clock::now()) {
    std::vector<sim::DescriptionItem> items;
    std::string error;
    if (!sim::ParseDescription(description, items, error)) throw std::runtime_error(error);
    for (const auto& item : items) {
      if (!network_.Add(item, error)) throw std::runtime_error(error);
    }
    link_.SetPeer([this](const Bytes& payload) {
      std::vector<sim::SimFrame> frames;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        frames = network_.Receive(payload, sim::Clock::now());
      }
      for (auto& frame : frames) link_.Deliver(std::move(frame.payload));
      wake_.Set();
    });
    ticker_ = std::thread([this] { Tick(); });
  }
  ~SimPeer() {
    link_.SetPeer(nullptr);
    stop_.Set();
    ticker_.join();
  }
  SimPeer(const SimPeer&) = delete;
  SimPeer& operator=(const SimPeer&) = delete;

  MemoryLink& link() { return link_; }

  // A control command of the simulator; returns its reply.
  std::string Control(const std::string& line) {
    std::string reply;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      reply = sim::RunControlCommand(network_, line, sim::Clock::now());
    }
    wake_.Set();
    return reply;
  }

  // Runs `work` on the network under its lock.
  template <typename Work>
  auto With(Work work) {
    std::lock_guard<std::mutex> lock(mutex_);
    return work(network_);
  }

  std::vector<sim::RequestLogEntry> Log() {
    std::lock_guard<std::mutex> lock(mutex_);
    return {network_.log().entries().begin(), network_.log().entries().end()};
  }
  void ClearLog() {
    std::lock_guard<std::mutex> lock(mutex_);
    network_.log().Clear();
  }

 private:
  void Tick() {
    using namespace std::chrono_literals;
    for (;;) {
      std::vector<sim::SimFrame> frames;
      std::chrono::milliseconds wait = 50ms;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto now = sim::Clock::now();
        frames = network_.Tick(now);
        if (const auto due = network_.NextDue()) {
          wait = std::clamp(std::chrono::duration_cast<std::chrono::milliseconds>(*due - now), 1ms,
                            50ms);
        }
      }
      for (auto& frame : frames) link_.Deliver(std::move(frame.payload));
      if (WaitForAny({&stop_, &wake_}, wait) == 0) return;
    }
  }

  MemoryLink link_;
  std::mutex mutex_;
  sim::SimNetwork network_;
  AutoResetEvent stop_;
  AutoResetEvent wake_;
  std::thread ticker_;
};

}  // namespace ntr::test
