// The live state of a simulated switch: what is plugged into each port, the
// links that result from it and from the port settings, loop detection,
// traffic counters, fans and power over Ethernet. It answers the status
// functions and the actions, and reports changes as the notices a switch
// sends by itself.
//
// Time is given by the caller; nothing here reads a clock, so a test that
// passes the same times sees the same values.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "catalogue/switch_record.h"
#include "codec/pdu.h"

namespace ntr::sim {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;

// A notice the switch sends unasked: application 20 (port, link speed),
// 21 (port, link down), 22 (fan stopped) or 23 (port, loop detected).
// Ports count from 1.
struct Notice {
  PduType application = PduType::kNoticePortSpeed;
  std::int32_t port = 0;
  std::int32_t value = 0;
  bool operator==(const Notice&) const = default;
};

// The physical side of one port, set by the network around the switch.
struct PortLine {
  bool cable = false;             // a partner is plugged in
  bool partnerUp = true;          // the partner's end of the cable is enabled
  std::int32_t partnerSpeed = 6;  // fastest speed the partner offers, 2..6
  MacAddress partnerMac{};        // the partner's MAC, zero when not known
  bool loopPresent = false;       // frames sent out come back in
  std::int32_t trafficFps = 0;    // frames per second each way while the link is up
  std::int32_t poeDevice = -1;    // class 0..4 of a powered device, -1 for none
};

class SwitchStatus {
 public:
  explicit SwitchStatus(TimePoint start) : last_(start) {}

  PortLine& line(int port) { return lines_[port]; }
  const PortLine& line(int port) const { return lines_[port]; }

  // The link speed of a port (0 down, else 2..6): the cable, the partner,
  // port-use, a loop block, and port-speed forcing a speed.
  std::int32_t LinkSpeed(const SwitchRecord& settings, int port) const;

  // Counts traffic up to `now`.
  void Advance(const SwitchRecord& settings, TimePoint now);
  // Counts one management frame on a port (the uplink).
  void CountFrame(int port, bool received, std::size_t bytes);

  // Runs loop detection and recovery at `now` and reports every change since
  // the last call: links up or down, a loop detected, the fan stopping.
  void Settle(const SwitchRecord& settings, TimePoint now, std::vector<Notice>& notices);
  // The next moment Settle has something to do (a loop block ending).
  std::optional<TimePoint> NextEvent() const;

  // Answers a get of a status function (indexes already checked against
  // the function's kind, not yet against the ports); result 0 or 8.
  std::int32_t Get(const SwitchRecord& settings, const FunctionRequest& request, TimePoint now,
                   FunctionResponse& response) const;
  // Executes an action other than restart; result 0.
  std::int32_t Execute(const FunctionRequest& request);

  void SetFanStopped(bool stopped) { fanStopped_ = stopped; }
  bool fanStopped() const { return fanStopped_; }

  // What a restart does to the live state: counters and loop states
  // cleared, and every link reported afresh when the switch is back.
  void Restart();

 private:
  struct Counters {
    std::uint64_t rxFrames = 0, txFrames = 0, rxOctets = 0, txOctets = 0;
    std::int64_t carry = 0;  // frame-milliseconds not yet counted
  };
  struct PoePort {
    std::int32_t state = 1;
    std::int32_t watts = 0;
  };

  std::array<PoePort, kMaxPorts> Poe(const SwitchRecord& settings) const;
  std::int32_t Temperature(const SwitchRecord& settings) const;

  std::array<PortLine, kMaxPorts> lines_{};
  std::array<Counters, kMaxPorts> counters_{};
  std::array<std::int32_t, kMaxPorts> loopState_{};  // 0 normal, 1 loop, 2 blocked
  std::array<std::optional<TimePoint>, kMaxPorts> recoverAt_{};
  std::array<std::int32_t, kMaxPorts> reportedSpeed_{};
  bool fanStopped_ = false;
  bool fanReported_ = false;
  TimePoint last_;
};

}  // namespace ntr::sim
