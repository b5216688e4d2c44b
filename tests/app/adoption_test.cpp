// Taking switches under management against the simulator: each branch of
// the adoption, with the operator's answers given from a script.
#include "app/adoption.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/app/app_fixture.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;

using test::StoredBlock;

class AdoptionTest : public test::AppFixture {
 protected:
  // Start-up with a stored record for switch A (port 3 off) in the file.
  void StartWithStoredA(const std::string& network, const std::string& common = {},
                        const std::string& settings = {}) {
    test::WriteConfig(
        ConfigFilePath(),
        common + StoredBlock("switch control function set port-use 3 off\n" + settings));
    StartApp(network);
  }
  std::vector<AdoptionQuestion> Modes() {
    std::vector<AdoptionQuestion> modes;
    for (const auto& asked : op_.questions()) modes.push_back(asked.mode);
    return modes;
  }
  std::int32_t SimPortUse(const std::string& name, int port) {
    return SimSetting(name, [&](SwitchRecord& r) { return r.ports[port - 1].use.load(); });
  }
  bool SimFactory(const std::string& name) {
    return peer_->With([&](sim::SimNetwork& net) { return net.Find(name)->factoryState(); });
  }
};

TEST_F(AdoptionTest, NewSwitchesInFactoryStateAreManagedWhicheverAnswer) {
  StartApp("switch A model=NTR7100-8G\nswitch B model=NTR7100-24G\n");
  op_.QueueAnswerFor(Mac("A"), true);   // "工場出荷"
  op_.QueueAnswerFor(Mac("B"), false);  // "機器": the switch is in factory state anyway
  Cycle();
  EXPECT_EQ(Modes(), (std::vector{AdoptionQuestion::kNewDevice, AdoptionQuestion::kNewDevice}));
  EXPECT_NE(op_.questions()[0].mac, op_.questions()[1].mac);
  const auto stored = app_->config().StoredRecords();
  ASSERT_EQ(stored.size(), 2u);
  for (const char* name : {"A", "B"}) {
    ManagedSwitch* sw = Switch(name);
    ASSERT_NE(sw, nullptr);
    EXPECT_EQ(sw->record().switchState, kStateIdle);
    EXPECT_NE(sw->record().modelCode, kModelUnknown);
    EXPECT_EQ(sw->record().fingerprintValid, 1);
    // The switch works on the stored record itself.
    EXPECT_TRUE(app_->config().ContainsStoredRecord(&sw->record()));
  }
  EXPECT_EQ(test::Count(test::FileText(ConfigFilePath()), "switch select"), 2u);
  Cycle();
  EXPECT_EQ(op_.questions().size(), 2u);
  EXPECT_EQ(SyncRequests(), 0u);
}

TEST_F(AdoptionTest, NewSwitchWithSettingsTakesFactoryValuesOrItsOwn) {
  StartApp("switch A model=NTR7100-8G\nswitch B model=NTR7100-8G\n");
  peer_->Control("drift A port-use 3 0");
  peer_->Control("drift B port-use 3 0");
  op_.QueueAnswerFor(Mac("A"), true);   // factory values
  op_.QueueAnswerFor(Mac("B"), false);  // the switch's own
  Cycle();
  ManagedSwitch* a = Switch("A");
  ManagedSwitch* b = Switch("B");
  ASSERT_TRUE(a != nullptr && b != nullptr);

  WaitForReadEnd();  // B's own settings are read
  EXPECT_EQ(b->record().ports[2].use, 0);
  EXPECT_TRUE(app_->adoption().KeepRecordOf(*b));  // as the view does at the end of the read
  EXPECT_TRUE(app_->config().ContainsStoredRecord(&b->record()));

  WaitForSync(*a);  // A is brought to the factory values
  EXPECT_EQ(SimPortUse("A", 3), 1);
  Cycle();
  EXPECT_EQ(a->record().modelCode, kModel8G);
  EXPECT_EQ(a->record().switchState, kStateIdle);
  EXPECT_EQ(op_.questions().size(), 2u);
  EXPECT_EQ(SimPortUse("B", 3), 0);  // nothing was written to B
}

TEST_F(AdoptionTest, KnownSwitchHoldingTheStoredSettingsIsNotAsked) {
  StartWithStoredA("switch A model=NTR7100-8G\n");
  peer_->Control("drift A port-use 3 0");
  const SwitchRecord* fromFile = app_->config().StoredRecords().front().get();
  Cycle();
  EXPECT_TRUE(op_.questions().empty());
  ManagedSwitch* sw = Switch("A");
  ASSERT_NE(sw, nullptr);
  const SwitchRecord& record = sw->record();
  EXPECT_EQ(record.modelCode, kModel8G);
  EXPECT_EQ(record.switchState, kStateIdle);
  EXPECT_EQ(record.ports[2].use, 0);
  EXPECT_EQ(record.firmwareRevision.get(), "1.00");  // the identity the switch reported
  EXPECT_EQ(record.modelChecked, 1);                 // checked against the file
  // The switch's record took the stored record's place.
  EXPECT_EQ(app_->config().StoredRecords().front().get(), &record);
  EXPECT_NE(fromFile, &record);
  EXPECT_EQ(app_->config().StoredCount(), 1u);
  EXPECT_EQ(SyncRequests(), 0u);
}

