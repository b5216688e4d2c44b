#include "sim/switch_status.h"

#include <algorithm>

#include "catalogue/switch_model.h"
#include "sim/sim_functions.h"

namespace ntr::sim {
namespace {

constexpr std::int64_t kRxOctetsPerFrame = 512;
constexpr std::int64_t kTxOctetsPerFrame = 480;
constexpr std::int32_t kPoeBudgetWatts = 120;
// Power drawn by a device of class 0..4.
constexpr std::array<std::int32_t, 5> kClassWatts{13, 4, 7, 13, 25};
constexpr std::int32_t kFanRpm = 4200;

// PoE states (status-poe-state).
constexpr std::int32_t kPoeOff = 0;
constexpr std::int32_t kPoeIdle = 1;
constexpr std::int32_t kPoeSupplyingClass0 = 2;
constexpr std::int32_t kPoeForcedOff = 8;
constexpr std::int32_t kPoeOverBudget = 9;
constexpr std::int32_t kPoeFanStopped = 11;
constexpr std::int32_t kPoeMismatch = 13;

// The share of all frames that a counter of the given type counts.
std::uint64_t CounterValue(std::int32_t type, std::uint64_t frames) {
  switch (type) {
    case 0:   // packets
    case 13:  // total good packets
      return frames;
    case 1:  // broadcast and multicast
      return frames / 8;
    case 3:  // broadcast
    case 4:  // multicast
      return frames / 16;
    case 5:  // 64 octets
    case 6:  // 65 to 127
      return frames / 4;
    case 7:
    case 8:
    case 9:
    case 10:  // larger sizes
      return frames / 8;
    case 14:
    case 15:
    case 16:
    case 17:  // priority classes
      return frames / 4;
    default:  // errors, drops, pause, collisions: a healthy link has none
      return 0;
  }
}

bool IndexIn(std::int32_t number, std::int32_t count, int& index) {
  if (number < 1 || number > count) return false;
  index = number - 1;
  return true;
}

}  // namespace

std::int32_t SwitchStatus::LinkSpeed(const SwitchRecord& settings, int port) const {
  const PortLine& line = lines_[port];
  if (!line.cable || !line.partnerUp || settings.ports[port].use == 0 || loopState_[port] == 2) {
    return 0;
  }
  const std::int32_t forced = settings.ports[port].speed;
  return forced >= 2 && forced <= 6 ? forced : line.partnerSpeed;
}

void SwitchStatus::Advance(const SwitchRecord& settings, TimePoint now) {
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - last_).count();
  if (elapsed <= 0) return;
  last_ = now;
  for (int p = 0; p < settings.portCount && p < kMaxPorts; ++p) {
    if (LinkSpeed(settings, p) == 0 || lines_[p].trafficFps <= 0) continue;
    Counters& c = counters_[p];
    c.carry += lines_[p].trafficFps * elapsed;
    const auto frames = static_cast<std::uint64_t>(c.carry / 1000);
    c.carry %= 1000;
    c.rxFrames += frames;
    c.txFrames += frames;
    c.rxOctets += frames * kRxOctetsPerFrame;
    c.txOctets += frames * kTxOctetsPerFrame;
  }
}

void SwitchStatus::CountFrame(int port, bool received, std::size_t bytes) {
  if (port < 0 || port >= kMaxPorts) return;
  Counters& c = counters_[port];
  (received ? c.rxFrames : c.txFrames) += 1;
  (received ? c.rxOctets : c.txOctets) += bytes;
}

void SwitchStatus::Settle(const SwitchRecord& settings, TimePoint now,
                          std::vector<Notice>& notices) {
  for (int p = 0; p < settings.portCount && p < kMaxPorts; ++p) {
    const bool detecting = settings.ports[p].loopDetect == 1;
    std::int32_t& state = loopState_[p];
    if (state == 2 && (!detecting || (recoverAt_[p] && now >= *recoverAt_[p]))) {
      state = 0;
      recoverAt_[p].reset();
    }
    if (state == 1 && (!lines_[p].loopPresent || !detecting)) state = 0;
    if (state == 0 && detecting && lines_[p].loopPresent && LinkSpeed(settings, p) != 0) {
      notices.push_back({PduType::kNoticeLoop, p + 1, 0});
      if (settings.loopLinkDown == 0) {
        state = 1;
      } else {
        state = 2;
        if (settings.loopLinkDown == 2) {
          recoverAt_[p] = now + std::chrono::seconds(settings.loopRecoveryTime.load());
        }
      }
    }
    const std::int32_t speed = LinkSpeed(settings, p);
    if (speed != reportedSpeed_[p]) {
      if (speed == 0) {
        notices.push_back({PduType::kNoticeLinkDown, p + 1, 0});
      } else {
        notices.push_back({PduType::kNoticePortSpeed, p + 1, speed});
      }
      reportedSpeed_[p] = speed;
    }
  }
  if (fanStopped_ && !fanReported_ &&
      (HasPoe(settings.modelCode) || PollsSystemFan(settings.modelCode))) {
    notices.push_back({PduType::kNoticeFan, 0, 0});
  }
  fanReported_ = fanStopped_;
}

std::optional<TimePoint> SwitchStatus::NextEvent() const {
  std::optional<TimePoint> next;
  for (const auto& at : recoverAt_) {
    if (at && (!next || *at < *next)) next = at;
  }
  return next;
}

