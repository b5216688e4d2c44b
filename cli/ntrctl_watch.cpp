#include "cli/ntrctl_watch.h"

#include <csignal>
#include <cstdio>

#include "app/network_snapshot_builder.h"
#include "cli/ntrctl_errors.h"
#include "cli/ntrctl_topology.h"
#include "cli/ntrctl_words.h"
#include "link/pcap_endpoint.h"

namespace ntr::cli {
namespace {

using namespace std::chrono_literals;

// Polls between two counter fetches.
constexpr int kCounterEvery = 6;

std::atomic<bool> stopRequested{false};
void OnStop(int) { stopRequested = true; }

// SIGINT and SIGTERM end the watch at the next turn of the loop; a reader
// that went away (a closed pipe) ends it through the failed write.
class StopOnSignal {
 public:
  StopOnSignal() {
    stopRequested = false;
    struct sigaction action {};
    action.sa_handler = OnStop;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &oldInt_);
    ::sigaction(SIGTERM, &action, &oldTerm_);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &oldPipe_);
  }
  ~StopOnSignal() {
    ::sigaction(SIGINT, &oldInt_, nullptr);
    ::sigaction(SIGTERM, &oldTerm_, nullptr);
    ::sigaction(SIGPIPE, &oldPipe_, nullptr);
  }
  StopOnSignal(const StopOnSignal&) = delete;
  StopOnSignal& operator=(const StopOnSignal&) = delete;

 private:
  struct sigaction oldInt_ {};
  struct sigaction oldTerm_ {};
  struct sigaction oldPipe_ {};
};

std::string JsonValue(const EventValue& value) {
  switch (value.kind) {
    case EventValue::Kind::kNumber:
      return std::to_string(value.number);
    case EventValue::Kind::kFlag:
      return value.flag ? "true" : "false";
    case EventValue::Kind::kText:
      return JsonString(value.text);
    case EventValue::Kind::kNone:
      break;
  }
  return "null";
}

std::string PlainValue(const EventValue& value) {
  switch (value.kind) {
    case EventValue::Kind::kNumber:
      return std::to_string(value.number);
    case EventValue::Kind::kFlag:
      return value.flag ? "yes" : "no";
    case EventValue::Kind::kText:
      return TerminalText(value.text);
    case EventValue::Kind::kNone:
      break;
  }
  return "-";
}

// What follows the switch on a terminal line.
std::string PlainDetail(const NetworkEvent& e) {
  const std::string event = e.event;
  const std::string port = e.port > 0 ? " port " + std::to_string(e.port) : "";
  const std::string change = PlainValue(e.before) + " -> " + PlainValue(e.after);
  if (event == kEventSwitchFound || event == kEventSwitchLost) {
    std::string where = e.parentMac.empty()
                            ? " on the adapter"
                            : " on " + e.parentMac + " port " + std::to_string(e.uplinkPort);
    return " " + TerminalText(e.model) + where;
  }
  if (event == kEventLinkUp) return port + " " + std::to_string(e.after.number) + " Mbps";
  if (event == kEventLinkDown) return port + " (was " + std::to_string(e.before.number) + " Mbps)";
  if (event == kEventLinkSpeed) return port + " " + change + " Mbps";
  if (event == kEventPoeState || event == kEventPoeFault) {
    return port + " " + change + " " + TerminalText(e.text);
  }
  if (event == kEventTemperatureHigh || event == kEventTemperatureNormal) {
    return " " + change + " degrees Celsius";
  }
  if (event == kEventFirmwareChanged) return " " + change;
  return port;
}

// Identity read, model known, status polled: a switch the snapshot shows.
bool Watched(ManagedSwitch& sw) {
  return sw.active() && !sw.heldBack() && sw.settings().identityComplete() &&
         sw.settings().polledOnce();
}

std::string AdapterName(const std::string& given) {
  if (!given.empty()) return given;
  PcapEndpoint probe;  // the tool takes the only usable adapter
  if (probe.EnumerateAdapters() && probe.adapters().size() == 1)
    return probe.adapters().front().name;
  return "";
}

}  // namespace

