// Export and import of the registry: the round trip, a failed import that
// leaves everything as it was, a switch never seen, and a managed switch
// sent through adoption again.
#include "app/import_export.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "tests/app/app_fixture.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;

using test::StoredBlock;

class ImportExportTest : public test::AppFixture {
 protected:
  // Runs an import through its thread and the top panel's side of it.
  bool Import(const std::filesystem::path& file) {
    EXPECT_EQ(app_->import().Begin(file), SettingsImport::Start::kStarted);
    const auto result = notices_.WaitFor(Notification::kTopPanelAction, 60s);
    EXPECT_TRUE(result.has_value());
    if (!result) return false;
    EXPECT_EQ(app_->HandleNotice(*result), Application::NoticeResult::kHandled);
    const auto end = notices_.WaitFor(Notification::kSwitchWorkFinished, 60s);
    EXPECT_TRUE(end.has_value() && !end->switchRef.named());
    if (end) app_->HandleNotice(*end);
    EXPECT_FALSE(app_->import().threadExists());
    EXPECT_FALSE(app_->discovery().importRunning);
    return result->value == kImportSucceeded;
  }
  std::string Registry() { return FormatConfigText(app_->config(), &app_->link()); }
  std::string LastMessage() {
    const auto messages = op_.messages();
    return messages.empty() ? std::string() : messages.back().text;
  }

  static constexpr const char* kRegistry =
      "switch control watch interval 5 4\n"
      "vlan lan1/1 802.1q vid=10 name=sales\n"
      "vlan lan1/2 802.1q vid=20 name=lab\n"
      "switch select 02:5C:71:00:00:01\n"
      "#switch control function get serial-number SIM000001\n"
      "#switch control function get model-name NTR7100-8G\n"
      "switch control function set vlan-access 2 10\n"
      "switch control function set vlan-id 10 10\n"
      "switch select 02:5C:71:00:00:02\n"
      "#switch control function get serial-number SIM000002\n"
      "#switch control function get model-name NTR7100-24G\n"
      "switch control function set qos-speed-unit 1m\n";
};

TEST_F(ImportExportTest, ExportThenImportGivesTheSameRegistry) {
  test::WriteConfig(ConfigFilePath(), kRegistry);
  StartApp("switch A model=NTR7100-8G\n");
  const std::string before = Registry();
  ErrorPair error;
  const auto exported = root_ / "exported.txt";
  ASSERT_TRUE(ExportSettings(exported, error));
  EXPECT_EQ(test::ReadBytes(exported), test::ReadBytes(ConfigFilePath()));

  EXPECT_TRUE(Import(exported));
  EXPECT_EQ(LastMessage(), "インポートしました。");
  EXPECT_EQ(op_.messages().back().icon, MessageIcon::kNone);
  EXPECT_EQ(Registry(), before);

  EXPECT_FALSE(ExportSettings(root_ / "no-such-folder" / "x.txt", error));
  EXPECT_EQ(error.code, kErrFileOpen);
}

TEST_F(ImportExportTest, ExportReplacesOnlyRegularFiles) {
  test::WriteConfig(ConfigFilePath(), kRegistry);
  const std::string saved = test::ReadBytes(ConfigFilePath());
  const auto target = root_ / "target.txt";
  test::WriteBytes(target, "old");
  const auto link = root_ / "link.txt";
  const auto pipe = root_ / "pipe";
  std::filesystem::create_symlink(target, link);
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  ErrorPair error;
  for (const auto& refused : {link, pipe, root_}) {
    EXPECT_FALSE(ExportSettings(refused, error)) << refused;
    EXPECT_NE(error.detail.find(kExportNotRegularText), std::string::npos) << error.detail;
  }
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_TRUE(std::filesystem::is_fifo(pipe));
  EXPECT_EQ(test::ReadBytes(target), "old");
  ASSERT_TRUE(ExportSettings(target, error));  // a regular file is replaced
  EXPECT_EQ(test::ReadBytes(target), saved);

  int ends[2];
  ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
  ASSERT_TRUE(ExportSettingsTo(ends[1], error));  // the saved file is small enough for a pipe
  ::close(ends[1]);
  std::string piped(saved.size() + 1, '\0');
  piped.resize(
      static_cast<std::size_t>(std::max<ssize_t>(0, ::read(ends[0], piped.data(), piped.size()))));
  ::close(ends[0]);
  EXPECT_EQ(piped, saved);
}

