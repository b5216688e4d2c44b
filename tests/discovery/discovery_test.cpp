#include "discovery/discovery.h"

#include <random>

#include "catalogue/switch_model.h"
#include "codec/pdu_decoder.h"
#include "tests/discovery/discovery_fixture.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;
using test::DiscoveryFixture;

constexpr const char* kTree =
    "switch A model=NTR7100-8G\n"
    "switch B model=NTR7100-24G uplink=A:3\n"
    "switch C model=NTR7100-8PoE uplink=B:5\n"
    "switch D model=NTR7100-8G uplink=A:4 port=2\n"
    "host A:6 00:AA:00:00:00:01\n";

class DiscoveryTest : public DiscoveryFixture {};

TEST_F(DiscoveryTest, TreeIsFoundAndArrangedAsWired) {
  Start(kTree);
  Cycle();
  ASSERT_EQ(Managed(), 4u);
  TopologyNode* a = Node("A");
  TopologyNode* b = Node("B");
  TopologyNode* c = Node("C");
  TopologyNode* d = Node("D");
  ASSERT_TRUE(a && b && c && d);
  EXPECT_EQ(a->parent, nullptr);
  EXPECT_EQ(b->parent, a);
  EXPECT_EQ(c->parent, b);
  EXPECT_EQ(d->parent, a);
  EXPECT_EQ(b->uplinkPort, 0);
  EXPECT_EQ(d->uplinkPort, 1);
  EXPECT_EQ(a->ports[2][0].child, b);
  EXPECT_EQ(b->ports[4][0].child, c);
  ASSERT_EQ(a->ports[5].size(), 1u);
  EXPECT_EQ(a->ports[5][0].child, nullptr);  // the host, seen
  EXPECT_EQ(b->portCount, 24);

  // Identity read and model applied; the neighbour table is in the record.
  ManagedSwitch* sw = Switch("C");
  ASSERT_NE(sw, nullptr);
  EXPECT_EQ(sw->record().modelCode, kModel8PoE);
  EXPECT_EQ(sw->record().portCount, 8);
  // Each switch: the first reply starts the identity read, its end resumes
  // the adoption; a later reply adopts nothing again.
  EXPECT_EQ(adopter_.adoptions(), 8);
  Cycle();  // a second reply, now to a switch whose identity is complete
  EXPECT_EQ(sw->record().neighbourPresent[0], 1);
  EXPECT_EQ(sw->record().neighbourCount, 1);
  EXPECT_EQ(Managed(), 4u);
  EXPECT_EQ(adopter_.adoptions(), 8);
}

TEST_F(DiscoveryTest, NinthSwitchIsNotAddedAndRequestsListTheEight) {
  std::string description;
  for (int i = 1; i <= 9; ++i)
    description += "switch S" + std::to_string(i) + " model=NTR7100-8G\n";
  Start(description);
  Cycle();
  EXPECT_EQ(Managed(), 8u);
  peer_->ClearLog();
  Cycle();
  // Only the eight listed switches answered.
  EXPECT_EQ(AnswersToLastCycle(), 8u);
  const auto sent = peer_->link().Sent();
  Pdu last;
  ErrorPair error;
  for (const auto& payload : sent) {
    Pdu pdu;
    if (DecodePdu(error, payload, LookupFunctionTypes, pdu) &&
        pdu.application == PduType::kDiscoveryRequest) {
      last = pdu;
    }
  }
  EXPECT_EQ(std::get<DiscoveryRequest>(last.body).listedMacs.size(), 8u);
  EXPECT_EQ(Managed(), 8u);
}

