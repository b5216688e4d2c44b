// The switch simulator serving one interface of a private network from a
// thread of the benchmark: the same core and link as ntr-switch-sim.
#pragma once

#include <poll.h>

#include <atomic>
#include <string>
#include <thread>

#include "base/auto_reset_event.h"
#include "sim/sim_link.h"
#include "sim/sim_network.h"
#include "tests/support/private_network.h"

namespace ntr::bench {

class SimServer {
 public:
  SimServer(std::string ns, std::string interface, std::string description)
      : ns_(std::move(ns)), interface_(std::move(interface)), description_(std::move(description)) {
    thread_ = std::thread([this] { Run(); });
    ready_.Wait();
  }
  ~SimServer() {
    stop_.Set();
    thread_.join();
  }
  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }

 private:
  void Run() {
    testing::NamespaceScope inside(ns_);
    sim::SimNetwork network(sim::Clock::now());
    std::vector<sim::DescriptionItem> items;
    sim::SimLink link;
    ok_ = inside.ok() && sim::ParseDescription(description_, items, error_);
    for (const auto& item : items) ok_ = ok_ && network.Add(item, error_);
    ok_ = ok_ && link.Open(interface_, error_);
    ready_.Set();
    if (!ok_) return;
    for (;;) {
      pollfd fds[2] = {{stop_.fd(), POLLIN, 0}, {link.fd(), POLLIN, 0}};
      ::poll(fds, 2, 20);
      if (fds[0].revents != 0 && stop_.TryConsume()) return;
      std::vector<sim::SimFrame> out;
      std::string error;
      link.ReadPending(
          [&](std::span<const std::uint8_t> payload) {
            auto frames = network.Receive(payload, sim::Clock::now());
            out.insert(out.end(), std::make_move_iterator(frames.begin()),
                       std::make_move_iterator(frames.end()));
          },
          error);
      auto later = network.Tick(sim::Clock::now());
      out.insert(out.end(), std::make_move_iterator(later.begin()),
                 std::make_move_iterator(later.end()));
      for (const auto& frame : out) link.Send(frame.source, frame.payload, error);
    }
  }

  std::string ns_, interface_, description_;
  std::string error_;
  std::atomic<bool> ok_{false};
  AutoResetEvent ready_;
  AutoResetEvent stop_;
  std::thread thread_;
};

}  // namespace ntr::bench
