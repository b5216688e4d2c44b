// The events between two network snapshots.
#include "app/network_events.h"

#include <gtest/gtest.h>

namespace ntr {
namespace {

SwitchSnapshot Switch(const std::string& mac, int ports, bool poe = false) {
  SwitchSnapshot sw;
  sw.mac = mac;
  sw.model = poe ? "NTR7100-8PoE" : "NTR7100-8G";
  sw.name = "sw-" + mac.substr(mac.size() - 2);
  sw.firmware = "1.00";
  sw.up = true;
  for (int p = 1; p <= ports; ++p) {
    PortSnapshot port;
    port.port = p;
    port.hasPoe = poe;
    port.poeState = 1;
    sw.ports.push_back(port);
  }
  return sw;
}

void LinkUp(PortSnapshot& port, int mbps) {
  port.up = true;
  port.linkSpeedMbps = mbps;
}

// "event port old>new" of each event, for compact comparisons.
std::vector<std::string> Brief(const std::vector<NetworkEvent>& events) {
  const auto value = [](const EventValue& v) {
    switch (v.kind) {
      case EventValue::Kind::kNumber:
        return std::to_string(v.number);
      case EventValue::Kind::kFlag:
        return std::string(v.flag ? "y" : "n");
      case EventValue::Kind::kText:
        return v.text;
      case EventValue::Kind::kNone:
        break;
    }
    return std::string("-");
  };
  std::vector<std::string> out;
  for (const NetworkEvent& e : events) {
    out.push_back(e.mac.substr(e.mac.size() - 2) + " " + e.event + " " + std::to_string(e.port) +
                  " " + value(e.before) + ">" + value(e.after));
  }
  return out;
}

TEST(NetworkEventsTest, FromNothingTheEventsTellTheCurrentState) {
  NetworkSnapshot now;
  SwitchSnapshot core = Switch("02:5C:71:00:00:01", 3);
  LinkUp(core.ports[0], 1000);
  core.ports[2].loopDetected = true;
  core.fanStopped = true;
  SwitchSnapshot power = Switch("02:5C:71:00:00:02", 2, true);
  power.parentMac = core.mac;
  power.uplinkPort = 3;
  power.ports[0].poeState = 6;
  power.ports[1].poeState = 7;
  power.ports[1].poeFault = true;
  power.hasTemperature = true;
  power.temperatureCelsius = 61;
  now.switches = {core, power};

  EXPECT_EQ(Brief(EventsBetween({}, now, {})),
            (std::vector<std::string>{"01 switch-found 0 n>y", "01 link-up 1 0>1000",
                                      "01 loop-detected 3 n>y", "01 fan-stopped 0 n>y",
                                      "02 switch-found 0 n>y", "02 poe-state 1 1>6",
                                      "02 poe-fault 2 1>7"}));
  const auto events = EventsBetween({}, now, {.temperatureLimit = 60});
  EXPECT_EQ(Brief(events).back(), "02 temperature-high 0 ->61");
  EXPECT_EQ(events[4].parentMac, core.mac);
  EXPECT_EQ(events[4].uplinkPort, 3);
  EXPECT_EQ(events[4].name, "sw-02");
  EXPECT_TRUE(EventsBetween(now, now, {.temperatureLimit = 60}).empty());
}

TEST(NetworkEventsTest, ChangesBetweenTwoSnapshotsAreEventsWithOldAndNewValues) {
  NetworkSnapshot before;
  SwitchSnapshot a = Switch("02:5C:71:00:00:01", 3, true);
  LinkUp(a.ports[0], 1000);
  LinkUp(a.ports[1], 100);
  a.ports[2].loopDetected = true;
  a.ports[2].poeState = 9;
  a.ports[2].poeFault = true;
  a.fanStopped = true;
  a.hasTemperature = true;
  a.temperatureCelsius = 70;
  before.switches = {a};

  NetworkSnapshot after = before;
  SwitchSnapshot& b = after.switches[0];
  b.ports[0].up = false;  // link down
  b.ports[0].linkSpeedMbps = 0;
  b.ports[1].linkSpeedMbps = 1000;
  b.ports[2].loopDetected = false;
  b.ports[2].poeState = 2;
  b.ports[2].poeFault = false;
  b.fanStopped = false;
  b.temperatureCelsius = 50;
  b.firmware = "1.10";
  EXPECT_EQ(Brief(EventsBetween(before, after, {.temperatureLimit = 60})),
            (std::vector<std::string>{"01 firmware-changed 0 1.00>1.10", "01 link-down 1 1000>0",
                                      "01 link-speed 2 100>1000", "01 loop-cleared 3 y>n",
                                      "01 poe-state 3 9>2", "01 fan-running 0 y>n",
                                      "01 temperature-normal 0 70>50"}));
}

TEST(NetworkEventsTest, ALostSwitchIsOneEventAndComesBackAsFoundWithItsNewFirmware) {
  NetworkSnapshot before;
  SwitchSnapshot a = Switch("02:5C:71:00:00:01", 2);
  LinkUp(a.ports[0], 1000);
  before.switches = {a, Switch("02:5C:71:00:00:02", 1)};
  NetworkSnapshot lost = before;
  lost.switches[0].up = false;
  lost.switches[0].ports[0].up = false;  // nothing about its ports
  lost.switches[0].ports[0].linkSpeedMbps = 0;
  lost.switches.pop_back();  // gone from the snapshot altogether: lost as well
  EXPECT_EQ(Brief(EventsBetween(before, lost, {})),
            (std::vector<std::string>{"01 switch-lost 0 y>n", "02 switch-lost 0 y>n"}));
  EXPECT_TRUE(EventsBetween(lost, lost, {}).empty());

  NetworkSnapshot back = before;
  back.switches.pop_back();
  back.switches[0].firmware = "2.00";
  EXPECT_EQ(Brief(EventsBetween(lost, back, {})),
            (std::vector<std::string>{"01 switch-found 0 n>y", "01 firmware-changed 0 1.00>2.00",
                                      "01 link-up 1 0>1000"}));
}

}  // namespace
}  // namespace ntr
