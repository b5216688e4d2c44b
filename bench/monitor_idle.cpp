// What the read-only monitor costs while the network is quiet: `ntrctl watch
// --json` (its own process, as the ntr-watch@ service runs it) on a segment
// of 32 simulated switches, after it has found them, over an idle period in
// which it keeps discovering, polling every switch's status each --interval
// and fetching the counters every sixth poll.
//
//   idle CPU   CPU time (user + system, from /proc/PID/stat) of the ntrctl
//              process over the idle period, divided by the wall time: the
//              share of one core.
//
// The tree holds at most eight switches (the discovery request lists eight):
// the other 24 still answer every discovery request, and their replies are
// handled and dropped as on a real segment of 32. The switches run in
// ntr-switch-sim, a separate process in the other namespace, so their cost is
// not counted.
//
//   ntr_monitor_bench [seconds [interval]]   (default 10 and watch's 10; run as root)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "bench/sim_process.h"
#include "tests/support/private_network.h"

namespace {

using namespace ntr;
using namespace ntr::bench;
using Clock = std::chrono::steady_clock;

constexpr int kSwitches = 32;
constexpr int kInTree = 8;

int Fail(const std::string& what) {
  std::fprintf(stderr, "ntr_monitor_bench: %s\n", what.c_str());
  return 1;
}

// A tree: S1 on the tool's port, Si on port 2 or 3 of S(i/2).
std::string ThirtyTwoSwitches() {
  std::string text;
  for (int i = 1; i <= kSwitches; ++i) {
    text += "switch S" + std::to_string(i) + " model=" +
            (i % 3 == 0   ? "NTR7100-24G"
             : i % 3 == 1 ? "NTR7100-8G"
                          : "NTR7100-8PoE");
    if (i > 1) text += " uplink=S" + std::to_string(i / 2) + ":" + std::to_string(2 + i % 2);
    text += "\n";
  }
  return text;
}

// utime + stime of a process, in seconds.
double CpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(in, line);
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(line.substr(close + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::strtoull(field.c_str(), nullptr, 10);
    if (i == 15) stime = std::strtoull(field.c_str(), nullptr, 10);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Reads the child's output until `count` lines hold `word` (or the time is up).
bool WaitForLines(Process& child, const std::string& word, int count, std::chrono::seconds limit) {
  std::string text;
  const auto deadline = Clock::now() + limit;
  const auto seen = [&] {
    int n = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
      ++n;
    return n;
  };
  while (Clock::now() < deadline && seen() < count) {
    pollfd in{child.out, POLLIN, 0};
    if (::poll(&in, 1, 200) <= 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(child.out, buffer, sizeof buffer);
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return seen() >= count;
}

}  // namespace

int main(int argc, char** argv) {
  const int idleSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const std::string interval = argc > 2 ? argv[2] : "10";
  testing::PrivateNetwork net;
  const std::string toolNs = net.AddNamespace();
  const std::string switchNs = toolNs.empty() ? "" : net.AddNamespace();
  testing::PrivateNetwork::Veth veth;
  if (switchNs.empty() || !net.AddVeth(toolNs, switchNs, veth)) return Fail(net.error());

  const std::filesystem::path work = TemporaryHome("ntr-monitor");
  if (work.empty()) return Fail("no temporary folder");
  RemovedAtExit cleanup{work};
  std::ofstream(work / "network.txt") << ThirtyTwoSwitches();
  Process sim;
  if (!StartSwitchSim(sim, SIM_PATH, switchNs, veth.nameB, work / "network.txt", work)) {
    return Fail("the simulator did not start");
  }

  Process monitor;
  const auto start = Clock::now();
  if (!monitor.Start({"ip", "netns", "exec", toolNs, NTRCTL_PATH, "--adapter", veth.nameA, "--json",
                      "watch", "--interval", interval},
                     EnvironmentWith(work))) {
    return Fail("cannot start ntrctl watch");
  }
  if (!WaitForLines(monitor, "\"switch-found\"", kInTree, std::chrono::seconds(90))) {
    return Fail("ntrctl watch did not find the switches of the tree");
  }
  const double found = std::chrono::duration<double>(Clock::now() - start).count();
  // The idle period takes polls and counter fetches as they come: one of
  // 60 s or more holds a whole counter cycle (six polls of 10 s).
  ::usleep(1000 * 1000);
  const double before = CpuSeconds(monitor.pid);
  const auto idleStart = Clock::now();
  // Keep its pipe drained (events while idle: none expected).
  std::string rest;
  while (Clock::now() < idleStart + std::chrono::seconds(idleSeconds)) {
    pollfd in{monitor.out, POLLIN, 0};
    if (::poll(&in, 1, 200) <= 0) continue;
    char buffer[4096];
    const ssize_t n = ::read(monitor.out, buffer, sizeof buffer);
    if (n <= 0) break;
    rest.append(buffer, static_cast<std::size_t>(n));
  }
  const double wall = std::chrono::duration<double>(Clock::now() - idleStart).count();
  const double cpu = CpuSeconds(monitor.pid) - before;
  ::kill(monitor.pid, SIGTERM);
  int status = 0;
  rusage usage{};
  if (!monitor.Reap(status, usage)) return Fail("ntrctl watch was not reaped");
  std::printf(
      "monitor watching %d switches (%d in the tree), polls every %s s  found in %.2f s; idle %.1f "
      "s: CPU %.3f s "
      "= %.3f %% of one core; peak RSS %.1f MiB; exit %d after SIGTERM\n",
      kSwitches, kInTree, interval.c_str(), found, wall, cpu, 100.0 * cpu / wall,
      static_cast<double>(usage.ru_maxrss) / 1024.0, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
