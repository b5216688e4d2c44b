// Injected faults and the request log.
#include <gtest/gtest.h>

#include "tests/sim/sim_harness.h"

namespace ntr::sim::test {
namespace {

constexpr std::string_view kTwo =
    "switch a model=NTR7100-8G\n"
    "switch b model=NTR7100-8G uplink=a:2\n";

FunctionRequest GetRequest(std::uint16_t id, std::int32_t port) {
  FunctionRequest request;
  request.operation = kOpGet;
  request.functionId = id;
  request.indexType = kIndexPort;
  request.firstIndex = port;
  return request;
}

TEST(SimFaults, LossIsSeededAndCountedAsTheSwitchActed) {
  const auto lostAnswers = [](std::uint32_t seed) {
    Harness h(kTwo);
    h.network.Reseed(seed);
    h.Switch("a").faults().answerLossPercent = 50;
    std::vector<bool> lost;
    for (int i = 0; i < 40; ++i) lost.push_back(h.Get("a", "port-speed", 1).result == -1);
    return lost;
  };
  const std::vector<bool> first = lostAnswers(7);
  EXPECT_EQ(first, lostAnswers(7));
  EXPECT_NE(first, lostAnswers(8));
  const auto count = std::count(first.begin(), first.end(), true);
  EXPECT_GT(count, 5);
  EXPECT_LT(count, 35);

  Harness h(kTwo);
  h.Switch("a").faults().answerLossPercent = 100;
  EXPECT_EQ(h.Set("a", "port-speed", 5, 1), -1);
  EXPECT_EQ(h.Switch("a").record().ports[0].speed, 5);  // acted, answer lost
  h.Switch("a").faults().answerLossPercent = 0;
  h.Switch("a").faults().requestLossPercent = 100;
  EXPECT_EQ(h.Set("a", "port-speed", 3, 1), -1);
  EXPECT_EQ(h.Switch("a").record().ports[0].speed, 5);  // never saw it
  const auto& log = h.network.log().entries();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_TRUE(log[0].answerLost);
  EXPECT_EQ(log[1].outcome, Outcome::kLost);
}

TEST(SimFaults, DelayedAnswersComeOutOfTick) {
  Harness h(kTwo);
  FaultSettings& faults = h.Switch("a").faults();
  faults.delay = std::chrono::milliseconds(1500);
  faults.delayed = 1;
  EXPECT_EQ(h.Get("a", "port-speed", 1).result, -1);
  EXPECT_EQ(h.network.NextDue(), h.now + std::chrono::milliseconds(1500));
  EXPECT_TRUE(h.Advance(std::chrono::milliseconds(1499)).empty());
  const auto late = h.Advance(std::chrono::milliseconds(1));
  ASSERT_EQ(late.size(), 1u);
  EXPECT_EQ(late[0].application, PduType::kFuncResponse);
  EXPECT_EQ(late[0].transactionId, 1);
  EXPECT_EQ(h.Get("a", "port-speed", 1).result, 0);  // only one was delayed
}

TEST(SimFaults, DuplicatesWrongApplicationsAndMalformedBytes) {
  Harness h(kTwo);
  const MacAddress a = h.Switch("a").mac();
  FaultSettings& faults = h.Switch("a").faults();
  faults.duplicated = 1;
  auto answers = h.Send(PduType::kFuncRequest, GetRequest(0x0201, 1), a);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0], answers[1]);

  faults.wrongApplication = 2;
  answers = h.Send(PduType::kFuncRequest, GetRequest(0x0201, 1), a);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].application, PduType::kFirmPrepareAnswer);
  answers = h.Send(PduType::kFingerprintQuery, EmptyBody{}, a);
  EXPECT_EQ(answers[0].application, PduType::kFuncResponse);

  faults.malformed = 3;
  for (int turn = 0; turn < 3; ++turn) {
    const auto frames = h.SendRaw(PduType::kFuncRequest, GetRequest(0x0201, 1), a);
    ASSERT_EQ(frames.size(), 1u);
    Pdu pdu;
    ErrorPair error;
    EXPECT_FALSE(DecodePdu(error, frames[0].payload, LookupFunctionTypes, pdu)) << turn;
  }
  EXPECT_EQ(h.Get("a", "port-speed", 1).result, 0);
}

