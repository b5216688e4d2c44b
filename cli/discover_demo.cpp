// A headless look at the network on the only adapter: discovery cycles until
// the tree stands still, every switch's identity read and status polled, and
// the tree printed with each switch's model, serial number, firmware and
// port links. Meant for the demonstration network (scripts/demo-network.sh);
// sends frames on the one adapter of the namespace it runs in.
#include <cstdio>

#include "app/discovery.h"
#include "app/event_loop.h"
#include "app/identity_adopter.h"
#include "catalogue/function_catalogue.h"
#include "catalogue/status_texts.h"
#include "catalogue/switch_model.h"
#include "protocol/net_device.h"

namespace {

using namespace ntr;

void Print(Discovery& discovery, const TOPOLOGYNODE& node, int depth) {
  const ManagedSwitch* sw = node.switchObject;
  if (sw == nullptr) return;
  const tag_SWITCHDATA& r = sw->node.record();
  std::printf("%*s%s  %-13s serial %-10s firmware %-6s name %s\n", depth * 4, "",
              r.macText.get().c_str(), r.modelName.get().c_str(), r.serialNumber.get().c_str(),
              r.firmwareRevision.get().c_str(), r.systemName.get().c_str());
  for (int p = 0; p < r.portCount; ++p) {
    const std::int32_t speed = r.portStatus[p].linkSpeed;
    if (speed == 0) continue;
    std::printf("%*s  port %2d: %s\n", depth * 4, "", p + 1, LinkSpeedText(speed).c_str());
  }
  for (const auto& port : node.ports) {
    for (const auto& entry : port) {
      if (entry.child != nullptr) Print(discovery, *entry.child, depth + 1);
    }
  }
}

}  // namespace

int main() {
  CNetDevice device;
  HeadlessAdapterChooser chooser;
  if (!device.ChooseAdapter(chooser)) {
    std::fprintf(stderr, "%s\n", FormatErrorMessage(device.error()).c_str());
    return 1;
  }
  const auto adapter = device.openedAdapter();
  std::printf("adapter %s (%s)\n", adapter->name.c_str(), adapter->macText.c_str());
  TransactionHub hub(device, LookupFunctionTypes);
  etherAddress mac{};
  device.AdapterMac(-1, mac);
  hub.SetSourceMac(mac);
  if (!hub.StartReceiveThread() || !device.StartCapture()) {
    std::fprintf(stderr, "%s\n", FormatErrorMessage(device.error()).c_str());
    return 1;
  }
  EventLoop loop;
  IdentityAdopter adopter;
  Discovery discovery(hub, loop, nullptr, adopter);
  discovery.SetAdapterMac(mac);
  discovery.Connect();
  discovery.StartTimer();
  discovery.RequestCycle(true, 1000);

  // Cycles until the number of switches has stood still for three cycles and
  // every switch has been polled, at most 20 seconds.
  std::size_t last = 0;
  std::uint32_t stableSince = 0;
  loop.RunUntil(
      [&] {
        const auto list = discovery.Switches();
        if (list.size() != last) {
          last = list.size();
          stableSince = discovery.cyclesRun();
        }
        bool polled = true;
        for (ManagedSwitch* sw : list) polled = polled && sw->settings.polledOnce();
        return !list.empty() && polled && discovery.cyclesRun() >= stableSince + 3;
      },
      std::chrono::seconds(20));
  discovery.StopTimer();

  for (ManagedSwitch* sw : discovery.Switches()) {
    ErrorPair error;
    sw->node.Get("system-name", error);
  }
  std::printf("%zu switch(es) under management:\n", discovery.Switches().size());
  {
    std::lock_guard<std::mutex> lock(discovery.topologyLock());
    for (const auto& entry : discovery.topology().rootPort()) {
      if (entry.child != nullptr) Print(discovery, *entry.child, 0);
    }
  }
  hub.StopReceiveThread();
  device.Close();
  return discovery.Switches().empty() ? 1 : 0;
}
