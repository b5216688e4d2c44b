// The use cases shared by the front ends, and the phase they read, against
// the simulator: the factory reset of the tool's record, the end of a modal
// read, and the phases a switch goes through.
#include "app/switch_service.h"

#include <gtest/gtest.h>

#include "device/switch_phase.h"
#include "tests/app/app_fixture.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;

class SwitchServiceTest : public test::AppFixture {
 protected:
  // Handles notices as the window would until a modal read ends; its result.
  std::optional<ServiceResult> HandleUntilReadEnd(SwitchService& service) {
    std::optional<ServiceResult> ended;
    while (!ended) {
      const bool got = notices_.HandleNext(
          [&](const Notice& notice) {
            const bool end = notice.message == Notification::kModalRead && notice.value == 0;
            if (end) phaseAtEnd = StatusOf(*app_->discovery().Find(notice.switchRef)).phase;
            auto result = service.HandleModalRead(notice);
            if (end) ended = std::move(result);
          },
          120s);
      if (!got) break;
    }
    return ended;
  }
  // A modal read of `sw` as the adoption starts one.
  std::optional<ServiceResult> ModalRead(SwitchService& service, ManagedSwitch& sw) {
    service.HandleModalRead(Notice{Notification::kModalRead, 1, 0, sw.ref()});
    ErrorPair error;
    if (!sw.settings().RequestBulkRead(error)) return std::nullopt;
    EXPECT_EQ(StatusOf(sw).phase, SwitchPhase::kReading);
    return HandleUntilReadEnd(service);
  }
  std::vector<std::int32_t> NamedVlans() {
    std::vector<std::int32_t> ids;
    for (const VlanName& entry : app_->config().VlanNames()) ids.push_back(entry.id);
    return ids;
  }

  SwitchPhase phaseAtEnd = SwitchPhase::kRemoved;
};

TEST_F(SwitchServiceTest, FactoryResetKeepsTheIdentityAndOnlyNamesOthersUse) {
  StartApp("switch A model=NTR7100-8PoE\nswitch B model=NTR7100-8G\n");
  Cycle();
  ManagedSwitch* a = Switch("A");
  ManagedSwitch* b = Switch("B");
  ASSERT_TRUE(a != nullptr && b != nullptr);
  ASSERT_TRUE(IsReady(*a) && IsReady(*b));
  const MacAddress mac = a->mac();
  SwitchRecord& record = a->record();
  const std::string model = record.modelName.get();
  record.bootRomVersion = "BR-1.2";
  record.systemName = "renamed";
  record.vlanIds[1] = 10;
  record.vlanIds[2] = 20;
  b->record().vlanIds[1] = 20;
  for (const std::int32_t id : {10, 20, 30}) ASSERT_TRUE(app_->config().SetVlanName(id));
  ErrorPair error;
  ASSERT_TRUE(app_->SaveConfigFile(error));
  ASSERT_EQ(test::Count(test::FileText(ConfigFilePath()), "renamed"), 1u);

  SwitchService service(*app_);
  const FactoryResetResult result = service.FactoryReset(*a);  // `a` may be gone now
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.keptVlanIds, std::vector<std::int32_t>{20});
  EXPECT_NE(result.text.find("20"), std::string::npos);
  EXPECT_EQ(NamedVlans(), (std::vector<std::int32_t>{1, 20}));  // 30 was unused before

  const RecordPtr stored = app_->config().FindStoredRecord(mac);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->modelName.get(), model);
  EXPECT_EQ(stored->serialNumber.get(), "SIM000001");
  EXPECT_FALSE(stored->firmwareRevision.get().empty());
  EXPECT_EQ(stored->bootRomVersion.get(), "BR-1.2");
  EXPECT_EQ(stored->macText.get(), FormatSwitchMac(mac));
  EXPECT_EQ(stored->systemName.get(), stored->DefaultSystemName());
  EXPECT_EQ(stored->vlanIds[1], 1);
  EXPECT_EQ(stored->modelCode, kModelUnknown);  // adopted again, without a question
  EXPECT_TRUE(app_->resetMacs().Contains(mac));
  EXPECT_EQ(test::Count(test::FileText(ConfigFilePath()), "renamed"), 0u);
}

// The names stay while any stored record uses them: a switch that is offline
// now (or not adopted yet) comes back with its VLANs still named, however far
// discovery has got.
TEST_F(SwitchServiceTest, FactoryResetKeepsNamesThatOfflineSwitchesUse) {
  test::WriteConfig(ConfigFilePath(),
                    "vlan lan1/1 802.1q vid=30 name=lab\n"
                    "switch select 02:5C:71:00:00:09\n"
                    "#switch control function get firmware-revision 1.00\n"
                    "#switch control function get serial-number SIM000009\n"
                    "#switch control function get model-name NTR7100-8G\n"
                    "switch control function set vlan-id 2 30\n");
  StartApp("switch A model=NTR7100-8G\n");
  Cycle();
  ManagedSwitch* a = Switch("A");
  ASSERT_TRUE(a != nullptr && IsReady(*a));
  a->record().vlanIds[1] = 30;
  const FactoryResetResult result = SwitchService(*app_).FactoryReset(*a);
  EXPECT_EQ(result.keptVlanIds, std::vector<std::int32_t>{30});
  EXPECT_EQ(app_->config().GetVlanName(30), "lab");
  EXPECT_NE(test::FileText(ConfigFilePath()).find("vid=30 name=lab"), std::string::npos);
}

