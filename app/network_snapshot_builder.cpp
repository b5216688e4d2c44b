#include "app/network_snapshot_builder.h"

#include <algorithm>

#include "catalogue/function_descriptors.h"
#include "catalogue/status_texts.h"
#include "catalogue/switch_model.h"
#include "device/switch_phase.h"

namespace ntr {
namespace {

// The value word of a frame-counter type, as the configuration file spells it.
std::string CounterWord(Function counterType, std::int32_t type) {
  const FunctionDescriptor& function = DescriptorOf(counterType);
  if (function.fileWords != nullptr) {
    if (const auto word = function.fileWords->WordOf(type)) return std::string(*word);
  }
  return std::to_string(type);
}

PortSnapshot PortOf(const SwitchRecord& record, int index, bool poe) {
  const PortStatus& status = record.portStatus[static_cast<std::size_t>(index)];
  PortSnapshot port;
  port.port = index + 1;
  const std::int32_t speed = status.linkSpeed;
  port.linkSpeedMbps = LinkSpeedMbps(speed);
  port.up = port.linkSpeedMbps > 0;
  port.linkSpeedText = LinkSpeedText(speed);
  port.loopDetected = status.loopState == 1;
  port.hasPoe = poe;
  if (poe) {
    port.poeState = status.poeState;
    port.poeStateText = PoeStateText(port.poeState);
    port.poeFault = PoeStateIsFault(port.poeState);
  }
  port.rxOctets = status.rxOctets;
  port.txOctets = status.txOctets;
  for (std::size_t c = 0; c < static_cast<std::size_t>(kSnapshotCounters); ++c) {
    port.rxFrames[c] = status.rxFrames[c];
    port.txFrames[c] = status.txFrames[c];
  }
  return port;
}

// The 1-based port of the parent that `node` hangs on (the node's own
// uplinkPort is its port towards the parent); 0 when none holds it.
int ParentPort(const TopologyNode& node) {
  const auto& ports = node.parent->ports;
  for (std::size_t p = 0; p < ports.size(); ++p) {
    for (const PortEntry& entry : ports[p]) {
      if (entry.child == &node) return static_cast<int>(p) + 1;
    }
  }
  return 0;
}

SwitchSnapshot SwitchOf(ManagedSwitch& sw, const TopologyNode* node) {
  SwitchRecord& record = sw.record();
  const std::int32_t model = ModelCodeOf(record.modelName.get());
  SwitchSnapshot out;
  out.mac = FormatSwitchMac(sw.mac());
  out.model = record.modelName.get();
  out.name = record.systemName.get();
  out.firmware = record.firmwareRevision.get();
  out.serial = record.serialNumber.get();
  out.up = true;
  if (node != nullptr && node->parent != nullptr) {
    out.parentMac = FormatSwitchMac(node->parent->switchMac);
    out.uplinkPort = ParentPort(*node);
  }
  if (HasPoe(model)) {
    for (const auto& rpm : record.fanSpeeds) out.fanRpm.push_back(rpm);
    out.hasTemperature = true;
    out.temperatureCelsius = record.poeTemperature;
  }
  out.fanStopped = PollsSystemFan(model) && record.fanState != 0;
  // The counter types are set per port; the first port's name the slots.
  const int counters = std::clamp<int>(record.counterCount, 0, kSnapshotCounters);
  for (int c = 0; c < counters; ++c) {
    const auto slot = static_cast<std::size_t>(c);
    out.rxCounterWords[slot] =
        CounterWord(Function::kCounterFrameRxType, record.ports[0].rxCounterTypes[slot]);
    out.txCounterWords[slot] =
        CounterWord(Function::kCounterFrameTxType, record.ports[0].txCounterTypes[slot]);
  }
  const int ports = std::clamp<int>(record.portCount, 0, kMaxPorts);
  for (int p = 0; p < ports; ++p) out.ports.push_back(PortOf(record, p, HasPoe(model)));
  return out;
}

}  // namespace

int LinkSpeedMbps(std::int32_t linkSpeed) {
  switch (linkSpeed) {
    case 2:
    case 3:
      return 10;
    case 4:
    case 5:
      return 100;
    case 6:
      return 1000;
    default:
      return 0;
  }
}

bool PoeStateIsFault(std::int32_t poeState) { return poeState >= 7 && poeState <= 13; }

NetworkSnapshot SnapshotOf(Application& app, const NetworkSnapshot& previous) {
  NetworkSnapshot now;
  now.adapterName = previous.adapterName;
  {
    std::lock_guard<std::mutex> lock(app.discovery().topologyLock());
    const MacAddress adapter = app.discovery().topology().adapterMac();
    if (adapter != MacAddress{}) now.adapterMac = FormatSwitchMac(adapter);
  }
  std::vector<SwitchSnapshot> seen;
  for (ManagedSwitch* sw : app.discovery().Switches()) {
    if (!sw->active() || sw->heldBack() || !sw->settings().identityComplete() ||
        !sw->settings().polledOnce()) {
      continue;
    }
    seen.push_back(SwitchOf(*sw, app.discovery().NodeOf(*sw)));
  }
  // The switches known before keep their places; lost ones stay, down.
  for (const SwitchSnapshot& before : previous.switches) {
    auto it =
        std::find_if(seen.begin(), seen.end(), [&](const auto& s) { return s.mac == before.mac; });
    if (it == seen.end()) {
      SwitchSnapshot lost = before;
      lost.up = false;
      now.switches.push_back(std::move(lost));
    } else {
      now.switches.push_back(std::move(*it));
      seen.erase(it);
    }
  }
  for (SwitchSnapshot& found : seen) now.switches.push_back(std::move(found));
  return now;
}

}  // namespace ntr
