// A hostile segment: lost and late answers, switches that refuse, a storm of
// malformed and spoofed frames, and a simulator killed mid-synchronisation.
#include <signal.h>

#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/frame_storm.h"

namespace ntr::e2e {
namespace {

using Faults = E2eTest;

std::vector<std::string> Prefixed(const std::vector<std::string>& settings) {
  std::vector<std::string> lines;
  for (const std::string& setting : settings)
    lines.push_back("switch control function set " + setting);
  return lines;
}

// A configuration file holding one block for `mac`.
// The block of one switch holding `settings` (lines without their prefix).
std::string ApplyFile(const std::string& mac, const std::string& serial, const std::string& model,
                      const std::vector<std::string>& settings) {
  return BlockFile(mac, serial, model, Prefixed(settings));
}

std::vector<std::string> SettingsSection(const std::string& out) {
  std::vector<std::string> lines;
  bool inside = false;
  for (const std::string& line : SplitLines(out)) {
    const auto words = Words(line);
    const std::string trimmed = Join(words, " ");
    if (trimmed == "settings:")
      inside = true;
    else if (trimmed == "ports:")
      inside = false;
    else if (inside && !trimmed.empty())
      lines.push_back(trimmed);
  }
  return lines;
}

std::size_t Count(const std::vector<LoggedRequest>& requests,
                  const std::function<bool(const LoggedRequest&)>& which) {
  return static_cast<std::size_t>(std::count_if(requests.begin(), requests.end(), which));
}

constexpr char kDrifts[] =
    "drift small system-name faulty|drift small port-speed 2 5|drift small port-use 6 0|"
    "drift small vlan-id 4 44|drift small vlan-trunk 3 4 1|drift small loopdetect-count 9|"
    "drift small counter-frame-rx-type 5 2 4|drift small mirroring-dest 2";

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1) {
    parts.push_back(text.substr(start, end - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

TEST_F(Faults, LossAndDelayStillGiveACorrectBulkRead) {
  StartSim("switch small model=NTR7100-8G serial=E2ELOSS0001\n");
  Ctls(Split(kDrifts, '|'));
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "device", "discover"}), 0);
  const Block dump = Dump("small");

  // 20 % of the answers lost after the switch acted, every answer 50 ms
  // late, until a handful of answers were lost in the middle of the read
  // (each costs the tool a one-second wait); then a clean segment again.
  const std::size_t logged = Requests().size();
  Ctls({"fault all loss 20", "fault all delay 50"});
  auto read = bed_->StartNtrctl({"read", SimMac(1)});
  ASSERT_NE(read, nullptr);
  ASSERT_TRUE(WaitUntil(
      [&] {
        const auto since = RequestsSince(logged);
        return Count(since,
                     [](const LoggedRequest& r) {
                       return r.answerLost && r.request.starts_with("function get");
                     }) >= 6 ||
               read->ended();
      },
      90s));
  Ctl("fault all clear");
  const RunResult result = read->Wait(120s);
  ASSERT_EXIT_STATUS(result, 0);
  EXPECT_EQ(SetLines(SettingsSection(result.out)), SetLines(dump.lines)) << result.out;
  EXPECT_EQ(Dump("small").lines, dump.lines);
  const ConfigFile config = Config();
  const Block* stored = config.Find(SimMac(1));
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->lines, dump.lines);
  // The lost answers were asked for again and answered without acting twice.
  const auto since = RequestsSince(logged);
  EXPECT_GE(Count(since, [](const LoggedRequest& r) { return r.answerLost; }), 6u);
  EXPECT_GE(Count(since, [](const LoggedRequest& r) { return r.repeat; }), 6u);
}