TEST_F(DiscoveryTest, RepliesOfAnOlderCycleAreIgnored) {
  Start("switch A model=NTR7100-8G\n");
  Cycle();
  ASSERT_EQ(Managed(), 1u);
  ManagedSwitch* sw = Switch("A");
  // Three unanswered cycles whose only answers carry an older transaction ID.
  peer_->Control("silence A on");
  const std::int32_t oldId = hub_->lastDiscoveryTransactionId;
  for (int i = 0; i < 2; ++i) Cycle();
  Pdu stale;
  stale.transactionId = oldId;
  stale.sourceMac = sw->mac();
  stale.destinationMac = kToolGroupAddress;
  stale.application = PduType::kDiscoveryReply;
  DiscoveryReply body;
  body.switchMac = sw->mac();
  body.neighbourMacs.assign(8, MacAddress{});
  body.neighbourMacs[0] = test::kAdapterMac;
  stale.body = body;
  peer_->link().Deliver(test::EncodeOrDie(stale));
  EXPECT_EQ(sw->Unanswered(), 2u);
  const auto accepted = discovery_->repliesAccepted();
  Cycle();
  EXPECT_EQ(discovery_->repliesAccepted(), accepted);
}

TEST_F(DiscoveryTest, SilentSwitchOnTheToolPortGoesWithEverythingBehindIt) {
  Start(kTree);
  Cycle();
  ASSERT_EQ(Managed(), 4u);
  peer_->Control("silence A on");
  int cycles = 0;
  while (Managed() > 0 && cycles < 10) {
    Cycle();
    ++cycles;
  }
  EXPECT_EQ(Managed(), 0u);
  // The check that removes them is the first to see three unanswered cycles.
  EXPECT_GE(cycles, 3);
  EXPECT_LE(cycles, 4);
  EXPECT_EQ(discovery_->topology().size(), 0u);
}

// A main thread that takes posted work the moment it is posted from the
// main thread itself, as a window idle in its event loop takes it before
// the timer thread has gone on.
class EagerMainThread : public MainThread {
 public:
  explicit EagerMainThread(EventLoop& loop) : loop_(loop) {}
  void Post(Task task) override {
    if (loop_.OnMainThread()) {
      task();
    } else {
      loop_.Post(std::move(task));
    }
  }
  bool Send(Task task, std::optional<std::chrono::milliseconds> timeout) override {
    return loop_.Send(std::move(task), timeout);
  }
  bool OnMainThread() const override { return loop_.OnMainThread(); }

 private:
  EventLoop& loop_;
};

// Watch interval x down count after its last reply (9 s of the 9 to 12 s
// with the defaults): the check of the third silent cycle removes the switch,
// however soon the main thread takes the check, and a switch below it that
// has just synchronised does not keep it a cycle longer.
TEST_F(DiscoveryTest, SilentSwitchGoesAtTheThirdSilentCycle) {
  EagerMainThread eager(loop_);
  Start(kTree, &eager);
  Cycle();
  ASSERT_EQ(Managed(), 4u);
  Switch("B")->settings().graceCount = 3;  // as after B's synchronisation
  peer_->Control("silence A on");
  for (int cycle = 1; cycle <= 2; ++cycle) {
    Cycle();
    EXPECT_EQ(Managed(), 4u) << "cycle " << cycle;
  }
  Cycle();
  EXPECT_EQ(Managed(), 0u);
}

TEST_F(DiscoveryTest, SwitchBehindAnotherGoesWhenItsParentReportsAnotherNeighbour) {
  Start(kTree);
  Cycle();
  ASSERT_EQ(Managed(), 4u);
  // B alone falling silent is not enough: only switches on the tool's port are checked.
  peer_->Control("silence C on");
  for (int i = 0; i < 5; ++i) Cycle();
  EXPECT_EQ(Managed(), 4u);
  // Unplugging B from A: A reports nothing on port 3, B and C go.
  peer_->Control("silence C off");
  peer_->Control("link A 3 down");
  Cycle();
  EXPECT_EQ(Managed(), 2u);
  EXPECT_EQ(Switch("B"), nullptr);
  EXPECT_EQ(Switch("C"), nullptr);
  EXPECT_NE(Switch("D"), nullptr);
}

TEST_F(DiscoveryTest, LinkDownOfTheAdapterRemovesTheFirstSwitch) {
  Start(kTree);
  Cycle();
  ASSERT_EQ(Managed(), 4u);
  loop_.Send([&] { discovery_->HandleLinkStatus(1); });
  EXPECT_EQ(Managed(), 4u);
  loop_.Send([&] { discovery_->HandleLinkStatus(2); });
  EXPECT_EQ(Managed(), 0u);
}

