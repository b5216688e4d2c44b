// What changed in the network between two snapshots, as events: a switch
// found or lost, a port's link up or down, a loop detected or cleared, a PoE
// port's state change or fault, a fan stopped or running again, the
// temperature over or back under a limit, a firmware revision changed.
// Pure: the same two snapshots give the same events.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/network_snapshot.h"

namespace ntr {

// One side of a change.
struct EventValue {
  enum class Kind { kNone, kNumber, kFlag, kText };
  Kind kind = Kind::kNone;
  std::int64_t number = 0;
  bool flag = false;
  std::string text;

  static EventValue None() { return {}; }
  static EventValue Number(std::int64_t n) { return {Kind::kNumber, n, false, {}}; }
  static EventValue Flag(bool f) { return {Kind::kFlag, 0, f, {}}; }
  static EventValue Text(std::string t) { return {Kind::kText, 0, false, std::move(t)}; }
  bool operator==(const EventValue&) const = default;
};

// The events' words, as the event stream prints them.
inline constexpr char kEventSwitchFound[] = "switch-found";
inline constexpr char kEventSwitchLost[] = "switch-lost";
inline constexpr char kEventLinkUp[] = "link-up";
inline constexpr char kEventLinkDown[] = "link-down";
inline constexpr char kEventLinkSpeed[] = "link-speed";
inline constexpr char kEventLoopDetected[] = "loop-detected";
inline constexpr char kEventLoopCleared[] = "loop-cleared";
inline constexpr char kEventPoeState[] = "poe-state";
inline constexpr char kEventPoeFault[] = "poe-fault";
inline constexpr char kEventFanStopped[] = "fan-stopped";
inline constexpr char kEventFanRunning[] = "fan-running";
inline constexpr char kEventTemperatureHigh[] = "temperature-high";
inline constexpr char kEventTemperatureNormal[] = "temperature-normal";
inline constexpr char kEventFirmwareChanged[] = "firmware-changed";

struct NetworkEvent {
  std::string event;  // one of the words above
  std::string mac;    // the switch
  std::string name;
  std::string model;
  int port = 0;  // 1-based; 0 for the switch as a whole
  EventValue
      before;  // link: Mbit/s; loop, fan: flag; PoE: state code; temperature: °C; firmware: text
  EventValue after;
  std::string text;  // words for people: the speed, the PoE state, ...
  // Switch found / lost: where it hangs (an empty parent: on the adapter).
  std::string parentMac;
  int uplinkPort = 0;
};

struct EventOptions {
  // Temperatures above this raise temperature-high; none without a limit.
  std::optional<int> temperatureLimit;
};

// The events that lead from `before` to `after`. A switch new in `after`, or
// up again after it was lost, is found with its present state: every port
// with a link, a loop or a PoE state other than idle, a stopped fan and a
// temperature over the limit each give their event, so that the events from
// an empty snapshot tell the current state. A lost switch gives only its
// switch-lost event. Switches in `after`'s order, ports in ascending order.
std::vector<NetworkEvent> EventsBetween(const NetworkSnapshot& before, const NetworkSnapshot& after,
                                        const EventOptions& options);

}  // namespace ntr