TEST_F(Faults, LossAndDelayStillGiveACorrectSynchronisation) {
  StartSim("switch lab model=NTR7100-8G serial=E2ELOSS0002\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  const std::vector<std::string> settings{
      "system-name lossy",        "port-use 3 off",   "vlan-id 2 20",
      "vlan-trunk 1 2 join",      "mirroring-use on", "loopdetect-count 10",
      "loopdetect-port-use 7 off"};
  const auto file = bed_->work() / "lab.txt";
  WriteFile(file, ApplyFile(SimMac(1), "E2ELOSS0002", "NTR7100-8G", settings));

  // The whole run on the faulty segment: discovery, adoption, the
  // fingerprint queries, the synchronisation and the bulk write.
  const std::size_t logged = Requests().size();
  Ctls({"fault all loss 20", "fault all delay 50"});
  const RunResult applied = Ntrctl({"apply", SimMac(1), file.string()}, 240s);
  Ctl("fault all clear");
  ASSERT_EXIT_STATUS(applied, 0);
  EXPECT_EQ(SetLines(Dump("lab").lines), Prefixed(settings));
  const ConfigFile config = Config();
  const Block* stored = config.Find(SimMac(1));
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->fingerprint, SimFingerprint("lab"));
  EXPECT_EQ(SetLines(stored->lines), Prefixed(settings));
  const auto since = RequestsSince(logged);
  EXPECT_GE(Count(since, [](const LoggedRequest& r) { return r.answerLost; }), 1u);
  // An accepted synchronisation reset the switch once, not once per retry.
  EXPECT_EQ(Count(since,
                  [](const LoggedRequest& r) {
                    return r.request == "sync" && r.outcome == "0" && !r.repeat;
                  }),
            1u);
}

