// A tool core against the simulator in process: hub, discovery, a test
// adoption and a headless main loop on the test thread.
#pragma once

#include <gtest/gtest.h>

#include "base/event_loop.h"
#include "base/notification_queue.h"
#include "catalogue/function_descriptors.h"
#include "discovery/discovery.h"
#include "discovery/identity_adopter.h"
#include "tests/support/pdu_bytes.h"
#include "tests/support/sim_peer.h"

namespace ntr::test {

inline const MacAddress kAdapterMac{0x00, 0x11, 0x22, 0x33, 0x44, 0x55};

class DiscoveryFixture : public ::testing::Test {
 protected:
  // `main` stands for the main thread (the loop when none is given).
  void Start(const std::string& description, MainThread* main = nullptr) {
    peer_ = std::make_unique<SimPeer>(description);
    hub_ = std::make_unique<TransactionHub>(peer_->link(), LookupFunctionTypes);
    hub_->SetSourceMac(kAdapterMac);
    discovery_ = std::make_unique<Discovery>(*hub_, main != nullptr ? *main : loop_, &notices_,
                                             adopter_, hooks_);
    discovery_->SetAdapterMac(kAdapterMac);
    discovery_->Connect();
    ASSERT_TRUE(hub_->StartReceiveThread());
  }

  void TearDown() override {
    discovery_.reset();  // removes the switches, stopping their threads
    hub_.reset();
    peer_.reset();
  }

  // Discovery answers the simulator gave to the last cycle.
  std::size_t AnswersToLastCycle() {
    std::size_t count = 0;
    for (const auto& entry : peer_->Log()) {
      if (entry.application == PduType::kDiscoveryRequest &&
          entry.outcome == sim::Outcome::kAnswered &&
          entry.transactionId == hub_->lastDiscoveryTransactionId) {
        ++count;
      }
    }
    return count;
  }

  // One discovery cycle, run until the main thread has dealt with its replies.
  void Cycle() {
    const std::uint64_t before = discovery_->repliesAccepted();
    discovery_->RunCycle();
    const std::size_t expected = AnswersToLastCycle();
    ASSERT_TRUE(loop_.RunUntil(
        [&] {
          return discovery_->repliesAccepted() >= before + expected &&
                 discovery_->repliesHandled() >= discovery_->repliesAccepted();
        },
        std::chrono::seconds(20)));
    Flush();
  }

  // Runs every task queued so far (tasks run in order), and then, until no
  // identity read is under way, the adoptions the reads resume.
  void Flush() {
    FlushQueued();
    ASSERT_TRUE(loop_.RunUntil(
        [&] {
          for (ManagedSwitch* sw : (*discovery_).Switches()) {
            if (sw->settings().identityRequested()) return false;
          }
          return true;
        },
        std::chrono::seconds(20)));
    FlushQueued();
  }
  void FlushQueued() {
    bool flushed = false;
    loop_.Post([&] { flushed = true; });
    ASSERT_TRUE(loop_.RunUntil([&] { return flushed; }, std::chrono::seconds(20)));
  }

  std::size_t Managed() { return discovery_->Switches().size(); }

  ManagedSwitch* Switch(const std::string& name) {
    const auto mac = peer_->With([&](sim::SimNetwork& net) { return net.Find(name)->mac(); });
    for (ManagedSwitch* sw : discovery_->Switches()) {
      if (sw->mac() == mac) return sw;
    }
    return nullptr;
  }

  TopologyNode* Node(const std::string& name) {
    const auto mac = peer_->With([&](sim::SimNetwork& net) { return net.Find(name)->mac(); });
    return discovery_->FindNode(mac);
  }

  EventLoop loop_;
  NotificationQueue notices_;
  IdentityAdopter adopter_;
  Discovery::Hooks hooks_;  // set before Start
  std::unique_ptr<SimPeer> peer_;
  std::unique_ptr<TransactionHub> hub_;
  std::unique_ptr<Discovery> discovery_;
};

}  // namespace ntr::test
