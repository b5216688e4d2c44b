// The application object: start-up with and without a configuration file,
// the adapter choice, one running copy, suspend and restart, shutdown.
#include "app/application.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/single_instance.h"
#include "tests/app/app_fixture.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;

class ApplicationTest : public test::AppFixture {};

TEST_F(ApplicationTest, StartUpWithoutAFileCreatesNone) {
  StartApp("switch A model=NTR7100-8G\n");
  EXPECT_FALSE(std::filesystem::exists(ConfigFilePath()));
  EXPECT_EQ(app_->lastError().code, kErrNone);
  EXPECT_FALSE(app_->version().empty());
  EXPECT_TRUE(link_->capturing);
  EXPECT_TRUE(link_->watching);
  EXPECT_EQ(app_->hub().sourceMac(), test::kAdapterMac);
  EXPECT_EQ(link_->choices, 1);
  EXPECT_EQ(op_.adapterChoices(), 0);  // one adapter: nobody is asked
  EXPECT_TRUE(op_.messages().empty());
}

TEST_F(ApplicationTest, StartUpRewritesTheFileCanonically) {
  test::WriteConfig(ConfigFilePath(),
                    "# written by hand\n"
                    "switch   control watch interval 4 12\n"
                    "\n"
                    "#log send on\n"
                    "switch select 02:5c:71:00:00:01\n"
                    "#switch control function get serial-number SIM000001\n"
                    "#switch control function get model-name NTR7100-8G\n"
                    "switch control function set port-usee 3 off\n"
                    "switch control function set port-use 3 off\n");
  const std::string original = test::ReadBytes(ConfigFilePath());
  test::WriteBytes(ConfigFilePath().string() + ".bak", "an older copy");
  StartApp("switch A model=NTR7100-8G\n");
  // A rejected line: the file as it was is kept (the older copy replaced), and the operator told.
  EXPECT_EQ(test::ReadBytes(ConfigFilePath().string() + ".bak"), original);
  ASSERT_EQ(op_.messages().size(), 1u);
  EXPECT_NE(op_.messages()[0].text.find(ConfigFilePath().string() + ".bak"), std::string::npos);
  const std::string file = test::FileText(ConfigFilePath());
  EXPECT_EQ(file.rfind("switch control watch interval 4 3\n"
                       "switch control use lan1 on\n"
                       "#log send on\n"
                       "\n#\n#02:5C:71:00:00:01\n",
                       0),
            0u)
      << file;
  EXPECT_NE(file.find("\nswitch control function set port-use 3 off\n"), std::string::npos);
  EXPECT_EQ(file.find("port-usee"), std::string::npos);  // dropped from the file...
  EXPECT_NE(test::ErrorLogText().find("実行コマンド: switch control function set port-usee 3 off"),
            std::string::npos);  // ...but kept in the error log
  EXPECT_TRUE(link_->sendLogOn);
  EXPECT_EQ(app_->discovery().Switches().size(), 0u);
}

TEST_F(ApplicationTest, StartUpRefusesAFileItCannotRead) {
  // Something that is there but cannot be read (a folder; as root, mode 000 would still read).
  std::filesystem::create_directories(ConfigFilePath());
  StartApp("switch A model=NTR7100-8G\n", false);
  EXPECT_FALSE(app_->InitInstance());
  EXPECT_FALSE(app_->anotherCopyRuns());
  EXPECT_EQ(app_->lastError().code, kErrFileOpen);
  ASSERT_EQ(op_.messages().size(), 1u);
  EXPECT_NE(op_.messages()[0].text.find(ConfigFilePath().string() + ": Is a directory"),
            std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(ConfigFilePath()));  // nothing written over it
}

TEST_F(ApplicationTest, SecondCopyIsRefusedWithoutAWord) {
  StartApp("switch A model=NTR7100-8G\n");
  ScriptedOperator secondOperator;
  auto link = std::make_unique<test::MemoryAppLink>(peer_->link());
  test::MemoryAppLink* secondLink = link.get();
  Application second(Application::Parts{secondOperator, loop_, nullptr, std::move(link)});
  EXPECT_FALSE(second.InitInstance());
  EXPECT_TRUE(second.anotherCopyRuns());
  EXPECT_EQ(secondLink->choices, 0);
  EXPECT_TRUE(secondOperator.messages().empty());

  app_->ExitInstance();  // the first copy ends: the next one may run
  EXPECT_TRUE(second.InitInstance());
}

