// The tool's whole stack against the simulated switches over a private veth
// link, beside the practical floor measured in the same run (a plain
// AF_PACKET request and echo):
//
//   execute function   sequential gets of port-speed through the switch
//                      object, the transaction hub, the capture thread and the
//                      receive thread; median and p99 against the floor;
//   bulk read          every setting of a simulated NTR7100-24G (7689 reads),
//                      total and per request, against 7689 floors;
//   legacy capture     a few hundred of the same gets with the capture of the
//                      older design (no immediate mode, 50 ms block timer),
//                      extrapolated to a whole bulk read;
//   discovery          eight switches on the tool's port: from the first
//                      cycle until every one is adopted and polled.
//
//   ntr_stack_bench [exchanges] [one-cpu] [only=floor|gets|bulk]
//                                            (default 3000; run as root)
//
// With one-cpu every thread runs on the first CPU: the stack's own cost,
// without the wake-ups of idle CPUs that each hand-over between threads
// costs on a virtual machine. With only=… the floor and at most one figure
// run, so that counters taken around whole runs (perf stat: instructions,
// system calls, context switches) give the cost per request by difference.
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "base/event_loop.h"
#include "base/notification_queue.h"
#include "bench/sim_server.h"
#include "catalogue/function_descriptors.h"
#include "catalogue/switch_model.h"
#include "discovery/discovery.h"
#include "discovery/identity_adopter.h"
#include "link/link_frame.h"
#include "link/pcap_endpoint.h"
#include "tests/support/packet_socket.h"

namespace {

using namespace ntr;
using Clock = std::chrono::steady_clock;
using Micros = std::chrono::duration<double, std::micro>;

struct Figures {
  double median = 0;
  double p99 = 0;
};

Figures Summarise(std::vector<double> samples) {
  if (samples.empty()) return {};
  std::sort(samples.begin(), samples.end());
  return {samples[samples.size() / 2],
          samples[std::min(samples.size() - 1, samples.size() * 99 / 100)]};
}

// Plain AF_PACKET: the tool's socket sends, the far one echoes at once.
Figures Floor(const std::string& toolNs, const std::string& switchNs,
              const testing::PrivateNetwork::Veth& veth, int exchanges) {
  testing::PacketSocket tool, echo;
  std::string error;
  if (!tool.Open(toolNs, veth.nameA, error) || !echo.Open(switchNs, veth.nameB, error)) {
    std::fprintf(stderr, "packet sockets: %s\n", error.c_str());
    return {};
  }
  AutoResetEvent stop;
  std::thread echoer([&] {
    std::vector<std::uint8_t> frame(2048);
    for (;;) {
      pollfd fds[2] = {{stop.fd(), POLLIN, 0}, {echo.fd(), POLLIN, 0}};
      ::poll(fds, 2, -1);
      if (stop.TryConsume()) return;
      const ssize_t n = ::recv(echo.fd(), frame.data(), frame.size(), MSG_DONTWAIT);
      if (n < 14) continue;
      std::copy(kToolGroupAddress.begin(), kToolGroupAddress.end(), frame.begin());
      echo.Send(std::span<const std::uint8_t>(frame.data(), static_cast<std::size_t>(n)));
    }
  });
  const std::vector<std::uint8_t> payload(46, 0x5A);
  const auto frame = testing::MakeFrame(kSwitchGroupAddress, tool.mac(), 0xE8, 0x12, payload);
  std::vector<double> samples;
  for (int i = 0; i < exchanges + 200; ++i) {
    const auto start = Clock::now();
    tool.Send(frame);
    if (!tool.Receive(std::chrono::milliseconds(1000))) continue;
    if (i >= 200) samples.push_back(Micros(Clock::now() - start).count());
  }
  stop.Set();
  echoer.join();
  return Summarise(samples);
}

// The tool's side: the endpoint on the only adapter, the hub and its thread.
struct ToolStack {
  explicit ToolStack(bool legacy) : hub(device, LookupFunctionTypes) {
    device.SetLegacyCaptureForBenchmark(legacy);
    HeadlessAdapterChooser chooser;
    ok = device.ChooseAdapter(chooser);
    MacAddress mac{};
    ok = ok && device.AdapterMac(-1, mac);
    hub.SetSourceMac(mac);
    ok = ok && hub.StartReceiveThread() && device.StartCapture();
  }
  ~ToolStack() {
    hub.StopReceiveThread();
    device.Close();
  }
  PcapEndpoint device;
  TransactionHub hub;
  bool ok = false;
};

const MacAddress kFirstSwitch{0x02, 0x5C, 0x71, 0x00, 0x00, 0x01};

Figures Gets(SwitchClient& node, int count, int& failures) {
  std::vector<double> samples;
  for (int i = 0; i < count; ++i) {
    ErrorPair error;
    const auto start = Clock::now();
    if (!node.Get(Function::kPortSpeed, FunctionIndex::Port(0), error)) {
      ++failures;
      continue;
    }
    samples.push_back(Micros(Clock::now() - start).count());
  }
  return Summarise(samples);
}

}  // namespace

