// ntr-switch-sim: a simulated network of switches on one interface. One
// thread does everything: it polls the capture, the control channel and a
// stop event (set by SIGINT and SIGTERM), hands the tool's frames to the
// network and sends what comes back. See --help.
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/auto_reset_event.h"
#include "sim/control_channel.h"
#include "sim/control_commands.h"
#include "sim/firmware_image.h"
#include "sim/sim_link.h"
#include "sim/sim_network.h"
#include "sim/sim_version.h"
#include "sim/text_words.h"
#include "sim/usage.h"

namespace {

using namespace ntr;
using namespace ntr::sim;

struct Options {
  std::string interface;
  std::string network;
  std::string control;
  std::string requestLog;
  std::vector<std::string> lines;  // description lines given as arguments
  std::uint32_t seed = 1;
};

// The stop event of the running loop; a lock-free atomic, so that the signal
// handler may read it.
std::atomic<AutoResetEvent*> g_stop{nullptr};
static_assert(std::atomic<AutoResetEvent*>::is_always_lock_free);

extern "C" void OnSignal(int) {
  if (AutoResetEvent* stop = g_stop.load())
    stop->Set();  // a write to an eventfd: safe in a handler
}

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) {
      error = option + " needs a value";
      return false;
    }
    const std::string value = argv[++i];
    if (option == "--interface") {
      options.interface = value;
    } else if (option == "--network") {
      options.network = value;
    } else if (option == "--switch") {
      options.lines.push_back("switch " + value);
    } else if (option == "--host") {
      options.lines.push_back("host " + value);
    } else if (option == "--control") {
      options.control = value;
    } else if (option == "--request-log") {
      options.requestLog = value;
    } else if (option == "--seed") {
      if (!ParseNumber(value, 0, UINT32_MAX, options.seed)) {
        error = "--seed needs a number";
        return false;
      }
    } else {
      error = "unknown option " + option + " (see --help)";
      return false;
    }
  }
  if (options.interface.empty() || (options.network.empty() && options.lines.empty())) {
    error = "--interface and a network (--network or --switch) are needed (see --help)";
    return false;
  }
  return true;
}

bool BuildNetwork(const Options& options, SimNetwork& network, std::string& error) {
  std::vector<DescriptionItem> items;
  if (!options.network.empty()) {
    std::ifstream file(options.network);
    std::stringstream text;
    text << file.rdbuf();
    if (!file || !ParseDescription(text.str(), items, error)) {
      error = options.network + ": " + (error.empty() ? std::strerror(errno) : error);
      return false;
    }
  }
  for (const std::string& line : options.lines) {
    std::optional<DescriptionItem> item;
    if (!ParseDescriptionLine(line, item, error)) return false;
    if (item) items.push_back(std::move(*item));
  }
  for (const DescriptionItem& item : items) {
    if (!network.Add(item, error)) return false;
  }
  return true;
}

int MakeFirmware(int argc, char** argv) {
  std::int64_t bodyBytes = 4096;
  if (argc < 4 || argc > 5 || (argc == 5 && !ParseNumber(argv[4], 0, 16 << 20, bodyBytes))) {
    std::fprintf(stderr, "usage: ntr-switch-sim --make-firmware REVISION OUT [BODY-BYTES]\n");
    return 2;
  }
  std::vector<std::uint8_t> body(static_cast<std::size_t>(bodyBytes));
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<std::uint8_t>(i * 7 + 3);
  const std::vector<std::uint8_t> image = BuildFirmwareImage(argv[2], body);
  std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()),
            static_cast<std::streamsize>(image.size()));
  if (!out.flush()) {
    std::fprintf(stderr, "ntr-switch-sim: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}

int Run(const Options& options) {
  AutoResetEvent stop;
  g_stop = &stop;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  SimNetwork network(Clock::now(), options.seed);
  std::string error;
  if (!BuildNetwork(options, network, error)) {
    std::fprintf(stderr, "ntr-switch-sim: %s\n", error.c_str());
    return 2;
  }
  std::ofstream requestLog;
  if (!options.requestLog.empty()) {
    requestLog.open(options.requestLog, std::ios::app);
    if (!requestLog) {
      std::fprintf(stderr, "ntr-switch-sim: cannot open %s\n", options.requestLog.c_str());
      return 2;
    }
    network.log().SetSink([&](const RequestLogEntry& entry) {
      requestLog << entry.Format() << '\n' << std::flush;
    });
  }
  SimLink link;
  ControlChannel control;
  if (!link.Open(options.interface, error) ||
      (!options.control.empty() && !control.Open(options.control, error))) {
    std::fprintf(stderr, "ntr-switch-sim: %s\n", error.c_str());
    return 1;
  }
  const auto send = [&](const std::vector<SimFrame>& frames) {
    std::string failure;
    for (const SimFrame& frame : frames) {
      if (!link.Send(frame.source, frame.payload, failure))
        std::fprintf(stderr, "ntr-switch-sim: send: %s\n", failure.c_str());
    }
  };
  std::printf("ready on %s with %zu switches\n", options.interface.c_str(),
              network.switches().size());
  std::fflush(stdout);

  int status = 0;
  while (!control.ended()) {
    std::vector<pollfd> fds{{stop.fd(), POLLIN, 0}, {link.fd(), POLLIN, 0}};
    control.AddPollDescriptors(fds);
    int timeoutMs = 100;  // status keeps changing with time; look at least this often
    if (const auto due = network.NextDue()) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(*due - Clock::now()).count();
      timeoutMs = static_cast<int>(std::clamp<std::int64_t>(left, 0, timeoutMs));
    }
    if (::poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR) {
      std::perror("ntr-switch-sim: poll");
      status = 1;
      break;
    }
    if (fds[0].revents != 0 && stop.TryConsume()) break;
    if (!link.ReadPending(
            [&](std::span<const std::uint8_t> payload) {
              send(network.Receive(payload, Clock::now()));
            },
            error)) {
      std::fprintf(stderr, "ntr-switch-sim: capture: %s\n", error.c_str());
      status = 1;
      break;
    }
    control.Service([&](std::string_view line) {
      std::string reply = RunControlCommand(network, line, Clock::now());
      send(network.Tick(Clock::now()));
      return reply;
    });
    send(network.Tick(Clock::now()));
  }
  g_stop = nullptr;
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string first = argc > 1 ? argv[1] : "";
  if (first == "--help" || first == "-h") {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (first == "--version") {
    std::printf("ntr-switch-sim %s\n", kVersion);
    return 0;
  }
  if (first == "--make-firmware") return MakeFirmware(argc, argv);
  if (first == "--ctl") {
    if (argc < 4) {
      std::fprintf(stderr, "usage: ntr-switch-sim --ctl SOCKET COMMAND...\n");
      return 2;
    }
    return RunControlClient(argv[2], std::vector<std::string>(argv + 3, argv + argc)) ? 0 : 1;
  }
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "ntr-switch-sim: %s\n", error.c_str());
    return 2;
  }
  return Run(options);
}