TEST_F(ImportExportTest, OneMisspeltKeywordFailsTheWholeImport) {
  test::WriteConfig(ConfigFilePath(), kRegistry);
  StartApp("switch A model=NTR7100-8G\n");
  const std::string before = Registry();
  const auto file = root_ / "bad.txt";
  test::WriteConfig(file,
                    "switch control watch interval 9 9\n"
                    "vlan lan1/1 802.1q vid=10 name=renamed\n"
                    "vlan lan1/2 802.1q vid=30 name=added\n" +
                        StoredBlock("switch control function set port-use 3 off\n"
                                    "switch control function set port-usee 4 off\n") +
                        "switch select 02:5C:71:00:00:09\n"
                        "#switch control function get serial-number N9\n"
                        "#switch control function get model-name NTR7100-8G\n");
  EXPECT_FALSE(Import(file));
  EXPECT_EQ(LastMessage(), "インポートできませんでした。");
  EXPECT_EQ(op_.messages().back().icon, MessageIcon::kError);
  EXPECT_EQ(Registry(), before);  // watch values, names and records as they were
  EXPECT_EQ(app_->discovery().Switches().size(), 0u);
  EXPECT_NE(test::ErrorLogText().find("実行コマンド: switch control function set port-usee 4 off"),
            std::string::npos);
}

TEST_F(ImportExportTest, KnownSwitchBlockMustPassWithItsOwnPortCount) {
  test::WriteConfig(ConfigFilePath(), kRegistry);
  StartApp("switch A model=NTR7100-8G\n");
  const std::string before = Registry();
  const auto file = root_ / "nine.txt";
  // Port 12 is fine for the first reading (24 ports) but not for an 8-port switch.
  test::WriteConfig(file, StoredBlock("switch control function set port-use 12 off\n"));
  EXPECT_FALSE(Import(file));
  EXPECT_EQ(Registry(), before);
  // A failure list left by earlier work is not this file's: a sound file imports.
  app_->config().FindStoredRecord(test::SwitchMac(1))->AddFailure("earlier");
  test::WriteConfig(file, StoredBlock("switch control function set port-use 3 off\n"));
  EXPECT_TRUE(Import(file));
}

TEST_F(ImportExportTest, NeverSeenSwitchIsStoredAndNothingIsSent) {
  StartApp("switch A model=NTR7100-8G\n");
  const std::size_t sent = peer_->link().SentCount();
  const auto file = root_ / "new.txt";
  test::WriteConfig(file,
                    "switch select 02:5C:71:00:00:09\n"
                    "#switch control function get serial-number N9\n"
                    "#switch control function get model-name NTR7100-8PoE\n"
                    "switch control function set poe-class 1 none\n");
  EXPECT_TRUE(Import(file));
  const RecordPtr stored = app_->config().FindStoredRecord(test::SwitchMac(9));
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->ports[0].poeClass, kPoeClassNone);
  EXPECT_NE(test::FileText(ConfigFilePath()).find("poe-class 1 none"), std::string::npos);
  EXPECT_EQ(peer_->link().SentCount(), sent);
}

TEST_F(ImportExportTest, ManagedSwitchIsAdoptedAgainAtTheNextReply) {
  StartApp("switch A model=NTR7100-8G\n");
  op_.QueueAnswer(true);
  Cycle();
  ManagedSwitch* sw = Switch("A");
  ASSERT_NE(sw, nullptr);
  ASSERT_EQ(sw->record().modelCode, kModel8G);
  ASSERT_EQ(op_.questions().size(), 1u);

  const auto file = root_ / "a.txt";
  test::WriteConfig(file, StoredBlock("switch control function set port-use 3 off\n"));
  EXPECT_TRUE(Import(file));
  EXPECT_EQ(sw->record().ports[2].use, 0);
  EXPECT_EQ(sw->record().modelCode, kModelUnknown);

  op_.QueueAnswer(true);
  Cycle();
  // The switch is still at factory state and the stored record differs.
  ASSERT_EQ(op_.questions().size(), 2u);
  EXPECT_EQ(op_.questions().back().mode, AdoptionQuestion::kFactoryState);
  EXPECT_EQ(sw->record().firmwareRevision.get(), "1.00");  // what the switch reported
}

TEST_F(ImportExportTest, SecondImportWhileOneExistsDoesNothing) {
  StartApp("switch A model=NTR7100-8G\n");
  const auto file = root_ / "empty.txt";
  test::WriteConfig(file, "switch control watch interval 3 3\n");
  ASSERT_EQ(app_->import().Begin(file), SettingsImport::Start::kStarted);
  EXPECT_EQ(app_->import().Begin(file), SettingsImport::Start::kAlreadyRunning);
  const auto end = notices_.WaitFor(Notification::kSwitchWorkFinished, 60s);
  ASSERT_TRUE(end.has_value());
  app_->HandleNotice(*end);
  EXPECT_FALSE(app_->import().threadExists());
}

}  // namespace
}  // namespace ntr