std::string Rfc3339(std::time_t when) {
  std::tm utc{};
  gmtime_r(&when, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::string EventLine(const NetworkEvent& e, std::time_t when, bool json) {
  if (!json) {
    std::string line = Rfc3339(when) + " " + e.event + " " + e.mac;
    if (!e.name.empty()) line += " " + TerminalText(e.name);
    return line + PlainDetail(e) + "\n";
  }
  std::string line = "{\"time\":\"" + Rfc3339(when) + "\",\"event\":" + JsonString(e.event) +
                     ",\"switch\":" + JsonString(e.mac) + ",\"name\":" + JsonString(e.name) +
                     ",\"model\":" + JsonString(e.model) +
                     ",\"port\":" + (e.port > 0 ? std::to_string(e.port) : "null") +
                     ",\"old\":" + JsonValue(e.before) + ",\"new\":" + JsonValue(e.after);
  if (!e.text.empty()) line += ",\"text\":" + JsonString(e.text);
  if (e.event == kEventSwitchFound || e.event == kEventSwitchLost) {
    line += ",\"parent\":" + (e.parentMac.empty() ? std::string("null") : JsonString(e.parentMac)) +
            ",\"uplink_port\":" + (e.uplinkPort > 0 ? std::to_string(e.uplinkPort) : "null");
  }
  return line + "}\n";
}

WatchRun::WatchRun(Session& session) : session_(session) {
  last_.adapterName = AdapterName(session.options().adapter);
}

void WatchRun::Settle() {
  session_.RunDiscovery(1000);
  session_.RunUntilQuiet(3, Watched, [] { return stopRequested.load(); });
}

void WatchRun::PollCycle(bool counters, std::chrono::milliseconds within) {
  std::vector<std::pair<SwitchRef, int>> asked;
  for (ManagedSwitch* sw : session_.app().discovery().Switches()) {
    if (!Watched(*sw)) continue;  // its adoption polls it first
    ErrorPair error;
    const int done = sw->settings().pollsDone();
    if (sw->settings().RequestPoll(error, counters)) asked.emplace_back(sw->ref(), done);
  }
  Discovery& discovery = session_.app().discovery();
  session_.RunUntil(
      [&] {
        if (stopRequested) return true;
        for (const auto& [ref, done] : asked) {
          ManagedSwitch* sw = discovery.Find(ref);
          if (sw != nullptr && sw->settings().pollsDone() <= done) return false;
        }
        return true;
      },
      within);
}

NetworkSnapshot WatchRun::Take() { return SnapshotOf(session_.app(), last_); }

bool WatchRun::Print(const std::vector<NetworkEvent>& events) {
  const std::time_t when = std::time(nullptr);
  for (const NetworkEvent& event : events) {
    const std::string line = EventLine(event, when, session_.options().json);
    // One line at a time, flushed, so that a reader following the stream
    // (jq, a log shipper) sees each event as it comes.
    if (std::fputs(line.c_str(), stdout) < 0 || std::fflush(stdout) != 0) return false;
  }
  return true;
}

int WatchRun::Watch() {
  StopOnSignal signals;
  const Options& options = session_.options();
  const EventOptions eventOptions{options.temperatureLimit};
  Settle();
  if (session_.fatal()) return kExitFailure;
  if (options.once) {
    const NetworkSnapshot now = Take();
    const bool printed = Print(EventsBetween(NetworkSnapshot{}, now, eventOptions));
    if (published_) published_(now);
    return printed ? kExitOk : kExitFailure;
  }
  // From here on discovery runs at the watch interval of the data folder's file.
  session_.app().RequestDiscovery(true);
  const auto period = std::chrono::milliseconds(options.intervalSeconds * 1000);
  bool printed = true;
  for (std::uint64_t cycle = 0; printed && !stopRequested && !session_.fatal(); ++cycle) {
    const auto start = std::chrono::steady_clock::now();
    // The first cycle's polls are the adoptions' own (counters included).
    if (cycle > 0) PollCycle(cycle % kCounterEvery == 0, period);
    NetworkSnapshot now = Take();
    printed = Print(EventsBetween(last_, now, eventOptions));
    last_ = std::move(now);
    // The snapshot of this cycle leaves the watch here, and only here.
    if (published_) published_(last_);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (elapsed < period) {
      session_.RunUntil([] { return stopRequested.load(); },
                        std::chrono::duration_cast<std::chrono::milliseconds>(period - elapsed));
    }
  }
  if (session_.fatal()) return kExitFailure;
  return printed ? kExitOk : kExitFailure;
}

int WatchRun::Topology() {
  Settle();
  if (session_.fatal()) return kExitFailure;
  const NetworkSnapshot now = Take();
  const Options& options = session_.options();
  const std::string text = options.dot    ? TopologyDot(now)
                           : options.json ? TopologyJson(now)
                                          : TopologyText(now);
  std::fputs(text.c_str(), stdout);
  return kExitOk;
}

}  // namespace ntr::cli
