// The application object against the simulator in process: the simulated
// network behind an in-memory link stands in for the adapter, a headless
// main loop runs on the test thread, and the operator answers from a script.
#pragma once

#include <gtest/gtest.h>

#include "app/application.h"
#include "app/scripted_operator.h"
#include "base/event_loop.h"
#include "base/notification_queue.h"
#include "tests/config/registry_support.h"
#include "tests/support/memory_app_link.h"
#include "tests/support/sim_peer.h"

namespace ntr::test {

using namespace std::chrono_literals;

class AppFixture : public TempHome {
 protected:
  // Builds the network and the application; runs start-up unless told not to.
  // `monitor`: the application as a read-only monitor.
  void StartApp(const std::string& description, bool initialise = true, bool monitor = false) {
    peer_ = std::make_unique<SimPeer>(description);
    auto link = std::make_unique<MemoryAppLink>(peer_->link());
    link_ = link.get();
    app_ = std::make_unique<Application>(
        Application::Parts{op_, loop_, &notices_, std::move(link), monitor});
    if (initialise) {
      ASSERT_TRUE(app_->InitInstance());
    }
  }

  void TearDown() override {
    notices_.Close();  // releases a settings thread waiting on a notice
    app_.reset();
    peer_.reset();
    TempHome::TearDown();
  }

  // One discovery cycle, run until the main thread has dealt with its replies.
  void Cycle() {
    Discovery& discovery = app_->discovery();
    const std::uint64_t before = discovery.repliesAccepted();
    discovery.RunCycle();
    std::size_t expected = 0;
    for (const auto& entry : peer_->Log()) {
      if (entry.application == PduType::kDiscoveryRequest &&
          entry.outcome == sim::Outcome::kAnswered &&
          entry.transactionId == app_->hub().lastDiscoveryTransactionId) {
        ++expected;
      }
    }
    ASSERT_TRUE(loop_.RunUntil(
        [&] {
          return discovery.repliesAccepted() >= before + expected &&
                 discovery.repliesHandled() >= discovery.repliesAccepted();
        },
        20s));
    Flush();
  }

  // Discovery cycles every 100 ms until `done` holds.
  bool CycleUntil(const std::function<bool()>& done) {
    Discovery& discovery = app_->discovery();
    discovery.StartTimer();
    discovery.RequestCycle(true, 100);
    const bool held = loop_.RunUntil(done, 30s);
    discovery.StopTimer();
    return held;
  }

  // Runs every task queued so far, and then, until no identity read is
  // under way, the adoptions the reads resume.
  void Flush() {
    FlushQueued();
    ASSERT_TRUE(loop_.RunUntil(
        [&] {
          for (ManagedSwitch* sw : app_->discovery().Switches()) {
            if (sw->settings().identityRequested()) return false;
          }
          return true;
        },
        20s));
    FlushQueued();
  }
  void FlushQueued() {
    bool flushed = false;
    loop_.Post([&] { flushed = true; });
    ASSERT_TRUE(loop_.RunUntil([&] { return flushed; }, 20s));
  }

  MacAddress Mac(const std::string& name) {
    return peer_->With([&](sim::SimNetwork& net) { return net.Find(name)->mac(); });
  }
  ManagedSwitch* Switch(const std::string& name) {
    const MacAddress mac = Mac(name);
    for (ManagedSwitch* sw : app_->discovery().Switches()) {
      if (sw->mac() == mac) return sw;
    }
    return nullptr;
  }
  // A value of the simulated switch's own settings.
  template <typename Read>
  std::int32_t SimSetting(const std::string& name, Read read) {
    return peer_->With([&](sim::SimNetwork& net) { return read(net.Find(name)->record()); });
  }
  std::size_t SyncRequests() {
    std::size_t count = 0;
    for (const auto& entry : peer_->Log())
      count += entry.application == PduType::kConfigSync ? 1 : 0;
    return count;
  }

  // Waits until the switch's synchronisation has run to its end.
  void WaitForSync(ManagedSwitch& sw) {
    ASSERT_TRUE(loop_.RunUntil(
        [&] { return sw.settings().lastSyncDone() && !sw.settings().synchronising(); }, 60s));
  }
  // Waits for the end of a settings read (the settings thread hands 0x607
  // with value 0 over and waits for it to be taken).
  void WaitForReadEnd() {
    for (;;) {
      const auto notice = notices_.WaitFor(Notification::kModalRead, 120s);
      ASSERT_TRUE(notice.has_value());
      if (notice->value == 0) return;
    }
  }

  EventLoop loop_;
  NotificationQueue notices_;
  ScriptedOperator op_;
  std::unique_ptr<SimPeer> peer_;
  MemoryAppLink* link_ = nullptr;
  std::unique_ptr<Application> app_;
};

// A stored block for the simulator's first switch (02:5C:71:00:00:01).
inline std::string StoredBlock(const std::string& settings, const char* model = "NTR7100-8G") {
  return std::string(
             "switch select 02:5C:71:00:00:01\n"
             "#switch control function get firmware-revision 0.90\n"
             "#switch control function get serial-number SIM000001\n"
             "#switch control function get model-name ") +
         model + "\n" + settings;
}

}  // namespace ntr::test
