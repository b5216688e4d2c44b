// Building the network snapshot out of the application's live records.
#pragma once

#include "app/application.h"
#include "app/network_snapshot.h"

namespace ntr {

// Main thread. Every managed switch whose identity is read and whose status
// was polled at least once, in discovery's order; a switch of `previous`
// that is no longer managed stays where it was, with up = false and its last
// values. The adapter's name is the caller's to fill in.
NetworkSnapshot SnapshotOf(Application& app, const NetworkSnapshot& previous = {});

// status-port-speed in Mbit/s: 0 while the link is down (or only negotiating).
int LinkSpeedMbps(std::int32_t linkSpeed);
// status-poe-state: the states in which the port stopped supplying power
// because something is wrong (over-current, budget, temperature, fan, power,
// a device above the set class).
bool PoeStateIsFault(std::int32_t poeState);

}  // namespace ntr
