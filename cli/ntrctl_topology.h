// The discovered tree, from a network snapshot: the tool's adapter at the
// root, each switch under the switch (and port) it hangs on.
#pragma once

#include <string>

#include "app/network_snapshot.h"

namespace ntr::cli {

// Indented text, two blanks a level; a switch below another starts with the
// parent's port ("port 3: ..."); texts from the wire escaped for a terminal.
std::string TopologyText(const NetworkSnapshot& network);
// {"adapter":{"name":…,"mac":…},"switches":[{"mac":…,"name":…,"model":…,
// "firmware":…,"up":…,"port":N|null,"switches":[…]}]}; port is the parent's
// port the switch hangs on (null on the adapter).
std::string TopologyJson(const NetworkSnapshot& network);
// A Graphviz digraph: one node per switch and the adapter, edges from parent
// to child labelled with the parent's port.
std::string TopologyDot(const NetworkSnapshot& network);

}  // namespace ntr::cli
