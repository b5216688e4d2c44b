#include "cli/ntrctl_options.h"

#include <cstdlib>
#include <string_view>

namespace ntr::cli {

const char* const kUsage =
    "usage: ntrctl [OPTIONS] COMMAND [ARGUMENTS]\n"
    "\n"
    "The tool's core without a window: the same data folder, registry and\n"
    "configuration file as the window. Needs CAP_NET_RAW and CAP_NET_ADMIN (root,\n"
    "or once: sudo setcap cap_net_raw,cap_net_admin+eip PATH-OF-NTRCTL).\n"
    "\n"
    "Options (anywhere on the line; --name=value works too; after -- every word\n"
    "is an argument):\n"
    "  --adapter IF            use network adapter IF (default: the only usable one)\n"
    "  --json                  machine-readable output (adapters, discover, show, read;\n"
    "                          other commands refuse it)\n"
    "  --timeout SECONDS       wait this long for switches (default 20)\n"
    "  --new factory|device    answer for a switch never seen before\n"
    "  --changed tool|device   answer for a known switch holding other settings\n"
    "  --factory yes|no        answer for a known switch in its factory state\n"
    "  --help                  this text\n"
    "  --version               the version\n"
    "\n"
    "Commands (SWITCH: MAC address 02:5C:71:00:00:01, 02-5C-71-00-00-01 or\n"
    "025C71000001, or a system name (one no other switch has); indexes 1-based;\n"
    "values in the configuration file's words):\n"
    "  adapters                                list the usable adapters\n"
    "  discover                                find the switches, print the tree\n"
    "  show SWITCH                             identity, settings, port status\n"
    "  get SWITCH KEYWORD [INDEX [INDEX2]]     read one value from the switch\n"
    "  set SWITCH KEYWORD [INDEX [INDEX2]] VALUE\n"
    "                                          set one value (saved in the file)\n"
    "  read SWITCH                             read all settings of the switch\n"
    "  apply SWITCH FILE                       load settings from FILE and synchronise\n"
    "  export FILE|-                           copy the configuration file to FILE (a\n"
    "                                          regular file or a new one) or to\n"
    "                                          standard output\n"
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
  bool onlyArguments = false;  // after "--"
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    const bool positional = onlyArguments || word.size() < 2 || word[0] != '-';
    if (positional) {
      if (options.command.empty()) {
        options.command = word;
      } else {
        options.arguments.emplace_back(word);
      }
      continue;
    }
    if (word == "--") {
      onlyArguments = true;
      continue;
    }
    // "--name=value" or "--name value".
    const std::size_t equals = word.find('=');
    const std::string_view name = word.substr(0, equals);
    std::optional<std::string_view> attached;
    if (equals != std::string_view::npos) attached = word.substr(equals + 1);
    const auto flag = [&](bool& out) {
      if (attached) {
        error = std::string(name) + " takes no value";
        return false;
      }
      out = true;
      return true;
    };
    const auto value = [&]() -> std::optional<std::string_view> {
      if (attached) return attached;
      if (i + 1 >= argc) {
        error = std::string(name) + " needs a value";
        return std::nullopt;
      }
      return std::string_view(argv[++i]);
    };
    if (name == "--help" || name == "-h") {
      if (!flag(options.help)) return false;
    } else if (name == "--version") {
      if (!flag(options.version)) return false;
    } else if (name == "--json") {
      if (!flag(options.json)) return false;
    } else if (name == "--adapter") {
      const auto v = value();
      if (!v) return false;
      options.adapter = *v;
    } else if (name == "--timeout") {
      const auto v = value();
      if (!v) return false;
      const std::string text(*v);
      char* end = nullptr;
      const long seconds = std::strtol(text.c_str(), &end, 10);
      if (text.empty() || *end != '\0' || seconds < 1 || seconds > 3600) {
        error = "--timeout needs a number of seconds (1 to 3600)";
        return false;
      }
      options.timeoutSeconds = static_cast<int>(seconds);
    } else if (name == "--new" || name == "--changed" || name == "--factory") {
      const auto v = value();
      if (!v) return false;
      const bool ok = name == "--new"       ? Answer(*v, "factory", "device", options.newDevice)
                      : name == "--changed" ? Answer(*v, "tool", "device", options.settingsChanged)
                                            : Answer(*v, "yes", "no", options.factoryState);
      if (!ok) {
        error = "unknown answer for " + std::string(name) + ": " + std::string(*v);
        return false;
      }
    } else {
      error = "unknown option " + std::string(name);
      return false;
    }
  }
  if (options.command.empty() && !options.help && !options.version) {
    error = "no command";
    return false;
  }
  return true;
}

}  // namespace ntr::cli