TEST_F(ApplicationTest, OneCopyPerDataFolderWhateverTheRuntimeFolder) {
  SingleInstance first;
  SingleInstance second;
  ErrorPair error;
  ASSERT_TRUE(first.Acquire(kApplicationTitle, error));
  setenv("XDG_RUNTIME_DIR", (root_ / "other-session").c_str(), 1);
  EXPECT_FALSE(second.Acquire(kApplicationTitle, error));  // the same data folder
  EXPECT_EQ(error.code, 0);
  setenv("XDG_DATA_HOME", (root_ / "other-data").c_str(), 1);
  EXPECT_TRUE(second.Acquire(kApplicationTitle, error));  // a data folder of its own
  // A lock file that cannot be opened is not another copy.
  SingleInstance third;
  std::ofstream(root_ / "a-file") << "x";
  setenv("XDG_DATA_HOME", (root_ / "a-file" / "data").c_str(), 1);
  EXPECT_FALSE(third.Acquire(kApplicationTitle, error));
  EXPECT_EQ(error.code, kErrFileOpen);
}

TEST_F(ApplicationTest, AdapterChoiceFailures) {
  StartApp("switch A model=NTR7100-8G\n", false);
  link_->adapters = {test::Adapter("veth0", 1), test::Adapter("veth1", 2)};
  op_.SetAdapterChoice(std::nullopt);
  EXPECT_FALSE(app_->InitInstance());
  EXPECT_EQ(op_.adapterChoices(), 1);
  EXPECT_TRUE(op_.messages().empty());  // a cancelled choice ends the program silently
  app_->ExitInstance();

  ScriptedOperator other;
  auto link = std::make_unique<test::MemoryAppLink>(peer_->link());
  link->adapters.clear();
  Application noAdapter(Application::Parts{other, loop_, nullptr, std::move(link)});
  EXPECT_FALSE(noAdapter.InitInstance());
  ASSERT_EQ(other.messages().size(), 1u);
  EXPECT_EQ(other.messages()[0].text, "ネットワークに接続できません。");
  EXPECT_EQ(other.messages()[0].icon, MessageIcon::kError);
}

TEST_F(ApplicationTest, SuspendDropsTheSwitchesAndRestartReopens) {
  StartApp("switch A model=NTR7100-8G\n");
  Cycle();
  ASSERT_EQ(app_->discovery().Switches().size(), 1u);
  EXPECT_TRUE(app_->Suspend());
  EXPECT_TRUE(app_->stopping());
  EXPECT_FALSE(link_->capturing);
  EXPECT_TRUE(app_->discovery().Switches().empty());
  EXPECT_EQ(app_->discovery().topology().size(), 0u);
  EXPECT_EQ(app_->config().StoredCount(), 1u);  // the stored record stays

  link_->failReopen = true;
  EXPECT_FALSE(app_->Restart());
  EXPECT_EQ(app_->lastError().code, kErrDeviceOpen);
  link_->failReopen = false;
  EXPECT_TRUE(app_->Restart());
  EXPECT_FALSE(app_->stopping());
  EXPECT_TRUE(notices_.WaitFor(Notification::kPollNow, 10s).has_value());
  Cycle();  // the dispatch thread runs again: the switch is found again
  EXPECT_EQ(app_->discovery().Switches().size(), 1u);
  EXPECT_EQ(op_.questions().size(), 1u);  // found again: no second question
}

