// Discovery replies: who answers, the neighbour lists, and how links,
// port settings and restarts change what the tool can see.
#include <gtest/gtest.h>

#include "tests/sim/sim_harness.h"

namespace ntr::sim::test {
namespace {

constexpr std::string_view kTree =
    "switch a model=NTR7100-8G\n"
    "switch b model=NTR7100-24G uplink=a:3 port=24\n"
    "switch c model=NTR7100-8PoE uplink=b:7\n"
    "host a:5 00:AA:00:00:00:05\n";

const DiscoveryReply& ReplyOf(const std::vector<Pdu>& answers, const MacAddress& mac) {
  for (const Pdu& answer : answers) {
    if (answer.application == PduType::kDiscoveryReply && answer.sourceMac == mac) {
      return std::get<DiscoveryReply>(answer.body);
    }
  }
  static const DiscoveryReply none;
  ADD_FAILURE() << "no reply from " << FormatSwitchMac(mac);
  return none;
}

std::vector<MacAddress> Repliers(const std::vector<Pdu>& answers) {
  std::vector<MacAddress> macs;
  for (const Pdu& answer : answers) {
    if (answer.application == PduType::kDiscoveryReply) macs.push_back(answer.sourceMac);
  }
  return macs;
}

TEST(SimDiscovery, EverySwitchAnswersWithItsNeighbours) {
  Harness h(kTree);
  const MacAddress a = h.Switch("a").mac(), b = h.Switch("b").mac(), c = h.Switch("c").mac();
  const auto answers = h.Send(PduType::kDiscoveryRequest, DiscoveryRequest{30, kToolMac, {}},
                              kSwitchGroupAddress, 77);
  ASSERT_EQ(Repliers(answers), (std::vector<MacAddress>{a, b, c}));
  for (const Pdu& answer : answers) {
    EXPECT_EQ(answer.transactionId, 77);
    EXPECT_EQ(answer.destinationMac, kToolMac);
    const auto& reply = std::get<DiscoveryReply>(answer.body);
    EXPECT_EQ(reply.switchMac, answer.sourceMac);
    EXPECT_EQ(reply.fingerprint, -1);  // factory state
  }
  std::vector<MacAddress> expectA(8), expectB(24), expectC(8);
  expectA[0] = kToolMac;
  expectA[2] = b;
  expectA[4] = MacAddress{0x00, 0xAA, 0, 0, 0, 0x05};
  expectB[23] = a;
  expectB[6] = c;
  expectC[0] = b;
  EXPECT_EQ(ReplyOf(answers, a).neighbourMacs, expectA);
  EXPECT_EQ(ReplyOf(answers, b).neighbourMacs, expectB);
  EXPECT_EQ(ReplyOf(answers, c).neighbourMacs, expectC);
  EXPECT_EQ(ReplyOf(answers, b).firstText, "NTR7100-24G");
}

TEST(SimDiscovery, ListedRequestIsAnsweredOnlyByTheListed) {
  Harness h(kTree);
  const MacAddress b = h.Switch("b").mac(), c = h.Switch("c").mac();
  EXPECT_EQ(Repliers(h.Discover({c, b})), (std::vector<MacAddress>{b, c}));
  EXPECT_TRUE(Repliers(h.Discover({MacAddress{0x02, 9, 9, 9, 9, 9}})).empty());
}

TEST(SimDiscovery, TenSwitchesAnswerAndEightCanBeListed) {
  std::string description = "switch s1 model=NTR7100-24G\n";
  for (int i = 2; i <= 10; ++i) {
    description +=
        "switch s" + std::to_string(i) + " model=NTR7100-8G uplink=s1:" + std::to_string(i) + "\n";
  }
  Harness h(description);
  const auto all = Repliers(h.Discover());
  ASSERT_EQ(all.size(), 10u);
  const std::vector<MacAddress> firstEight(all.begin(), all.begin() + 8);
  EXPECT_EQ(Repliers(h.Discover(firstEight)), firstEight);
}

TEST(SimDiscovery, LinkDownHidesEverythingBehindIt) {
  Harness h(kTree);
  const MacAddress a = h.Switch("a").mac(), b = h.Switch("b").mac();
  std::string error;
  ASSERT_TRUE(h.network.SetCable(h.Switch("a"), 2, false, 0, error));
  auto answers = h.Discover();
  EXPECT_EQ(Repliers(answers), std::vector<MacAddress>{a});
  EXPECT_EQ(ReplyOf(answers, a).neighbourMacs[2], MacAddress{});
  // Requests to a switch behind the cut reach nobody.
  EXPECT_EQ(h.Get("b", "port-speed", 1).result, -1);

  ASSERT_TRUE(h.network.SetCable(h.Switch("b"), 23, true, 4, error));  // the same cable, far end
  answers = h.Discover();
  EXPECT_EQ(Repliers(answers).size(), 3u);
  EXPECT_EQ(h.Get("a", "status-port-speed", 3).intValue, 4);
  EXPECT_EQ(ReplyOf(answers, a).neighbourMacs[2], b);
}

TEST(SimDiscovery, PortSettingsCutLinksToo) {
  Harness h(kTree);
  const MacAddress a = h.Switch("a").mac();
  EXPECT_EQ(h.Set("a", "port-use", 0, 3), 0);  // the tool cuts itself off from b and c
  EXPECT_EQ(Repliers(h.Discover()), std::vector<MacAddress>{a});
  EXPECT_EQ(h.Function("a", kOpSetDefault, "port-use", 3).result, 0);
  EXPECT_EQ(Repliers(h.Discover()).size(), 3u);
  EXPECT_EQ(h.Set("b", "port-use", 0, 24), 0);  // b cuts its own uplink
  EXPECT_EQ(Repliers(h.Discover()), std::vector<MacAddress>{a});
}

TEST(SimDiscovery, RestartSilencesTheSwitchAndHidesItsSubtree) {
  Harness h(kTree);
  const MacAddress a = h.Switch("a").mac();
  h.Switch("b").restartMs() = 2000;
  EXPECT_EQ(h.Function("b", kOpExecute, "restart").result, 0);  // answered before it goes quiet
  EXPECT_EQ(Repliers(h.Discover()), std::vector<MacAddress>{a});
  EXPECT_EQ(h.Get("b", "port-speed", 1).result, -1);
  h.Advance(std::chrono::milliseconds(1999));
  EXPECT_EQ(Repliers(h.Discover()).size(), 1u);
  h.Advance(std::chrono::milliseconds(1));
  EXPECT_EQ(Repliers(h.Discover()).size(), 3u);
  EXPECT_EQ(h.Get("b", "port-speed", 1).result, 0);
}

TEST(SimDiscovery, AddAndRemoveChangeTheNetwork) {
  Harness h(kTree);
  std::vector<std::string> removed;
  std::string error;
  ASSERT_TRUE(h.network.RemoveSwitch("b", removed, error));
  EXPECT_EQ(removed, (std::vector<std::string>{"b", "c"}));
  auto answers = h.Discover();
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(std::get<DiscoveryReply>(answers[0].body).neighbourMacs[2], MacAddress{});
  SwitchEntry entry;
  entry.name = "d";
  entry.model = "NTR7100-8G";
  entry.parent = "a";
  entry.parentPort = 3;
  ASSERT_TRUE(h.network.AddSwitch(entry, error)) << error;
  EXPECT_EQ(Repliers(h.Discover()).size(), 2u);
  EXPECT_FALSE(h.network.AddSwitch(entry, error));  // name taken
  entry.name = "e";
  EXPECT_FALSE(h.network.AddSwitch(entry, error));  // a:3 taken
  entry.parentPort = 5;
  EXPECT_FALSE(h.network.AddSwitch(entry, error));  // a:5 holds the host
}

}  // namespace
}  // namespace ntr::sim::test
