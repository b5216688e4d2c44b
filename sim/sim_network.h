// A simulated network of switches, as the tool sees it from its one port:
// the protocol peer that the tool is tested, benchmarked and shown against.
//
// The class is pure: it takes the payload of each management frame the tool
// sends (the frames to 03:5C:71:00:E8:12), returns the payloads the switches
// send back (to be framed to 03:5C:71:00:E8:13 with the switch's MAC as
// Ethernet source), and is told the time by its caller; it reads no clock and
// touches no network. The program ntr-switch-sim puts it on an interface;
// tests drive it directly.
//
//   std::vector<DescriptionItem> items;           // sim/network_description.h
//   ParseDescription("switch a model=NTR7100-8G\n", items, error);
//   SimNetwork network(start);
//   for (const auto& item : items) network.Add(item, error);
//   auto frames = network.Receive(payload, now);  // answers, then notices
//   auto later = network.Tick(now);               // delayed answers, notices
//   RunControlCommand(network, "fault a refuse port-speed 1 2", now);
//                                                 // sim/control_commands.h
//   network.log().entries();                      // what each switch received
//
// Behaviour: every reachable switch answers a discovery request (only the
// listed ones when the request lists MACs) with its settings fingerprint (-1
// in factory state) and one neighbour MAC per port: the requester's MAC on
// the uplink of a switch on the tool's port, the neighbour switch's MAC on
// inter-switch ports, host MACs on host ports, zero where the link is down.
// Other requests go to the switch named by the destination MAC. A switch is
// reachable while every link between it and the tool is up and no switch on
// the way is restarting. Injected faults (loss with a seeded random number
// generator, delays, duplicates, wrong application numbers, malformed bytes,
// refusals) act on the answers and are set per switch (SimSwitch::faults).
// After every change the switches report link, loop and fan changes as
// notices; they come out of the same call or the next Tick. The state the
// network is built with before its first Receive, Tick or Settle is the
// state at power-on and is not announced.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/network_description.h"
#include "sim/request_log.h"
#include "sim/sim_switch.h"

namespace ntr::sim {

// One frame to send: the switch that sends it and the encoded message.
struct SimFrame {
  MacAddress source{};
  std::vector<std::uint8_t> payload;
};

inline constexpr std::size_t kMaxSimSwitches = 32;

class SimNetwork {
 public:
  explicit SimNetwork(TimePoint start, std::uint32_t seed = 1);

  // Adds a switch or a host of a network description (see
  // sim/network_description.h); false with the reason when it does not fit.
  bool Add(const DescriptionItem& item, std::string& error);
  bool AddSwitch(SwitchEntry entry, std::string& error);
  bool AddHost(const HostEntry& host, std::string& error);
  // Removes a switch with every switch and host behind it; `removed` gets
  // the names of the switches.
  bool RemoveSwitch(std::string_view who, std::vector<std::string>& removed, std::string& error);

  // A switch by name or by MAC text; nullptr when there is none.
  SimSwitch* Find(std::string_view who);
  SimSwitch* FindByMac(const MacAddress& mac);
  const std::vector<std::unique_ptr<SimSwitch>>& switches() const { return switches_; }

  // Takes one payload from the tool; returns what goes out at once.
  std::vector<SimFrame> Receive(std::span<const std::uint8_t> payload, TimePoint now);
  // Time-driven behaviour: silences ending, delayed answers, loop recovery,
  // notices of changes made since the last call.
  std::vector<SimFrame> Tick(TimePoint now);
  // When Tick next has something to do; nothing when only changes from
  // outside can wake the network.
  std::optional<TimePoint> NextDue() const;

  // Plugs or unplugs the cable at a port; for a link between two switches
  // both ends follow. `speed` (2..6) is what the partner offers, 0 keeps it.
  bool SetCable(SimSwitch& node, int port, bool plugged, int speed, std::string& error);
  // Runs the switches' reactions to changes made from outside (settings,
  // loops, fans, restarts) at `now`; their notices come out of the next Tick.
  void Settle(TimePoint now);

  // Whether the tool's frames reach the switch: every link on the way up
  // and no switch on the way restarting.
  bool Reachable(SimSwitch& node, TimePoint now) { return ReachableFrom(node, now, 0); }

  RequestLog& log() { return log_; }
  void Reseed(std::uint32_t seed) { random_.seed(seed); }
  // Payloads that could not be decoded (the tool never sends such).
  std::uint64_t undecodable() const { return undecodable_; }

 private:
  // What a port leads to.
  struct Attachment {
    enum Kind { kNothing, kTool, kSwitch, kHost } kind = kNothing;
    SimSwitch* peer = nullptr;  // kSwitch
    int peerPort = 0;           // kSwitch, 0-based
    const HostEntry* host = nullptr;
  };
  struct Pending {
    TimePoint due;
    SimFrame frame;
  };

  SimSwitch* Parent(const SimSwitch& node);
  Attachment AttachmentOf(SimSwitch& node, int port);
  bool ReachableFrom(SimSwitch& node, TimePoint now, int depth);
  std::vector<MacAddress> Neighbours(SimSwitch& node, const MacAddress& requester);
  void RefreshLines(TimePoint now);
  void Discover(const Pdu& request, TimePoint now, std::vector<SimFrame>& out);
  void Answer(SimSwitch& node, const Pdu& request, TimePoint now, std::vector<SimFrame>& out);
  // Sends an answer through the switch's faults; updates the log entry.
  void Emit(SimSwitch& node, Pdu answer, TimePoint now, RequestLogEntry& entry,
            std::vector<SimFrame>& out);
  bool Roll(double percent);
  void Drain(TimePoint now, std::vector<SimFrame>& out);
  bool PortFree(SimSwitch& node, int port);

  std::vector<std::unique_ptr<SimSwitch>> switches_;
  std::vector<std::unique_ptr<HostEntry>> hosts_;
  std::vector<Pending> outbox_;  // ordered by due time, then by order of sending
  std::optional<MacAddress> toolMac_;
  TimePoint now_;  // the latest time the network was told
  std::mt19937 random_;
  RequestLog log_;
  std::uint64_t undecodable_ = 0;
  int malformedTurn_ = 0;
  bool started_ = false;  // the network has been settled once
};

}  // namespace ntr::sim