TEST_F(ApplicationTest, SaveIntoAFolderThatCannotBeMadeFailsWithCodeSix) {
  test::WriteConfig(ConfigFilePath(), test::StoredBlock(""));
  StartApp("switch A model=NTR7100-8G\n");
  const std::string before = test::ReadBytes(ConfigFilePath());
  // The data folder's place is taken by a file: nothing can be written there.
  setenv("XDG_DATA_HOME", (root_ / "blocked").c_str(), 1);
  test::WriteBytes(root_ / "blocked" / "Kaldor", "a file");
  ErrorPair error;
  EXPECT_FALSE(app_->SaveConfigFile(error));
  EXPECT_EQ(error.code, kErrFileOpen);
  EXPECT_EQ(app_->lastError().code, kErrFileOpen);
  EXPECT_EQ(app_->config().StoredCount(), 1u);  // the registry in memory stays
  setenv("XDG_DATA_HOME", root_.c_str(), 1);
  EXPECT_EQ(test::ReadBytes(ConfigFilePath()), before);
}

// The watch values: kept as they were when the file cannot be written; once
// saved, discovery runs at the new interval.
TEST_F(ApplicationTest, WatchValuesAreSavedOrKeptAsTheyWere) {
  StartApp("switch A model=NTR7100-8G\n");
  const std::int32_t interval = app_->config().watchInterval();
  const std::int32_t downCount = app_->config().downCount();
  setenv("XDG_DATA_HOME", (root_ / "blocked").c_str(), 1);
  test::WriteBytes(root_ / "blocked" / "Kaldor", "a file");
  ErrorPair error;
  EXPECT_FALSE(app_->SetWatch(interval + 7, downCount + 1, error));
  EXPECT_EQ(error.code, kErrFileOpen);
  EXPECT_EQ(app_->config().watchInterval(), interval);
  EXPECT_EQ(app_->config().downCount(), downCount);

  setenv("XDG_DATA_HOME", root_.c_str(), 1);
  ASSERT_TRUE(app_->SetWatch(interval + 7, downCount + 1, error));
  EXPECT_EQ(app_->config().watchInterval(), interval + 7);
  EXPECT_EQ(app_->config().downCount(), downCount + 1);
  EXPECT_EQ(app_->discovery().cycleIntervalMs(), (interval + 7) * 1000);
  EXPECT_NE(test::ReadBytes(ConfigFilePath())
                .find("switch control watch interval " + std::to_string(interval + 7)),
            std::string::npos);
  app_->RequestDiscovery(false);
}

TEST_F(ApplicationTest, FatalCaptureErrorAndSettingFailures) {
  StartApp("switch A model=NTR7100-8G\n");
  EXPECT_EQ(app_->HandleNotice(Notice{Notification::kCaptureReadError, -1}),
            Application::NoticeResult::kCloseMainWindow);
  EXPECT_EQ(op_.messages().back().text, "致命的な通信エラーが発生しました。 (-1)");
  EXPECT_FALSE(link_->capturing);
  EXPECT_EQ(app_->HandleNotice(Notice{Notification::kRelayout}),
            Application::NoticeResult::kNotMine);

  SwitchRecord record = *test::MakeRecord(kModelName8G, 1);
  record.AddFailure("switch control function set port-use 3 off");
  EXPECT_TRUE(app_->ReportSettingFailures(record));
  EXPECT_FALSE(app_->ReportSettingFailures(record));  // reported once
  ASSERT_EQ(op_.reports().size(), 1u);
  EXPECT_EQ(op_.reports()[0].macText, "02:5C:71:00:00:01");
  EXPECT_EQ(op_.reports()[0].errorLogPath, ErrorLogPath());

  // A second report that arrives while the first is shown (the window's
  // dialog runs a nested loop) waits for it and is shown after it.
  SwitchRecord other = *test::MakeRecord(kModelName8G, 2);
  other.AddFailure("switch control function set port-use 4 off");
  record.AddFailure("switch control function set port-use 5 off");
  bool secondReported = false;
  op_.WhileNextReportShown([&] { secondReported = app_->ReportSettingFailures(other); });
  EXPECT_TRUE(app_->ReportSettingFailures(record));
  EXPECT_TRUE(secondReported);
  ASSERT_EQ(op_.reports().size(), 3u);
  EXPECT_FALSE(op_.reportsOverlapped());
  EXPECT_EQ(op_.reports()[1].commands,
            std::vector<std::string>{"switch control function set port-use 5 off"});
  EXPECT_EQ(op_.reports()[2].macText, "02:5C:71:00:00:02");
}

}  // namespace
}  // namespace ntr
