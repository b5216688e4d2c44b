#include "metrics/metrics_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/support/sample_snapshot.h"

namespace ntr {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// A switch with a name that needs every escape, two ports (one with PoE), two
// counter slots counting the same thing and one without a word; and a lost switch.
NetworkSnapshot SmallNetwork() {
  NetworkSnapshot network = test::SampleSnapshot(2, 2);
  SwitchSnapshot& sw = network.switches[0];
  sw.name = "rack \"A\"\\2\nleft";
  sw.firmware = "1.0\xff";  // not UTF-8
  sw.rxCounterWords = {"packets", "fifo-drops", "packets", "", "jabbers"};
  sw.ports[0].rxFrames = {11, 12, 13, 14, 15};
  sw.ports[1].txOctets = 18446744073709551615ULL;
  network.switches[1].up = false;
  return network;
}

// Runs `promtool check metrics` on `text`; returns its exit status and puts
// what it printed in `output`.
int PromtoolCheck(const std::string& text, std::string& output) {
  const auto path =
      std::filesystem::temp_directory_path() / ("ntr_metrics_" + std::to_string(getpid()) + ".txt");
  std::ofstream(path) << text;
  const std::string command = "promtool check metrics < " + path.string() + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  char chunk[4096];
  std::size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, n);
  const int status = pclose(pipe);
  std::filesystem::remove(path);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(MetricsText, SamplesLabelsAndEscapes) {
  const std::string text = RenderMetrics(SmallNetwork());
  const std::string sw0 =
      R"(switch="00:11:22:33:00:00",name="rack \"A\"\\2\nleft",model="NTR7100-8G")";
  const std::string sw1 = R"(switch="00:11:22:33:00:01",name="floor-1",model="NTR7100-8G")";

  EXPECT_THAT(text, HasSubstr("# HELP ntr_switch_up "));
  EXPECT_THAT(text, HasSubstr("# TYPE ntr_switch_up gauge\nntr_switch_up{" + sw0 +
                              "} 1\nntr_switch_up{" + sw1 + "} 0\n"));
  EXPECT_THAT(text, HasSubstr("ntr_switch_info{" + sw0 +
                              ",firmware=\"1.0\xEF\xBF\xBD\",serial=\"S100000\"} 1\n"));
  EXPECT_THAT(text,
              HasSubstr("ntr_switch_info{" + sw1 + ",firmware=\"2.1.1\",serial=\"S100001\"} 1\n"));
  EXPECT_THAT(text, HasSubstr("ntr_switch_fan_rpm{" + sw0 + ",fan=\"2\"} 3100\n"));
  EXPECT_THAT(
      text,
      HasSubstr("# TYPE ntr_switch_temperature_celsius gauge\nntr_switch_temperature_celsius{" +
                sw0 + "} 35\n"));
  EXPECT_THAT(text, HasSubstr("ntr_port_up{" + sw0 + ",port=\"1\"} 1\n"));
  EXPECT_THAT(text, HasSubstr("ntr_port_link_speed_mbps{" + sw0 + ",port=\"2\"} 1000\n"));
  EXPECT_THAT(text, HasSubstr("ntr_port_loop_detected{" + sw0 + ",port=\"1\"} 0\n"));
  // PoE only where the port has it.
  EXPECT_THAT(text, HasSubstr("ntr_port_poe_state{" + sw0 + ",port=\"1\"} 2\n"));
  EXPECT_THAT(text, Not(HasSubstr("ntr_port_poe_state{" + sw0 + ",port=\"2\"}")));
  // Counters: typed counter, full 64-bit range, one series per distinct word.
  EXPECT_THAT(text, HasSubstr("# TYPE ntr_port_tx_octets_total counter\n"));
  EXPECT_THAT(text,
              HasSubstr("ntr_port_tx_octets_total{" + sw0 + ",port=\"2\"} 18446744073709551615\n"));
  EXPECT_THAT(text, HasSubstr("# TYPE ntr_port_rx_frames_total counter\n"));
  EXPECT_THAT(
      text, HasSubstr("ntr_port_rx_frames_total{" + sw0 + ",port=\"1\",counter=\"packets\"} 11\n"));
  EXPECT_THAT(text, HasSubstr("ntr_port_rx_frames_total{" + sw0 +
                              ",port=\"1\",counter=\"fifo-drops\"} 12\n"));
  EXPECT_THAT(
      text, HasSubstr("ntr_port_rx_frames_total{" + sw0 + ",port=\"1\",counter=\"jabbers\"} 15\n"));
  EXPECT_THAT(text, Not(HasSubstr("} 13\n")));
  EXPECT_THAT(text, Not(HasSubstr("counter=\"\"")));
  EXPECT_THAT(
      text, HasSubstr("ntr_port_tx_frames_total{" + sw0 + ",port=\"1\",counter=\"collisions\"} "));
  // The lost switch: up and info only.
  EXPECT_THAT(text, Not(HasSubstr("ntr_port_up{" + sw1)));
  EXPECT_THAT(text, Not(HasSubstr("ntr_switch_fan_rpm{" + sw1)));
  EXPECT_THAT(text, Not(HasSubstr("ntr_switch_temperature_celsius{" + sw1)));

  std::string output;
  EXPECT_EQ(PromtoolCheck(text, output), 0) << output;
}

// The exposition of a large network passes promtool's parser and linter. The
// test fails (it does not skip) without promtool: scripts/install-deps.sh
// installs the prometheus package that carries it.
TEST(MetricsText, ALargeNetworkPassesPromtool) {
  ASSERT_EQ(std::system("command -v promtool > /dev/null"), 0)
      << "promtool is missing: install the prometheus package (scripts/install-deps.sh)";
  const std::string text = RenderMetrics(test::SampleSnapshot(32, 24));
  std::string output;
  EXPECT_EQ(PromtoolCheck(text, output), 0) << output;
  EXPECT_EQ(output, "");
  // Every port of every switch is there.
  EXPECT_THAT(
      text,
      HasSubstr(
          R"(ntr_port_rx_frames_total{switch="00:11:22:33:00:1f",name="floor-31",model="NTR7100-24G",port="24",counter="fifo-drops"} )"));
}

}  // namespace
}  // namespace ntr