TEST_F(DiscoveryTest, NoticesChangeTheRecordAtOnce) {
  Start(kTree);
  Cycle();
  ManagedSwitch* a = Switch("A");
  ManagedSwitch* b = Switch("B");
  ASSERT_TRUE(a && b);
  std::atomic<int> redraws{0};
  a->SetRedraw([&] { ++redraws; });
  const auto& status = a->record().portStatus;
  peer_->Control("link A 6 down");
  ASSERT_TRUE(loop_.RunUntil([&] { return status[5].linkSpeed == 0 && redraws > 0; }, 10s));
  peer_->Control("link A 6 up 5");
  ASSERT_TRUE(loop_.RunUntil([&] { return status[5].linkSpeed == 5; }, 10s));
  // Port 1 of a notice is the first port (D hangs on A by its port 2).
  ManagedSwitch* d = Switch("D");
  ASSERT_NE(d, nullptr);
  peer_->Control("link D 1 up 4");
  ASSERT_TRUE(loop_.RunUntil([&] { return d->record().portStatus[0].linkSpeed == 4; }, 10s));
  peer_->Control("loop A 6 on");  // a loop behind a port with link
  ASSERT_TRUE(loop_.RunUntil([&] { return status[5].loopState == 2; }, 10s));
  peer_->Control("fan B stop");
  ASSERT_TRUE(loop_.RunUntil([&] { return b->record().fanState == 1; }, 10s));
}

TEST_F(DiscoveryTest, FailedSynchronisationRequestHoldsTheSwitchBackUntilAdoptedAgain) {
  Start("switch A model=NTR7100-8G\n");
  Cycle();
  ManagedSwitch* a = Switch("A");
  ASSERT_NE(a, nullptr);
  const int adoptions = adopter_.adoptions();
  // A differing fingerprint asks for a synchronisation, which an unknown model refuses.
  a->record().fingerprintValid = 1;
  a->record().savedFingerprint = 0x12345678u;
  a->record().modelName = "";
  Cycle();
  EXPECT_TRUE(a->heldBack());
  EXPECT_TRUE(a->adoptAgain());
  Cycle();
  EXPECT_GT(adopter_.adoptions(), adoptions);
}

TEST_F(DiscoveryTest, FastCyclesLoseASwitchAfterWatchIntervalTimesDownCount) {
  Start("switch A model=NTR7100-8G\n");
  Cycle();
  ASSERT_EQ(Managed(), 1u);
  discovery_->SetWatch(3, 3);
  discovery_->RequestCycle(false, 1000);  // three cycles a watch interval (no timer runs)
  peer_->Control("silence A on");
  int cycles = 0;
  while (Managed() > 0 && cycles < 20) {
    Cycle();
    ++cycles;
  }
  EXPECT_EQ(Managed(), 0u);
  EXPECT_GE(cycles, 9);  // three watch periods, not three cycles
  EXPECT_LE(cycles, 12);
}

// A discovery reply from `source` naming `switchMac`, with `neighbours`, to the last cycle.
Pdu ReplyFrom(const MacAddress& source, const MacAddress& switchMac,
              const std::vector<MacAddress>& neighbours, std::int32_t transactionId) {
  Pdu reply;
  reply.transactionId = transactionId;
  reply.sourceMac = source;
  reply.destinationMac = kToolGroupAddress;
  reply.application = PduType::kDiscoveryReply;
  DiscoveryReply body;
  body.switchMac = switchMac;
  body.neighbourMacs = neighbours;
  reply.body = body;
  return reply;
}

MacAddress RandomMac(std::mt19937& random) {
  MacAddress mac;
  for (auto& byte : mac) byte = static_cast<std::uint8_t>(random());
  mac[0] &= 0xFE;  // unicast
  return mac;
}

