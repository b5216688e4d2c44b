#include "catalogue/function_descriptors.h"

#include <gtest/gtest.h>

#include <set>

#include "codec/pdu.h"

namespace ntr {
namespace {

TEST(FunctionCatalogue, LookupRules) {
  EXPECT_EQ(FunctionEntryCount(), 65u);
  ASSERT_NE(FindFunctionByKeyword("status-fan-rpm "), nullptr);
  EXPECT_EQ(FindFunctionByKeyword("status-fan-rpm ")->functionId, 0x010E);
  EXPECT_EQ(FindFunctionByKeyword("status-fan-rpm"), nullptr);
  EXPECT_EQ(FindFunctionByKeyword("Port-Speed"), nullptr);
  EXPECT_EQ(FindFunctionByKeyword("port-speed")->functionId, 0x0201);
  EXPECT_EQ(FindFunctionByKeyword("vlan"), nullptr);
  EXPECT_EQ(FindFunctionByKeyword("macaddress-aging-"), nullptr);
  EXPECT_EQ(FindFunctionByKeyword("macaddress-aging")->functionId, 0x0301);
  EXPECT_EQ(FindFunctionByKeyword("port-speed "), nullptr);
  EXPECT_EQ(FindFunctionByKeyword(""), nullptr);
  EXPECT_EQ(FindFunctionByKeyword(std::string_view("port-speed\0x", 12)), nullptr);
  EXPECT_EQ(FindFunctionById(0x010C), nullptr);
  EXPECT_EQ(FindFunctionById(0x010D), nullptr);
  EXPECT_EQ(FindFunctionById(0x0000), nullptr);
  EXPECT_EQ(FindFunctionById(0x0A01)->keyword, "routebackup-backup-port");
}

TEST(FunctionCatalogue, KeywordsAndIdsAreUniqueAndGrouped) {
  std::set<std::string_view> keywords;
  std::set<std::uint16_t> ids;
  for (const auto& entry : AllFunctions()) {
    EXPECT_TRUE(keywords.insert(entry.keyword).second) << entry.keyword;
    EXPECT_TRUE(ids.insert(entry.functionId).second) << entry.functionId;
    EXPECT_EQ(FindFunctionByKeyword(entry.keyword), &entry);
    EXPECT_EQ(FindFunctionById(entry.functionId), &entry);
    const int group = entry.functionId >> 8;
    EXPECT_GE(group, 1);
    EXPECT_LE(group, 0x0A);
    // A value comes with integer or octet functions; actions carry none.
    EXPECT_EQ(entry.valueType == kValueNone, entry.functionClass == FunctionClass::kAction)
        << entry.keyword;
    if (entry.operations & kOpsExecute) {
      EXPECT_EQ(entry.functionClass, FunctionClass::kAction) << entry.keyword;
    }
    if (entry.operations & kOpsSet) {
      EXPECT_EQ(entry.functionClass, FunctionClass::kSetting) << entry.keyword;
    }
  }
}

TEST(FunctionCatalogue, SampleEntries) {
  struct Case {
    const char* keyword;
    std::uint16_t id;
    std::int32_t valueType;
    std::int32_t indexType;
    std::uint8_t operations;
    FunctionClass functionClass;
  };
  const std::uint8_t gsd = kOpsGet | kOpsSet | kOpsSetDefault;
  const Case cases[] = {
      {"boot-rom-version", 0x0101, kValueOctets, kIndexNone, kOpsGet, FunctionClass::kIdentity},
      {"system-name", 0x0106, kValueOctets, kIndexNone, gsd, FunctionClass::kSetting},
      {"status-led-mode", 0x0109, kValueInteger, kIndexNone, kOpsNone, FunctionClass::kStatus},
      {"restart", 0x010B, kValueNone, kIndexNone, kOpsExecute, FunctionClass::kAction},
      {"macaddress-aging", 0x0301, kValueInteger, kIndexNone, kOpsGet | kOpsSet,
       FunctionClass::kSetting},
      {"status-macaddress-addr", 0x0303, kValueInteger, kIndexMac, kOpsNone,
       FunctionClass::kStatus},
      {"status-macaddress-port", 0x0304, kValueOctets, kIndexPort, kOpsNone,
       FunctionClass::kStatus},
      {"vlan-id", 0x0401, kValueInteger, kIndexRegistration, gsd, FunctionClass::kSetting},
      {"vlan-trunk", 0x0404, kValueInteger, kIndexPortRegistration, gsd, FunctionClass::kSetting},
      {"vlan-multiple", 0x0406, kValueInteger, kIndexPortGroup, gsd, FunctionClass::kSetting},
      {"counter-frame-tx-type", 0x0702, kValueInteger, kIndexPortCounter, gsd,
       FunctionClass::kSetting},
      {"status-counter-frame-rx", 0x0703, kValueInteger, kIndexPortCounter, kOpsGet,
       FunctionClass::kStatus},
      {"clear-counter", 0x0707, kValueNone, kIndexNone, kOpsExecute, FunctionClass::kAction},
      {"reset-loopdetect", 0x0808, kValueNone, kIndexNone, kOpsNone, FunctionClass::kAction},
      {"loopdetect-use-control-packet", 0x0809, kValueInteger, kIndexNone, gsd,
       FunctionClass::kSetting},
      {"restart-poe-supply", 0x0906, kValueNone, kIndexNone, kOpsExecute, FunctionClass::kAction},
  };
  for (const auto& c : cases) {
    const FunctionDescriptor* entry = FindFunctionByKeyword(c.keyword);
    ASSERT_NE(entry, nullptr) << c.keyword;
    EXPECT_EQ(entry->functionId, c.id) << c.keyword;
    EXPECT_EQ(entry->valueType, c.valueType) << c.keyword;
    EXPECT_EQ(entry->indexType, c.indexType) << c.keyword;
    EXPECT_EQ(entry->operations, c.operations) << c.keyword;
    EXPECT_EQ(entry->functionClass, c.functionClass) << c.keyword;
  }
  // Table order: the last entry of each group.
  const auto all = AllFunctions();
  EXPECT_EQ(all.front().keyword, "boot-rom-version");
  EXPECT_EQ(all[11].keyword, "status-fan-rpm ");
  EXPECT_EQ(all.back().keyword, "routebackup-backup-port");
}

TEST(FunctionCatalogue, DecoderLookup) {
  std::int32_t valueType = -1;
  std::int32_t indexType = -1;
  ASSERT_TRUE(LookupFunctionTypes(0x0404, valueType, indexType));
  EXPECT_EQ(valueType, kValueInteger);
  EXPECT_EQ(indexType, kIndexPortRegistration);
  EXPECT_FALSE(LookupFunctionTypes(0x010C, valueType, indexType));
}

}  // namespace
}  // namespace ntr
