// A network snapshot of `switches` switches with `ports` ports each, every
// field filled with values that differ from switch to switch and port to port
// (PoE on the odd ports, every third link down); for the metrics tests and
// benchmark.
#pragma once

#include <cstdio>
#include <string>

#include "app/network_snapshot.h"

namespace ntr::test {

inline NetworkSnapshot SampleSnapshot(int switches, int ports) {
  NetworkSnapshot network;
  network.adapterName = "veth-tool";
  network.adapterMac = "02:00:00:00:00:01";
  for (int s = 0; s < switches; ++s) {
    SwitchSnapshot sw;
    char mac[32];
    std::snprintf(mac, sizeof mac, "00:11:22:33:%02x:%02x", s / 256, s % 256);
    sw.mac = mac;
    sw.model = ports > 8 ? "NTR7100-24G" : "NTR7100-8G";
    sw.name = "floor-" + std::to_string(s);
    sw.firmware = "2.1." + std::to_string(s % 4);
    sw.serial = "S" + std::to_string(100000 + s);
    sw.up = true;
    sw.parentMac = s == 0 ? "" : "00:11:22:33:00:00";
    sw.uplinkPort = s == 0 ? 0 : 1 + s % ports;
    sw.fanRpm = {3000 + s, 3100 + s};
    sw.hasTemperature = true;
    sw.temperatureCelsius = 35 + s % 10;
    sw.rxCounterWords = {"packets", "broadcast-packets", "multicast-packets", "total-error-packets",
                         "fifo-drops"};
    sw.txCounterWords = {"packets", "broadcast-packets", "multicast-packets", "collisions",
                         "drops"};
    for (int p = 1; p <= ports; ++p) {
      PortSnapshot port;
      port.port = p;
      port.up = p % 3 != 0;
      port.linkSpeedMbps = port.up ? 1000 : 0;
      port.linkSpeedText = port.up ? "1000M-FDX" : "link-down";
      port.loopDetected = p == 7;
      port.hasPoe = p % 2 == 1;
      port.poeState = port.hasPoe ? 2 : 0;
      port.rxOctets =
          1'000'000'000'000ULL * static_cast<unsigned>(s + 1) + static_cast<unsigned>(p);
      port.txOctets = port.rxOctets / 2;
      for (int k = 0; k < kSnapshotCounters; ++k) {
        port.rxFrames[k] = port.rxOctets / 1000 + static_cast<unsigned>(k);
        port.txFrames[k] = port.txOctets / 1000 + static_cast<unsigned>(k);
      }
      sw.ports.push_back(std::move(port));
    }
    network.switches.push_back(std::move(sw));
  }
  return network;
}

}  // namespace ntr::test
