// The read-only monitor: ntrctl watch and ntrctl topology against switches
// that drifted from the tool's records, beside a running copy of the tool.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include "tests/e2e/e2e_harness.h"

namespace ntr::e2e {
namespace {

using Watch = E2eTest;

// The demonstration network's tree: a 24-port switch on the tool's port, an
// 8-port switch on its port 3, the PoE switch on the 8-port switch's port 8.
constexpr char kDemoNetwork[] =
    "switch core  model=NTR7100-24G  serial=DEMO24G0001 firmware=1.00\n"
    "switch edge  model=NTR7100-8G   serial=DEMO8G00001 firmware=1.00 uplink=core:3\n"
    "switch power model=NTR7100-8PoE serial=DEMOPOE0001 firmware=1.00 uplink=edge:8 port=8\n"
    "host core:10  00:A0:DE:00:00:10 traffic=400\n"
    "host edge:2   00:A0:DE:00:00:02 speed=5\n"
    "host power:1  00:A0:DE:00:01:01 poe=4\n";

// What a monitor may send: discovery, and gets of identity, status and counters.
bool ReadOnly(const LoggedRequest& entry) {
  if (entry.request == "discovery") return true;
  static const std::vector<std::string> allowed = {
      "function get status-", "function get system-macaddress", "function get firmware-revision",
      "function get model-name", "function get serial-number"};
  return std::any_of(allowed.begin(), allowed.end(),
                     [&](const std::string& start) { return entry.request.starts_with(start); });
}

std::vector<Json> JsonLines(const std::string& out) {
  std::vector<Json> lines;
  for (const std::string& line : SplitLines(out)) {
    std::string why;
    auto parsed = ParseJson(line, why);
    EXPECT_TRUE(parsed.has_value()) << why << ": " << line;
    if (parsed) lines.push_back(std::move(*parsed));
  }
  return lines;
}

const Json* FindEvent(const std::vector<Json>& events, const std::string& event,
                      const std::string& mac, double port) {
  for (const Json& e : events) {
    if (e["event"].str() == event && e["switch"].str() == mac &&
        (port == 0 ? e["port"].isNull() : e["port"].number() == port)) {
      return &e;
    }
  }
  return nullptr;
}

TEST_F(Watch, TheMonitorOnlyReadsDriftedSwitchesBesideARunningCopyAndWritesNoFile) {
  StartSim(kDemoNetwork);
  // The tool knows core and edge; then both drift behind its back, and power
  // is new to it (a window would ask about all three).
  ASSERT_EXIT_STATUS(Ntrctl({"--new", "device", "discover"}), 0);
  ASSERT_EXIT_STATUS(Ntrctl({"--changed", "tool", "set", SimMac(3), "system-name", "poe-1"}), 0);
  Ctls({"drift core port-use 7 0", "drift edge port-use 5 0", "factory power"});
  const std::string before = ReadFile(bed_->configPath());
  // A window runs on the same data folder: it holds the tool's lock.
  const auto lock = bed_->dataFolder() / "NTR設定ツール.lock";
  const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  EXPECT_EXIT_STATUS(Ntrctl({"discover"}), 4);  // the window's own copy is refused...
  const std::size_t from = Requests().size();

  const RunResult once =
      Ntrctl({"--json", "watch", "--once", "--temperature-limit", "0"});  // ...the monitor runs
  ::close(fd);
  ASSERT_EXIT_STATUS(once, 0);
  const std::vector<Json> events = JsonLines(once.out);
  for (const Json& e : events) {
    EXPECT_TRUE(e["time"].str().size() == 20 && e["time"].str().back() == 'Z') << e["time"].str();
  }
  const Json* core = FindEvent(events, "switch-found", SimMac(1), 0);
  const Json* edge = FindEvent(events, "switch-found", SimMac(2), 0);
  const Json* power = FindEvent(events, "switch-found", SimMac(3), 0);
  ASSERT_TRUE(core && edge && power) << once.out;
  EXPECT_TRUE((*core)["parent"].isNull());
  EXPECT_EQ((*edge)["parent"].str(), SimMac(1));
  EXPECT_EQ((*edge)["uplink_port"].number(), 3);
  EXPECT_EQ((*power)["uplink_port"].number(), 8);
  EXPECT_EQ((*power)["name"].str(), "poe-1");  // the data folder's name
  EXPECT_EQ((*power)["model"].str(), "NTR7100-8PoE");
  const Json* link = FindEvent(events, "link-up", SimMac(1), 10);
  ASSERT_TRUE(link) << once.out;
  EXPECT_EQ((*link)["old"].number(), 0);
  EXPECT_EQ((*link)["new"].number(), 1000);
  EXPECT_TRUE(FindEvent(events, "poe-state", SimMac(3), 1)) << once.out;
  EXPECT_TRUE(FindEvent(events, "temperature-high", SimMac(3), 0)) << once.out;

  // Only reads went out; the switches keep their drift; no file was written.
  const auto sent = RequestsSince(from);
  ASSERT_FALSE(sent.empty());
  for (const LoggedRequest& entry : sent) EXPECT_TRUE(ReadOnly(entry)) << entry.line;
  EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](const LoggedRequest& e) {
    return e.request.starts_with("function get status-counter-octet-rx");
  }));
  EXPECT_EQ(ReadFile(bed_->configPath()), before);
  EXPECT_FALSE(std::filesystem::exists(bed_->configPath().string() + ".bak"));
  EXPECT_TRUE(Contains(Join(Dump("edge").lines), "port-use 5 off")) << Join(Dump("edge").lines);
}

