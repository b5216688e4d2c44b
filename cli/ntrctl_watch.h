// ntrctl watch and ntrctl topology: the core as a read-only monitor. After
// every poll cycle the watch takes a snapshot of the network on the main
// thread, prints the events since the one before, and hands the snapshot to
// whoever publishes it.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "app/network_events.h"
#include "app/network_snapshot.h"
#include "cli/ntrctl_session.h"

namespace ntr::cli {

// One event as a line: "TIME EVENT MAC [NAME] ..." for a terminal (texts from
// the wire escaped), or one JSON object {"time":…,"event":…,"switch":…,
// "name":…,"model":…,"port":N|null,"old":…,"new":…,"text":…}; switch-found
// and switch-lost add "parent" and "uplink_port". Ends in a newline.
std::string EventLine(const NetworkEvent& event, std::time_t when, bool json);
// RFC 3339 in UTC: "2026-12-08T05:40:00Z".
std::string Rfc3339(std::time_t when);

class WatchRun {
 public:
  explicit WatchRun(Session& session);

  // Called with every snapshot the watch takes (main thread), after its
  // events were printed: the one place a snapshot leaves the watch.
  void SetPublished(std::function<void(const NetworkSnapshot&)> published) {
    published_ = std::move(published);
  }

  // ntrctl watch: until SIGINT or SIGTERM (status 0), or with --once the
  // current state as events. The exit status.
  int Watch();
  // ntrctl topology: the tree once discovery settled. The exit status.
  int Topology();

 private:
  // Discovery at once and every second until every switch found was polled
  // and no new one came for three cycles (or the session's time-out).
  void Settle();
  // One poll cycle: polls every switch watched (with its counters when
  // asked), and runs the loop until each answered or `within` passed.
  void PollCycle(bool counters, std::chrono::milliseconds within);
  NetworkSnapshot Take();
  bool Print(const std::vector<NetworkEvent>& events);

  Session& session_;
  NetworkSnapshot last_;
  std::function<void(const NetworkSnapshot&)> published_;
};

}  // namespace ntr::cli