TEST_F(Faults, BusyAndRefusedAnswersLandInTheFailureListAndTheErrorLog) {
  StartSim("switch lab model=NTR7100-8G serial=E2EREFU0001\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  const auto file = bed_->work() / "lab.txt";
  WriteFile(file, ApplyFile(SimMac(1), "E2EREFU0001", "NTR7100-8G",
                            {"system-name refusing", "port-use 3 off", "mirroring-use on",
                             "loopdetect-count 10"}));
  // Busy for port-use, "invalid parameter" for loopdetect-count.
  Ctls({"fault lab refuse port-use 1", "fault lab refuse loopdetect-count 8"});

  const RunResult applied = Ntrctl({"apply", SimMac(1), file.string()});
  EXPECT_EXIT_STATUS(applied, 1);
  // The failure list names both refused settings.
  EXPECT_TRUE(Contains(applied.err, "port-use")) << applied.err;
  EXPECT_TRUE(Contains(applied.err, "loopdetect-count")) << applied.err;
  // The rest was written; the refused settings went back to their defaults
  // in the tool's record, so the two agree.
  const auto written = Prefixed({"system-name refusing", "mirroring-use on"});
  EXPECT_EQ(SetLines(Dump("lab").lines), written);
  const ConfigFile config = Config();
  const Block* stored = config.Find(SimMac(1));
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(SetLines(stored->lines), written);
  EXPECT_EQ(stored->fingerprint, SimFingerprint("lab"));

  // One error-log entry each: switch, command, reason.
  const auto log = SplitLines(ErrorLog());
  const auto entryFor = [&](const std::string& keyword) -> std::vector<std::string> {
    for (std::size_t i = 0; i + 2 < log.size(); ++i) {
      if (log[i].starts_with("実行コマンド: ") && Contains(log[i], keyword)) {
        return {log[i - 1], log[i], log[i + 1]};
      }
    }
    return {};
  };
  const auto busy = entryFor("port-use");
  ASSERT_EQ(busy.size(), 3u) << Join(log);
  EXPECT_EQ(busy[0], "スイッチ: 02:5C:71:00:00:01");
  EXPECT_EQ(busy[2], "エラー理由: スイッチが他の処理を行っています。");
  const auto invalid = entryFor("loopdetect-count");
  ASSERT_EQ(invalid.size(), 3u) << Join(log);
  EXPECT_EQ(invalid[0], "スイッチ: 02:5C:71:00:00:01");
  EXPECT_EQ(invalid[2], "エラー理由: パラメータが不正です。");

  // A bulk read that the switch refuses fails; the error log names the
  // request, the switch's reason and the failed read.
  Ctls({"fault lab clear", "fault lab refuse mirroring-dest 7"});
  const RunResult read = Ntrctl({"read", SimMac(1)});
  EXPECT_EXIT_STATUS(read, 1);
  EXPECT_TRUE(Contains(read.err, "読込みに失敗しました。") ||
              Contains(read.err, "アクセスが不正です。"))
      << read.err;
  const auto after = SplitLines(ErrorLog());
  std::vector<std::string> reasons;
  for (std::size_t i = 0; i + 1 < after.size(); ++i) {
    if (after[i].starts_with("実行コマンド: ") && Contains(after[i], "get mirroring-dest")) {
      reasons.push_back(after[i + 1]);
    }
  }
  EXPECT_EQ(reasons, (std::vector<std::string>{"エラー理由: アクセスが不正です。",
                                               "エラー理由: 致命的なエラー(機器の読込みに失敗)"}))
      << Join(after);
}

TEST_F(Faults, StormOfMalformedAndSpoofedFramesNeitherCrashesNorCorrupts) {
  StartSim(
      "switch small model=NTR7100-8G   serial=E2ESTORM001\n"
      "switch poe   model=NTR7100-8PoE serial=E2ESTORM002 uplink=small:2\n");
  Ctls(Split(kDrifts, '|'));
  Ctls({"drift poe poe-class 3 4", "drift poe port-use 5 0"});
  const std::vector<MacAddress> switches{{0x02, 0x5C, 0x71, 0, 0, 1}, {0x02, 0x5C, 0x71, 0, 0, 2}};
  std::string error;
  {
    // Garbage, answers with transaction IDs never used, notices with
    // impossible ports, discovery replies of switches that do not exist.
    FrameStorm storm(bed_->switchNamespace(), bed_->switchInterface(), switches, {});
    ASSERT_TRUE(storm.Start(error)) << error;

    const RunResult found = Ntrctl({"--new", "device", "discover"});
    ASSERT_EXIT_STATUS(found, 0);
    std::set<std::string> listed;
    for (const std::string& line : SplitLines(found.out)) {
      if (!Words(line).empty()) listed.insert(Upper(Words(line)[0]));
    }
    EXPECT_EQ(listed, (std::set<std::string>{SimMac(1), SimMac(2)})) << found.out;

    const RunResult read = Ntrctl({"read", SimMac(1)});
    ASSERT_EXIT_STATUS(read, 0);
    EXPECT_EQ(SetLines(SettingsSection(read.out)), SetLines(Dump("small").lines));

    ASSERT_EXIT_STATUS(Ntrctl({"set", SimMac(2), "port-use", "4", "off"}), 0);
    EXPECT_EXIT_STATUS(Ntrctl({"show", SimMac(2)}), 0);

    storm.Stop();
    EXPECT_GT(storm.sent(), 1000u);
    EXPECT_GT(storm.requestsSeen(), 100u);
  }
  ConfigFile config = Config();
  EXPECT_EQ(config.blocks.size(), 2u);
  for (const auto& [name, mac] :
       std::vector<std::pair<std::string, std::string>>{{"small", SimMac(1)}, {"poe", SimMac(2)}}) {
    const Block* block = config.Find(mac);
    ASSERT_NE(block, nullptr) << mac;
    EXPECT_EQ(block->lines, Dump(name).lines) << mac;
    EXPECT_EQ(block->fingerprint, SimFingerprint(name)) << mac;
  }

  {
    // Now answers with the request's own transaction ID from other source
    // MACs race the real ones. What the tool reads may be wrong; it must
    // neither crash nor hang nor leave a broken file.
    FrameStorm::Mix hijack;
    hijack.hijack = true;
    FrameStorm storm(bed_->switchNamespace(), bed_->switchInterface(), switches, hijack);
    ASSERT_TRUE(storm.Start(error)) << error;
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--new", "factory", "--changed", "device", "--factory", "no",
                                   "--timeout", "10", "read", SimMac(1)},
          std::vector<std::string>{"--new", "factory", "--changed", "device", "--factory", "no",
                                   "--timeout", "10", "show", SimMac(2)}}) {
      const RunResult result = Ntrctl(arguments, 150s);
      EXPECT_TRUE(result.exited()) << result.Describe();
      EXPECT_TRUE(result.status == 0 || result.status == 1 || result.status == 5)
          << result.Describe();
      Config();
    }
  }
  // Afterwards the tool starts on its file and exports it whole.
  const auto copy = bed_->work() / "after-storm.txt";
  const RunResult exported = Ntrctl({"export", copy.string()});
  EXPECT_EXIT_STATUS(exported, 0);
  EXPECT_EQ(ReadFile(copy), ReadFile(bed_->configPath()));
  Config();
}

