// Fingerprints, configuration synchronisation and the firmware update, seen
// from the tool's side of the wire.
#include <gtest/gtest.h>

#include "catalogue/switch_model.h"
#include "sim/firmware_image.h"
#include "tests/sim/sim_harness.h"

namespace ntr::sim::test {
namespace {

constexpr std::string_view kOne = "switch s model=NTR7100-24G serial=X77 sync-pending=2\n";

std::int32_t ResultOf(const std::vector<Pdu>& answers, PduType application) {
  if (answers.size() != 1 || answers[0].application != application) return -1;
  if (const auto* result = std::get_if<ResultBody>(&answers[0].body)) return result->result;
  return std::get<FingerprintAnswerBody>(answers[0].body).result;
}

std::int32_t FingerprintOf(Harness& h) {
  const auto answers = h.Send(PduType::kFingerprintQuery, EmptyBody{}, h.Switch("s").mac());
  EXPECT_EQ(ResultOf(answers, PduType::kFingerprintAnswer), 0);
  return answers.empty() ? 0 : std::get<FingerprintAnswerBody>(answers[0].body).fingerprint;
}

// The tool's copy of the switch's settings, as it would hold them.
SwitchRecord ToolRecord(const char* model, const char* serial) {
  SwitchRecord record;
  record.modelName = model;
  record.serialNumber = serial;
  record.systemName = record.DefaultSystemName();
  ApplyModel(record);
  record.mirrorDestination = DefaultMirrorDestination(model);
  return record;
}

TEST(SimSync, FingerprintIsTheToolsAlgorithm) {
  Harness h(kOne);
  EXPECT_EQ(FingerprintOf(h), -1);
  ASSERT_EQ(h.Set("s", "port-speed", 5, 2), 0);
  ASSERT_EQ(h.Set("s", "vlan-id", 7, 5), 0);
  ASSERT_EQ(h.Set("s", "qos-shaping-speed", 10, 4), 0);
  SwitchRecord tool = ToolRecord("NTR7100-24G", "X77");
  tool.ports[1].speed = 5;
  tool.vlanIds[4] = 7;
  tool.ports[3].shapingRate = 10;
  ComputeFingerprint(tool);
  EXPECT_EQ(static_cast<std::uint32_t>(FingerprintOf(h)), tool.currentFingerprint.load());
  EXPECT_EQ(std::get<DiscoveryReply>(h.Discover()[0].body).fingerprint, FingerprintOf(h));
}

TEST(SimSync, PendingThenAcceptedResetsEverySetting) {
  Harness h(kOne);
  const MacAddress s = h.Switch("s").mac();
  ASSERT_EQ(h.Set("s", "port-use", 0, 3), 0);
  ASSERT_EQ(h.Set("s", "loopdetect-count", 9), 0);
  EXPECT_EQ(ResultOf(h.Send(PduType::kConfigSync, EmptyBody{}, s), PduType::kConfigSyncAnswer), 2);
  EXPECT_EQ(ResultOf(h.Send(PduType::kConfigSync, EmptyBody{}, s), PduType::kConfigSyncAnswer), 2);
  EXPECT_EQ(h.Get("s", "loopdetect-count").intValue, 9);  // nothing happens while pending
  EXPECT_EQ(ResultOf(h.Send(PduType::kConfigSync, EmptyBody{}, s), PduType::kConfigSyncAnswer), 0);
  EXPECT_EQ(h.Get("s", "loopdetect-count").intValue, 3);
  EXPECT_EQ(h.Get("s", "port-use", 3).intValue, 1);
  EXPECT_EQ(h.Get("s", "system-name").octets, "NTR7100-24G_X77");
  EXPECT_EQ(FingerprintOf(h), -1);
  // The tool's bulk write then brings the switch in line with its copy.
  ASSERT_EQ(h.Set("s", "energy-saving", 1), 0);
  SwitchRecord tool = ToolRecord("NTR7100-24G", "X77");
  tool.energySaving = 1;
  ComputeFingerprint(tool);
  EXPECT_EQ(static_cast<std::uint32_t>(FingerprintOf(h)), tool.currentFingerprint.load());
  // A later synchronisation is pending again first.
  EXPECT_EQ(ResultOf(h.Send(PduType::kConfigSync, EmptyBody{}, s), PduType::kConfigSyncAnswer), 2);
}

TEST(SimSync, RetransmittedAcceptanceDoesNotResetTwice) {
  Harness h("switch s model=NTR7100-8G\n");
  const MacAddress s = h.Switch("s").mac();
  EXPECT_EQ(ResultOf(h.Send(PduType::kConfigSync, EmptyBody{}, s, 500), PduType::kConfigSyncAnswer),
            0);
  FunctionRequest drift;
  drift.operation = kOpSet;
  drift.functionId = 0x0107;  // energy-saving
  drift.valueType = kValueInteger;
  drift.intValue = 1;
  ASSERT_EQ(h.Switch("s").Drift(drift), 0);
  // The answer was lost; the tool sends the same request again.
  EXPECT_EQ(ResultOf(h.Send(PduType::kConfigSync, EmptyBody{}, s, 500), PduType::kConfigSyncAnswer),
            0);
  EXPECT_EQ(h.Get("s", "energy-saving").intValue, 1);
  EXPECT_TRUE(h.network.log().entries()[1].repeated);
}

class SimFirmware : public ::testing::Test {
 protected:
  Harness h{"switch s model=NTR7100-8PoE firmware=1.00 restart-ms=1500\n"};
  MacAddress mac = h.Switch("s").mac();