TEST_F(AdoptionTest, KnownSwitchWithOtherSettingsGetsTheToolsValues) {
  StartWithStoredA("switch A model=NTR7100-8G\n");
  peer_->Control("drift A port-speed 2 5");
  op_.QueueAnswer(true);  // "ツール"
  Cycle();
  EXPECT_EQ(Modes(), std::vector{AdoptionQuestion::kSettingsChanged});
  ManagedSwitch* sw = Switch("A");
  ASSERT_NE(sw, nullptr);
  WaitForSync(*sw);
  EXPECT_EQ(SimPortUse("A", 3), 0);
  EXPECT_EQ(SimSetting("A", [](SwitchRecord& r) { return r.ports[1].speed.load(); }), 1);
  // Once the written settings are no longer recent, a reply finds both equal.
  EXPECT_TRUE(CycleUntil([&] { return sw->record().modelCode == kModel8G; }));
  EXPECT_EQ(sw->record().switchState, kStateIdle);
  EXPECT_EQ(op_.questions().size(), 1u);
}

TEST_F(AdoptionTest, KnownSwitchWithOtherSettingsKeepsItsOwn) {
  StartWithStoredA("switch A model=NTR7100-8G\n");
  peer_->Control("drift A port-speed 2 5");
  op_.QueueAnswer(false);  // "機器"
  Cycle();
  ManagedSwitch* sw = Switch("A");
  ASSERT_NE(sw, nullptr);
  WaitForReadEnd();
  EXPECT_EQ(sw->record().ports[1].speed, 5);
  EXPECT_EQ(sw->record().ports[2].use, 1);
  EXPECT_NE(test::FileText(ConfigFilePath()).find("port-speed 2 100-fdx"), std::string::npos);
  Cycle();
  EXPECT_EQ(SyncRequests(), 0u);  // the switch's settings were never overwritten
  EXPECT_EQ(SimSetting("A", [](SwitchRecord& r) { return r.ports[1].speed.load(); }), 5);
}

// The window keeps a question open while a person reads it: discovery goes
// on, and the replies of those cycles (with the fingerprints from before the
// answer) wait behind the question. Each switch is asked once all the same,
// and both end managed with the tool's settings.
TEST_F(AdoptionTest, QuestionsAnsweredLateAreAskedOnce) {
  test::WriteConfig(ConfigFilePath(), StoredBlock("switch control function set port-use 3 off\n") +
                                          "switch select 02:5C:71:00:00:02\n"
                                          "#switch control function get firmware-revision 0.90\n"
                                          "#switch control function get serial-number SIM000002\n"
                                          "#switch control function get model-name NTR7100-24G\n"
                                          "switch control function set port-use 5 off\n");
  StartApp("switch A model=NTR7100-8G\nswitch B model=NTR7100-24G\n");
  peer_->Control("drift A port-speed 4 5");  // A: changed; B: in factory state
  const auto late = [this] {
    // Three cycles pass while the question is open, and a synchronisation
    // the other answer started runs to its end and is no longer recent.
    Discovery& discovery = app_->discovery();
    for (int cycle = 0; cycle < 3; ++cycle) {
      const std::uint64_t before = discovery.repliesAccepted();
      discovery.RunCycle();
      ASSERT_TRUE(loop_.RunUntil([&] { return discovery.repliesAccepted() >= before + 2; }, 20s));
    }
    ASSERT_TRUE(loop_.RunUntil(
        [&] {
          for (ManagedSwitch* sw : discovery.Switches()) {
            if (sw->settings().synchronisationPending() ||
                sw->client().transactor().RecentlyChanged()) {
              return false;
            }
          }
          return true;
        },
        20s));
  };
  op_.QueueAnswer(true, late);  // "ツール" / "はい", whichever comes first
  op_.QueueAnswer(true, late);
  Cycle();
  ManagedSwitch* a = Switch("A");
  ManagedSwitch* b = Switch("B");
  ASSERT_TRUE(a != nullptr && b != nullptr);
  ASSERT_TRUE(CycleUntil([&] {
    return a->record().modelCode == kModel8G && b->record().modelCode == kModel24G &&
           a->record().switchState == kStateIdle && b->record().switchState == kStateIdle;
  }));
  Cycle();
  std::vector<AdoptionQuestion> modes = Modes();
  std::sort(modes.begin(), modes.end());
  EXPECT_EQ(modes,
            (std::vector{AdoptionQuestion::kFactoryState, AdoptionQuestion::kSettingsChanged}));
  EXPECT_EQ(SimSetting("A", [](SwitchRecord& r) { return r.ports[3].speed.load(); }), 1);
  EXPECT_EQ(SimPortUse("A", 3), 0);
  EXPECT_EQ(SimPortUse("B", 5), 0);
  EXPECT_EQ(test::Count(test::FileText(ConfigFilePath()), "function set port-use"), 2u);
}