TEST(SimFaults, RefusalsAnswerWithoutActing) {
  Harness h(kTwo);
  FaultSettings& faults = h.Switch("a").faults();
  faults.refusals.push_back({"port-speed", 1, 2});
  faults.refusals.push_back({"sync", 5, -1});
  EXPECT_EQ(h.Set("a", "port-speed", 5, 1), 1);
  EXPECT_EQ(h.Set("a", "port-speed", 5, 1), 1);
  EXPECT_EQ(h.Switch("a").record().ports[0].speed, 1);
  EXPECT_EQ(h.Set("a", "port-speed", 5, 1), 0);
  EXPECT_EQ(h.Set("a", "port-use", 0, 3), 0);  // other keywords are not touched
  const auto answers = h.Send(PduType::kConfigSync, EmptyBody{}, h.Switch("a").mac());
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(std::get<ResultBody>(answers[0].body).result, 5);

  faults.refusals = {{"*", 1, 1}};
  EXPECT_EQ(h.Function("a", kOpExecute, "restart").result, 1);
  EXPECT_EQ(h.Get("a", "port-speed", 1).result, 0);
  EXPECT_FALSE(h.Switch("a").Silent(h.now));
}

TEST(SimFaults, RetransmissionIsAnsweredAgainWithoutActingTwice) {
  Harness h(kTwo);
  const MacAddress a = h.Switch("a").mac();
  const auto frames = [&] { return h.Get("a", "status-counter-frame-rx", 1, 1).intValue; };
  FunctionRequest clear;
  clear.operation = kOpExecute;
  clear.functionId = 0x0707;  // clear-counter
  h.Advance(std::chrono::seconds(2));
  EXPECT_EQ(h.Send(PduType::kFuncRequest, clear, a, 41).size(), 1u);
  h.Advance(std::chrono::seconds(2));
  const std::int64_t counted = frames();
  EXPECT_GE(counted, 100);  // 50 frames a second on the uplink
  EXPECT_EQ(h.Send(PduType::kFuncRequest, clear, a, 41).size(), 1u);
  EXPECT_GE(frames(), counted);  // the retransmission did not clear again
  EXPECT_EQ(h.Send(PduType::kFuncRequest, clear, a, 42).size(), 1u);
  EXPECT_LT(frames(), 10);  // a new request acts
  const auto& log = h.network.log().entries();
  ASSERT_EQ(log.size(), 6u);
  EXPECT_TRUE(log[2].repeated);
  EXPECT_FALSE(log[4].repeated);
}

TEST(SimFaults, RequestLogTellsOrderOperationIndexesValuesAndResults) {
  Harness h(kTwo);
  h.Discover();
  h.Set("b", "vlan-trunk", 1, 3, 17);
  h.Get("a", "counter-frame-rx-type", 2, 9);
  h.Function("a", kOpSet, "system-name", 0, 0, 0, "Edge-1");
  h.Get("a", "status-fan-rpm ", 1);
  h.Switch("b").Silence(h.now + std::chrono::seconds(5));
  h.Get("b", "port-speed", 1);
  std::vector<std::string> lines;
  for (const RequestLogEntry& entry : h.network.log().entries()) lines.push_back(entry.Format());
  const std::vector<std::string> expected{
      "1 a 02:5C:71:00:00:01 tid=1 discovery -> 0 fingerprint=-1",
      "2 b 02:5C:71:00:00:02 tid=1 discovery -> 0 fingerprint=-1",
      "3 b 02:5C:71:00:00:02 tid=2 function set vlan-trunk 3 17 value=1 -> 0",
      "4 a 02:5C:71:00:00:01 tid=3 function get counter-frame-rx-type 2 9 -> 8",
      "5 a 02:5C:71:00:00:01 tid=4 function set system-name value=\"Edge-1\" -> 0",
      "6 a 02:5C:71:00:00:01 tid=5 function get status-fan-rpm 1 -> 6",
      "7 b 02:5C:71:00:00:02 tid=6 function get port-speed 1 -> silent",
  };
  EXPECT_EQ(lines, expected);
  h.Get("a", "port-speed", 4);
  EXPECT_EQ(h.network.log().entries().back().Format(),
            "8 a 02:5C:71:00:00:01 tid=7 function get port-speed 4 -> 0 answer=1");
}

}  // namespace
}  // namespace ntr::sim::test
