#include "cli/ntrctl_options.h"

#include "cli/ntrctl_switch_argument.h"

#include <cstdlib>
#include <string_view>

namespace ntr::cli {

const char* const kUsage =
    "usage: ntrctl [OPTIONS] COMMAND [ARGUMENTS]\n"
    "\n"
    "The tool's core without a window: the same data folder, registry and\n"
    "configuration file as the window. Needs CAP_NET_RAW and CAP_NET_ADMIN (root,\n"
    "or once: sudo setcap cap_net_raw,cap_net_admin+ep PATH-OF-NTRCTL).\n"
    "\n"
    "Options (anywhere on the line; --name=value works too; after -- every word\n"
    "is an argument):\n"
    "  --adapter IF            use network adapter IF (default: the only usable one)\n"
    "  --json                  machine-readable output (adapters, discover, list, show,\n"
    "                          read, get, set, diff, vlan, watch (JSON lines),\n"
    "                          topology and the actions; other\n"
    "                          commands refuse it); a failure is then the object\n"
    "                          {\"error\":{\"code\":STATUS,\"message\":TEXT}} on\n"
    "                          standard output as well\n"
    "  --all                   show: every setting, defaults included\n"
    "  --raw                   get: a status's code instead of show's words\n"
    "  --dry-run               apply: print what the switch would receive (as\n"
    "                          diff --file prints it) and send nothing\n"
    "  --file FILE             diff: compare the switch with FILE's block for it\n"
    "  --timeout SECONDS       wait this long for switches (default 20; firmware's\n"
    "                          wait for the restart: 120)\n"
    "  --no-wait               firmware: end when the image is sent, without\n"
    "                          waiting for the switch to come back\n"
    "  --once                  watch: print the current state as events and end\n"
    "  --interval SECONDS      watch: poll the switches' status this often\n"
    "                          (default 10; counters every 6th poll)\n"
    "  --temperature-limit CELSIUS\n"
    "                          watch: report temperatures above CELSIUS\n"
    "  --metrics [ADDRESS:]PORT\n"
    "                          watch: serve Prometheus metrics at\n"
    "                          http://ADDRESS:PORT/metrics (address 127.0.0.1 by\n"
    "                          default; IPv6 in brackets)\n"
    "  --metrics-public        watch: let --metrics use an address other hosts can\n"
    "                          reach (refused otherwise)\n"
    "  --dot                   topology: the tree as a Graphviz graph\n"
    "  --new [MAC=]factory|device\n"
    "                          answer for a switch never seen before: factory ERASES\n"
    "                          the switch's own settings (it is set to the factory\n"
    "                          settings); device keeps them and reads them in\n"
    "  --changed [MAC=]tool|device\n"
    "                          answer for a known switch holding other settings: tool\n"
    "                          overwrites the switch with the tool's, device replaces\n"
    "                          the tool's with the switch's\n"
    "  --factory [MAC=]yes|no  answer for a known switch in its factory state: yes\n"
    "                          writes the tool's settings to it, no resets the\n"
    "                          tool's record of it to the factory settings\n"
    "                          With MAC= the answer is for that switch only (repeat\n"
    "                          the option for more); without, for every switch. A\n"
    "                          question about a switch other than the command's\n"
    "                          leaves that switch unmanaged and the command goes on.\n"
    "  -q, --quiet             only errors: no progress, notes or success messages\n"
    "                          (what the command prints as its result stays)\n"
    "  -v, --verbose           also every function request and its answer on\n"
    "                          standard error, one line each in the file's grammar:\n"
    "                          '> MAC switch control function get KEYWORD [INDEX]',\n"
    "                          '< MAC ... VALUE' (a failure ends in '(REASON)')\n"
    "  --help                  this text\n"
    "  --version               the version\n"
    "\n"
    "Commands (SWITCH: MAC address 02:5C:71:00:00:01, 02-5C-71-00-00-01 or\n"
    "025C71000001, or a system name (one no other switch has; the tool's records\n"
    "are looked up first, as list prints them); indexes 1-based; values in the\n"
    "configuration file's words):\n"
    "  adapters                                list the usable adapters\n"
    "  list                                    the switches in the configuration file\n"
    "                                          (no network, no privileges)\n"
    "  keywords [KEYWORD]                      functions, their indexes and values\n"
    "  discover                                find the switches, print the tree\n"
    "  topology                                the tree under the adapter, read-only\n"
    "                                          (--json, --dot: ports on the edges)\n"
    "  watch                                   watch the network read-only, one line\n"
    "                                          per event until SIGINT or SIGTERM:\n"
    "                                          switch-found/-lost, link-up/-down/\n"
    "                                          -speed, loop-detected/-cleared,\n"
    "                                          poe-state/-fault, fan-stopped/-running,\n"
    "                                          temperature-high/-normal,\n"
    "                                          firmware-changed. It never adopts, sets\n"
    "                                          or synchronises a switch, never writes\n"
    "                                          the configuration file, and runs beside\n"
    "                                          the window on the same data folder\n"
    "  show SWITCH                             identity, settings, fan and port status\n"
    "  get SWITCH KEYWORD [INDEX [INDEX2]]     read one value from the switch\n"
    "  set SWITCH KEYWORD [INDEX [INDEX2]] VALUE\n"
    "                                          set one value (saved in the file)\n"
    "  read SWITCH                             read all settings of the switch (Ctrl-C\n"
    "                                          lets it finish, a second abandons it)\n"
    "  apply SWITCH FILE                       load settings from FILE and synchronise;\n"
    "                                          a file with no block for SWITCH or with\n"
    "                                          rejected lines changes nothing (the\n"
    "                                          lines are listed). Ctrl-C lets the write\n"
    "                                          finish; a second Ctrl-C abandons it\n"
    "  apply --dry-run SWITCH FILE             what apply would send, sending nothing\n"
    "  diff SWITCH                             the tool's settings (-) against the\n"
    "                                          switch's own (+), nothing changed; exit\n"
    "                                          0 the same, 1 they differ, 2 unreadable\n"
    "  diff SWITCH --file FILE                 FILE's settings for the switch (-)\n"
    "                                          against the switch's own (+): what\n"
    "                                          apply would send\n"
    "  export FILE|-                           copy the configuration file to FILE (a\n"
    "                                          regular file or a new one) or to\n"
    "                                          standard output\n"
    "  import FILE                             import a configuration file\n"
    "  firmware SWITCH FILE                    update the firmware (Ctrl-C aborts the\n"
    "                                          transfer), wait for the restart and\n"
    "                                          print the revision the switch reports;\n"
    "                                          status 1 when it stays away or reports\n"
    "                                          the revision it had\n"
    "  restart SWITCH                          restart the switch\n"
    "  clear-counters SWITCH                   reset the frame counters\n"
    "  restart-poe SWITCH                      restart the power supply of the ports\n"
    "  factory-reset SWITCH                    the tool's record to factory state\n"
    "  vlan list SWITCH                        VLANs: ID, name, slot, access and trunk ports\n"
    "  vlan add SWITCH ID [NAME]               a VLAN joins the tool's table of names\n"
    "  vlan rename SWITCH ID NAME              rename a VLAN of the table\n"
    "  vlan delete SWITCH ID...                take VLANs off the switch (the name stays\n"
    "                                          while another switch has the VLAN)\n"
    "  vlan mode SWITCH PORT access|trunk|hybrid\n"
    "  vlan access SWITCH PORT ID|none         a port's access VLAN\n"
    "  vlan trunk SWITCH PORT join|leave ID... a port's trunk VLANs\n"
    "The raw keywords vlan-id, vlan-access and vlan-trunk take the switch's slot\n"
    "numbers (1..256), not VLAN IDs; ntrctl vlan works with VLAN IDs.\n"
    "\n"
    "Exit status: 0 done; 1 failed (the reason on standard error); 2 usage;\n"
    "3 an adoption question no option answers; 4 another copy of the tool runs;\n"
    "5 the switch was not found in time (a name no switch carries: after one\n"
    "discovery cycle, with the names known); 6 the switch was lost while the\n"
    "command worked on it; 130 a second Ctrl-C abandoned the work.\n";

namespace {

// "VALUE" answers for every switch, "MAC=VALUE" for that switch alone.
bool Answer(std::string_view value, std::string_view first, std::string_view second,
            AdoptionAnswer& out) {
  std::optional<MacAddress> mac;
  if (const std::size_t equals = value.find('='); equals != std::string_view::npos) {
    const SwitchArgument named = ParseSwitchArgument(value.substr(0, equals));
    if (named.kind != SwitchArgument::Kind::kMac) return false;
    mac = named.mac;
    value.remove_prefix(equals + 1);
  }
  if (value != first && value != second) return false;
  if (mac) {
    out.bySwitch[*mac] = value == first;
  } else {
    out.all = value == first;
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
    } else if (name == "--all") {
      if (!flag(options.all)) return false;
    } else if (name == "--raw") {
      if (!flag(options.raw)) return false;
    } else if (name == "-q" || name == "--quiet") {
      if (!flag(options.quiet)) return false;
    } else if (name == "-v" || name == "--verbose") {
      if (!flag(options.verbose)) return false;
    } else if (name == "--dry-run") {
      if (!flag(options.dryRun)) return false;
    } else if (name == "--no-wait") {
      if (!flag(options.noWait)) return false;
    } else if (name == "--once") {
      if (!flag(options.once)) return false;
    } else if (name == "--dot") {
      if (!flag(options.dot)) return false;
    } else if (name == "--metrics-public") {
      if (!flag(options.metricsPublic)) return false;
    } else if (name == "--metrics") {
      const auto v = value();
      if (!v) return false;
      options.metrics = *v;
    } else if (name == "--temperature-limit" || name == "--interval") {
      const auto v = value();
      if (!v) return false;
      const std::string text(*v);
      char* end = nullptr;
      const long number = std::strtol(text.c_str(), &end, 10);
      const bool limit = name == "--temperature-limit";
      const long low = limit ? -40 : 1;
      const long high = limit ? 150 : 3600;
      if (text.empty() || *end != '\0' || number < low || number > high) {
        error = limit ? "--temperature-limit needs degrees Celsius (-40 to 150)"
                      : "--interval needs a number of seconds (1 to 3600)";
        return false;
      }
      if (limit) {
        options.temperatureLimit = static_cast<int>(number);
      } else {
        options.intervalSeconds = static_cast<int>(number);
        options.intervalGiven = true;
      }
    } else if (name == "--file") {
      const auto v = value();
      if (!v) return false;
      options.file = *v;
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
      options.timeoutGiven = true;
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
