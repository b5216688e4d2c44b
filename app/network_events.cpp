#include "app/network_events.h"

#include <algorithm>

namespace ntr {
namespace {

constexpr int kPoeIdle = 1;  // status-poe-state: not supplying, nothing connected yet

// What a switch is taken to have been before it was found.
PortSnapshot QuietPort(const PortSnapshot& now) {
  PortSnapshot quiet;
  quiet.port = now.port;
  quiet.hasPoe = now.hasPoe;
  quiet.poeState = kPoeIdle;
  return quiet;
}

class Collector {
 public:
  Collector(std::vector<NetworkEvent>& out, const SwitchSnapshot& sw) : out_(out), sw_(sw) {}

  NetworkEvent& Add(const char* event, int port, EventValue before, EventValue after,
                    std::string text = {}) {
    NetworkEvent& e = out_.emplace_back();
    e.event = event;
    e.mac = sw_.mac;
    e.name = sw_.name;
    e.model = sw_.model;
    e.port = port;
    e.before = std::move(before);
    e.after = std::move(after);
    e.text = std::move(text);
    return e;
  }

  void Port(const PortSnapshot& was, const PortSnapshot& is) {
    if (was.up != is.up) {
      Add(is.up ? kEventLinkUp : kEventLinkDown, is.port, EventValue::Number(was.linkSpeedMbps),
          EventValue::Number(is.linkSpeedMbps), is.linkSpeedText);
    } else if (is.up && was.linkSpeedMbps != is.linkSpeedMbps) {
      Add(kEventLinkSpeed, is.port, EventValue::Number(was.linkSpeedMbps),
          EventValue::Number(is.linkSpeedMbps), is.linkSpeedText);
    }
    if (was.loopDetected != is.loopDetected) {
      Add(is.loopDetected ? kEventLoopDetected : kEventLoopCleared, is.port,
          EventValue::Flag(was.loopDetected), EventValue::Flag(is.loopDetected));
    }
    if (is.hasPoe && was.poeState != is.poeState) {
      Add(is.poeFault ? kEventPoeFault : kEventPoeState, is.port, EventValue::Number(was.poeState),
          EventValue::Number(is.poeState), is.poeStateText);
    }
  }

 private:
  std::vector<NetworkEvent>& out_;
  const SwitchSnapshot& sw_;
};

bool Hot(const SwitchSnapshot& sw, const EventOptions& options) {
  return options.temperatureLimit && sw.hasTemperature &&
         sw.temperatureCelsius > *options.temperatureLimit;
}

void Found(std::vector<NetworkEvent>& out, const SwitchSnapshot* was, const SwitchSnapshot& is,
           const EventOptions& options) {
  Collector add(out, is);
  NetworkEvent& found =
      add.Add(kEventSwitchFound, 0, EventValue::Flag(false), EventValue::Flag(true));
  found.parentMac = is.parentMac;
  found.uplinkPort = is.uplinkPort;
  if (was != nullptr && was->firmware != is.firmware) {
    // Lost and back with another revision: a firmware update.
    add.Add(kEventFirmwareChanged, 0, EventValue::Text(was->firmware),
            EventValue::Text(is.firmware));
  }
  for (const PortSnapshot& port : is.ports) add.Port(QuietPort(port), port);
  if (is.fanStopped) add.Add(kEventFanStopped, 0, EventValue::Flag(false), EventValue::Flag(true));
  if (Hot(is, options)) {
    add.Add(kEventTemperatureHigh, 0, EventValue::None(),
            EventValue::Number(is.temperatureCelsius));
  }
}

void Changed(std::vector<NetworkEvent>& out, const SwitchSnapshot& was, const SwitchSnapshot& is,
             const EventOptions& options) {
  Collector add(out, is);
  if (was.firmware != is.firmware) {
    add.Add(kEventFirmwareChanged, 0, EventValue::Text(was.firmware),
            EventValue::Text(is.firmware));
  }
  for (const PortSnapshot& port : is.ports) {
    const auto old = std::find_if(was.ports.begin(), was.ports.end(),
                                  [&](const PortSnapshot& p) { return p.port == port.port; });
    add.Port(old != was.ports.end() ? *old : QuietPort(port), port);
  }
  if (was.fanStopped != is.fanStopped) {
    add.Add(is.fanStopped ? kEventFanStopped : kEventFanRunning, 0,
            EventValue::Flag(was.fanStopped), EventValue::Flag(is.fanStopped));
  }
  if (Hot(was, options) != Hot(is, options)) {
    add.Add(Hot(is, options) ? kEventTemperatureHigh : kEventTemperatureNormal, 0,
            was.hasTemperature ? EventValue::Number(was.temperatureCelsius) : EventValue::None(),
            EventValue::Number(is.temperatureCelsius));
  }
}

}  // namespace

std::vector<NetworkEvent> EventsBetween(const NetworkSnapshot& before, const NetworkSnapshot& after,
                                        const EventOptions& options) {
  std::vector<NetworkEvent> out;
  for (const SwitchSnapshot& is : after.switches) {
    const auto old = std::find_if(before.switches.begin(), before.switches.end(),
                                  [&](const SwitchSnapshot& s) { return s.mac == is.mac; });
    const SwitchSnapshot* was = old != before.switches.end() ? &*old : nullptr;
    if (!is.up) {
      if (was != nullptr && was->up) {
        NetworkEvent& lost = Collector(out, is).Add(kEventSwitchLost, 0, EventValue::Flag(true),
                                                    EventValue::Flag(false));
        lost.parentMac = is.parentMac;
        lost.uplinkPort = is.uplinkPort;
      }
      continue;
    }
    if (was == nullptr || !was->up) {
      Found(out, was, is, options);
    } else {
      Changed(out, *was, is, options);
    }
  }
  for (const SwitchSnapshot& was : before.switches) {
    const bool kept = std::any_of(after.switches.begin(), after.switches.end(),
                                  [&](const SwitchSnapshot& s) { return s.mac == was.mac; });
    if (!kept && was.up) {
      NetworkEvent& lost = Collector(out, was).Add(kEventSwitchLost, 0, EventValue::Flag(true),
                                                   EventValue::Flag(false));
      lost.parentMac = was.parentMac;
      lost.uplinkPort = was.uplinkPort;
    }
  }
  return out;
}

}  // namespace ntr