  std::int32_t Prepare() {
    return ResultOf(h.Send(PduType::kFirmPrepare, EmptyBody{}, mac), PduType::kFirmPrepareAnswer);
  }
  std::int32_t Block(std::int32_t number, std::span<const std::uint8_t> data) {
    FirmwareBlock block{number, std::vector<std::uint8_t>(data.begin(), data.end())};
    return ResultOf(h.Send(PduType::kFirmBlock, block, mac), PduType::kFirmBlockAnswer);
  }
  // Sends an image as the tool does: 512-byte blocks, then the empty one.
  std::int32_t SendImage(const std::vector<std::uint8_t>& image) {
    std::int32_t number = 0;
    for (std::size_t at = 0; at < image.size(); at += 512) {
      const std::size_t n = std::min<std::size_t>(512, image.size() - at);
      if (const std::int32_t result = Block(number++, std::span(image).subspan(at, n)); result != 0)
        return result;
    }
    return Block(number, {});
  }
  std::vector<std::uint8_t> Image(std::size_t bodyBytes = 1500) {
    return BuildFirmwareImage("2.10", std::vector<std::uint8_t>(bodyBytes, 0x5A));
  }
};

TEST_F(SimFirmware, ValidImageRestartsIntoTheNewRevision) {
  ASSERT_EQ(h.Set("s", "port-speed", 3, 1), 0);
  h.Switch("s").firmware().preparePending = 1;
  EXPECT_EQ(Prepare(), 2);
  EXPECT_EQ(Prepare(), 0);
  EXPECT_EQ(SendImage(Image()), 0);
  EXPECT_EQ(h.Get("s", "firmware-revision").result, -1);  // restarting
  h.Advance(std::chrono::milliseconds(1500));
  EXPECT_EQ(h.Get("s", "firmware-revision").octets, "2.10");
  EXPECT_EQ(h.Get("s", "port-speed", 1).intValue, 3);  // settings kept
}

TEST_F(SimFirmware, ImageIsCheckedForMagicChecksumAndFlash) {
  std::vector<std::uint8_t> image = Image();
  EXPECT_EQ(Block(0, std::span(image).first(512)), 7);  // no prepare
  ASSERT_EQ(Prepare(), 0);
  image[1] = 'X';
  EXPECT_EQ(Block(0, std::span(image).first(512)), 3);
  EXPECT_EQ(Block(1, std::span(image).subspan(512, 512)), 7);  // the transfer ended

  ASSERT_EQ(Prepare(), 0);
  image = Image();
  image[700] ^= 1;
  EXPECT_EQ(SendImage(image), 4);
  ASSERT_EQ(Prepare(), 0);
  image = Image();
  image.pop_back();  // cut short: the length no longer matches
  EXPECT_EQ(SendImage(image), 4);

  h.Switch("s").firmware().flashFails = true;
  ASSERT_EQ(Prepare(), 0);
  EXPECT_EQ(SendImage(Image()), 5);
  EXPECT_EQ(h.Get("s", "firmware-revision").octets, "1.00");  // no restart after a failure
}

TEST_F(SimFirmware, BlocksMustComeInOrderAndAbortEndsTheTransfer) {
  const std::vector<std::uint8_t> image = Image();
  ASSERT_EQ(Prepare(), 0);
  EXPECT_EQ(Block(0, std::span(image).first(512)), 0);
  EXPECT_EQ(Block(2, std::span(image).subspan(512, 512)), 8);
  EXPECT_EQ(Block(1, std::span(image).subspan(512, 512)), 0);
  EXPECT_EQ(ResultOf(h.Send(PduType::kFirmAbort, EmptyBody{}, mac), PduType::kFirmAbortAnswer), 0);
  EXPECT_EQ(Block(2, std::span(image).subspan(1024, 512)), 7);
}

TEST(SimFirmwareImage, BuildAndVerifyAgree) {
  const std::vector<std::uint8_t> empty = BuildFirmwareImage("3.0 rc1", {});
  EXPECT_EQ(empty.size(), kFirmwareHeaderSize + kFirmwareTrailerSize);
  EXPECT_EQ(VerifyFirmwareImage(empty), std::optional<std::string>("3.0 rc1"));
  EXPECT_TRUE(HasFirmwareMagic(empty));
  std::vector<std::uint8_t> longer = empty;
  longer.push_back(0);
  EXPECT_FALSE(VerifyFirmwareImage(longer));
  EXPECT_FALSE(VerifyFirmwareImage(std::span(empty).first(20)));
  EXPECT_EQ(VerifyFirmwareImage(BuildFirmwareImage(std::string(80, 'r'), {})),
            std::string(64, 'r'));
}

}  // namespace
}  // namespace ntr::sim::test
