// The control commands through which a test changes a running simulated
// network and injects faults: one command per line, one reply per command.
//
// A reply is one line starting with "ok" or "error", except for the block
// commands (help, list, dump, log), whose reply is its lines followed by a
// line holding a single "." (or one "error" line). SW names a switch by its
// name or its MAC; ports count from 1.
//
//   help                                 this list
//   list                                 one line per switch
//   dump SW                              the switch's settings in the
//                                        configuration-file grammar
//   fingerprint SW                       ok and the fingerprint it reports
//   link SW PORT up [SPEED] | down       plug or unplug the cable (both ends)
//   loop SW PORT on|off                  a loop behind the port
//   fan SW stop|run                      the fan (24G and 8PoE models)
//   poe SW PORT CLASS|none               a powered device of class 0..4
//   traffic SW PORT FPS                  frames per second each way
//   drift SW KEYWORD [INDEX [INDEX2]] VALUE|default
//                                        change a setting behind the tool's
//                                        back, in wire form (indexes and
//                                        port values 1-based; a name as text)
//   factory SW                           all settings to their defaults
//   add switch ... | add host ...        a line of the network description
//   remove SW                            the switch and all behind it
//   silence SW MS|on|off                 stop answering (forwarding goes on)
//   restart SW                           restart: silent for its restart time
//   set SW sync-pending N | prepare-pending N | flash-fail on|off |
//          restart-ms MS
//   fault SW|all loss PERCENT            drop answers
//   fault SW|all loss-in PERCENT         drop requests before the switch
//   fault SW|all delay MS [COUNT]        hold answers (all, or the next COUNT)
//   fault SW|all duplicate COUNT         send the next COUNT answers twice
//   fault SW|all wrong-app COUNT         wrong application number
//   fault SW|all malformed COUNT         bytes that do not decode
//   fault SW|all refuse KEYWORD RESULT [COUNT]
//                                        answer RESULT without acting
//   fault SW|all clear                   no more faults
//   log [clear]                          the request log (or empty it)
//   seed N                               reseed the loss generator
#pragma once

#include <string>
#include <string_view>

#include "sim/sim_network.h"

namespace ntr::sim {

// Runs one command at `now`; returns the reply, every line ended by "\n".
std::string RunControlCommand(SimNetwork& network, std::string_view line, TimePoint now);

// The command list above, for --help and the help command.
std::string_view ControlCommandsHelp();

}  // namespace ntr::sim
