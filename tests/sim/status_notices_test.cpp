// Live status values and the notices that announce their changes.
#include <gtest/gtest.h>

#include "tests/sim/sim_harness.h"

namespace ntr::sim::test {
namespace {

constexpr std::string_view kNetwork =
    "switch a model=NTR7100-24G\n"
    "switch p model=NTR7100-8PoE uplink=a:2 port=8 speed=5\n"
    "host a:4 00:AA:00:00:00:04 speed=4 traffic=100\n"
    "host p:1 00:AA:00:00:00:11 poe=4\n"
    "host p:2 00:AA:00:00:00:12 poe=2\n"
    "host p:3 00:AA:00:00:00:13 poe=4\n";

struct Seen {
  PduType application;
  MacAddress source;
  std::int32_t port;
  std::int32_t value;
  bool operator==(const Seen&) const = default;
};

std::vector<Seen> Notices(const std::vector<Pdu>& pdus) {
  std::vector<Seen> seen;
  for (const Pdu& pdu : pdus) {
    if (const auto* two = std::get_if<TwoIntegersBody>(&pdu.body)) {
      seen.push_back({pdu.application, pdu.sourceMac, two->first, two->second});
    } else if (const auto* one = std::get_if<OneIntegerBody>(&pdu.body)) {
      seen.push_back({pdu.application, pdu.sourceMac, one->value, 0});
    } else if (pdu.application == PduType::kNoticeFan) {
      seen.push_back({pdu.application, pdu.sourceMac, 0, 0});
    }
  }
  return seen;
}

class SimStatus : public ::testing::Test {
 protected:
  Harness h{kNetwork};
  MacAddress a = h.Switch("a").mac();
  MacAddress p = h.Switch("p").mac();
  void SetUp() override {
    EXPECT_EQ(h.Discover().size(), 2u);  // the switches learn the tool's MAC; no notices
  }
  std::vector<Seen> Control(std::function<void()> change) {
    change();
    h.network.Settle(h.now);
    return Notices(h.Advance(std::chrono::milliseconds(0)));
  }
};

TEST_F(SimStatus, LinkSpeedsFollowPartnerAndSettings) {
  EXPECT_EQ(h.Get("a", "status-port-speed", 1).intValue, 6);
  EXPECT_EQ(h.Get("a", "status-port-speed", 4).intValue, 4);
  EXPECT_EQ(h.Get("a", "status-port-speed", 2).intValue, 5);
  EXPECT_EQ(h.Get("a", "status-port-speed", 5).intValue, 0);
  EXPECT_EQ(h.Set("a", "port-speed", 3, 4), 0);  // forced 10 full duplex
  EXPECT_EQ(h.Get("a", "status-port-speed", 4).intValue, 3);
}

TEST_F(SimStatus, LinkChangesAreAnnounced) {
  std::string error;
  EXPECT_EQ(Control([&] { h.network.SetCable(h.Switch("a"), 3, false, 0, error); }),
            (std::vector<Seen>{{PduType::kNoticeLinkDown, a, 4, 0}}));
  EXPECT_EQ(Control([&] { h.network.SetCable(h.Switch("a"), 3, true, 6, error); }),
            (std::vector<Seen>{{PduType::kNoticePortSpeed, a, 4, 6}}));
  // A setting that takes a link down is announced after the answer.
  const auto answers =
      h.Send(PduType::kFuncRequest,
             FunctionRequest{0, kOpSet, 0x0202, kValueInteger, 0, {}, kIndexPort, 4, {}, 0}, a);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0].application, PduType::kFuncResponse);
  EXPECT_EQ(Notices(answers), (std::vector<Seen>{{PduType::kNoticeLinkDown, a, 4, 0}}));
  EXPECT_EQ(answers[1].destinationMac, kToolMac);
}

