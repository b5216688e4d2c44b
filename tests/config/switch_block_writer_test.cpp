// The switch block of the configuration file: which settings are written,
// with which words, in which order.
#include "config/switch_block_writer.h"

#include <gtest/gtest.h>

#include "catalogue/switch_model.h"
#include "catalogue/switch_record.h"

namespace ntr {
namespace {

constexpr std::string_view kHead8G =
    "switch select 02:5C:71:00:00:07\n"
    "#switch control function get firmware-revision 1.02 build 7\n"
    "#switch control function get serial-number SN7\n"
    "#switch control function get model-name NTR7100-8G\n";

SwitchRecord Record(const char* model) {
  SwitchRecord record;
  record.switchMac = MacAddress{0x02, 0x5C, 0x71, 0, 0, 7};
  record.macText = FormatSwitchMac(record.switchMac);
  record.modelName = model;
  record.serialNumber = "SN7";
  record.firmwareRevision = "1.02 build 7";
  ApplyModel(record);
  ModelFixUp(record);  // default name and mirroring destination
  return record;
}

std::string Block(const SwitchRecord& record) {
  std::string out;
  EXPECT_TRUE(WriteSwitchBlock(record, out));
  return out;
}

TEST(SwitchBlockWriter, DefaultsGiveOnlyTheIdentity) {
  EXPECT_EQ(Block(Record("NTR7100-8G")), kHead8G);
  for (const char* model : {"NTR7100-24G", "NTR7100-8PoE"}) {
    const std::string block = Block(Record(model));
    EXPECT_EQ(std::count(block.begin(), block.end(), '\n'), 4) << block;
  }
  SwitchRecord unknown = Record("NTR7100-8g");
  std::string out = "kept";
  EXPECT_FALSE(WriteSwitchBlock(unknown, out));
  EXPECT_EQ(out, "kept");
}

TEST(SwitchBlockWriter, OnePortTurnedOff) {
  SwitchRecord record = Record("NTR7100-8G");
  record.ports[2].use = 0;
  EXPECT_EQ(Block(record), std::string(kHead8G) + "switch control function set port-use 3 off\n");
}

TEST(SwitchBlockWriter, ConditionsOfSingleLines) {
  SwitchRecord record = Record("NTR7100-8G");
  record.systemName = "NTR7100-8G_SN7";  // the default name
  record.vlanIds[4] = 5;                 // its own registration number
  record.vlanIds[5] = 1;
  record.ports[0].poeClass = kPoeClass4;  // the ports' defaults
  record.ports[1].poeClass = kPoeClass3;
  record.mirrorDestination = 7;
  EXPECT_EQ(Block(record), kHead8G);

  record.systemName = "Edge_1";
  record.vlanIds[4] = 7;
  record.ports[0].poeClass = kPoeClass3;
  record.ports[3].poeClass = 2;  // no word: left out
  record.mirrorDestination = 23;
  record.ports[1].vlanMode = 3;  // no word
  EXPECT_EQ(Block(record), std::string(kHead8G) +
                               "switch control function set system-name Edge_1\n"
                               "switch control function set vlan-id 5 7\n"
                               "switch control function set vlan-port-mode 2 ???\n"
                               "switch control function set mirroring-dest 24\n"
                               "switch control function set poe-class 1 class3\n");

  SwitchRecord big = Record("NTR7100-24G");
  big.mirrorDestination = 7;
  EXPECT_NE(Block(big).find("set mirroring-dest 8\n"), std::string::npos);
  big.mirrorDestination = 23;
  EXPECT_EQ(Block(big).find("mirroring-dest"), std::string::npos);
}

TEST(SwitchBlockWriter, EveryKeywordInTheWritersOrder) {
  SwitchRecord r = Record("NTR7100-24G");
  r.systemName = "Core";
  r.energySaving = 1;
  r.ledBrightness = 1;
  r.ports[1].speed = 6;
  r.ports[1].use = 0;
  r.ports[1].autoCrossover = 0;
  r.ports[1].speedDownshift = 0;
  r.ports[1].flowControl = 1;
  r.ports[1].blockControlPackets = 1;
  r.ports[1].blockDataPackets = 1;
  r.macAgeing = 0;
  r.macAgeingTime = 600;
  r.vlanIds[9] = 100;
  r.ports[2].vlanMode = 1;
  r.ports[2].accessVlanEntry = 9;
  r.ports[2].trunk[9] = 1;
  r.multipleVlanUse = 1;
  r.ports[3].multiple[23] = 1;
  r.ports[3].dscpRemarkType = 2;
  r.ports[3].dscpRemarkClass = 4;
  r.qosSpeedUnit = 0;
  r.ports[4].policingUse = 1;
  r.ports[4].policingRate = 4;
  r.ports[4].shapingUse = 1;
  r.ports[4].shapingRate = 17;
  r.mirroringUse = 1;
  r.mirrorDestination = 0;
  r.ports[5].mirrorRx = 1;
  r.ports[5].mirrorTx = 1;
  r.ports[6].rxCounterTypes[4] = 24;
  r.ports[6].txCounterTypes[2] = 28;
  r.ports[6].txCounterTypes[3] = 20;  // no transmit word: written as packets
  r.loopCount = 5;
  r.loopDetectionTime = 10;
  r.loopLinkDown = 2;
  r.loopControlPackets = 0;
  r.loopRecoveryTime = 60;
  r.ports[7].loopDetect = 0;
  r.ports[7].poeClass = kPoeClassNone;
  r.ports[7].backupPort = 8;
  const std::string set = "switch control function set ";
  std::string expected =
      "switch select 02:5C:71:00:00:07\n"
      "#switch control function get firmware-revision 1.02 build 7\n"
      "#switch control function get serial-number SN7\n"
      "#switch control function get model-name NTR7100-24G\n";
  for (const char* line : {"system-name Core",
                           "energy-saving on",
                           "led-brightness economy",
                           "port-speed 2 1000-fdx",
                           "port-use 2 off",
                           "port-auto-crossover 2 off",
                           "port-speed-downshift 2 off",
                           "port-flow-control 2 on",
                           "port-blocking-control-packet 2 on",
                           "port-blocking-data-packet 2 on",
                           "macaddress-aging off",
                           "macaddress-aging-timer 600",
                           "vlan-id 10 100",
                           "vlan-port-mode 3 trunk",
                           "vlan-access 3 10",
                           "vlan-trunk 3 10 join",
                           "vlan-multiple-use on",
                           "vlan-multiple 4 24 join",
                           "qos-dscp-remark-type 4 cs",
                           "qos-dscp-remark-class 4 class4",
                           "qos-speed-unit 128k",
                           "qos-policing-use 5 on",
                           "qos-policing-speed 5 4",
                           "qos-shaping-use 5 on",
                           "qos-shaping-speed 5 17",
                           "mirroring-use on",
                           "mirroring-dest 1",
                           "mirroring-src-rx 6 on",
                           "mirroring-src-tx 6 on",
                           "counter-frame-rx-type 7 5 jabbers",
                           "counter-frame-tx-type 7 3 cfi-drop",
                           "counter-frame-tx-type 7 4 packets",
                           "loopdetect-count 5",
                           "loopdetect-time 10",
                           "loopdetect-linkdown linkdown-recovery",
                           "loopdetect-use-control-packet off",
                           "loopdetect-recovery-timer 60",
                           "loopdetect-port-use 8 off",
                           "poe-class 8 none",
                           "routebackup-backup-port 8 9"}) {
    expected += set + line + "\n";
  }
  EXPECT_EQ(Block(r), expected);
}

TEST(SwitchBlockWriter, ModelCheckedEightPortRecordsLeaveOutBandwidth) {
  SwitchRecord record = Record("NTR7100-8PoE");
  record.qosSpeedUnit = 1;
  record.ports[0].shapingRate = 5;
  EXPECT_NE(Block(record).find("qos-speed-unit 1m"), std::string::npos);
  record.modelChecked = 1;
  EXPECT_EQ(Block(record), std::string(kHead8G).replace(kHead8G.rfind("8G"), 2, "8PoE"));
  SwitchRecord big = Record("NTR7100-24G");
  big.modelChecked = 1;
  big.ports[0].shapingRate = 5;
  EXPECT_NE(Block(big).find("qos-shaping-speed 1 5"), std::string::npos);
}

TEST(SwitchBlockWriter, CommentCarriesMacSerialAndFingerprint) {
  SwitchRecord record = Record("NTR7100-8G");
  record.currentFingerprint = 0x00ABCDEFu;
  std::string out;
  WriteSwitchComment(record, out);
  EXPECT_EQ(out, "#\n#02:5C:71:00:00:07\n#SN7\n#[00abcdef]\n#\n\n");
}

}  // namespace
}  // namespace ntr
