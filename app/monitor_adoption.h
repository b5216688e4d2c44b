// Adoption for a read-only monitor: a discovered switch is watched, never
// governed. Its runtime object works on a record of its own — a copy of the
// data folder's record when there is one (for its name and counter types),
// otherwise a new one named by the discovery reply — and only its identity
// is read from it. The record never enters the registry, carries no settings
// fingerprint (so discovery never synchronises it), and nothing is saved.
// No question is asked and no setting is read in bulk or written: two
// monitors, or a monitor beside a window, never fight over a switch.
#pragma once

#include "config/config_store.h"
#include "discovery/discovery.h"

namespace ntr {

class MonitorAdoption : public SwitchAdopter {
 public:
  // `config` holds the data folder's records, read once at start-up.
  MonitorAdoption(ConfigStore& config, NotificationSink* notices)
      : config_(config), notices_(notices) {}

  void AdoptSwitch(Discovery& discovery, TopologyNode& node, const Pdu& reply) override;

 private:
  ManagedSwitch* Create(Discovery& discovery, TopologyNode& node, const Pdu& reply);

  ConfigStore& config_;
  NotificationSink* notices_;
};

}  // namespace ntr