TEST_F(AdoptionTest, FactoryStateSwitchAnsweredYesGetsTheStoredSettings) {
  StartWithStoredA("switch A model=NTR7100-8G\n");
  op_.QueueAnswer(true);  // "はい"
  Cycle();
  EXPECT_EQ(Modes(), std::vector{AdoptionQuestion::kFactoryState});
  ManagedSwitch* sw = Switch("A");
  ASSERT_NE(sw, nullptr);
  WaitForSync(*sw);
  EXPECT_EQ(SimPortUse("A", 3), 0);
  EXPECT_FALSE(SimFactory("A"));
}

TEST_F(AdoptionTest, FactoryStateSwitchAnsweredNoDropsTheStoredSettings) {
  StartWithStoredA("switch A model=NTR7100-8G\n", "vlan lan1/1 802.1q vid=5 name=sales\n",
                   "switch control function set vlan-access 2 5\n");
  ASSERT_EQ(app_->config().GetVlanName(5), "sales");
  op_.QueueAnswer(false);  // "いいえ"
  Cycle();
  ManagedSwitch* sw = Switch("A");
  ASSERT_NE(sw, nullptr);
  EXPECT_EQ(sw->record().ports[2].use, 1);
  EXPECT_EQ(sw->record().modelCode, kModel8G);  // managed at once: both at factory state
  EXPECT_EQ(sw->record().switchState, kStateIdle);
  EXPECT_EQ(app_->config().GetVlanName(5), "");  // no managed switch uses VLAN 5
  const std::string file = test::FileText(ConfigFilePath());
  EXPECT_EQ(test::Count(file, "function set"), 0u) << file;
  EXPECT_EQ(SyncRequests(), 0u);
}

TEST_F(AdoptionTest, SwitchTheToolResetItselfIsNotAsked) {
  StartWithStoredA("switch A model=NTR7100-8G\n");
  app_->resetMacs().Add(Mac("A"));
  Cycle();
  EXPECT_TRUE(op_.questions().empty());
  ManagedSwitch* sw = Switch("A");
  ASSERT_NE(sw, nullptr);
  WaitForSync(*sw);
  EXPECT_EQ(SimPortUse("A", 3), 0);
}

TEST_F(AdoptionTest, SwitchThatVanishesDuringTheQuestionChangesNothing) {
  StartWithStoredA("switch A model=NTR7100-8G\n");
  peer_->Control("drift A port-speed 2 5");
  op_.QueueAnswer(true, [this] {
    // While the question is open the switch goes and the lost check drops it.
    peer_->Control("remove A");
    for (int cycle = 0; cycle < 4; ++cycle) app_->discovery().RunCycle();
    ASSERT_TRUE(loop_.RunUntil([&] { return app_->discovery().Switches().empty(); }, 20s));
  });
  Cycle();
  EXPECT_EQ(op_.questions().size(), 1u);
  EXPECT_TRUE(app_->discovery().Switches().empty());
  const auto stored = app_->config().StoredRecords();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored.front()->ports[2].use, 0);
  EXPECT_EQ(stored.front()->ports[1].speed, 1);
  EXPECT_EQ(SyncRequests(), 0u);
}

TEST_F(AdoptionTest, QuestionDuringWhichTheSwitchAndOthersGoLeavesThemAlone) {
  StartApp("switch A model=NTR7100-8G\nswitch B model=NTR7100-8G uplink=A:3\n");
  SwitchRef asked;
  op_.QueueAnswer(true, [&] {
    // While the first question is open the adapter's link goes down: every
    // switch leaves management inside the question's loop.
    ManagedSwitch* sw = app_->discovery().FindByMac(op_.questions().back().mac);
    ASSERT_NE(sw, nullptr);
    asked = sw->ref();
    bool ran = false;
    loop_.Post([&] {
      app_->discovery().HandleLinkStatus(2);
      ran = true;
    });
    ASSERT_TRUE(loop_.RunUntil([&] { return ran; }, 20s));
    EXPECT_TRUE(app_->discovery().Switches().empty());
  });
  Cycle();
  ASSERT_TRUE(asked.named());
  EXPECT_EQ(app_->discovery().Find(asked), nullptr);
  // Nothing was stored for the switch asked about: its adoption ended there.
  EXPECT_EQ(app_->config().FindStoredRecord(asked.mac), nullptr);
  EXPECT_EQ(SyncRequests(), 0u);
  // Both come back as new objects, and the switch is asked about again.
  ASSERT_TRUE(CycleUntil([&] { return Switch("A") != nullptr && Switch("B") != nullptr; }));
  Flush();
  ManagedSwitch* again = app_->discovery().FindByMac(asked.mac);
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again->generation(), asked.generation);
  EXPECT_EQ(app_->discovery().Find(asked), nullptr);
  std::size_t questions = 0;
  for (const auto& question : op_.questions()) questions += question.mac == asked.mac ? 1 : 0;
  EXPECT_EQ(questions, 2u);
}

}  // namespace
}  // namespace ntr