std::array<SwitchStatus::PoePort, kMaxPorts> SwitchStatus::Poe(const SwitchRecord& settings) const {
  std::array<PoePort, kMaxPorts> poe{};
  std::int32_t budget = kPoeBudgetWatts;
  for (int p = 0; p < settings.portCount && p < kMaxPorts; ++p) {
    const std::int32_t configured = settings.ports[p].poeClass;
    const std::int32_t device = lines_[p].poeDevice;
    PoePort& port = poe[p];
    if (configured == kPoeClassNone) {
      port.state = kPoeOff;
    } else if (device < 0 || device > 4 || !lines_[p].cable) {
      port.state = kPoeIdle;
    } else if (fanStopped_) {
      port.state = kPoeFanStopped;
    } else if (p % 2 == 1 && settings.ports[p - 1].poeClass == kPoeClass4 && poe[p - 1].watts > 0) {
      // The pair's upper port supplies class 4 and takes the pair's power.
      port.state = kPoeForcedOff;
    } else if (device == 4 && configured != kPoeClass4) {
      port.state = kPoeMismatch;
    } else if (kClassWatts[device] > budget) {
      port.state = kPoeOverBudget;
    } else {
      port.state = kPoeSupplyingClass0 + device;
      port.watts = kClassWatts[device];
      budget -= port.watts;
    }
  }
  return poe;
}

std::int32_t SwitchStatus::Temperature(const SwitchRecord& settings) const {
  std::int32_t watts = 0;
  for (const PoePort& port : Poe(settings)) watts += port.watts;
  return 32 + watts / 8 + (fanStopped_ ? 25 : 0);
}

std::int32_t SwitchStatus::Get(const SwitchRecord& settings, const FunctionRequest& request,
                               TimePoint now, FunctionResponse& response) const {
  int p = 0;
  int k = 0;
  const auto value = [&](std::int64_t v) {
    response.valueType = kValueInteger;
    response.intValue = v;
    return kResOk;
  };
  const std::optional<Function> function = FunctionOf(request.functionId);
  if (!function) return kResNoFunction;
  const bool port = IndexIn(request.firstIndex, settings.portCount, p);
  switch (*function) {
    case Function::kStatusLedMode:
      return value(settings.ledBrightness);
    case Function::kStatusFan:
      return value(fanStopped_ ? 1 : 0);
    case Function::kStatusFanRpm: {
      if (!IndexIn(request.firstIndex, kFanCount, k)) return kResParameter;
      const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch());
      return value(fanStopped_ ? 0 : kFanRpm + 150 * k + 10 * (seconds.count() % 5));
    }
    case Function::kStatusPoeTemperature:
      return value(Temperature(settings));
    case Function::kStatusMacTableAddress:
      for (int q = 0; q < settings.portCount; ++q) {
        if (LinkSpeed(settings, q) != 0 && lines_[q].partnerMac == request.indexMac)
          return value(q + 1);
      }
      return value(0);
    default:
      break;
  }
  if (!port) return kResParameter;
  const Counters& c = counters_[p];
  switch (*function) {
    case Function::kStatusPortSpeed:
      return value(LinkSpeed(settings, p));
    case Function::kStatusLoopDetectPort:
      return value(loopState_[p]);
    case Function::kStatusLoopDetectRecoveryTimer: {
      if (!recoverAt_[p]) return value(0);
      const auto left = std::chrono::ceil<std::chrono::seconds>(*recoverAt_[p] - now).count();
      return value(std::max<std::int64_t>(left, 0));
    }
    case Function::kStatusCounterOctetRx:
      return value(static_cast<std::int64_t>(c.rxOctets));
    case Function::kStatusCounterOctetTx:
      return value(static_cast<std::int64_t>(c.txOctets));
    case Function::kStatusCounterFrameRx:
    case Function::kStatusCounterFrameTx: {
      if (!IndexIn(request.secondIndex, settings.counterCount, k)) return kResParameter;
      const bool rx = *function == Function::kStatusCounterFrameRx;
      const std::int32_t type =
          rx ? settings.ports[p].rxCounterTypes[k] : settings.ports[p].txCounterTypes[k];
      return value(static_cast<std::int64_t>(CounterValue(type, rx ? c.rxFrames : c.txFrames)));
    }
    case Function::kStatusPoeSupply:
      return value(Poe(settings)[p].watts);
    case Function::kStatusPoeState:
      return value(Poe(settings)[p].state);
    case Function::kStatusPoeDetectClass:
      return value(std::max(lines_[p].poeDevice, 0));
    case Function::kStatusMacTablePort: {
      response.valueType = kValueOctets;
      const MacAddress& mac = lines_[p].partnerMac;
      if (LinkSpeed(settings, p) != 0 && mac != MacAddress{}) {
        response.octets.assign(mac.begin(), mac.end());
      }
      return kResOk;
    }
    default:
      return kResNoFunction;
  }
}

std::int32_t SwitchStatus::Execute(const FunctionRequest& request) {
  const std::optional<Function> function = FunctionOf(request.functionId);
  if (!function) return kResNoFunction;
  switch (*function) {
    case Function::kClearCounter:
      for (Counters& c : counters_) c = Counters{};
      return kResOk;
    case Function::kResetLoopDetect:
      loopState_.fill(0);
      for (auto& at : recoverAt_) at.reset();
      return kResOk;
    case Function::kRestartPoeSupply:  // power returns at once; nothing lasting changes
    case Function::kClearMacTable:     // neighbours are learned again at once
      return kResOk;
    default:
      return kResNoFunction;
  }
}

void SwitchStatus::Restart() {
  for (Counters& c : counters_) c = Counters{};
  loopState_.fill(0);
  for (auto& at : recoverAt_) at.reset();
  reportedSpeed_.fill(0);
  fanReported_ = false;
}

}  // namespace ntr::sim
