// What a Prometheus scrape of 32 switches x 24 ports costs: the metrics
// endpoint on 127.0.0.1 (an ephemeral port), scraped over a plain socket.
//
//   render          RenderMetrics of the snapshot alone;
//   new snapshot    a snapshot published before every scrape, so each
//                   scrape renders and serves (the monitor's case: one
//                   poll cycle between two scrapes);
//   same snapshot   the text rendered once and served again;
//   gzip            as "new snapshot", asking for gzip as Prometheus does.
//
// Prints median and 90th percentile in milliseconds and the size of the text.
//
//   ntr_metrics_bench [scrapes]    (default 200)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "metrics/metrics_endpoint.h"
#include "metrics/metrics_text.h"
#include "tests/support/sample_snapshot.h"

namespace {

using namespace ntr;
using Clock = std::chrono::steady_clock;

// One GET /metrics; the number of bytes of the answer (0 on failure).
std::size_t Scrape(int port, bool gzip) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::size_t total = 0;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string request = std::string("GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\n") +
                                (gzip ? "Accept-Encoding: gzip\r\n" : "") + "\r\n";
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
        static_cast<ssize_t>(request.size())) {
      static char chunk[1 << 16];
      ssize_t got;
      while ((got = recv(fd, chunk, sizeof chunk, 0)) > 0) total += static_cast<std::size_t>(got);
    }
  }
  close(fd);
  return total;
}

struct Figures {
  double median;
  double p90;
};

template <typename Step>
Figures Measure(int runs, Step step) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    step(i);
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms[ms.size() * 9 / 10]};
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
  constexpr int kSwitches = 32;
  constexpr int kPorts = 24;
  NetworkSnapshot network = test::SampleSnapshot(kSwitches, kPorts);
  std::size_t textBytes = 0;
  const Figures render = Measure(runs, [&](int) { textBytes = RenderMetrics(network).size(); });

  MetricsEndpoint endpoint;
  ErrorPair error;
  if (!endpoint.Start("127.0.0.1:0", false, error)) {
    std::fprintf(stderr, "ntr_metrics_bench: %s\n", error.detail.c_str());
    return 1;
  }
  bool failed = false;
  std::size_t gzipBytes = 0;
  const auto scrapeNew = [&](bool gzip) {
    return [&, gzip](int i) {
      network.switches[0].ports[0].rxOctets = static_cast<std::uint64_t>(i);
      endpoint.Publish(network);  // a copy, as the monitor hands over its own
      const std::size_t bytes = Scrape(endpoint.port(), gzip);
      failed |= bytes == 0;
      if (gzip) gzipBytes = bytes;
    };
  };
  const Figures fresh = Measure(runs, scrapeNew(false));
  const Figures same = Measure(runs, [&](int) { failed |= Scrape(endpoint.port(), false) == 0; });
  const Figures gzip = Measure(runs, scrapeNew(true));
  if (failed) {
    std::fprintf(stderr, "ntr_metrics_bench: a scrape failed\n");
    return 1;
  }
  std::printf("metrics render %dx%d median %.2f ms p90 %.2f ms; %zu bytes\n", kSwitches, kPorts,
              render.median, render.p90, textBytes);
  std::printf("metrics scrape new snapshot %dx%d median %.2f ms p90 %.2f ms; %d scrapes\n",
              kSwitches, kPorts, fresh.median, fresh.p90, runs);
  std::printf("metrics scrape same snapshot %dx%d median %.2f ms p90 %.2f ms\n", kSwitches, kPorts,
              same.median, same.p90);
  std::printf("metrics scrape gzip %dx%d median %.2f ms p90 %.2f ms; %zu bytes\n", kSwitches,
              kPorts, gzip.median, gzip.p90, gzipBytes);
  return 0;
}