int main(int argc, char** argv) {
  const int exchanges = argc > 1 ? std::max(100, std::atoi(argv[1])) : 3000;
  std::string only;
  bool oneCpu = false;
  for (int i = 2; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "one-cpu") oneCpu = true;
    if (word.starts_with("only=")) only = word.substr(5);
  }
  const auto runs = [&](const char* figure) { return only.empty() || only == figure; };
  if (oneCpu) {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(0, &one);
    sched_setaffinity(0, sizeof one, &one);
    std::printf("all threads on CPU 0\n");
  }
  testing::PrivateNetwork net;
  const std::string toolNs = net.AddNamespace();
  const std::string switchNs = net.AddNamespace();
  testing::PrivateNetwork::Veth veth;
  if (toolNs.empty() || switchNs.empty() || !net.AddVeth(toolNs, switchNs, veth)) {
    std::fprintf(stderr, "private network: %s\n", net.error().c_str());
    return 1;
  }

  const Figures floor = Floor(toolNs, switchNs, veth, exchanges);
  std::printf("floor (AF_PACKET echo)     median %8.1f us   p99 %8.1f us\n", floor.median,
              floor.p99);

  testing::NamespaceScope inTool(toolNs);
  if (runs("gets") || runs("bulk")) {
    bench::SimServer server(switchNs, veth.nameB, "switch T model=NTR7100-24G\n");
    if (!server.ok()) {
      std::fprintf(stderr, "simulator: %s\n", server.error().c_str());
      return 1;
    }
    ToolStack stack(false);
    if (!stack.ok) {
      std::fprintf(stderr, "tool: %s\n", FormatErrorMessage(stack.device.error()).c_str());
      return 1;
    }
    SwitchRecord record;
    record.switchMac = kFirstSwitch;
    record.modelName = "NTR7100-24G";
    record.switchState = kStateIdle;
    NotificationQueue notices;
    ManagedSwitch sw(stack.hub, record, nullptr, &notices);
    sw.client().Attach();

    if (runs("gets")) {
      int failures = 0;
      const Figures gets = Gets(sw.client(), exchanges, failures);
      std::printf(
          "execute function (get)     median %8.1f us   p99 %8.1f us   %.2fx floor   %d failed\n",
          gets.median, gets.p99, gets.median / floor.median, failures);
    }
    if (runs("bulk")) {
      ErrorPair error;
      const auto start = Clock::now();
      sw.settings().RequestBulkRead(error);
      const bool ended =
          notices.WaitFor(Notification::kModalRead, std::chrono::minutes(5)).has_value();
      const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
      const int reads = sw.settings().bulkDone();
      std::printf(
          "bulk read NTR7100-24G      %d reads in %.3f s   %.1f us per read   %.2fx of %d floors "
          "(%.3f s)%s\n",
          reads, seconds, seconds * 1e6 / std::max(reads, 1),
          seconds / (floor.median * 1e-6 * 7689), 7689, floor.median * 1e-6 * 7689,
          ended && !sw.settings().lastRunFailed() ? "" : "   (incomplete)");
    }
  }
  if (!only.empty()) return 0;
  {
    bench::SimServer server(switchNs, veth.nameB, "switch T model=NTR7100-24G\n");
    ToolStack legacy(true);
    SwitchRecord record;
    record.switchMac = kFirstSwitch;
    record.modelName = "NTR7100-24G";
    record.switchState = kStateIdle;
    SwitchClient node(legacy.hub, record, nullptr);
    node.Attach();
    int failures = 0;
    const int count = 200;
    const auto start = Clock::now();
    Gets(node, count, failures);
    const double per = std::chrono::duration<double>(Clock::now() - start).count() / count;
    std::printf("legacy capture (get)       %.1f ms per read   bulk read extrapolated %.0f s\n",
                per * 1e3, per * 7689);
  }
  {
    std::string eight;
    for (int i = 1; i <= 8; ++i) {
      eight += "switch S" + std::to_string(i) + " model=" +
               (i % 3 == 0   ? "NTR7100-24G"
                : i % 3 == 1 ? "NTR7100-8G"
                             : "NTR7100-8PoE") +
               "\n";
    }
    bench::SimServer server(switchNs, veth.nameB, eight);
    ToolStack stack(false);
    EventLoop loop;
    IdentityAdopter adopter;
    Discovery discovery(stack.hub, loop, nullptr, adopter);
    MacAddress mac{};
    stack.device.AdapterMac(-1, mac);
    discovery.SetAdapterMac(mac);
    discovery.Connect();
    const auto start = Clock::now();
    discovery.StartTimer();
    discovery.RequestCycle(true, 3000);
    const bool all = loop.RunUntil(
        [&] {
          const auto list = discovery.Switches();
          return list.size() == 8 && std::all_of(list.begin(), list.end(), [](ManagedSwitch* sw) {
                   return sw->settings().polledOnce();
                 });
        },
        std::chrono::seconds(60));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("discovery to managed       8 switches adopted and polled in %.3f s%s\n", seconds,
                all ? "" : "   (incomplete)");
    discovery.StopTimer();
  }
  return 0;
}
