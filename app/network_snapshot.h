// What a monitor knows of the network at one moment: every switch it has
// seen, with the last polled status of each port. Plain values, copied out of
// the live records on the main thread, so that nothing reading a snapshot
// (the event stream, the metrics endpoint) ever touches a switch or waits for
// one. Events are the differences between two snapshots; the metrics
// endpoint prints the latest one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ntr {

inline constexpr int kSnapshotCounters = 5;  // frame counters per port and direction

struct PortSnapshot {
  int port = 0;               // 1-based, as the operator counts
  bool up = false;            // link up
  int linkSpeedMbps = 0;      // 0 while the link is down
  std::string linkSpeedText;  // the status text of the speed (as ntrctl prints it)
  bool loopDetected = false;
  bool hasPoe = false;  // the model supplies power on this port
  int poeState = 0;     // status-poe-state as read
  std::string poeStateText;
  bool poeFault = false;  // the state is one of the fault states
  std::uint64_t rxOctets = 0;
  std::uint64_t txOctets = 0;
  std::array<std::uint64_t, kSnapshotCounters> rxFrames{};
  std::array<std::uint64_t, kSnapshotCounters> txFrames{};
};

struct SwitchSnapshot {
  std::string mac;       // "00:11:22:33:44:55"
  std::string model;     // model name, e.g. "NTR7100-8G"
  std::string name;      // system name (from the switch, or the data folder's record)
  std::string firmware;  // firmware revision
  std::string serial;
  bool up = false;          // answering; a lost switch stays in the snapshot with up = false
  std::string parentMac;    // the switch it hangs on; empty when it hangs on the tool's adapter
  int uplinkPort = 0;       // 1-based port of the parent it hangs on; 0 when on the adapter
  std::vector<int> fanRpm;  // one per fan the model has
  bool fanStopped = false;
  bool hasTemperature = false;
  int temperatureCelsius = 0;
  // The word of the counter each frame-counter slot counts, per direction
  // (the configuration file's value word of counter-frame-rx-type / -tx-type).
  std::array<std::string, kSnapshotCounters> rxCounterWords;
  std::array<std::string, kSnapshotCounters> txCounterWords;
  std::vector<PortSnapshot> ports;
};

struct NetworkSnapshot {
  std::string adapterName;  // the tool's adapter, the root of the tree
  std::string adapterMac;
  std::vector<SwitchSnapshot> switches;  // in discovery order
};

}  // namespace ntr