// `command` through sh in the tool's namespace.
RunResult InToolNamespace(const Testbed& bed, const std::string& command) {
  Child child;
  std::string error;
  if (!child.Start({"ip", "netns", "exec", bed.toolNamespace(), "sh", "-c", command}, {}, error)) {
    RunResult failed;
    failed.err = error;
    return failed;
  }
  return child.Wait(30s);
}

TEST_F(Watch, EventsStreamAsTheyHappenAndSigtermEndsTheWatchCleanly) {
  StartSim(kDemoNetwork);
  ASSERT_EXIT_STATUS(InToolNamespace(*bed_, "ip link set lo up"), 0);
  auto watch =
      bed_->StartNtrctl({"--json", "watch", "--interval", "1", "--metrics", "127.0.0.1:9717"});
  const auto has = [](const std::string& part) {
    return [part](const std::string& out) { return Contains(out, part); };
  };
  ASSERT_TRUE(watch->WaitForOutput(has("\"switch\":\"" + SimMac(3) + "\""), 60s)) << watch->err();
  Ctls({"link core 10 down", "loop edge 2 on", "fan core stop"});
  ASSERT_TRUE(watch->WaitForOutput(has("\"fan-stopped\""), 30s)) << watch->out();
  ASSERT_TRUE(watch->WaitForOutput(has("\"loop-detected\""), 30s)) << watch->out();
  ASSERT_TRUE(watch->WaitForOutput(has("\"link-down\""), 30s)) << watch->out();
  // The metrics show the same state, and promtool takes them.
  const std::string loop = "ntr_port_loop_detected{switch=\"" + SimMac(2) + "\"";
  RunResult scrape;
  ASSERT_TRUE(WaitUntil(
      [&] {
        scrape = InToolNamespace(*bed_, "curl -sf http://127.0.0.1:9717/metrics");
        const auto lines = SplitLines(scrape.out);
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
          return line.starts_with(loop) && line.ends_with("port=\"2\"} 1");
        });
      },
      30s))
      << scrape.out << scrape.err;
  EXPECT_TRUE(Contains(scrape.out, "ntr_switch_up{switch=\"" + SimMac(3) + "\"")) << scrape.out;
  ASSERT_EXIT_STATUS(
      InToolNamespace(*bed_, "curl -sf http://127.0.0.1:9717/metrics | promtool check metrics"), 0);
  Ctl("remove power");
  ASSERT_TRUE(watch->WaitForOutput(has("\"switch-lost\""), 60s)) << watch->out();
  watch->Signal(SIGTERM);
  const RunResult ended = watch->Wait(30s);
  ASSERT_EXIT_STATUS(ended, 0);
  const std::vector<Json> events = JsonLines(ended.out);
  const Json* down = FindEvent(events, "link-down", SimMac(1), 10);
  ASSERT_TRUE(down) << ended.out;
  EXPECT_EQ((*down)["old"].number(), 1000);
  EXPECT_EQ((*down)["new"].number(), 0);
  EXPECT_TRUE(FindEvent(events, "loop-detected", SimMac(2), 2)) << ended.out;
  EXPECT_TRUE(FindEvent(events, "fan-stopped", SimMac(1), 0)) << ended.out;
  EXPECT_TRUE(FindEvent(events, "switch-lost", SimMac(3), 0)) << ended.out;
}

TEST_F(Watch, TopologyShowsTheDemonstrationTreeAsTextJsonAndGraphviz) {
  StartSim(kDemoNetwork);
  const RunResult text = Ntrctl({"topology"});
  ASSERT_EXIT_STATUS(text, 0);
  const auto lines = SplitLines(text.out);
  ASSERT_EQ(lines.size(), 4u) << text.out;
  EXPECT_TRUE(lines[0].starts_with("adapter " + bed_->toolInterface())) << text.out;
  EXPECT_TRUE(lines[1].starts_with("  " + SimMac(1) + " ")) << text.out;
  EXPECT_TRUE(lines[2].starts_with("    port 3: " + SimMac(2) + " ")) << text.out;
  EXPECT_TRUE(lines[3].starts_with("      port 8: " + SimMac(3) + " ")) << text.out;

  const RunResult json = Ntrctl({"--json", "topology"});
  ASSERT_EXIT_STATUS(json, 0);
  const Json tree = ParseOutput(json);
  EXPECT_EQ(tree["adapter"]["name"].str(), bed_->toolInterface());
  ASSERT_EQ(tree["switches"].array().size(), 1u);
  const Json& core = tree["switches"].array()[0];
  EXPECT_EQ(core["mac"].str(), SimMac(1));
  ASSERT_EQ(core["switches"].array().size(), 1u);
  EXPECT_EQ(core["switches"].array()[0]["port"].number(), 3);
  EXPECT_EQ(core["switches"].array()[0]["switches"].array()[0]["mac"].str(), SimMac(3));

  const RunResult dot = Ntrctl({"topology", "--dot"});
  ASSERT_EXIT_STATUS(dot, 0);
  EXPECT_TRUE(dot.out.starts_with("digraph ntr {")) << dot.out;
  EXPECT_TRUE(Contains(dot.out, "adapter -> \"" + SimMac(1) + "\";")) << dot.out;
  EXPECT_TRUE(Contains(dot.out, "\"" + SimMac(1) + "\" -> \"" + SimMac(2) + "\" [label=\"3\"];"))
      << dot.out;
  EXPECT_TRUE(Contains(dot.out, "\"" + SimMac(2) + "\" -> \"" + SimMac(3) + "\" [label=\"8\"];"))
      << dot.out;

  EXPECT_EXIT_STATUS(Ntrctl({"topology", "--dot", "--json"}), 2);
  EXPECT_EXIT_STATUS(Ntrctl({"topology", "--once"}), 2);
  EXPECT_EXIT_STATUS(Ntrctl({"watch", "--changed", "tool"}), 2);
}

}  // namespace
}  // namespace ntr::e2e
