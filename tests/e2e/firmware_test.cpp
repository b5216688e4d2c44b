// Firmware updates through ntrctl: a good image, images the switch refuses,
// and Ctrl-C in the middle of a transfer.
#include <signal.h>

#include "tests/e2e/e2e_harness.h"

namespace ntr::e2e {
namespace {

using Firmware = E2eTest;

constexpr char kSwitch[] =
    "switch fw model=NTR7100-24G serial=E2EFW000001 firmware=1.00 restart-ms=400\n";

// Writes an image the simulator accepts; its size in bytes.
std::size_t MakeImage(const std::filesystem::path& path, const std::string& revision,
                      std::size_t body) {
  const RunResult made =
      RunToEnd({SIM_PATH, "--make-firmware", revision, path.string(), std::to_string(body)});
  EXPECT_EXIT_STATUS(made, 0);
  return std::filesystem::file_size(path);
}

std::vector<LoggedRequest> FirmwareRequests(const std::vector<LoggedRequest>& requests) {
  std::vector<LoggedRequest> firmware;
  for (const LoggedRequest& request : requests) {
    if (request.request.starts_with("firmware")) firmware.push_back(request);
  }
  return firmware;
}

TEST_F(Firmware, UpdateSucceedsAndTheSwitchComesBackWithTheNewRevision) {
  StartSim(kSwitch);
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  const auto image = bed_->work() / "fw-2.50.bin";
  const std::size_t size = MakeImage(image, "2.50", 20000);
  ASSERT_EQ(size, 20080u);

  const std::size_t logged = Requests().size();
  const RunResult update = Ntrctl({"firmware", SimMac(1), image.string()});
  ASSERT_EXIT_STATUS(update, 0);

  // Prepare, then the image in 512-byte blocks numbered from 0, then an
  // empty block; each accepted (retransmissions aside).
  const auto firmware = FirmwareRequests(RequestsSince(logged));
  ASSERT_FALSE(firmware.empty());
  EXPECT_EQ(firmware.front().request, "firmware-prepare");
  std::map<int, std::string> blocks;
  for (const LoggedRequest& request : firmware) {
    int number = 0, length = 0;
    if (std::sscanf(request.request.c_str(), "firmware-block %d len=%d", &number, &length) == 2) {
      EXPECT_EQ(request.outcome, "0") << request.line;
      blocks[number] = request.request;
    }
  }
  const int full = static_cast<int>(size / 512);
  ASSERT_EQ(blocks.size(), static_cast<std::size_t>(full + 2));
  for (int n = 0; n < full; ++n) {
    EXPECT_EQ(blocks[n], "firmware-block " + std::to_string(n) + " len=512");
  }
  EXPECT_EQ(blocks[full],
            "firmware-block " + std::to_string(full) + " len=" + std::to_string(size % 512));
  EXPECT_EQ(blocks[full + 1], "firmware-block " + std::to_string(full + 1) + " len=0");

  // The command waited for the restart: the switch is back with the new
  // revision, and the tool saw it.
  EXPECT_TRUE(Contains(update.out, "the switch is back with firmware revision 2.50 (was 1.00)\n"))
      << update.Describe();
  EXPECT_EQ(SimSwitch("fw")["firmware"], "2.50");
  EXPECT_EQ(SimSwitch("fw")["state"], "answering");
  const RunResult found = Ntrctl({"--json", "discover"});
  ASSERT_EXIT_STATUS(found, 0);
  const Json tree = ParseOutput(found);
  const auto& switches = tree["switches"].array();
  ASSERT_EQ(switches.size(), 1u);
  EXPECT_EQ(switches[0]["firmware"].str(), "2.50");
}

TEST_F(Firmware, RefusedImagesEndWithTheSwitchsMessage) {
  StartSim(kSwitch);
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  const auto good = bed_->work() / "good.bin";
  MakeImage(good, "2.00", 3000);
  const std::string bytes = ReadFile(good);

  std::string wrongMagic = bytes;
  wrongMagic[0] = 'X';
  WriteFile(bed_->work() / "magic.bin", wrongMagic);
  const RunResult magic = Ntrctl({"firmware", SimMac(1), (bed_->work() / "magic.bin").string()});
  EXPECT_EXIT_STATUS(magic, 1);
  EXPECT_TRUE(Contains(magic.err, "マジックコードが一致しません。")) << magic.err;

  std::string wrongSum = bytes;
  wrongSum[200] = static_cast<char>(wrongSum[200] ^ 0x5A);
  WriteFile(bed_->work() / "sum.bin", wrongSum);
  const RunResult sum = Ntrctl({"firmware", SimMac(1), (bed_->work() / "sum.bin").string()});
  EXPECT_EXIT_STATUS(sum, 1);
  EXPECT_TRUE(Contains(sum.err, "チェックサムが一致しません。")) << sum.err;

  Ctl("set fw flash-fail on");
  const RunResult flash = Ntrctl({"firmware", SimMac(1), good.string()});
  EXPECT_EXIT_STATUS(flash, 1);
  EXPECT_TRUE(Contains(flash.err, "フラッシュROMの書き換えに失敗しました。")) << flash.err;
  Ctl("set fw flash-fail off");

  const RunResult missing =
      Ntrctl({"firmware", SimMac(1), (bed_->work() / "missing.bin").string()});
  EXPECT_EXIT_STATUS(missing, 1);
  EXPECT_TRUE(Contains(missing.err, "ファイルがオープンできません。")) << missing.err;

  // The switch kept its firmware and answers as before.
  EXPECT_EQ(SimSwitch("fw")["firmware"], "1.00");
  EXPECT_EQ(SimSwitch("fw")["state"], "answering");
  EXPECT_EXIT_STATUS(Ntrctl({"show", SimMac(1)}), 0);
}

TEST_F(Firmware, TheRestartIsWaitedForUnlessNoWaitIsGiven) {
  StartSim(std::string(kSwitch) +
           "switch away model=NTR7100-8G serial=E2EFW000002 firmware=1.00 restart-ms=600000\n");
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  const auto same = bed_->work() / "fw-1.00.bin";
  const auto next = bed_->work() / "fw-2.00.bin";
  MakeImage(same, "1.00", 3000);
  MakeImage(next, "2.00", 3000);

  // Back, but with the revision it had before.
  const RunResult unchanged = Ntrctl({"firmware", SimMac(1), same.string()});
  EXPECT_EXIT_STATUS(unchanged, 1);
  EXPECT_TRUE(
      Contains(unchanged.err, "the switch is back but still reports firmware revision 1.00"))
      << unchanged.Describe();

  // Not back within the time-out (it stays silent for ten minutes).
  const RunResult away = Ntrctl({"--timeout", "3", "firmware", SimMac(2), next.string()});
  EXPECT_EXIT_STATUS(away, 1);
  EXPECT_TRUE(Contains(away.err, "the switch did not come back within 3 s")) << away.Describe();
  EXPECT_EQ(SimSwitch("away")["state"], "restarting");

  // --no-wait ends as the transfer ends, the switch still restarting.
  Ctl("set fw restart-ms 600000");
  const RunResult noWait = Ntrctl({"firmware", "--no-wait", SimMac(1), next.string()});
  EXPECT_EXIT_STATUS(noWait, 0);
  EXPECT_FALSE(Contains(noWait.out, "the switch is back")) << noWait.Describe();
  EXPECT_EQ(SimSwitch("fw")["state"], "restarting");
}

TEST_F(Firmware, CtrlCAbortsTheUpdate) {
  StartSim(kSwitch);
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "factory", "discover"}), 0);
  const auto image = bed_->work() / "big.bin";
  MakeImage(image, "3.00", 256 * 1024);
  // Slow answers: the transfer of 513 blocks would take over ten seconds.
  Ctl("fault fw delay 25");

  const std::size_t logged = Requests().size();
  auto update = bed_->StartNtrctl({"firmware", SimMac(1), image.string()});
  ASSERT_NE(update, nullptr);
  ASSERT_TRUE(WaitUntil(
      [&] {
        for (const LoggedRequest& request : RequestsSince(logged)) {
          if (request.request.starts_with("firmware-block 5 ")) return true;
        }
        return update->ended();
      },
      60s));
  ASSERT_FALSE(update->ended()) << update->err();
  update->Signal(SIGINT);
  const RunResult aborted = update->Wait(60s);
  EXPECT_EXIT_STATUS(aborted, 1);
  EXPECT_TRUE(Contains(aborted.err, "更新が中断されました。")) << aborted.err;

  const auto firmware = FirmwareRequests(RequestsSince(logged));
  bool abortAccepted = false;
  for (const LoggedRequest& request : firmware) {
    abortAccepted |= request.request == "firmware-abort" && request.outcome == "0";
    EXPECT_FALSE(Contains(request.request, " len=0")) << "the transfer was completed";
  }
  EXPECT_TRUE(abortAccepted);
  Ctl("fault fw clear");
  EXPECT_EQ(SimSwitch("fw")["firmware"], "1.00");
  EXPECT_EQ(SimSwitch("fw")["state"], "answering");
  // The tool is free again and the switch is still managed.
  EXPECT_EXIT_STATUS(Ntrctl({"show", SimMac(1)}), 0);
}

}  // namespace
}  // namespace ntr::e2e
