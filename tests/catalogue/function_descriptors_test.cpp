#include "catalogue/function_descriptors.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/switch_model.h"
#include "config/setting_lines.h"
#include "config/switch_block_writer.h"

namespace ntr {
namespace {

// The decoder's view (keyword, ID, value type, index type of every entry, in
// table order) is exactly the one the function catalogue had before the
// descriptors absorbed it.
TEST(FunctionDescriptors, DecoderViewIsUnchanged) {
  std::string view;
  for (const FunctionDescriptor& function : AllFunctions()) {
    std::int32_t valueType = -1;
    std::int32_t indexType = -1;
    ASSERT_TRUE(LookupFunctionTypes(function.functionId, valueType, indexType));
    char line[80];
    std::snprintf(line, sizeof line, "%s %04x %d %d\n", std::string(function.keyword).c_str(),
                  function.functionId, valueType, indexType);
    view += line;
  }
  EXPECT_EQ(view.size(), 1776u);
  EXPECT_EQ(
      FingerprintCrc(0xFFFFFFFFu, reinterpret_cast<const std::uint8_t*>(view.data()), view.size()),
      0x97bc77ddu);
}

// Every enumerator names the entry that carries it, and the wire ID and the
// keyword of that entry lead back to the same enumerator.
TEST(FunctionDescriptors, EveryFunctionNamesItsOwnEntry) {
  for (std::size_t i = 0; i < kFunctionCount; ++i) {
    const Function function = static_cast<Function>(i);
    const FunctionDescriptor& entry = DescriptorOf(function);
    EXPECT_EQ(entry.function, function) << entry.keyword;
    ASSERT_NE(FindFunctionById(entry.functionId), nullptr) << entry.keyword;
    EXPECT_EQ(FindFunctionById(entry.functionId)->function, function) << entry.keyword;
    ASSERT_NE(FindFunctionByKeyword(entry.keyword), nullptr) << entry.keyword;
    EXPECT_EQ(FindFunctionByKeyword(entry.keyword)->function, function) << entry.keyword;
  }
  // The names say which function: one sample at each end of every group.
  const std::pair<Function, std::string_view> named[] = {
      {Function::kBootRomVersion, "boot-rom-version"},
      {Function::kStatusFanRpm, "status-fan-rpm "},
      {Function::kPortSpeed, "port-speed"},
      {Function::kPortBlockingDataPacket, "port-blocking-data-packet"},
      {Function::kMacAddressAging, "macaddress-aging"},
      {Function::kClearMacTable, "clear-macaddress-table"},
      {Function::kVlanId, "vlan-id"},
      {Function::kVlanMultiple, "vlan-multiple"},
      {Function::kQosDscpRemarkType, "qos-dscp-remark-type"},
      {Function::kQosShapingSpeed, "qos-shaping-speed"},
      {Function::kMirroringUse, "mirroring-use"},
      {Function::kMirroringSourceTx, "mirroring-src-tx"},
      {Function::kCounterFrameRxType, "counter-frame-rx-type"},
      {Function::kClearCounter, "clear-counter"},
      {Function::kLoopDetectCount, "loopdetect-count"},
      {Function::kLoopDetectUseControlPacket, "loopdetect-use-control-packet"},
      {Function::kPoeClass, "poe-class"},
      {Function::kRestartPoeSupply, "restart-poe-supply"},
      {Function::kRouteBackupPort, "routebackup-backup-port"},
  };
  for (const auto& [function, keyword] : named) EXPECT_EQ(DescriptorOf(function).keyword, keyword);
}

// Every setting of a freshly initialised record holds its default, and the
// default is one of the values the setting accepts.
TEST(FunctionDescriptors, DefaultsAgreeWithAFreshRecord) {
  for (const std::string_view model : {kModelName8G, kModelName24G, kModelName8PoE}) {
    SwitchRecord record;
    record.modelName = std::string(model);
    ApplyModel(record);
    ModelFixUp(record);
    for (const FunctionDescriptor& function : AllFunctions()) {
      if (function.functionClass != FunctionClass::kSetting || function.field == nullptr) continue;
      ForEachIndex(function, record, [&](int first, int second) {
        const std::int32_t stored = StoredValue(function, record, first, second);
        EXPECT_EQ(DefaultValueOf(function, record, first, second), stored)
            << model << " " << function.keyword << " " << first << " " << second;
        EXPECT_TRUE(IsDefaultValue(function, record, first, second, stored)) << function.keyword;
        EXPECT_TRUE(ValueAccepted(function, stored, first, record.portCount)) << function.keyword;
        return true;
      });
    }
  }
}

// Every value word of every setting goes through the file's reader into the
// record and comes back out of the block writer as the same line.
TEST(FunctionDescriptors, EveryWordRoundTripsThroughReaderAndWriter) {
  int lines = 0;
  for (const FunctionDescriptor& function : AllFunctions()) {
    if (function.fileWords == nullptr) continue;
    for (const WordCode& entry : function.fileWords->words) {
      SwitchRecord record;
      record.modelName = std::string(kModelName24G);
      ApplyModel(record);
      ModelFixUp(record);
      std::vector<std::string> words{"switch", "control", "function", "set",
                                     std::string(function.keyword)};
      for (int i = 0; i < IndexCount(function); ++i) words.push_back("1");
      words.emplace_back(entry.word);
      const std::vector<std::string_view> views(words.begin(), words.end());
      ASSERT_FALSE(StoreSettingLine(record, views, record.portCount, record.counterCount))
          << function.keyword << " " << entry.word;
      EXPECT_EQ(StoredValue(function, record, 0, 0), entry.code) << function.keyword;
      std::string block;
      ASSERT_TRUE(WriteSwitchBlock(record, block));
      std::string line;
      for (const std::string& word : std::vector(words.begin(), words.end())) {
        line += (line.empty() ? "" : " ") + word;
      }
      const bool isDefault = IsDefaultValue(function, record, 0, 0, entry.code);
      EXPECT_EQ(block.find(line + "\n") != std::string::npos, !isDefault) << line;
      ++lines;
    }
  }
  EXPECT_GT(lines, 80);
}

}  // namespace
}  // namespace ntr
