// A managed switch and the jobs on it: removing the switch in the middle of a
// firmware update or an apply job ends and joins the job first; removal hooks
// that run a nested loop and remove other switches; the apply job's order,
// failure report and stop. Run under ASan and TSan as well.
#include <filesystem>
#include <fstream>

#include "sim/firmware_image.h"
#include "tests/discovery/discovery_fixture.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;

constexpr const char* kTree =
    "switch A model=NTR7100-8G\n"
    "switch B model=NTR7100-24G uplink=A:3\n"
    "switch C model=NTR7100-8PoE uplink=B:5\n"
    "switch D model=NTR7100-8G uplink=A:4 port=2\n";

class SwitchLifetimeTest : public test::DiscoveryFixture {
 protected:
  void TearDown() override {
    DiscoveryFixture::TearDown();
    if (!image_.empty()) std::filesystem::remove(image_);
  }
  std::string Image(std::size_t bodyBytes) {
    image_ = std::filesystem::temp_directory_path() / ("ntr-lifetime-" + std::to_string(getpid()));
    const std::vector<std::uint8_t> body(bodyBytes, 0x5A);
    const auto bytes = sim::BuildFirmwareImage("9.99", body);
    std::ofstream(image_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return image_.string();
  }
  std::size_t SetsSent() {
    std::size_t count = 0;
    for (const auto& entry : peer_->Log()) {
      count +=
          entry.application == PduType::kFuncRequest && entry.function.operation == kOpSet ? 1 : 0;
    }
    return count;
  }
  std::int32_t SimPortUse(const std::string& name, int port) {
    return peer_->With(
        [&](sim::SimNetwork& net) { return net.Find(name)->record().ports[port].use.load(); });
  }
  std::vector<SettingChange> PortUses(int count) {
    std::vector<SettingChange> changes;
    // Ports 5 to 8: nothing of the tree hangs there.
    for (int i = 0; i < count; ++i)
      changes.push_back(
          SettingChange::Set(Function::kPortUse, FunctionIndex::Port(4 + i % 4), i % 2));
    return changes;
  }
  std::filesystem::path image_;
  std::vector<std::string> removed_;  // what the removal hook saw
  bool nested_ = false;
};

TEST_F(SwitchLifetimeTest, RemovalInTheMiddleOfAFirmwareUpdateEndsAndJoinsIt) {
  Start(kTree);
  Cycle();
  ManagedSwitch* a = Switch("A");
  ASSERT_NE(a, nullptr);
  const SwitchRef ref = a->ref();
  const std::string path = Image(100 * kFirmwareBlockSize);
  peer_->Control("fault A delay 100");  // a block is always in flight
  ErrorPair error;
  ASSERT_TRUE(a->StartFirmwareUpdate(path, error));
  EXPECT_FALSE(a->StartFirmwareUpdate(path, error));
  EXPECT_EQ(error.code, kErrFirmwareUpdating);
  ASSERT_TRUE(
      loop_.RunUntil([&] { return a->firmwareStatus().state == kFirmwareTransferring; }, 20s));
  discovery_->HandleLinkStatus(2);  // A and everything behind it go
  EXPECT_EQ(Managed(), 0u);
  EXPECT_EQ(discovery_->Find(ref), nullptr);
  const auto end = notices_.WaitFor(Notification::kFirmwareFinished, 20s);
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->switchRef, ref);
  EXPECT_EQ(end->value, kFirmwareSwitchGone);
}

TEST_F(SwitchLifetimeTest, RemovalInTheMiddleOfAnApplyJobEndsAndJoinsIt) {
  Start(kTree);
  Cycle();
  ManagedSwitch* a = Switch("A");
  ASSERT_NE(a, nullptr);
  const SwitchRef ref = a->ref();
  peer_->Control("fault A delay 100");
  ErrorPair error;
  const std::uint64_t job = a->StartApply(PortUses(40), error);
  ASSERT_NE(job, 0u);
  ASSERT_TRUE(loop_.RunUntil([&] { return SetsSent() >= 2; }, 20s));
  discovery_->HandleLinkStatus(2);
  EXPECT_EQ(Managed(), 0u);
  const auto result = notices_.WaitFor(Notification::kApplyResult, 20s);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->switchRef, ref);
  EXPECT_EQ(result->job, job);
  EXPECT_TRUE(result->error.failed());
  EXPECT_LT(SetsSent(), 40u);
}

TEST_F(SwitchLifetimeTest, ApplyJobStopsAtTheFirstFailureOrAtAStop) {
  Start(kTree);
  Cycle();
  ManagedSwitch* a = Switch("A");
  ASSERT_NE(a, nullptr);
  ErrorPair error;
  // In order; the refused third change ends the job, the fourth is never sent.
  const std::uint64_t job =
      a->StartApply({SettingChange::Set(Function::kPortUse, FunctionIndex::Port(4), 0),
                     SettingChange::SystemName("lifetime"),
                     SettingChange::Set(Function::kPortSpeed, FunctionIndex::Port(5), 99),
                     SettingChange::Set(Function::kPortUse, FunctionIndex::Port(6), 0)},
                    error);
  auto result = notices_.WaitFor(Notification::kApplyResult, 20s);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->job, job);
  EXPECT_EQ(result->value, 2);
  EXPECT_TRUE(result->error.failed());
  EXPECT_EQ(SimPortUse("A", 4), 0);
  EXPECT_EQ(SimPortUse("A", 6), 1);
  EXPECT_EQ(
      peer_->With([](sim::SimNetwork& net) { return net.Find("A")->record().systemName.get(); }),
      "lifetime");

  // A stop lets the request in flight end and sends nothing more.
  peer_->Control("fault A delay 100");
  const std::size_t before = SetsSent();
  const std::uint64_t stopped = a->StartApply(PortUses(10), error);
  ASSERT_TRUE(loop_.RunUntil([&] { return SetsSent() > before; }, 20s));
  a->StopApply(stopped);
  result = notices_.WaitFor(Notification::kApplyResult, 20s);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->job, stopped);
  EXPECT_EQ(result->error.code, kErrWindowClosed);
  EXPECT_EQ(result->value, -1);
  EXPECT_EQ(SetsSent(), before + 1);
  EXPECT_EQ(a->applyJobsRunning(), 0u);
}

TEST_F(SwitchLifetimeTest, RemovalHookWithANestedLoopThatRemovesOtherSwitches) {
  hooks_.switchRemoving = [this](ManagedSwitch& sw) {
    removed_.push_back(FormatSwitchMac(sw.mac()));
    if (nested_) return;
    nested_ = true;
    // A message box: its loop runs the link-down, which removes the rest.
    bool ran = false;
    loop_.Post([&] {
      discovery_->HandleLinkStatus(2);
      ran = true;
    });
    ASSERT_TRUE(loop_.RunUntil([&] { return ran; }, 20s));
  };
  Start(kTree);
  Cycle();
  ASSERT_EQ(Managed(), 4u);
  // A reports nothing on port 3: applying its reply removes B and C, and B's
  // hook takes A (whose reply is being applied) and D away as well.
  peer_->Control("link A 3 down");
  Cycle();
  EXPECT_EQ(Switch("B"), nullptr);
  EXPECT_EQ(Switch("C"), nullptr);
  EXPECT_EQ(removed_.size(), 4u);
  Cycle();  // A and D come back as new objects
  EXPECT_NE(Switch("A"), nullptr);
}

}  // namespace
}  // namespace ntr
