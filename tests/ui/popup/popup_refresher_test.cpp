// The pop-up's refresh worker against the simulator in process: what it
// fetches and when, change detection, and letting go of a switch.
#include "ui/popup/popup_refresher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>

#include "catalogue/function_descriptors.h"
#include "catalogue/switch_model.h"
#include "device/managed_switch.h"
#include "tests/support/sim_peer.h"

namespace ntr::ui {
namespace {

using namespace std::chrono_literals;

const MacAddress kAdapterMac{0x00, 0x11, 0x22, 0x33, 0x44, 0x55};

struct Read {
  std::string keyword;
  int first = 0;
  int second = 0;
  bool operator==(const Read&) const = default;
};

class PopupRefresherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // P's port 3 has a powered device and traffic; G is a plain 8-port switch.
    peer_ = std::make_unique<test::SimPeer>(
        "switch P model=NTR7100-8PoE\nhost P:3 02:00:00:00:00:33 poe=3\nswitch G "
        "model=NTR7100-8G\n");
    hub_ = std::make_unique<TransactionHub>(peer_->link(), LookupFunctionTypes);
    hub_->SetSourceMac(kAdapterMac);
    ASSERT_TRUE(hub_->StartReceiveThread());
    refresher_ = std::make_unique<PopupRefresher>([this] { ++changes_; });
  }
  void TearDown() override {
    refresher_.reset();
    switches_.clear();
    hub_.reset();
    peer_.reset();
  }

  ManagedSwitch& Managed(const std::string& name, std::string_view model) {
    SwitchRecord& record = *records_.emplace_back(std::make_unique<SwitchRecord>());
    record.switchMac = peer_->With([&](sim::SimNetwork& net) { return net.Find(name)->mac(); });
    record.modelName = std::string(model);
    ApplyModel(record);
    auto& sw =
        switches_.emplace_back(std::make_unique<ManagedSwitch>(*hub_, record, nullptr, nullptr));
    sw->client().Attach();
    return *sw;
  }

  void TickAndWait() {
    refresher_->Tick();
    ASSERT_TRUE(refresher_->WaitForTicks(30s));
  }

  // The function requests the simulator has seen since the last call.
  std::vector<Read> Requests() {
    std::vector<Read> reads;
    for (const auto& entry : peer_->Log()) {
      if (entry.application != PduType::kFuncRequest) continue;
      const auto& f = entry.function;
      for (const char* keyword :
           {"status-counter-frame-rx", "status-counter-frame-tx", "status-counter-octet-rx",
            "status-counter-octet-tx", "status-poe-supply"}) {
        if (FindFunctionByKeyword(keyword)->functionId == f.functionId) {
          reads.push_back({keyword, f.firstIndex, f.secondIndex});
        }
      }
    }
    peer_->ClearLog();
    return reads;
  }

  std::unique_ptr<test::SimPeer> peer_;
  std::unique_ptr<TransactionHub> hub_;
  std::deque<std::unique_ptr<SwitchRecord>> records_;  // outlive the switches
  std::deque<std::unique_ptr<ManagedSwitch>> switches_;
  std::atomic<int> changes_{0};
  std::unique_ptr<PopupRefresher> refresher_;
};

TEST_F(PopupRefresherTest, PortCountersLandInTheRecordOnTheModelsTicks) {
  ManagedSwitch& poe = Managed("P", kModelName8PoE);
  PortStatus& status = poe.record().portStatus[2];
  constexpr std::uint64_t kUnset = 0xDEAD;  // no counter of the simulator gets there so soon
  status.rxFrames[0] = kUnset;
  status.txOctets = kUnset;
  status.poeSupply = -1;
  refresher_->Show(3, &poe, 2);
  TickAndWait();  // the first tick fetches
  EXPECT_EQ(Requests(), (std::vector<Read>{{"status-counter-frame-rx", 3, 1},
                                           {"status-counter-frame-rx", 3, 2},
                                           {"status-counter-frame-rx", 3, 3},
                                           {"status-counter-frame-tx", 3, 1},
                                           {"status-counter-frame-tx", 3, 2},
                                           {"status-counter-frame-tx", 3, 3},
                                           {"status-counter-octet-rx", 3, 0},
                                           {"status-counter-octet-tx", 3, 0},
                                           {"status-poe-supply", 3, 0}}));
  EXPECT_NE(status.rxFrames[0], kUnset);
  EXPECT_NE(status.txOctets, kUnset);
  EXPECT_GT(status.poeSupply, 0);  // a class 3 device draws power
  EXPECT_EQ(changes_, 1);
  TickAndWait();  // the PoE model fetches every 120th tick
  EXPECT_TRUE(Requests().empty());

  // Other models fetch at every tick; a port shown again starts over.
  ManagedSwitch& plain = Managed("G", kModelName8G);
  refresher_->Show(3, &plain, 0);
  TickAndWait();
  TickAndWait();
  EXPECT_EQ(Requests().size(), 2u * 8u);
  refresher_->Show(3, &poe, 2);
  TickAndWait();
  EXPECT_EQ(Requests().size(), 9u);
}

TEST_F(PopupRefresherTest, SwitchValuesAreComparedWithWhatWasShown) {
  ManagedSwitch& poe = Managed("P", kModelName8PoE);
  refresher_->Show(2, &poe, -1);
  TickAndWait();
  EXPECT_EQ(changes_, 0);
  poe.record().fanSpeeds[1] = 2400;
  TickAndWait();
  EXPECT_EQ(changes_, 1);
  TickAndWait();
  EXPECT_EQ(changes_, 1);
  EXPECT_TRUE(Requests().empty());  // kind 2 only looks at the record
  // A change of a switch no longer shown is nobody's business.
  refresher_->Hide();
  poe.record().fanState = 1;
  TickAndWait();
  EXPECT_EQ(changes_, 1);
}

// The switch sends nothing back, and one attempt would wait a minute.
class SilentSwitchTest : public PopupRefresherTest {
 protected:
  ManagedSwitch& InRequest() {
    ManagedSwitch& sw = Managed("G", kModelName8G);
    sw.client().transactor().SetAttemptTimeout(60s);
    peer_->link().SetPeer([this](const test::Bytes&) { sent_.Set(); });
    refresher_->Show(3, &sw, 0);
    refresher_->Tick();
    EXPECT_TRUE(sent_.Wait(30s));
    return sw;
  }
  AutoResetEvent sent_;
};

TEST_F(SilentSwitchTest, ForgetAbortsTheRequestAndTheSwitchCanGo) {
  ManagedSwitch& sw = InRequest();
  const auto start = std::chrono::steady_clock::now();
  refresher_->Forget(sw);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
  switches_.clear();  // the worker would now touch freed memory
  TickAndWait();
  EXPECT_EQ(changes_, 0);
}

TEST_F(SilentSwitchTest, DestructionAbortsTheRequestAndJoins) {
  InRequest();
  const auto start = std::chrono::steady_clock::now();
  refresher_.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
  EXPECT_EQ(changes_, 0);
}

}  // namespace
}  // namespace ntr::ui