TEST_F(SimStatus, LoopIsDetectedBlockedAndRecovered) {
  EXPECT_EQ(Control([&] { h.Switch("a").status().line(3).loopPresent = true; }),
            (std::vector<Seen>{{PduType::kNoticeLoop, a, 4, 0}}));
  EXPECT_EQ(h.Get("a", "status-loopdetect-port", 4).intValue, 1);
  EXPECT_EQ(Control([&] { h.Switch("a").status().line(3).loopPresent = false; }),
            std::vector<Seen>{});
  EXPECT_EQ(h.Get("a", "status-loopdetect-port", 4).intValue, 0);

  ASSERT_EQ(h.Set("a", "loopdetect-linkdown", 2), 0);
  ASSERT_EQ(h.Set("a", "loopdetect-recovery-timer", 10), 0);
  EXPECT_EQ(
      Control([&] { h.Switch("a").status().line(3).loopPresent = true; }),
      (std::vector<Seen>{{PduType::kNoticeLoop, a, 4, 0}, {PduType::kNoticeLinkDown, a, 4, 0}}));
  EXPECT_EQ(h.Get("a", "status-loopdetect-port", 4).intValue, 2);
  h.Switch("a").status().line(3).loopPresent = false;
  EXPECT_EQ(h.Get("a", "status-loopdetect-recovery-timer", 4).intValue, 10);
  EXPECT_TRUE(Notices(h.Advance(std::chrono::milliseconds(9999))).empty());
  EXPECT_EQ(Notices(h.Advance(std::chrono::milliseconds(1))),
            (std::vector<Seen>{{PduType::kNoticePortSpeed, a, 4, 4}}));
  EXPECT_EQ(h.Get("a", "status-loopdetect-port", 4).intValue, 0);

  // While the switch is silent its recovery waits; the network never reports
  // a due time in the past.
  EXPECT_EQ(Control([&] { h.Switch("a").status().line(3).loopPresent = true; }).size(), 2u);
  h.Switch("a").Silence(h.now + std::chrono::seconds(60));
  h.Advance(std::chrono::seconds(20));
  EXPECT_EQ(h.network.NextDue(), h.now + std::chrono::seconds(40));
}

TEST_F(SimStatus, FanStopIsAnnouncedAndStopsPower) {
  EXPECT_EQ(h.Get("p", "status-fan-rpm ", 2).intValue / 100, 43);
  EXPECT_EQ(h.Get("p", "status-poe-state", 1).intValue, 6);  // supplying class 4
  const std::int64_t cool = h.Get("p", "status-poe-temperature").intValue;
  EXPECT_EQ(Control([&] { h.Switch("p").status().SetFanStopped(true); }),
            (std::vector<Seen>{{PduType::kNoticeFan, p, 0, 0}}));
  EXPECT_EQ(h.Get("p", "status-fan-rpm ", 1).intValue, 0);
  EXPECT_EQ(h.Get("p", "status-poe-state", 1).intValue, 11);
  EXPECT_GT(h.Get("p", "status-poe-temperature").intValue, cool);
  EXPECT_EQ(Control([&] { h.Switch("a").status().SetFanStopped(true); }),
            (std::vector<Seen>{{PduType::kNoticeFan, a, 0, 0}}));
  EXPECT_EQ(h.Get("a", "status-fan").intValue, 1);
}

TEST_F(SimStatus, PoeFollowsClassesAndDevices) {
  EXPECT_EQ(h.Get("p", "status-poe-state", 1).intValue, 6);  // class 4 on a class-4 port
  EXPECT_EQ(h.Get("p", "status-poe-supply", 1).intValue, 25);
  EXPECT_EQ(h.Get("p", "status-poe-detect-class", 1).intValue, 4);
  EXPECT_EQ(h.Get("p", "status-poe-state", 2).intValue, 8);  // its pair partner takes class 4
  EXPECT_EQ(h.Get("p", "status-poe-state", 4).intValue, 1);  // nothing attached
  ASSERT_EQ(h.Set("p", "poe-class", 4, 3), 0);
  EXPECT_EQ(h.Get("p", "status-poe-state", 3).intValue, 13);  // device above the class
  ASSERT_EQ(h.Set("p", "poe-class", 0, 1), 0);
  EXPECT_EQ(h.Get("p", "status-poe-state", 1).intValue, 0);
  EXPECT_EQ(h.Get("p", "status-poe-state", 2).intValue, 4);  // released by its partner
}

TEST_F(SimStatus, CountersGrowWithTrafficAndClear) {
  h.Advance(std::chrono::seconds(10));
  const std::int64_t frames = h.Get("a", "status-counter-frame-rx", 4, 1).intValue;
  EXPECT_EQ(frames, 1000);  // 100 frames a second
  EXPECT_EQ(h.Get("a", "status-counter-octet-tx", 4).intValue, 1000 * 480);
  EXPECT_EQ(h.Get("a", "status-counter-frame-tx", 4, 5).intValue, 0);  // collisions
  EXPECT_EQ(h.Set("a", "counter-frame-rx-type", 1, 4, 1), 0);          // broadcast and multicast
  EXPECT_EQ(h.Get("a", "status-counter-frame-rx", 4, 1).intValue, 1000 / 8);
  EXPECT_EQ(h.Get("a", "status-counter-frame-rx", 5, 1).intValue, 0);  // no link, no traffic
  EXPECT_EQ(h.Function("a", kOpExecute, "clear-counter").result, 0);
  EXPECT_EQ(h.Get("a", "status-counter-octet-rx", 4).intValue, 0);
}

}  // namespace
}  // namespace ntr::sim::test
