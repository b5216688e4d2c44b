// Round-trip time of one request and its answer over a private veth link:
// the link endpoint (send; the answer read on the waiting thread as a
// transaction waits, through WaitReading, into the receive queue and its
// event) against the same exchange on plain AF_PACKET sockets, the practical
// floor.
// A peer in the other namespace echoes every request to the tool's group
// address. Prints median and p99 in microseconds and their ratios for three
// scenarios, all measured in the same run:
//
//   back to back   exchanges follow each other at once, threads placed by the
//                  scheduler;
//   one CPU        the same with every thread on one CPU: the endpoint's own
//                  cost, without the wake-ups of idle CPUs;
//   paced          1 ms of quiet between exchanges, as the tool really talks
//                  (switches answer far more slowly than a veth peer).
//
//   ntr_link_bench [exchanges]    (default 5000 per side, run as root)
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "base/auto_reset_event.h"
#include "link/link_frame.h"
#include "link/pcap_endpoint.h"
#include "tests/support/packet_socket.h"
#include "tests/support/private_network.h"

namespace {

using namespace ntr;
using namespace ntr::testing;
using Clock = std::chrono::steady_clock;

constexpr int kBlocks = 5;  // the two sides take turns, so drift hits both alike
constexpr int kWarmUp = 300;
constexpr auto kAnswerBound = std::chrono::milliseconds(1000);

std::vector<std::uint8_t> Request(std::uint32_t sequence) {
  std::vector<std::uint8_t> payload(46, 0x5A);
  for (int i = 0; i < 4; ++i) payload[i] = static_cast<std::uint8_t>(sequence >> (8 * i));
  return payload;
}

bool Matches(std::span<const std::uint8_t> payload, std::uint32_t sequence) {
  const auto expected = Request(sequence);
  return payload.size() >= 4 && std::equal(expected.begin(), expected.begin() + 4, payload.begin());
}

// Answers every request to the switches' group address with the same payload
// to the tool's group address, until stopped.
class Echo {
 public:
  Echo(PacketSocket& socket) : socket_(socket), thread_([this] { Run(); }) {}
  ~Echo() {
    stop_.Set();
    thread_.join();
  }

 private:
  void Run() {
    std::vector<std::uint8_t> frame(2048);
    for (;;) {
      pollfd fds[2] = {{stop_.fd(), POLLIN, 0}, {socket_.fd(), POLLIN, 0}};
      ::poll(fds, 2, -1);
      if (stop_.TryConsume()) return;
      const ssize_t n = ::recv(socket_.fd(), frame.data(), frame.size(), MSG_DONTWAIT);
      if (n < static_cast<ssize_t>(kEthernetHeaderSize)) continue;
      if (!std::equal(kSwitchGroupAddress.begin(), kSwitchGroupAddress.end(), frame.begin())) {
        continue;
      }
      std::copy(kToolGroupAddress.begin(), kToolGroupAddress.end(), frame.begin());
      std::copy(socket_.mac().begin(), socket_.mac().end(), frame.begin() + 6);
      socket_.Send(std::span(frame).first(static_cast<std::size_t>(n)));
    }
  }

