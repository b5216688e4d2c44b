// `ntrctl vlan`: a switch's VLANs by VLAN ID, as the window's VLAN ID and
// tagged-VLAN screens handle them. The raw keywords (vlan-id, vlan-access,
// vlan-trunk) take the switch's slot numbers; these subcommands map VLAN IDs
// to slots with the same plans, checks and messages as the screens, and save
// the configuration file as they do.
//
//   vlan list SWITCH                        ID, name, slot, access and trunk ports
//   vlan add SWITCH ID [NAME]               a VLAN joins the tool's table of names
//   vlan rename SWITCH ID NAME
//   vlan delete SWITCH ID...                off the switch; the name goes when no
//                                           other switch has the VLAN
//   vlan mode SWITCH PORT access|trunk|hybrid
//   vlan access SWITCH PORT ID|none
//   vlan trunk SWITCH PORT join|leave ID...
#pragma once

#include <string>
#include <vector>

#include "device/managed_switch.h"

namespace ntr::cli {

class Session;

// Why `arguments` (the subcommand, the switch, the rest) do not make a vlan
// command; "" when they do.
std::string VlanUsageProblem(const std::vector<std::string>& arguments);

// Runs the vlan subcommand of the session's arguments on `sw`; the exit status.
int RunVlan(Session& session, ManagedSwitch& sw);

}  // namespace ntr::cli
