#include "cli/ntrctl_options.h"

#include <cstdlib>
#include <string_view>

namespace ntr::cli {

const char* const kUsage =
    "usage: ntrctl [OPTIONS] COMMAND [ARGUMENTS]\n"
    "\n"
    "The tool's core without a window: the same data folder, registry and\n"
    "configuration file as the window. Needs CAP_NET_RAW and CAP_NET_ADMIN (root).\n"
    "\n"
    "Options:\n"
    "  --adapter IF            use network adapter IF (default: the only usable one)\n"
    "  --json                  machine-readable output (adapters, discover, show, read)\n"
    "  --timeout SECONDS       wait this long for switches (default 20)\n"
    "  --new factory|device    answer for a switch never seen before\n"
    "  --changed tool|device   answer for a known switch holding other settings\n"
    "  --factory yes|no        answer for a known switch in its factory state\n"
    "  --help                  this text\n"
    "\n"
    "Commands (SWITCH: MAC address or system name; indexes 1-based; values in the\n"
    "configuration file's words):\n"
    "  adapters                                list the usable adapters\n"
    "  discover                                find the switches, print the tree\n"
    "  show SWITCH                             identity, settings, port status\n"
    "  get SWITCH KEYWORD [INDEX [INDEX2]]     read one value from the switch\n"
    "  set SWITCH KEYWORD [INDEX [INDEX2]] VALUE\n"
    "                                          set one value (saved in the file)\n"
    "  read SWITCH                             read all settings of the switch\n"
    "  apply SWITCH FILE                       load settings from FILE and synchronise\n"
    "  export FILE                             copy the configuration file to FILE\n"
    "  import FILE                             import a configuration file\n"
    "  firmware SWITCH FILE                    update the firmware (Ctrl-C aborts)\n"
    "  restart SWITCH                          restart the switch\n"
    "  clear-counters SWITCH                   reset the frame counters\n"
    "  restart-poe SWITCH                      restart the power supply of the ports\n"
    "  factory-reset SWITCH                    the tool's record to factory state\n"
    "\n"
    "Exit status: 0 done; 1 failed (the reason on standard error); 2 usage;\n"
    "3 an adoption question no option answers; 4 another copy of the tool runs;\n"
    "5 the switch was not found in time.\n";

namespace {

bool Answer(std::string_view value, std::string_view first, std::string_view second,
            std::optional<bool>& out) {
  if (value == first) {
    out = true;
  } else if (value == second) {
    out = false;
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const auto value = [&](std::string_view name) -> const char* {
      if (i + 1 >= argc) {
        error = std::string(name) + " needs a value";
        return nullptr;
      }
      return argv[++i];
    };
    if (!options.command.empty()) {
      options.arguments.emplace_back(arg);
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--adapter") {
      const char* v = value(arg);
      if (v == nullptr) return false;
      options.adapter = v;
    } else if (arg == "--timeout") {
      const char* v = value(arg);
      if (v == nullptr) return false;
      char* end = nullptr;
      const long seconds = std::strtol(v, &end, 10);
      if (*end != '\0' || seconds < 1 || seconds > 3600) {
        error = "--timeout needs a number of seconds (1 to 3600)";
        return false;
      }
      options.timeoutSeconds = static_cast<int>(seconds);
    } else if (arg == "--new" || arg == "--changed" || arg == "--factory") {
      const char* v = value(arg);
      if (v == nullptr) return false;
      const bool ok = arg == "--new"       ? Answer(v, "factory", "device", options.newDevice)
                      : arg == "--changed" ? Answer(v, "tool", "device", options.settingsChanged)
                                           : Answer(v, "yes", "no", options.factoryState);
      if (!ok) {
        error = "unknown answer for " + std::string(arg) + ": " + v;
        return false;
      }
    } else if (!arg.empty() && arg[0] == '-') {
      error = "unknown option " + std::string(arg);
      return false;
    } else {
      options.command = arg;
    }
  }
  if (options.command.empty() && !options.help) {
    error = "no command";
    return false;
  }
  return true;
}

}  // namespace ntr::cli
