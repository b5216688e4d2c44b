#include "device/firmware_update.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/transaction/scripted_peer.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;
using test::ScriptedPeer;

// A switch for firmware tests: answers prepare, blocks and abort with the
// results the test chose, and remembers the blocks it got.
class FirmwareTest : public ::testing::Test {
 protected:
  FirmwareTest() : hub_(link_, LookupFunctionTypes) {
    record_.switchMac = test::kTestSwitchMac;
    record_.switchState = kStateIdle;
    node_ = std::make_unique<SwitchClient>(hub_, record_, nullptr);
    node_->transactor().SetAttemptTimeout(50ms);
    EXPECT_TRUE(hub_.StartReceiveThread());
  }
  ~FirmwareTest() override {
    if (!path_.empty()) std::filesystem::remove(path_);
  }

  void WriteFile(std::size_t size) {
    char pattern[] = "/tmp/ntr-firmware-XXXXXX";
    const int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    close(fd);
    path_ = pattern;
    std::ofstream out(path_, std::ios::binary);
    for (std::size_t i = 0; i < size; ++i) out.put(static_cast<char>(i & 0xFF));
  }

  // Results by application of the request (prepare 2, block 4, abort 6).
  void Answer(std::function<std::optional<std::int32_t>(const Pdu&)> result) {
    peer_.reset();  // its destructor unplugs the link
    peer_ = std::make_unique<ScriptedPeer>(link_, [this, result](const Pdu& request, int) {
      if (request.application == PduType::kFirmBlock) {
        const auto& block = std::get<FirmwareBlock>(request.body);
        std::lock_guard<std::mutex> lock(mutex_);
        blocks_.push_back({block.blockNumber, block.data.size()});
      }
      std::optional<Pdu> reply;
      if (auto code = result(request)) {
        reply.emplace();
        reply->transactionId = request.transactionId;
        reply->application =
            static_cast<PduType>(static_cast<std::int32_t>(request.application) + 1);
        reply->body = ResultBody{*code};
      }
      return reply;
    });
  }

  int Run(FirmwareUpdate& update) {
    EXPECT_TRUE(update.Start());
    update.Wait();
    EXPECT_TRUE(update.finished());
    return update.state();
  }

  std::vector<std::pair<std::int32_t, std::size_t>> blocks() {
    std::lock_guard<std::mutex> lock(mutex_);
    return blocks_;
  }

  test::MemoryLink link_;
  TransactionHub hub_;
  SwitchRecord record_;
  std::unique_ptr<SwitchClient> node_;
  std::unique_ptr<ScriptedPeer> peer_;
  std::filesystem::path path_;
  std::mutex mutex_;
  std::vector<std::pair<std::int32_t, std::size_t>> blocks_;
};

TEST_F(FirmwareTest, BlocksEndWithAnEmptyOne) {
  Answer([](const Pdu&) { return 0; });
  WriteFile(0);
  {
    FirmwareUpdate update(*node_, path_.string(), [] { return true; });
    EXPECT_EQ(Run(update), kFirmwareCompleted);
    EXPECT_EQ(update.progress(), 100);
  }
  EXPECT_EQ(blocks(), (std::vector<std::pair<std::int32_t, std::size_t>>{{0, 0}}));

  blocks_.clear();
  WriteFile(1024);
  FirmwareUpdate update(*node_, path_.string(), [] { return true; });
  EXPECT_EQ(Run(update), kFirmwareCompleted);
  EXPECT_EQ(blocks(),
            (std::vector<std::pair<std::int32_t, std::size_t>>{{0, 512}, {1, 512}, {2, 0}}));
  EXPECT_EQ(record_.switchState, kStateFirmTransfer);  // the screen puts it back
}

TEST_F(FirmwareTest, RefusalsBecomeTheirMessages) {
  WriteFile(600);
  Answer([](const Pdu& request) -> std::optional<std::int32_t> {
    if (request.application == PduType::kFirmBlock) return 3;
    return 0;
  });
  FirmwareUpdate wrongMagic(*node_, path_.string(), [] { return true; });
  EXPECT_EQ(Run(wrongMagic), kFirmwareTransferFailed);
  EXPECT_EQ(wrongMagic.errorText(), "マジックコードが一致しません。");

  Answer([](const Pdu& request) -> std::optional<std::int32_t> {
    if (request.application == PduType::kFirmBlock) return 42;  // read as 100
    return 0;
  });
  FirmwareUpdate fatal(*node_, path_.string(), [] { return true; });
  EXPECT_EQ(Run(fatal), kFirmwareTransferFailed);
  EXPECT_EQ(fatal.errorText(), "致命的なエラー。");

  Answer([](const Pdu&) -> std::optional<std::int32_t> { return std::nullopt; });
  FirmwareUpdate silent(*node_, path_.string(), [] { return true; });
  EXPECT_EQ(Run(silent), kFirmwarePrepareFailed);
  EXPECT_EQ(silent.errorText(), "スイッチから応答がありませんでした。");
  EXPECT_EQ(record_.switchState, kStateIdle);

  FirmwareUpdate missing(*node_, "/nonexistent/firmware.bin", [] { return true; });
  EXPECT_EQ(Run(missing), kFirmwareFileError);
}

TEST_F(FirmwareTest, PendingPrepareIsAskedAgain) {
  WriteFile(10);
  std::atomic<int> prepares{0};
  Answer([&](const Pdu& request) -> std::optional<std::int32_t> {
    if (request.application == PduType::kFirmPrepare) return ++prepares < 2 ? 2 : 0;
    return 0;
  });
  FirmwareUpdate update(*node_, path_.string(), [] { return true; });
  EXPECT_EQ(Run(update), kFirmwareCompleted);
  EXPECT_EQ(prepares, 2);
}

TEST_F(FirmwareTest, AbortRefusedLetsTheUpdateGoOnAndAcceptedEndsIt) {
  WriteFile(4096);
  std::atomic<bool> refuseAbort{true};
  std::atomic<int> aborts{0};
  FirmwareUpdate* running = nullptr;
  Answer([&](const Pdu& request) -> std::optional<std::int32_t> {
    if (request.application == PduType::kFirmAbort) {
      ++aborts;
      return refuseAbort ? 1 : 0;
    }
    // Ask for an abort while block 2 is on its way.
    if (request.application == PduType::kFirmBlock &&
        std::get<FirmwareBlock>(request.body).blockNumber == 2) {
      running->RequestAbort();
    }
    return 0;
  });
  FirmwareUpdate refused(*node_, path_.string(), [] { return true; });
  running = &refused;
  EXPECT_EQ(Run(refused), kFirmwareCompleted);
  EXPECT_EQ(aborts, 1);

  refuseAbort = false;
  blocks_.clear();
  FirmwareUpdate accepted(*node_, path_.string(), [] { return true; });
  running = &accepted;
  EXPECT_EQ(Run(accepted), kFirmwareAborted);
  EXPECT_EQ(blocks().size(), 3u);
}

TEST_F(FirmwareTest, SwitchThatVanishesEndsTheUpdate) {
  WriteFile(4096);
  std::atomic<bool> managed{true};
  Answer([&](const Pdu& request) -> std::optional<std::int32_t> {
    if (request.application == PduType::kFirmBlock &&
        std::get<FirmwareBlock>(request.body).blockNumber == 1) {
      managed = false;
    }
    return 0;
  });
  FirmwareUpdate update(*node_, path_.string(), [&] { return managed.load(); });
  EXPECT_EQ(Run(update), kFirmwareSwitchGone);
  EXPECT_EQ(blocks().size(), 2u);
}

}  // namespace
}  // namespace ntr