// Replies that must not enter the tree: one naming the tool's own adapter as
// the switch (forged, or the tool's request looped back) and one from it.
TEST_F(DiscoveryTest, RepliesNamingTheAdapterAsTheSwitchAreIgnored) {
  Start("switch A model=NTR7100-8G\n");
  Cycle();
  ASSERT_EQ(Managed(), 1u);
  // As a switch on the tool's own port would answer.
  std::vector<MacAddress> neighbours(8, MacAddress{});
  neighbours[0] = test::kAdapterMac;
  const std::int32_t id = hub_->lastDiscoveryTransactionId;
  discovery_->AcceptReply(ReplyFrom(test::kAdapterMac, test::kAdapterMac, neighbours, id));
  discovery_->AcceptReply(
      ReplyFrom(MacAddress{0x02, 0, 0, 0, 0, 9}, test::kAdapterMac, neighbours, id));
  Flush();
  EXPECT_EQ(discovery_->FindNode(test::kAdapterMac), nullptr);
  EXPECT_EQ(discovery_->FindNode(MacAddress{0x02, 0, 0, 0, 0, 9}), nullptr);
  EXPECT_EQ(discovery_->topology().size(), 1u);
  for (const PortEntry& entry : discovery_->topology().rootPort())
    EXPECT_NE(entry.mac, test::kAdapterMac);
  EXPECT_EQ(Managed(), 1u);
}

// Replies from ever-new MACs (none of them a switch of the tree): every
// per-MAC table stays within its bound, and the switches of the tree stay
// managed and answered throughout.
TEST_F(DiscoveryTest, RepliesFromEverNewMacsKeepEveryTableBounded) {
  Start(kTree);
  Cycle();
  ASSERT_EQ(Managed(), 4u);
  std::mt19937 random(2);
  std::size_t mostWaiting = 0;
  for (int cycle = 0; cycle < 12; ++cycle) {
    Cycle();
    const std::int32_t id = hub_->lastDiscoveryTransactionId;
    // 1000 replies arrive while the main thread is busy elsewhere.
    for (int i = 0; i < 1000; ++i) {
      const MacAddress mac = RandomMac(random);
      std::vector<MacAddress> neighbours(8, MacAddress{});
      neighbours[3] = RandomMac(random);
      discovery_->AcceptReply(ReplyFrom(mac, mac, neighbours, id));
    }
    mostWaiting = std::max<std::size_t>(
        mostWaiting, discovery_->repliesAccepted() - discovery_->repliesHandled());
    FlushQueued();
  }
  Cycle();
  EXPECT_LE(mostWaiting, kMaxWaitingReplies);
  EXPECT_LE(discovery_->rootPortEntries(), kMaxSeenOnRootPort + 1);  // the seen MACs and A
  EXPECT_LE(discovery_->lastRepliesKept(), 4u);                      // the tree's switches
  EXPECT_EQ(Managed(), 4u);
  for (ManagedSwitch* sw : discovery_->Switches()) EXPECT_EQ(sw->Unanswered(), 0u);
  // A few quiet cycles later the seen MACs are forgotten.
  for (std::uint32_t i = 0; i < kForgetSeenCycles; ++i) Cycle();
  EXPECT_EQ(discovery_->rootPortEntries(), 4u);  // A, B, C and D answered: seen, A in the tree
}

// While the main thread is held (a question waits for the operator, a
// nested loop runs), replies from the same switches come every cycle: one
// waits per switch, the newest, and the main thread is woken once.
TEST_F(DiscoveryTest, RepliesWaitingForTheMainThreadAreOnePerSwitch) {
  Start("switch A model=NTR7100-8G\n");
  Cycle();
  std::vector<MacAddress> fixed;
  for (int i = 0; i < 240; ++i)
    fixed.push_back(MacAddress{0x02, 0x77, 0, 0, 0, static_cast<std::uint8_t>(i)});
  const std::uint64_t handled = discovery_->repliesHandled();
  for (int cycle = 0; cycle < 20; ++cycle) {
    for (const MacAddress& mac : fixed) {
      discovery_->AcceptReply(ReplyFrom(mac, mac, std::vector<MacAddress>(8, MacAddress{}),
                                        hub_->lastDiscoveryTransactionId));
    }
  }
  EXPECT_EQ(discovery_->waitingReplies(), fixed.size());
  EXPECT_EQ(discovery_->repliesAccepted() - discovery_->repliesHandled(), fixed.size());
  FlushQueued();
  EXPECT_EQ(discovery_->waitingReplies(), 0u);
  EXPECT_EQ(discovery_->repliesHandled() - handled, 20u * fixed.size());
}

}  // namespace
}  // namespace ntr