  PacketSocket& socket_;
  AutoResetEvent stop_;
  std::thread thread_;
};

// One exchange through the link endpoint; false when no answer came.
bool ThroughEndpoint(PcapEndpoint& device, AutoResetEvent& received, std::uint32_t sequence) {
  ErrorPair error;
  if (!device.Send(Request(sequence), error)) return false;
  std::vector<std::uint8_t> buffer(1600);
  const auto deadline = Clock::now() + kAnswerBound;
  for (;;) {
    const std::size_t size = device.TakeFrame(buffer);
    if (size > 0) {
      if (Matches(std::span(buffer).first(size), sequence)) return true;
      continue;
    }
    if (Clock::now() >= deadline) return false;
    device.WaitReading({&received}, kAnswerBound);
  }
}

// The same exchange on a plain socket.
bool ThroughSocket(PacketSocket& socket, std::uint32_t sequence) {
  const Frame request = MakeFrame(kSwitchGroupAddress, socket.mac(), kEtherTypeHigh, kEtherTypeLow,
                                  Request(sequence));
  if (!socket.Send(request)) return false;
  const auto deadline = Clock::now() + kAnswerBound;
  while (Clock::now() < deadline) {
    const auto answer = socket.Receive(kAnswerBound);
    if (answer && answer->size() > kEthernetHeaderSize &&
        std::equal(kToolGroupAddress.begin(), kToolGroupAddress.end(), answer->begin()) &&
        Matches(std::span(*answer).subspan(kEthernetHeaderSize), sequence)) {
      return true;
    }
  }
  return false;
}

struct Figures {
  double median = 0;
  double p99 = 0;
};

Figures Summarise(std::vector<double> samples) {
  std::ranges::sort(samples);
  const auto at = [&](double q) {
    const auto index = static_cast<std::size_t>(q * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[index];
  };
  return {at(0.5), at(0.99)};
}

template <typename Exchange>
bool Measure(int count, std::uint32_t& sequence, std::vector<double>* samples,
             std::chrono::microseconds gap, Exchange exchange) {
  for (int i = 0; i < count; ++i) {
    if (gap.count() > 0) std::this_thread::sleep_for(gap);
    const auto start = Clock::now();
    if (!exchange(sequence++)) return false;
    const std::chrono::duration<double, std::micro> took = Clock::now() - start;
    if (samples != nullptr) samples->push_back(took.count());
  }
  return true;
}

int Fail(const std::string& what) {
  std::fprintf(stderr, "ntr_link_bench: %s\n", what.c_str());
  return 1;
}

struct Scenario {
  const char* name;
  bool oneCpu;
  std::chrono::microseconds gap;
  int exchanges;
};

struct Sides {
  std::vector<double> endpoint, floor;
};

// Keeps the calling thread, and every thread it starts meanwhile, on the
// first CPU it may use.
class OneCpu {
 public:
  explicit OneCpu(bool on) : on_(on) {
    if (!on_) return;
    sched_getaffinity(0, sizeof saved_, &saved_);
    int first = 0;
    while (first < CPU_SETSIZE && !CPU_ISSET(first, &saved_)) ++first;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    sched_setaffinity(0, sizeof one, &one);
  }
  ~OneCpu() {
    if (on_) sched_setaffinity(0, sizeof saved_, &saved_);
  }

 private:
  bool on_;
  cpu_set_t saved_{};
};

// Runs one scenario; the sides take turns in blocks so that drift hits both alike.
bool RunScenario(const Scenario& scenario, PcapEndpoint& device, AutoResetEvent& received,
                 PacketSocket& peer, PacketSocket& raw, std::uint32_t& sequence, Sides& sides,
                 std::string& failure) {
  OneCpu pinned(scenario.oneCpu);
  Echo echo(peer);
  const auto endpoint = [&](std::uint32_t n) { return ThroughEndpoint(device, received, n); };
  const auto socket = [&](std::uint32_t n) { return ThroughSocket(raw, n); };
  const int perBlock = std::max(1, scenario.exchanges / kBlocks);
  for (int block = 0; block < kBlocks; ++block) {
    // A fresh handle per block, so the other side's answers never linger in its ring.
    if (!device.OpenSelectedAdapter() || !device.StartCapture()) {
      failure = FormatErrorMessage(device.error());
      return false;
    }
    const int warmUp = block == 0 ? kWarmUp : 0;
    if (!Measure(warmUp, sequence, nullptr, {}, endpoint) ||
        !Measure(perBlock, sequence, &sides.endpoint, scenario.gap, endpoint)) {
      failure = "the link endpoint lost an answer";
      return false;
    }
    device.Close();
    if (!Measure(warmUp, sequence, nullptr, {}, socket) ||
        !Measure(perBlock, sequence, &sides.floor, scenario.gap, socket)) {
      failure = "the plain socket lost an answer";
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using std::chrono::microseconds;
  const int exchanges = argc > 1 ? std::max(kBlocks, std::atoi(argv[1])) : 5000;
  const Scenario scenarios[] = {
      {"back to back", false, microseconds(0), exchanges},
      {"one CPU", true, microseconds(0), exchanges},
      {"paced 1 ms", false, microseconds(1000), std::max(kBlocks, exchanges / 5)},
  };

  PrivateNetwork net;
  const std::string toolNs = net.AddNamespace();
  const std::string peerNs = toolNs.empty() ? "" : net.AddNamespace();
  PrivateNetwork::Veth link;
  if (peerNs.empty() || !net.AddVeth(toolNs, peerNs, link)) return Fail(net.error());

  std::string error;
  PacketSocket peer;
  PacketSocket raw;
  if (!peer.Open(peerNs, link.nameB, error) || !raw.Open(toolNs, link.nameA, error)) {
    return Fail(error);
  }

  std::vector<Sides> results;
  {
    NamespaceScope inTool(toolNs);
    if (!inTool.ok()) return Fail("cannot enter " + toolNs);
    PcapEndpoint device;
    HeadlessAdapterChooser chooser;
    AutoResetEvent received;
    device.SetReceiveNotice(&received);
    if (!device.ChooseAdapter(chooser)) return Fail(FormatErrorMessage(device.error()));
    device.Close();
    std::uint32_t sequence = 1;
    for (const Scenario& scenario : scenarios) {
      Sides& sides = results.emplace_back();
      if (!RunScenario(scenario, device, received, peer, raw, sequence, sides, error)) {
        return Fail(std::string(scenario.name) + ": " + error);
      }
    }
  }

  std::printf("round trips over a private veth link (microseconds)\n");
  std::printf("%-14s %6s | %-17s | %-17s | %-13s\n", "", "", "PcapEndpoint", "AF_PACKET floor",
              "ratio");
  std::printf("%-14s %6s | %8s %8s | %8s %8s | %6s %6s\n", "scenario", "count", "median", "p99",
              "median", "p99", "median", "p99");
  for (std::size_t i = 0; i < results.size(); ++i) {
    const Figures endpoint = Summarise(results[i].endpoint);
    const Figures floor = Summarise(results[i].floor);
    std::printf("%-14s %6zu | %8.1f %8.1f | %8.1f %8.1f | %6.2f %6.2f\n", scenarios[i].name,
                results[i].endpoint.size(), endpoint.median, endpoint.p99, floor.median, floor.p99,
                endpoint.median / floor.median, endpoint.p99 / floor.p99);
  }
  std::printf("target: PcapEndpoint median within 2x of the floor\n");
  return 0;
}
