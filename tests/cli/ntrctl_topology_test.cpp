// The tree of a 32-switch snapshot as text, JSON and Graphviz, and the event
// lines of the watch.
#include "cli/ntrctl_topology.h"

#include <gtest/gtest.h>

#include "cli/ntrctl_watch.h"

namespace ntr::cli {
namespace {

std::string Mac(int i) {
  char text[18];
  std::snprintf(text, sizeof text, "02:5C:71:00:00:%02X", i);
  return text;
}

// Switch 1 on the adapter; switch i (2..32) on port (i % 24) + 1 of switch
// i / 2: a binary tree five levels deep. Switch 7 was lost; switch 5 has a
// name that would break every output it is not escaped in.
NetworkSnapshot ThirtyTwo() {
  NetworkSnapshot network;
  network.adapterName = "veth0";
  network.adapterMac = "72:18:A3:FD:EA:12";
  for (int i = 1; i <= 32; ++i) {
    SwitchSnapshot sw;
    sw.mac = Mac(i);
    sw.model = "NTR7100-24G";
    sw.name = i == 5 ? "a\"b\\c\x1b[2J\nd" : "sw" + std::to_string(i);
    sw.up = i != 7;
    if (i > 1) {
      sw.parentMac = Mac(i / 2);
      sw.uplinkPort = i % 24 + 1;
    }
    network.switches.push_back(sw);
  }
  return network;
}

TEST(NtrctlTopology, ThirtyTwoSwitchesAsTextJsonAndGraphviz) {
  const NetworkSnapshot network = ThirtyTwo();
  const std::string text = TopologyText(network);
  EXPECT_EQ(text.substr(0, text.find('\n', text.find('\n', text.find('\n') + 1) + 1) + 1),
            "adapter veth0 (72:18:A3:FD:EA:12)\n"
            "  02:5C:71:00:00:01 sw1 NTR7100-24G\n"
            "    port 3: 02:5C:71:00:00:02 sw2 NTR7100-24G\n");
  EXPECT_NE(text.find("\n          port 17: 02:5C:71:00:00:10 sw16 NTR7100-24G\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\n            port 9: 02:5C:71:00:00:20 sw32 NTR7100-24G\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("02:5C:71:00:00:07 sw7 NTR7100-24G (lost)\n"), std::string::npos);
  EXPECT_NE(text.find("a\"b\\c\\e[2J\\nd"), std::string::npos) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 33);

  const std::string json = TopologyJson(network);
  EXPECT_EQ(json.rfind("{\"adapter\":{\"name\":\"veth0\",\"mac\":\"72:18:A3:FD:EA:12\"},"
                       "\"switches\":[{\"mac\":\"02:5C:71:00:00:01\"",
                       0),
            0u);
  EXPECT_NE(json.find("\"name\":\"a\\\"b\\\\c\\u001b[2J\\nd\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"mac\":\"02:5C:71:00:00:07\",\"name\":\"sw7\",\"model\":\"NTR7100-24G\","
                      "\"firmware\":\"\",\"up\":false,\"port\":8"),
            std::string::npos);
  EXPECT_EQ(json.back(), '\n');

  const std::string dot = TopologyDot(network);
  EXPECT_EQ(dot.rfind("digraph ntr {\n", 0), 0u);
  EXPECT_NE(dot.find("  adapter -> \"02:5C:71:00:00:01\";\n"), std::string::npos);
  EXPECT_NE(dot.find("  \"02:5C:71:00:00:10\" -> \"02:5C:71:00:00:20\" [label=\"9\"];\n"),
            std::string::npos)
      << dot;
  EXPECT_NE(dot.find("label=\"a\\\"b\\\\c\\\\e[2J\\\\nd\\n02:5C:71:00:00:05\\nNTR7100-24G\""),
            std::string::npos)
      << dot;
  EXPECT_NE(
      dot.find(
          "\"02:5C:71:00:00:07\" [label=\"sw7\\n02:5C:71:00:00:07\\nNTR7100-24G\", style=dashed];"),
      std::string::npos);
  EXPECT_EQ(std::count(dot.begin(), dot.end(), '>'), 32);  // one edge per switch
  EXPECT_EQ(dot.substr(dot.size() - 2), "}\n");
}

TEST(NtrctlWatchLines, TextAndJsonLinesOfEvents) {
  NetworkEvent found;
  found.event = kEventSwitchFound;
  found.mac = Mac(2);
  found.name = "edge\x1b]0;x";
  found.model = "NTR7100-8G";
  found.before = EventValue::Flag(false);
  found.after = EventValue::Flag(true);
  found.parentMac = Mac(1);
  found.uplinkPort = 3;
  NetworkEvent down;
  down.event = kEventLinkDown;
  down.mac = Mac(2);
  down.name = "edge";
  down.model = "NTR7100-8G";
  down.port = 5;
  down.before = EventValue::Number(1000);
  down.after = EventValue::Number(0);
  down.text = "リンクダウン";
  const std::time_t when = 1796708400;  // 2026-12-08T05:40:00Z
  EXPECT_EQ(Rfc3339(when), "2026-12-08T05:40:00Z");
  EXPECT_EQ(EventLine(found, when, false),
            "2026-12-08T05:40:00Z switch-found 02:5C:71:00:00:02 edge\\e]0;x NTR7100-8G on "
            "02:5C:71:00:00:01 port 3\n");
  EXPECT_EQ(EventLine(down, when, false),
            "2026-12-08T05:40:00Z link-down 02:5C:71:00:00:02 edge port 5 (was 1000 Mbps)\n");
  EXPECT_EQ(EventLine(found, when, true),
            "{\"time\":\"2026-12-08T05:40:00Z\",\"event\":\"switch-found\",\"switch\":\"02:5C:71:"
            "00:00:02\","
            "\"name\":\"edge\\u001b]0;x\",\"model\":\"NTR7100-8G\",\"port\":null,\"old\":false,"
            "\"new\":true,"
            "\"parent\":\"02:5C:71:00:00:01\",\"uplink_port\":3}\n");
  EXPECT_EQ(
      EventLine(down, when, true),
      "{\"time\":\"2026-12-08T05:40:00Z\",\"event\":\"link-down\",\"switch\":\"02:5C:71:00:00:02\","
      "\"name\":\"edge\",\"model\":\"NTR7100-8G\",\"port\":5,\"old\":1000,\"new\":0,\"text\":"
      "\"リンクダウン\"}\n");
}

}  // namespace
}  // namespace ntr::cli
