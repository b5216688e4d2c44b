// The switch's side of function requests: which model has which function,
// the wire form of values, the switch's own range checks, set-default.
#include <gtest/gtest.h>

#include "sim/sim_functions.h"
#include "tests/sim/sim_harness.h"

namespace ntr::sim::test {
namespace {

constexpr std::string_view kThreeModels =
    "switch g8 model=NTR7100-8G\n"
    "switch g24 model=NTR7100-24G uplink=g8:2\n"
    "switch poe model=NTR7100-8PoE uplink=g8:3\n"
    "host g8:5 00:AA:00:00:00:05\n";

TEST(SimFunctions, AvailabilityFollowsTheModel) {
  Harness h(kThreeModels);
  struct Case {
    std::string_view keyword;
    std::int32_t first;
    bool g8, g24, poe;
  };
  for (const Case& c :
       {Case{"qos-speed-unit", 0, false, true, false},
        Case{"qos-shaping-speed", 1, false, true, false}, Case{"status-fan", 0, false, true, false},
        Case{"status-fan-rpm ", 2, false, false, true},
        Case{"status-poe-temperature", 0, false, false, true},
        Case{"poe-class", 1, false, false, true}, Case{"status-poe-state", 1, false, false, true},
        Case{"port-speed", 8, true, true, true}, Case{"vlan-trunk", 1, true, true, true}}) {
    const std::int32_t second = c.keyword == "vlan-trunk" ? 1 : 0;
    EXPECT_EQ(h.Get("g8", c.keyword, c.first, second).result, c.g8 ? 0 : 6) << c.keyword;
    EXPECT_EQ(h.Get("g24", c.keyword, c.first, second).result, c.g24 ? 0 : 6) << c.keyword;
    EXPECT_EQ(h.Get("poe", c.keyword, c.first, second).result, c.poe ? 0 : 6) << c.keyword;
  }
  EXPECT_EQ(h.Function("g8", kOpExecute, "restart-poe-supply").result, 6);
  EXPECT_EQ(h.Function("poe", kOpExecute, "restart-poe-supply").result, 0);
}

// Every index of a function on a model, as (first, second) wire numbers.
std::vector<std::pair<std::int32_t, std::int32_t>> IndexesOf(const FunctionDescriptor& entry,
                                                             const SwitchRecord& r) {
  std::vector<std::pair<std::int32_t, std::int32_t>> indexes;
  const std::int32_t firsts = entry.indexType == kIndexNone           ? 1
                              : entry.functionId == 0x010E            ? kFanCount
                              : entry.indexType == kIndexRegistration ? kVlanRegistrations
                                                                      : r.portCount.load();
  const std::int32_t seconds = entry.indexType == kIndexPortGroup          ? r.portCount.load()
                               : entry.indexType == kIndexPortCounter      ? r.counterCount.load()
                               : entry.indexType == kIndexPortRegistration ? kVlanRegistrations
                                                                           : 1;
  for (std::int32_t first = 1; first <= firsts; ++first) {
    for (std::int32_t second = 1; second <= seconds; ++second) {
      indexes.emplace_back(entry.indexType == kIndexNone ? 0 : first, seconds > 1 ? second : 0);
    }
  }
  return indexes;
}

TEST(SimFunctions, EveryGetIsAnsweredAndItsValueAcceptedBack) {
  Harness h(kThreeModels);
  for (const char* name : {"g8", "g24", "poe"}) {
    const SwitchRecord& record = h.Switch(name).record();
    for (const FunctionDescriptor& entry : AllFunctions()) {
      if ((entry.operations & kOpsGet) == 0 || entry.indexType == kIndexMac ||
          !ModelHasFunction(record.modelCode, entry.functionId)) {
        continue;
      }
      for (const auto& [first, second] : IndexesOf(entry, record)) {
        const FunctionResponse got = h.Get(name, entry.keyword, first, second);
        ASSERT_EQ(got.result, 0) << name << " " << entry.keyword << " " << first << " " << second;
        ASSERT_EQ(got.valueType, entry.valueType) << name << " " << entry.keyword;
        if (entry.functionClass != FunctionClass::kSetting) continue;
        ASSERT_EQ(
            h.Function(name, kOpSet, entry.keyword, first, second, got.intValue, got.octets).result,
            0)
            << name << " " << entry.keyword << " " << first << " " << second;
      }
    }
  }
}

TEST(SimFunctions, GetsAnswerInWireForm) {
  Harness h(kThreeModels);
  const MacAddress mac = h.Switch("g24").mac();
  EXPECT_EQ(h.Get("g24", "system-macaddress").octets, std::string(mac.begin(), mac.end()));
  EXPECT_EQ(h.Get("g24", "model-name").octets, "NTR7100-24G");
  EXPECT_EQ(h.Get("g24", "firmware-revision").octets, "1.00");
  EXPECT_EQ(h.Get("g24", "system-name").octets, "NTR7100-24G_SIM000002");
  const FunctionResponse access = h.Get("g24", "vlan-access", 4);
  EXPECT_EQ(access.valueType, kValueInteger);
  EXPECT_EQ(access.intValue, 1);  // registration entry 0, sent as number 1
  EXPECT_EQ(h.Get("g24", "mirroring-dest").intValue, 24);
  EXPECT_EQ(h.Get("g8", "mirroring-dest").intValue, 8);
  EXPECT_EQ(h.Get("g8", "routebackup-backup-port", 1).intValue, 0);
  EXPECT_EQ(h.Get("g24", "counter-frame-tx-type", 3, 5).intValue, 27);
  EXPECT_EQ(h.Get("g24", "counter-frame-rx-type", 3, 5).intValue, 20);
  EXPECT_EQ(h.Get("poe", "poe-class", 1).intValue, 5);
  EXPECT_EQ(h.Get("poe", "poe-class", 2).intValue, 4);
}

TEST(SimFunctions, SwitchChecksIndexesAndValues) {
  Harness h(kThreeModels);
  struct Case {
    std::string_view name, keyword;
    std::int32_t first, second;
    std::int64_t accepted, refused;
  };
  for (const Case& c : {
           Case{"g8", "port-speed", 3, 0, 6, 7},
           Case{"g8", "port-speed", 3, 0, 2, 0},
           Case{"g8", "port-use", 6, 0, 0, 2},
           Case{"g8", "macaddress-aging-timer", 0, 0, 10, 9},
           Case{"g8", "macaddress-aging-timer", 0, 0, 64800, 64801},
           Case{"g8", "vlan-id", 256, 0, 4094, 4095},
           Case{"g8", "vlan-access", 2, 0, 256, 257},
           Case{"g8", "vlan-port-mode", 2, 0, 2, 3},
           Case{"g8", "qos-dscp-remark-class", 1, 0, 4, 5},
           Case{"g8", "mirroring-dest", 0, 0, 8, 9},
           Case{"g24", "mirroring-dest", 0, 0, 24, 25},
           Case{"g8", "loopdetect-count", 0, 0, 65535, 2},
           Case{"g8", "loopdetect-time", 0, 0, 2, 61},
           Case{"g8", "loopdetect-recovery-timer", 0, 0, 86400, 0},
           Case{"g8", "counter-frame-rx-type", 1, 3, 25, 26},
           Case{"g8", "counter-frame-tx-type", 1, 3, 26, 20},
           Case{"g24", "qos-policing-speed", 24, 0, 31, 32},
           Case{"poe", "poe-class", 1, 0, 5, 3},
           Case{"poe", "poe-class", 2, 0, 0, 5},  // class 4 only on odd-numbered ports
           Case{"g8", "routebackup-backup-port", 1, 0, 8, 9},
       }) {
    SCOPED_TRACE(std::string(c.name) + " " + std::string(c.keyword));
    EXPECT_EQ(h.Set(c.name, c.keyword, c.accepted, c.first, c.second), 0);
    EXPECT_EQ(h.Set(c.name, c.keyword, c.refused, c.first, c.second), 8);
    EXPECT_EQ(h.Get(c.name, c.keyword, c.first, c.second).intValue, c.accepted);  // kept
  }
  // Indexes outside the model's ports, counters, registrations and groups.
  EXPECT_EQ(h.Get("g8", "port-speed", 9).result, 8);
  EXPECT_EQ(h.Get("g8", "port-speed", 0).result, 8);
  EXPECT_EQ(h.Get("g24", "port-speed", 24).result, 0);
  EXPECT_EQ(h.Get("g8", "counter-frame-rx-type", 1, 4).result, 8);
  EXPECT_EQ(h.Get("g24", "counter-frame-rx-type", 1, 5).result, 0);
  EXPECT_EQ(h.Get("g8", "vlan-id", 257).result, 8);
  EXPECT_EQ(h.Get("g8", "vlan-multiple", 1, 9).result, 8);
  EXPECT_EQ(h.Get("poe", "status-fan-rpm ", 3).result, 8);
}

TEST(SimFunctions, PortLikeValuesAreStoredZeroBased) {
  Harness h(kThreeModels);
  SwitchRecord& record = h.Switch("g8").record();
  EXPECT_EQ(h.Set("g8", "vlan-access", 5, 2), 0);
  EXPECT_EQ(record.ports[1].accessVlanEntry, 4);
  EXPECT_EQ(h.Set("g8", "mirroring-dest", 3), 0);
  EXPECT_EQ(record.mirrorDestination, 2);
  EXPECT_EQ(h.Set("g8", "routebackup-backup-port", 4, 1), 0);
  EXPECT_EQ(record.ports[0].backupPort, 3);
  EXPECT_EQ(h.Set("g8", "routebackup-backup-port", 0, 1), 0);
  EXPECT_EQ(record.ports[0].backupPort, -1);
}

TEST(SimFunctions, SetDefaultRestoresTheSwitchsDefault) {
  Harness h(kThreeModels);
  EXPECT_EQ(h.Set("g24", "port-speed", 5, 3), 0);
  EXPECT_EQ(h.Function("g24", kOpSetDefault, "port-speed", 3).result, 0);
  EXPECT_EQ(h.Get("g24", "port-speed", 3).intValue, 1);
  EXPECT_EQ(h.Set("g24", "mirroring-dest", 2), 0);
  EXPECT_EQ(h.Function("g24", kOpSetDefault, "mirroring-dest").result, 0);
  EXPECT_EQ(h.Get("g24", "mirroring-dest").intValue, 24);
  EXPECT_EQ(h.Set("poe", "poe-class", 0, 2), 0);
  EXPECT_EQ(h.Function("poe", kOpSetDefault, "poe-class", 2).result, 0);
  EXPECT_EQ(h.Get("poe", "poe-class", 2).intValue, 4);
  EXPECT_EQ(h.Function("g24", kOpSet, "system-name", 0, 0, 0, "Core-1").result, 0);
  EXPECT_EQ(h.Function("g24", kOpSetDefault, "system-name").result, 0);
  EXPECT_EQ(h.Get("g24", "system-name").octets, "NTR7100-24G_SIM000002");
  EXPECT_EQ(h.Function("g24", kOpSetDefault, "port-speed", 25).result, 8);
}

TEST(SimFunctions, SystemNameIsCodePage932Text) {
  Harness h(kThreeModels);
  const std::string cp932Name = "\x83\x58\x83\x43\x83\x62\x83\x60";  // "スイッチ"
  EXPECT_EQ(h.Function("g8", kOpSet, "system-name", 0, 0, 0, cp932Name).result, 0);
  EXPECT_EQ(h.Switch("g8").record().systemName.get(), "スイッチ");
  EXPECT_EQ(h.Get("g8", "system-name").octets, cp932Name);
  EXPECT_EQ(h.Function("g8", kOpSet, "system-name", 0, 0, 0, "").result, 8);
  EXPECT_EQ(h.Function("g8", kOpSet, "system-name", 0, 0, 0, std::string(65, 'a')).result, 8);
  EXPECT_EQ(h.Function("g8", kOpSet, "system-name", 0, 0, 0, "\x82").result, 8);  // cut character
  EXPECT_EQ(h.Switch("g8").record().systemName.get(), "スイッチ");
}

TEST(SimFunctions, OperationOutsideTheFunctionsKindIsInvalidAccess) {
  Harness h(kThreeModels);
  EXPECT_EQ(h.Function("g8", kOpSet, "model-name", 0, 0, 0, "X").result, 7);
  EXPECT_EQ(h.Function("g8", kOpExecute, "port-speed", 1).result, 7);
  EXPECT_EQ(h.Function("g8", kOpGet, "restart").result, 7);
  EXPECT_EQ(h.Function("g8", kOpSetDefault, "status-port-speed", 1).result, 7);
  // Answers carry a value only for a successful get.
  EXPECT_EQ(h.Function("g8", kOpSet, "port-speed", 1, 0, 5).valueType, kValueNone);
  EXPECT_EQ(h.Get("g8", "port-speed", 9).valueType, kValueNone);
}

TEST(SimFunctions, FunctionsTheToolNeverRequestsStillBehave) {
  Harness h(kThreeModels);
  EXPECT_EQ(h.Set("g8", "led-brightness", 1), 0);
  EXPECT_EQ(h.Get("g8", "status-led-mode").intValue, 1);
  const FunctionResponse port = h.Get("g8", "status-macaddress-port", 5);
  EXPECT_EQ(port.octets, std::string("\x00\xAA\x00\x00\x00\x05", 6));
  EXPECT_EQ(h.Function("g8", kOpExecute, "reset-loopdetect").result, 0);
  EXPECT_EQ(h.Function("g8", kOpExecute, "clear-macaddress-table").result, 0);
  EXPECT_EQ(h.Get("g8", "status-loopdetect-recovery-timer", 1).intValue, 0);
}

}  // namespace
}  // namespace ntr::sim::test
