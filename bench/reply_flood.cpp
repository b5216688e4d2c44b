// What discovery replies cost the main thread, and the memory they hold:
// the discovery of the core (the same Discovery that ntrctl and the window
// run) fed replies as the receive thread hands them over, with the main
// thread dealing with them in between, and a discovery cycle's lost check
// every `perCycle` replies.
//
//   known MACs    replies from the same 240 switches, cycle after cycle;
//   new MACs      every reply from a MAC never seen before (a flood of forged
//                 replies): handled at the same rate and at the same memory
//                 when the work per reply and every per-MAC table are bounded;
//   held          the same 240 switches answering 20 cycles while the main
//                 thread is held (a question waits for the operator): what
//                 waits for it, and the memory it takes.
//
// Prints replies per second and resident-memory growth for each, and the
// ratios new/known. No network: replies go straight to the discovery.
//
//   ntr_reply_flood_bench [replies]    (default 200000)
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <vector>

#include "base/event_loop.h"
#include "base/notification_queue.h"
#include "catalogue/function_descriptors.h"
#include "discovery/discovery.h"
#include "discovery/identity_adopter.h"
#include "tests/support/memory_link.h"

namespace {

using namespace ntr;
using Clock = std::chrono::steady_clock;

constexpr MacAddress kAdapter{0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
constexpr int kBatch = 200;     // replies between two turns of the main loop
constexpr int perCycle = 4000;  // replies between two discovery cycles

double ResidentMiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) /
         (1024.0 * 1024.0);
}

Pdu Reply(const MacAddress& mac, const MacAddress& neighbour, std::int32_t id) {
  Pdu reply;
  reply.transactionId = id;
  reply.sourceMac = mac;
  reply.destinationMac = kToolGroupAddress;
  reply.application = PduType::kDiscoveryReply;
  DiscoveryReply body;
  body.switchMac = mac;
  body.neighbourMacs.assign(8, MacAddress{});
  body.neighbourMacs[3] = neighbour;
  body.firstText = "NTR7100-8G";
  reply.body = body;
  return reply;
}

MacAddress RandomMac(std::mt19937& random) {
  MacAddress mac;
  for (auto& byte : mac) byte = static_cast<std::uint8_t>(random());
  mac[0] = static_cast<std::uint8_t>((mac[0] & 0xFC) | 0x02);  // locally administered unicast
  return mac;
}

struct Core {
  test::MemoryLink link;
  TransactionHub hub{link, LookupFunctionTypes};
  EventLoop loop;
  NotificationQueue notices;
  IdentityAdopter adopter;
  Discovery discovery{hub, loop, &notices, adopter};

  Core() {
    hub.SetSourceMac(kAdapter);
    discovery.SetAdapterMac(kAdapter);
    hub.lastDiscoveryTransactionId = 1;
  }
  // The main thread deals with every reply handed over so far.
  void Drain() {
    loop.RunUntil([&] { return discovery.repliesHandled() >= discovery.repliesAccepted(); },
                  std::chrono::seconds(60));
  }
};

struct Figure {
  double perSecond = 0;
  double growthMiB = 0;
  std::uint64_t waiting = 0;  // replies waiting for the main thread
};

// `count` replies, each from `source(i)`, the main thread turning every kBatch.
template <typename Source>
Figure Feed(int count, Source source) {
  Core core;
  std::mt19937 random(7);
  const double before = ResidentMiB();
  const auto start = Clock::now();
  for (int i = 0; i < count; ++i) {
    core.discovery.AcceptReply(Reply(source(i, random), RandomMac(random), 1));
    if ((i + 1) % kBatch == 0) core.Drain();
    if ((i + 1) % perCycle == 0) core.discovery.LostCheck();
  }
  core.Drain();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return {count / seconds, ResidentMiB() - before};
}

// Runs `scenario` in a child process of its own, so that its memory is its
// own: the figure it measured, or nothing when it failed.
template <typename Scenario>
bool Isolated(Scenario scenario, Figure& figure) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return false;
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    close(pipeEnds[0]);
    const Figure measured = scenario();
    const bool written = write(pipeEnds[1], &measured, sizeof measured) == sizeof measured;
    _exit(written ? 0 : 1);
  }
  close(pipeEnds[1]);
  const bool read = ::read(pipeEnds[0], &figure, sizeof figure) == sizeof figure;
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return read && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 200000;
  if (count < kBatch) {
    std::fprintf(stderr, "usage: ntr_reply_flood_bench [replies >= %d]\n", kBatch);
    return 2;
  }
  std::vector<MacAddress> known;
  for (int i = 0; i < 240; ++i)
    known.push_back(MacAddress{0x02, 0x5C, 0x71, 0x01, 0x00, static_cast<std::uint8_t>(i)});

  Figure fixed, flood, held;
  const bool ok =
      Isolated(
          [&] {
            return Feed(count, [&](int i, std::mt19937&) {
              return known[static_cast<std::size_t>(i) % known.size()];
            });
          },
          fixed) &&
      Isolated(
          [&] { return Feed(count, [](int, std::mt19937& random) { return RandomMac(random); }); },
          flood) &&
      Isolated(
          [&] {
            // The main thread held while the 240 switches answer 20 cycles.
            Core core;
            std::mt19937 random(9);
            const double before = ResidentMiB();
            for (int cycle = 0; cycle < 20; ++cycle) {
              for (const MacAddress& mac : known)
                core.discovery.AcceptReply(Reply(mac, RandomMac(random), 1));
            }
            Figure figure;
            figure.growthMiB = ResidentMiB() - before;
            figure.waiting = core.discovery.repliesAccepted() - core.discovery.repliesHandled();
            core.Drain();
            return figure;
          },
          held);
  if (!ok) {
    std::fprintf(stderr, "ntr_reply_flood_bench: a measurement failed\n");
    return 1;
  }
  std::printf("replies from known MACs    %d replies   %.0f per second   RSS +%.1f MiB\n", count,
              fixed.perSecond, fixed.growthMiB);
  std::printf(
      "replies from new MACs      %d replies   %.0f per second   RSS +%.1f MiB   %.2fx the rate of "
      "known MACs\n",
      count, flood.perSecond, flood.growthMiB, flood.perSecond / fixed.perSecond);
  std::printf("main thread held           %zu replies   %llu waiting   RSS +%.1f MiB\n",
              known.size() * 20, static_cast<unsigned long long>(held.waiting), held.growthMiB);
  return 0;
}