// An apply names its switch by reference: one that is not managed starts no job.
TEST_F(SwitchServiceTest, AnApplyForASwitchNotManagedStartsNothing) {
  StartApp("switch A model=NTR7100-8G\n");
  Cycle();
  ASSERT_NE(Switch("A"), nullptr);
  SwitchService service(*app_);
  ErrorPair error;
  EXPECT_EQ(service.StartApply(SwitchRef{}, {SettingChange::SystemName("x")}, error), 0u);
  EXPECT_EQ(error.code, kErrNoResponse);
  service.StopApply(SwitchRef{}, 1);  // nothing to stop, nothing happens
}

TEST_F(SwitchServiceTest, SavedSettingsHoldTheSwitchAloneAndLoadBackExactly) {
  StartApp("switch A model=NTR7100-8G\nswitch B model=NTR7100-8G\n");
  Cycle();
  ManagedSwitch* a = Switch("A");
  ManagedSwitch* b = Switch("B");
  ASSERT_TRUE(a != nullptr && b != nullptr);
  app_->config().SetWatch(7, 5);
  ASSERT_TRUE(app_->config().SetVlanName(10, "office"));
  ASSERT_TRUE(app_->config().SetVlanName(20, "lab"));
  a->record().vlanIds[1] = 10;
  b->record().vlanIds[1] = 20;
  const auto file = ConfigFilePath().parent_path() / "one.txt";

  SwitchService service(*app_);
  ASSERT_TRUE(service.SaveSwitchSettings(*a, file).ok);
  const std::string text = test::FileText(file);
  EXPECT_EQ(test::Count(text, "switch select "), 1u);
  EXPECT_EQ(test::Count(text, "switch select " + a->record().macText.get()), 1u);
  EXPECT_EQ(test::Count(text, "switch control watch interval 7 5"), 1u);
  EXPECT_EQ(test::Count(text, "office"), 1u);
  EXPECT_EQ(test::Count(text, "lab"), 0u);
  // Nothing of the tool changed.
  EXPECT_EQ(app_->config().StoredRecords().size(), 2u);
  EXPECT_EQ(app_->config().GetVlanName(20), "lab");

  // Loaded again, the file brings back exactly what it holds: a setting
  // changed away from its default since goes back to it.
  a->record().ports[2].use = 0;
  a->record().systemName = "renamed";
  ASSERT_TRUE(service.BeginApply(*a, file).ok);
  EXPECT_EQ(a->record().ports[2].use.load(), 1);
  EXPECT_EQ(a->record().systemName.get(), a->record().DefaultSystemName());
  EXPECT_EQ(a->record().vlanIds[1].load(), 10);

  const ServiceResult failed =
      service.SaveSwitchSettings(*a, file.parent_path() / "missing" / "x.txt");
  EXPECT_FALSE(failed.ok);
  EXPECT_NE(failed.error.code, 0);
  EXPECT_FALSE(failed.text.empty());
}

TEST_F(SwitchServiceTest, PhasesThroughIdentityReadAndAFailedRead) {
  std::vector<SwitchPhase> created;
  StartApp("switch A model=NTR7100-8G\n", false);
  app_->SetSwitchCreatedHook([&](SwitchView sw) { created.push_back(sw.status().phase); });
  ASSERT_TRUE(app_->InitInstance());
  Cycle();
  EXPECT_EQ(created, std::vector{SwitchPhase::kIdentifying});
  ManagedSwitch* sw = Switch("A");
  ASSERT_NE(sw, nullptr);
  EXPECT_EQ(StatusOf(*sw).phase, SwitchPhase::kReady);

  SwitchService service(*app_);
  const auto read = ModalRead(service, *sw);
  ASSERT_TRUE(read.has_value());
  EXPECT_TRUE(read->ok);
  EXPECT_EQ(phaseAtEnd, SwitchPhase::kReading);
  ASSERT_TRUE(loop_.RunUntil([&] { return IsReady(*sw); }, 20s));

  // A read that fails: the record comes back as it was, the log has it.
  SwitchRecord& record = sw->record();
  const std::int32_t mine = record.energySaving == 0 ? 1 : 0;
  record.energySaving = mine;
  peer_->Control("fault A refuse led-brightness 1");
  const auto failed = ModalRead(service, *sw);
  ASSERT_TRUE(failed.has_value());
  EXPECT_FALSE(failed->ok);
  EXPECT_EQ(failed->text, DeviceReadFailedText(sw->mac()));
  ASSERT_FALSE(failed->details.empty());
  EXPECT_EQ(record.energySaving, mine);  // the read had stored the switch's value
  EXPECT_TRUE(record.failures.Copy().empty());
  EXPECT_EQ(test::Count(test::ErrorLogText(), std::string(kReadFailedLogText)), 1u);
  EXPECT_TRUE(app_->config().ContainsStoredRecord(&record));
  ASSERT_TRUE(loop_.RunUntil([&] { return StatusOf(*sw).phase != SwitchPhase::kReading; }, 20s));
  EXPECT_EQ(StatusOf(*sw).phase, SwitchPhase::kReadFailed);
}

}  // namespace
}  // namespace ntr