TEST_F(Faults, KillingTheSimulatorMidSynchronisationLeavesAWholeFile) {
  StartSim(
      "switch big model=NTR7100-24G serial=E2EKILL0001\n"
      "switch small model=NTR7100-8G serial=E2EKILL0002 uplink=big:2\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  const std::string before = ReadFile(bed_->configPath());

  // Many settings, so that the bulk write takes a while on a slow switch.
  std::vector<std::string> settings{"system-name killed"};
  for (int port = 5; port <= 24; ++port)
    settings.push_back("port-use " + std::to_string(port) + " off");
  for (int registration = 2; registration <= 120; ++registration) {
    settings.push_back("vlan-id " + std::to_string(registration) + " " +
                       std::to_string(1000 + registration));
  }
  const auto file = bed_->work() / "big.txt";
  WriteFile(file, ApplyFile(SimMac(1), "E2EKILL0001", "NTR7100-24G", settings));
  Ctl("fault big delay 10");

  const std::size_t logged = Requests().size();
  auto apply = bed_->StartNtrctl({"apply", SimMac(1), file.string()});
  ASSERT_NE(apply, nullptr);
  ASSERT_TRUE(WaitUntil(
      [&] {
        const auto since = RequestsSince(logged);
        const bool synchronising = Count(since, [](const LoggedRequest& r) {
                                     return r.request == "sync" && r.outcome == "0";
                                   }) > 0;
        return (synchronising && Count(since,
                                       [](const LoggedRequest& r) {
                                         return r.request.starts_with("function set");
                                       }) >= 20) ||
               apply->ended();
      },
      60s));
  ASSERT_FALSE(apply->ended()) << apply->err();
  bed_->KillSim();

  // Whatever the tool does now, every look at the file finds it whole:
  // the old block or the new one, never a part.
  const auto checkWhole = [&] {
    std::string why;
    const ConfigFile config = ParseConfigFile(ReadFile(bed_->configPath()), why);
    EXPECT_EQ(why, "");
    if (!why.empty()) return;
    EXPECT_NE(config.Find(SimMac(2)), nullptr);
    const Block* block = config.Find(SimMac(1));
    ASSERT_NE(block, nullptr);
    const auto lines = SetLines(block->lines);
    EXPECT_TRUE(lines.empty() || lines == Prefixed(settings))
        << "a block that is neither the old nor the new one:\n"
        << Join(lines);
  };
  WaitUntil(
      [&] {
        checkWhole();
        return apply->ended() || ::testing::Test::HasFailure();
      },
      5s);
  // Then the tool dies too, wherever it is.
  apply->Signal(SIGKILL);
  apply->Wait(10s);
  checkWhole();

  // It starts again on that file without rejecting a line.
  const std::string errorLog = ReadFile(bed_->errorLogPath());
  const auto copy = bed_->work() / "after-kill.txt";
  const RunResult exported = Ntrctl({"export", copy.string()});
  EXPECT_EXIT_STATUS(exported, 0);
  EXPECT_EQ(ReadFile(copy), ReadFile(bed_->configPath()));
  EXPECT_EQ(ReadFile(bed_->errorLogPath()), errorLog);
  EXPECT_NE(before, "");
}

TEST_F(Faults, DamagedFileIsKeptAndOneThatCannotBeReadStopsTheStart) {
  StartSim("switch a model=NTR7100-8G serial=E2EDAMAGE01\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  const std::filesystem::path file = bed_->configPath();
  const std::filesystem::path copy = file.string() + ".bak";
  // Cut in the middle of a line, and binary garbage after the cut.
  std::string bytes = ReadFile(file);
  bytes = bytes.substr(0, bytes.size() - 5) + "\r\n\x01\xff\xfe\x80 garbage\r\n";
  WriteFile(file, bytes);
  const RunResult damaged = Ntrctl({"--new", "factory", "discover"});  // its block was cut
  ASSERT_EXIT_STATUS(damaged, 0);
  EXPECT_TRUE(Contains(damaged.err, copy.string())) << damaged.Describe();
  EXPECT_EQ(ReadFile(copy), bytes);
  EXPECT_NE(Config().Find(SimMac(1)), nullptr);  // the new file is whole

  // Something in the file's place that cannot be read is never written over.
  std::filesystem::remove(file);
  std::filesystem::create_directory(file);
  const RunResult unreadable = Ntrctl({"discover"});
  EXPECT_EXIT_STATUS(unreadable, 1);
  EXPECT_TRUE(Contains(unreadable.err, file.string() + ": Is a directory"))
      << unreadable.Describe();
  EXPECT_TRUE(std::filesystem::is_directory(file));
}

}  // namespace
}  // namespace ntr::e2e
