#include "catalogue/switch_record.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "catalogue/switch_model.h"

namespace ntr {
namespace {

SwitchRecord Record(const char* model, const char* serial = "S123") {
  SwitchRecord record;
  record.modelName = model;
  record.serialNumber = serial;
  record.systemName = record.DefaultSystemName();
  ApplyModel(record);
  return record;
}

std::uint32_t CrcOf(std::initializer_list<std::uint8_t> bytes) {
  const std::vector<std::uint8_t> data(bytes);
  return FingerprintCrc(0xFFFFFFFFu, data.data(), data.size());
}

TEST(SwitchRecord, InitialValues) {
  SwitchRecord record;
  EXPECT_EQ(record.modelName.get(), "unknown");
  EXPECT_EQ(record.portCount, 0);
  EXPECT_EQ(record.macText.get(), "00:00:00:00:00:00");
  EXPECT_EQ(record.mirrorDestination, 7);
  EXPECT_EQ(record.vlanIds[255], 1);
  EXPECT_EQ(record.ports[0].poeClass, 5);
  EXPECT_EQ(record.ports[1].poeClass, 4);
  EXPECT_EQ(record.ports[23].rxCounterTypes[4], 20);
  EXPECT_EQ(record.ports[23].txCounterTypes[4], 27);
  EXPECT_EQ(record.ports[3].backupPort, -1);
  EXPECT_EQ(record.portStatus[3].poeState, 1);
  EXPECT_EQ(record.currentFingerprint, 0xFFFFFFFFu);

  record.switchMac = MacAddress{0x02, 0x5C, 0x71, 0, 0, 9};
  record.ports[4].speed = 3;
  record.AddFailure("x");
  record.nameDefaulted = 1;
  record.Initialise();
  EXPECT_EQ(record.ports[4].speed, 1);
  EXPECT_TRUE(record.failures.empty());
  EXPECT_EQ(record.nameDefaulted, 0);
  EXPECT_EQ(record.switchMac.load(), MacAddress{});
}

TEST(SwitchRecord, DefaultsGiveAllOnes) {
  SwitchRecord fresh;
  ComputeFingerprint(fresh);
  EXPECT_EQ(fresh.currentFingerprint, 0xFFFFFFFFu);
  for (const char* model : {"NTR7100-8G", "NTR7100-24G", "NTR7100-8PoE"}) {
    auto record = Record(model);
    record.mirrorDestination = DefaultMirrorDestination(model);
    ComputeFingerprint(record, true);
    EXPECT_EQ(record.currentFingerprint, 0xFFFFFFFFu) << model;
    EXPECT_EQ(record.savedFingerprint, 0xFFFFFFFFu) << model;
  }
}

TEST(SwitchRecord, WorkedExampleFeedsExactlyTheseBytes) {
  auto record = Record("NTR7100-8G");
  record.ports[1].speed = 5;
  ComputeFingerprint(record);
  EXPECT_EQ(record.currentFingerprint, CrcOf({0x02, 0x01, 0, 0, 0, 2, 0, 0, 0, 5}));
  // The same as zlib's CRC with the final inversion undone.
  const std::uint8_t bytes[] = {0x02, 0x01, 0, 0, 0, 2, 0, 0, 0, 5};
  EXPECT_EQ(record.currentFingerprint, ~static_cast<std::uint32_t>(crc32(0, bytes, 10)));
}

TEST(SwitchRecord, ItemsAndTheirIdsOnce) {
  auto record = Record("NTR7100-24G");
  record.mirrorDestination = 23;
  record.ports[0].speed = 2;
  record.ports[2].speed = 6;
  record.vlanIds[4] = 5;    // equals its registration number: default
  record.vlanIds[5] = 100;  // registration 6 -> 100
  record.ports[1].trunk[5] = 1;
  record.mirrorDestination = 3;
  ComputeFingerprint(record);
  EXPECT_EQ(record.currentFingerprint,
            CrcOf({0x02, 0x01, 0, 0, 0, 1, 0, 0, 0, 2,   0, 0, 0, 3, 0, 0, 0, 6,  // port-speed
                   0x04, 0x01, 0, 0, 0, 6, 0, 0, 0, 100,                          // vlan-id
                   0x04, 0x04, 0, 0, 0, 2, 0, 0, 0, 6,   0, 0, 0, 1,              // vlan-trunk
                   0x06, 0x02, 0, 0, 0, 4}));                                     // mirroring-dest
}

TEST(SwitchRecord, SystemNameAndModelDependentItems) {
  auto record = Record("NTR7100-8G");
  record.systemName = "ス";
  ComputeFingerprint(record);
  EXPECT_EQ(record.currentFingerprint, CrcOf({0x01, 0x06, 0x83, 0x58}));

  // Bandwidth items count only for the 24-port model, PoE classes only for 8PoE.
  record = Record("NTR7100-8G");
  record.ports[0].shapingRate = 5;
  record.ports[0].policingUse = 1;
  record.qosSpeedUnit = 0;
  record.ports[0].poeClass = 0;
  ComputeFingerprint(record);
  EXPECT_EQ(record.currentFingerprint, 0xFFFFFFFFu);

  record = Record("NTR7100-24G");
  record.mirrorDestination = 23;
  record.qosSpeedUnit = 0;
  ComputeFingerprint(record);
  EXPECT_EQ(record.currentFingerprint, CrcOf({0x05, 0x03, 0, 0, 0, 0}));

  record = Record("NTR7100-8PoE");
  record.ports[1].poeClass = 0;
  ComputeFingerprint(record);
  EXPECT_EQ(record.currentFingerprint, CrcOf({0x09, 0x01, 0, 0, 0, 2, 0, 0, 0, 0}));
}

TEST(SwitchRecord, StatusNeverCountsAndChangedStaysAfterARoundTrip) {
  auto record = Record("NTR7100-8G");
  ComputeFingerprint(record, true);
  record.portStatus[0].linkSpeed = 6;
  record.portStatus[0].rxOctets = 12345;
  record.fanState = 1;
  ComputeFingerprint(record);
  EXPECT_FALSE(record.Changed());

  // A committed change bumps the saved fingerprint: changing it back still
  // reads as changed.
  record.ports[0].flowControl = 1;
  ComputeFingerprint(record);
  record.savedFingerprint = record.savedFingerprint + 1u;
  record.ports[0].flowControl = 0;
  ComputeFingerprint(record);
  record.savedFingerprint = record.savedFingerprint + 1u;
  EXPECT_TRUE(record.Changed());
}

TEST(SwitchRecord, CopiesAreIndependent) {
  auto record = Record("NTR7100-8G");
  record.AddFailure("a");
  SwitchRecord copy = record;
  copy.ports[0].speed = 4;
  copy.systemName = "other";
  copy.AddFailure("b");
  EXPECT_EQ(record.ports[0].speed, 1);
  EXPECT_EQ(record.systemName.get(), "NTR7100-8G_S123");
  EXPECT_EQ(record.failures.Copy(), std::vector<std::string>{"a"});
  EXPECT_EQ(copy.failures.Take(), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(copy.failures.empty());
}

}  // namespace
}  // namespace ntr
