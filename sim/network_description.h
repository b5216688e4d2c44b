// The text that describes a simulated network: one switch or host per line.
//
//   switch NAME model=MODEL [mac=MAC] [serial=TEXT] [firmware=TEXT]
//          [bootrom=TEXT] [uplink=tool | uplink=PARENT:PORT] [port=N]
//          [speed=2..6] [traffic=FPS] [sync-pending=N] [prepare-pending=N]
//          [restart-ms=MS]
//   host SWITCH:PORT MAC [poe=0..4] [speed=2..6] [traffic=FPS]
//
// A switch hangs on the tool's port (uplink=tool, the default; several
// switches there share the tool's segment as through a hub) or on port PORT
// of a switch described before it; port=N is its own port facing that uplink
// (default 1). A host is any other device on a switch port; poe=CLASS makes
// it a powered device of that class. speed is the fastest link speed the
// partner offers (port-speed codes: 2 10-hdx .. 6 1000-fdx, default 6);
// traffic the frames per second each way that make the counters grow
// (default 50 on switch and host links). Without mac= the switch gets
// 02:5C:71:00:00:NN with NN its position; without serial= "SIM" and six
// digits of the same position. firmware and bootrom default to "1.00".
// sync-pending and prepare-pending are the "pending" answers given to each
// synchronisation and firmware prepare before one is accepted; restart-ms how
// long the switch stays silent when it restarts (default 3000).
// Blank lines and lines starting with '#' are ignored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/mac_address.h"

namespace ntr::sim {

struct SwitchEntry {
  std::string name;
  std::string model;
  // A model name to report instead of `model` (a switch of a model the tool
  // does not know, behaving like `model` otherwise); empty: `model`.
  std::string reportedModel;
  std::optional<MacAddress> mac;
  std::string serial;  // empty: chosen from the position
  std::string firmware = "1.00";
  std::string bootRom = "1.00";
  std::string parent;  // empty: the tool's port
  int parentPort = 0;  // port of the parent, 1-based
  int uplinkPort = 1;  // own port facing the uplink, 1-based
  int speed = 6;
  int traffic = 50;
  int syncPending = 0;
  int preparePending = 0;
  int restartMs = 3000;
};

struct HostEntry {
  std::string switchName;
  int port = 0;  // 1-based
  MacAddress mac{};
  int poeClass = -1;  // -1: not a powered device
  int speed = 6;
  int traffic = 50;
};

using DescriptionItem = std::variant<SwitchEntry, HostEntry>;

// Parses one line. True with no item for a blank or comment line; false with
// the reason for a line that is not understood.
bool ParseDescriptionLine(std::string_view line, std::optional<DescriptionItem>& item,
                          std::string& error);

// Parses a whole description; the error names the line number.
bool ParseDescription(std::string_view text, std::vector<DescriptionItem>& items,
                      std::string& error);

}  // namespace ntr::sim
