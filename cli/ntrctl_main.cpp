// ntrctl: the tool's core on the command line (its manual is in the README).
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/import_export.h"
#include "app/settings_diff.h"
#include "catalogue/qos_speed.h"
#include "catalogue/status_texts.h"
#include "catalogue/switch_model.h"
#include "cli/ntrctl_adapters.h"
#include "cli/ntrctl_diff.h"
#include "cli/ntrctl_errors.h"
#include "cli/ntrctl_interrupt.h"
#include "cli/ntrctl_keywords.h"
#include "cli/ntrctl_list.h"
#include "cli/ntrctl_session.h"
#include "cli/ntrctl_switch_argument.h"
#include "cli/ntrctl_verbosity.h"
#include "cli/ntrctl_version.h"
#include "cli/ntrctl_vlan.h"
#include "cli/ntrctl_watch.h"
#include "cli/ntrctl_words.h"
#include "config/config_writer.h"
#include "config/setting_lines.h"
#include "device/firmware_update.h"
#include "link/pcap_endpoint.h"
#include "metrics/listen_address.h"
#include "metrics/metrics_endpoint.h"

namespace ntr::cli {
namespace {

std::atomic<bool> interrupted{false};
void OnInterrupt(int) { interrupted = true; }

int Fail(const std::string& text) {
  ReportError(text);
  return kExitFailure;
}
int Fail(const ErrorPair& error) { return Fail(ErrorText(error)); }
int Fail(const ServiceResult& result) { return Fail(ErrorText(result)); }
// The switch went from management while the command waited on it.
int SwitchLost(const SwitchRef& ref) {
  ReportError("switch " + FormatSwitchMac(ref.mac) +
              " lost: it left management while the command ran");
  return kExitSwitchLost;
}
// The end of a wait on a switch that did not end done.
int WaitFailed(Session::SwitchWait wait, const SwitchRef& ref) {
  return wait == Session::SwitchWait::kLost ? SwitchLost(ref)
                                            : Fail(FormatErrorMessage(kErrNoResponse));
}
int Usage(const std::string& text) {
  ReportError(text);
  std::fprintf(stderr, "%s\n", kUsageHint);
  return kExitUsage;
}

// A progress bar on a terminal's standard error.
class Progress {
 public:
  void Show(int percent) {
    if (Quiet() || !isatty(STDERR_FILENO) || percent == last_) return;
    last_ = percent;
    const int filled = percent / 5;
    std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, "####################", 20 - filled, "",
                 percent);
    std::fflush(stderr);
  }
  // The work is done: the bar ends full.
  void Done() {
    if (last_ >= 0) Show(100);
  }
  ~Progress() {
    if (last_ >= 0) std::fprintf(stderr, "\n");
  }

 private:
  int last_ = -1;
};

// The 0-based indexes a member takes from the command's 1-based words.
bool Indexes(const FunctionDescriptor& function, const std::vector<std::string>& words,
             std::size_t at, int& first, int& second, std::size_t& used) {
  const auto number = [&](std::size_t i, int& out) {
    if (i >= words.size()) return false;
    const auto value = ParseDecimal(words[i]);
    if (!value || *value < 1 || *value > 65536) return false;
    out = static_cast<int>(*value - 1);
    return true;
  };
  first = second = 0;
  used = static_cast<std::size_t>(IndexCount(function));
  return (used < 1 || number(at, first)) && (used < 2 || number(at + 1, second));
}

// Every setting the switch's model has, defaults included, in the file's grammar.
std::vector<std::string> AllSettingLines(const SwitchRecord& record) {
  std::vector<std::string> lines;
  for (const FunctionDescriptor& function : AllFunctions()) {
    if (function.functionClass != FunctionClass::kSetting || !function.Requested() ||
        !ModelHasFunction(function, record.modelCode) ||
        (function.field == nullptr && function.text == nullptr)) {
      continue;
    }
    ForEachIndex(function, record, [&](int first, int second) {
      std::string line = "switch control function set " + std::string(function.keyword);
      const int indexes = IndexCount(function);
      if (indexes >= 1) line += " " + std::to_string(first + 1);
      if (indexes >= 2) line += " " + std::to_string(second + 1);
      lines.push_back(line + " " + ConfigValueText(record, function.function, first, second));
      return true;
    });
  }
  return lines;
}

void PrintSwitch(const ManagedSwitch& sw, bool json, bool all = false) {
  const SwitchRecord& r = sw.client().record();
  char fingerprint[12];
  std::snprintf(fingerprint, sizeof fingerprint, "%08x", r.currentFingerprint.load());
  const auto lines = all ? AllSettingLines(r) : SwitchBlockLines(r);
  const bool fan = r.modelCode == kModel24G;
  const bool poe = r.modelCode == kModel8PoE;
  if (json) {
    std::printf(
        "{\"mac\":%s,\"model\":%s,\"serial\":%s,\"firmware\":%s,\"bootRom\":%s,\"name\":%s,"
        "\"fingerprint\":\"%s\",\"settings\":[",
        JsonString(r.macText.get()).c_str(), JsonString(r.modelName.get()).c_str(),
        JsonString(r.serialNumber.get()).c_str(), JsonString(r.firmwareRevision.get()).c_str(),
        JsonString(r.bootRomVersion.get()).c_str(), JsonString(r.systemName.get()).c_str(),
        fingerprint);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      std::printf("%s%s", i ? "," : "", JsonString(lines[i]).c_str());
    }
    std::printf("],\"fan\":");
    if (fan) {
      std::printf("{\"state\":%d,\"text\":%s}", r.fanState.load(),
                  JsonString(FanStateText(r.fanState)).c_str());
    } else {
      std::printf("null");
    }
    std::printf(",\"ports\":[");
    for (int p = 0; p < r.portCount; ++p) {
      const PortStatus& s = r.portStatus[static_cast<std::size_t>(p)];
      std::printf(
          "%s{\"port\":%d,\"linkSpeed\":%d,\"link\":%s,\"loopState\":%d,\"loop\":%s,\"poeState\":",
          p ? "," : "", p + 1, s.linkSpeed.load(), JsonString(LinkSpeedText(s.linkSpeed)).c_str(),
          s.loopState.load(), JsonString(LoopStateText(s.loopState)).c_str());
      if (poe) {
        std::printf("%d,\"poe\":%s}", s.poeState.load(),
                    JsonString(PoeStateText(s.poeState)).c_str());
      } else {
        std::printf("null}");
      }
    }
    std::printf("]}\n");
    return;
  }
  // Texts from the switch are escaped for the terminal.
  std::printf(
      "mac: %s\nmodel: %s\nserial: %s\nfirmware: %s\nboot-rom: %s\nname: %s\nfingerprint: %s\n",
      r.macText.get().c_str(), TerminalText(r.modelName.get()).c_str(),
      TerminalText(r.serialNumber.get()).c_str(), TerminalText(r.firmwareRevision.get()).c_str(),
      TerminalText(r.bootRomVersion.get()).c_str(), TerminalText(r.systemName.get()).c_str(),
      fingerprint);
  if (fan) std::printf("fan: %s\n", FanStateText(r.fanState).c_str());
  std::printf("settings:\n");
  for (const auto& line : lines) std::printf("  %s\n", TerminalText(line).c_str());
  std::printf("ports:\n");
  for (int p = 0; p < r.portCount; ++p) {
    const PortStatus& s = r.portStatus[static_cast<std::size_t>(p)];
    std::printf("  port %d: %s loop=%s", p + 1, LinkSpeedText(s.linkSpeed).c_str(),
                LoopStateText(s.loopState).c_str());
    if (poe) std::printf(" poe=%s", PoeStateText(s.poeState).c_str());
    std::printf("\n");
  }
}

int Adapters(const Options& options) {
  PcapEndpoint device;
  if (!device.EnumerateAdapters()) return Fail(device.error());
  PrintAdapters(stdout, device.adapters(), options.json);
  return kExitOk;
}

void PrintTree(Discovery& discovery, const TopologyNode& node, int depth, bool json, bool& first) {
  if (const ManagedSwitch* sw = node.managed) {
    const SwitchRecord& r = sw->client().record();
    if (json) {
      const std::string parent =
          node.parent == nullptr ? "null" : JsonString(FormatSwitchMac(node.parent->switchMac));
      std::printf(
          "%s{\"mac\":%s,\"model\":%s,\"serial\":%s,\"firmware\":%s,\"name\":%s,\"parent\":%s,"
          "\"uplinkPort\":%d}",
          first ? "" : ",", JsonString(r.macText.get()).c_str(),
          JsonString(r.modelName.get()).c_str(), JsonString(r.serialNumber.get()).c_str(),
          JsonString(r.firmwareRevision.get()).c_str(), JsonString(r.systemName.get()).c_str(),
          parent.c_str(), node.uplinkPort + 1);
      first = false;
    } else {
      std::printf(
          "%*s%s %s serial=%s firmware=%s name=%s\n", depth * 4, "", r.macText.get().c_str(),
          TerminalText(r.modelName.get()).c_str(), TerminalText(r.serialNumber.get()).c_str(),
          TerminalText(r.firmwareRevision.get()).c_str(), TerminalText(r.systemName.get()).c_str());
    }
  }
  for (const auto& port : node.ports) {
    for (const auto& entry : port) {
      if (entry.child != nullptr) PrintTree(discovery, *entry.child, depth + 1, json, first);
    }
  }
}

int Discover(Session& session) {
  session.RunDiscovery();
  session.RunUntilSettled(3);
  Discovery& discovery = session.app().discovery();
  if (session.fatal()) return kExitFailure;
  const bool json = session.options().json;
  if (json) std::printf("{\"switches\":[");
  bool first = true;
  {
    std::lock_guard<std::mutex> lock(discovery.topologyLock());
    for (const auto& entry : discovery.topology().rootPort()) {
      if (entry.child != nullptr) PrintTree(discovery, *entry.child, 0, json, first);
    }
  }
  if (json) std::printf("]}\n");
  return kExitOk;
}

int GetOrSet(Session& session, ManagedSwitch& sw, bool set) {
  const auto& args = session.options().arguments;
  if (args.size() < 2) return Usage("missing keyword");
  const FunctionDescriptor* function = FindCommandKeyword(args[1]);
  if (function == nullptr || !function->Requested()) {
    return Usage("unknown keyword " + args[1] + " (see ntrctl keywords)");
  }
  const std::string keyword(function->keyword);  // as the wire and the file spell it
  int first = 0, second = 0;
  std::size_t used = 0;
  if (!Indexes(*function, args, 2, first, second, used)) return Usage("missing or bad index");
  const FunctionIndex index(first, second);
  SwitchRecord& record = sw.record();
  // The setting line's words: the keyword as the file spells it, then the arguments.
  std::vector<std::string_view> words{"switch", "control", "function", "set", keyword};
  for (std::size_t i = 2; i < args.size(); ++i) words.emplace_back(args[i]);
  if (const std::string range = IndexRangeProblem(words, record.portCount, record.counterCount);
      !range.empty()) {
    return Fail(range);
  }
  const bool json = session.options().json;
  // The value as the file spells it; with --json an object naming what it is.
  const auto print = [&] {
    // A status in the words show prints, unless its code is asked for.
    const std::string value =
        function->statusWords != nullptr && !session.options().raw
            ? function->statusWords(StoredValue(*function, record, first, second))
            : ConfigValueText(record, function->function, first, second);
    if (!json) {
      std::printf("%s\n", TerminalText(value).c_str());
      return;
    }
    std::printf("{\"mac\":%s,\"keyword\":%s,\"indexes\":[",
                JsonString(record.macText.get()).c_str(), JsonString(keyword).c_str());
    if (used >= 1) std::printf("%d", first + 1);
    if (used >= 2) std::printf(",%d", second + 1);
    std::printf("],\"value\":%s}\n", JsonString(value).c_str());
  };
  ErrorPair error;
  if (!set) {
    if (args.size() != 2 + used) return Usage("too many arguments");
    if (!sw.client().Get(function->function, index, error)) return Fail(error);
    print();
    return kExitOk;
  }
  // The value goes through the configuration file's own line rules.
  SwitchRecord wanted = record;
  if (const auto rejected =
          StoreSettingLine(wanted, words, record.portCount, record.counterCount)) {
    std::string text(RejectionReason(*rejected));
    const std::string allowed = AllowedValuesText(*function);
    if (*rejected == LineRejection::kBadParameter && !allowed.empty()) {
      text += " (" + keyword + ": " + allowed + ")";
    }
    return Fail(text);
  }
  bool ok = false;
  if (function->value == ValueKind::kText) {
    ok = sw.client().SetSystemName((wanted.*function->text).get(), Commit::kOperatorChange, error);
  } else if (function->value == ValueKind::kQosRate) {
    const std::int32_t raw = StoredValue(*function, wanted, first, second);
    const std::int32_t selection = SelectionOf(raw, record.qosSpeedUnit);
    if (selection == kNoSelection) return Fail(FormatErrorMessage(kErrSpeedValue));
    ok = sw.client().Set(function->function, index, selection, Commit::kOperatorChange, error);
  } else if (function->field != nullptr && function->functionClass == FunctionClass::kSetting) {
    ok = sw.client().Set(function->function, index, StoredValue(*function, wanted, first, second),
                         Commit::kOperatorChange, error);
  } else {
    return Fail(FormatErrorMessage(kErrFunctionInfo, keyword) + " (" + keyword + ")");
  }
  if (!ok) return Fail(error);
  if (json) print();
  return kExitOk;
}

// Waits hold the switch by reference: the loop may remove it and free it.
int Read(Session& session, const SwitchRef& target) {
  const FinishOnInterrupt finishing(
      "ntrctl: finishing the read, Ctrl-C again to abandon\n",
      "ntrctl: read abandoned; the configuration file keeps the settings it had before\n");
  Discovery& discovery = session.app().discovery();
  ErrorPair error;
  const int before = session.readsEnded();
  if (ManagedSwitch* sw = discovery.Find(target); sw == nullptr) {
    return SwitchLost(target);
  } else if (!sw->settings().RequestBulkRead(error)) {
    return Fail(error);
  }
  {
    Progress progress;
    const Session::SwitchWait wait = session.RunWithSwitch(
        target,
        [&](ManagedSwitch& sw) {
          const SwitchStatus status = StatusOf(sw);
          if (status.phase != SwitchPhase::kReading) return session.readsEnded() > before;
          progress.Show(std::min(100, status.done * 100 / std::max(1, status.total)));
          return false;
        },
        std::chrono::minutes(10));
    if (wait == Session::SwitchWait::kLost) return SwitchLost(target);
    if (session.readsEnded() > before && !discovery.Find(target)->settings().lastRunFailed()) {
      progress.Done();
    }
  }
  // The end of the read was taken like the view takes it (Session).
  ManagedSwitch* sw = discovery.Find(target);
  if (sw->settings().lastRunFailed()) return kExitFailure;
  PrintSwitch(*sw, session.options().json);
  return kExitOk;
}

int Apply(Session& session, const SwitchRef& target, const std::string& file) {
  // Cut in the middle, the switch would keep defaults and part of the file.
  const FinishOnInterrupt finishing(
      "ntrctl: finishing the write, Ctrl-C again to abandon\n",
      "ntrctl: write abandoned; the switch holds only the settings written so far "
      "(apply the file again)\n");
  ManagedSwitch* sw = session.app().discovery().Find(target);
  if (sw == nullptr) return SwitchLost(target);
  if (const ServiceResult begun = session.service().BeginApply(*sw, file); !begun.ok) {
    const int status = Fail(begun);
    for (const auto& line : begun.details) ReportErrorDetail(TerminalText(line));
    return status;
  }
  const MacAddress mac = target.mac;
  // The synchronisation runs; afterwards the switch is applied again (it may
  // be taken out and adopted anew on the way: found by MAC, not by generation).
  const Session::SwitchWait synchronising = session.RunWithSwitch(target, [&](ManagedSwitch& now) {
    return StatusOf(now).phase == SwitchPhase::kSynchronising || now.settings().lastSyncDone();
  });
  ManagedSwitch* settled = nullptr;
  session.RunUntil([&] {
    settled = session.Find(FormatSwitchMac(mac));
    return settled != nullptr && settled->settings().lastSyncDone() && Session::Settled(*settled);
  });
  if (settled == nullptr || !Session::Settled(*settled)) {
    return synchronising == Session::SwitchWait::kLost ? SwitchLost(target)
                                                       : Fail(FormatErrorMessage(kErrNoResponse));
  }
  const ServiceResult ended = session.service().EndApply(*settled);
  if (ended.ok) return kExitOk;
  // Settings the switch refused were reported through the operator.
  return ended.text.empty() ? kExitFailure : Fail(ended.text);
}

// apply --dry-run: what apply would send, as diff --file prints it; nothing is sent.
int PlanApply(Session& session, ManagedSwitch& sw, const std::string& file) {
  const ServiceResult compared = session.service().CompareWithFile(sw, file);
  if (!compared.ok) {
    const int status = Fail(compared);
    for (const auto& line : compared.details) ReportErrorDetail(line);
    return status;
  }
  PrintSettingsDiff(compared, FormatSwitchMac(sw.mac()), session.options().json, file);
  return kExitOk;
}

int Import(Session& session, const std::string& file) {
  SettingsImport& import = session.app().import();
  if (import.Begin(file) != SettingsImport::Start::kStarted)
    return Fail(std::string(kImportFailedText));
  session.RunUntil([&] { return session.importResult() != 0 && !import.threadExists(); },
                   std::chrono::minutes(5));
  return session.importResult() == kImportSucceeded ? kExitOk : kExitFailure;
}

// After an update the switch restarts and comes back as another runtime
// object: it is waited for by its MAC, and its revision is the one its
// identity read found.
int WaitForRestart(Session& session, const SwitchRef& updated, const std::string& before) {
  Discovery& discovery = session.app().discovery();
  // A switch that hangs below another one stays managed through the restart:
  // it is taken out, so that it is found and read again when it answers.
  if (discovery.Find(updated) != nullptr) discovery.RemoveSwitch(updated);
  const Options& options = session.options();
  const int limit = options.timeoutGiven ? options.timeoutSeconds : kRestartWaitSeconds;
  const bool shown = !Quiet() && isatty(STDERR_FILENO);
  const auto start = std::chrono::steady_clock::now();
  long lastShown = -1;
  ManagedSwitch* back = nullptr;
  session.RunUntil(
      [&] {
        if (shown) {
          const long waited = std::chrono::duration_cast<std::chrono::seconds>(
                                  std::chrono::steady_clock::now() - start)
                                  .count();
          if (waited != lastShown) {
            lastShown = waited;
            std::fprintf(stderr, "\rwaiting for the switch to restart: %ld s", waited);
            std::fflush(stderr);
          }
        }
        back = discovery.FindByMac(updated.mac);
        return back != nullptr && !(back->ref() == updated) && Session::Settled(*back);
      },
      std::chrono::seconds(limit));
  if (lastShown >= 0) std::fprintf(stderr, "\n");
  if (session.fatal()) return kExitFailure;
  back = discovery.FindByMac(updated.mac);
  if (back == nullptr || back->ref() == updated || !Session::Settled(*back)) {
    return Fail("the switch did not come back within " + std::to_string(limit) +
                " s (the image was sent; see it with ntrctl show " + FormatSwitchMac(updated.mac) +
                ")");
  }
  const std::string now = back->record().firmwareRevision.get();
  if (now == before) {
    return Fail("the switch is back but still reports firmware revision " + TerminalText(now));
  }
  if (!Quiet()) {
    std::printf("the switch is back with firmware revision %s (was %s)\n",
                TerminalText(now).c_str(), TerminalText(before).c_str());
  }
  return kExitOk;
}

int Firmware(Session& session, ManagedSwitch& sw, const std::string& file) {
  // The update belongs to the switch: a removal ends it. The switch is looked
  // up again by MAC and generation on every turn of the loop.
  const SwitchRef target = sw.ref();
  const std::string before = sw.record().firmwareRevision.get();
  SwitchService& service = session.service();
  Discovery& discovery = session.app().discovery();
  std::signal(SIGINT, OnInterrupt);
  if (const ServiceResult started = service.StartFirmware(sw, file); !started.ok) {
    std::signal(SIGINT, SIG_DFL);
    return Fail(started);
  }
  {
    Progress progress;
    bool abortAsked = false;
    session.RunUntil(
        [&] {
          ManagedSwitch* now = discovery.Find(target);
          if (now == nullptr) return true;
          if (interrupted && !abortAsked) {
            service.AbortFirmware(target);
            abortAsked = true;
          }
          const auto status = now->firmwareStatus();
          progress.Show(status.progress);
          if (status.finished && status.state == kFirmwareCompleted) progress.Done();
          return status.finished;
        },
        std::chrono::hours(1));
  }
  std::signal(SIGINT, SIG_DFL);
  const ServiceResult ended = service.FirmwareEnded(target);
  if (!ended.ok) return Fail(ended);
  if (!Quiet()) std::printf("%s\n", ended.text.c_str());
  if (session.options().noWait) return kExitOk;
  std::fflush(stdout);
  return WaitForRestart(session, target, before);
}

constexpr std::string_view kRestartingText =
    "the switch restarts; it is managed again when it is back";

// An action's end in one style: its message, or with --json
// {"ok":true,"action":COMMAND,"mac":MAC,"message":TEXT}.
void PrintActionDone(const Session& session, const MacAddress& mac, std::string_view command,
                     std::string_view text) {
  if (!session.options().json) {
    if (!Quiet()) std::printf("%.*s\n", static_cast<int>(text.size()), text.data());
    return;
  }
  std::printf("{\"ok\":true,\"action\":%s,\"mac\":%s,\"message\":%s}\n",
              JsonString(command).c_str(), JsonString(FormatSwitchMac(mac)).c_str(),
              JsonString(text).c_str());
}

int Action(Session& session, ManagedSwitch& sw, const std::string& command) {
  SwitchService& service = session.service();
  const MacAddress mac = sw.mac();  // a restart may take the switch off the list
  const ServiceResult result = command == "restart"          ? service.Restart(sw)
                               : command == "clear-counters" ? service.ClearCounters(sw)
                                                             : service.RestartPoeSupply(sw);
  if (!result.ok) return Fail(result);
  // The window closes its screen on a restart and says nothing; here it is said.
  PrintActionDone(session, mac, command, result.text.empty() ? kRestartingText : result.text);
  return kExitOk;
}

int FactoryReset(Session& session, ManagedSwitch& sw) {
  const MacAddress mac = sw.mac();  // the reset restarts the switch: it leaves the list
  const FactoryResetResult result = session.service().FactoryReset(sw);
  PrintActionDone(session, mac, "factory-reset", result.text);
  return kExitOk;
}

// "-" is standard output; a file is replaced only when it is a regular one.
int Export(const std::string& destination) {
  ErrorPair error;
  const bool done = destination == "-" ? ExportSettingsTo(STDOUT_FILENO, error)
                                       : ExportSettings(destination, error);
  if (done) return kExitOk;
  if (error.detail.find(kExportNotRegularText) != std::string::npos) {
    return Fail(error.detail + ": only a regular file is replaced (use - for standard output)");
  }
  return Fail(FormatErrorMessage(error) + (error.detail.empty() ? "" : " (" + error.detail + ")"));
}

int Run(const Options& options) {
  const std::string& command = options.command;
  const auto& args = options.arguments;
  if (command == "adapters")
    return options.arguments.empty() ? Adapters(options) : Usage("adapters takes no arguments");
  // Neither needs the network nor privileges.
  if (command == "list") {
    return args.empty() ? ListKnownSwitches(ConfigFilePath(), options.json)
                        : Usage("list takes no arguments");
  }
  if (command == "keywords") {
    if (options.json) {
      SetJsonErrors(false);
      return Usage("--json: keywords has no JSON output");
    }
    if (args.size() > 1) return Usage("keywords takes at most one keyword");
    if (!PrintKeywords(args.empty() ? "" : args[0])) return Usage("unknown keyword " + args[0]);
    return kExitOk;
  }

  static const std::vector<std::string> known = {
      "discover",      "show",   "get",      "set",     "read",           "apply",
      "export",        "import", "firmware", "restart", "clear-counters", "restart-poe",
      "factory-reset", "diff",   "vlan",     "watch",   "topology"};
  if (std::find(known.begin(), known.end(), command) == known.end()) {
    return Usage("unknown command " + command);
  }
  static const std::vector<std::string> withJson = {
      "discover",    "show",          "read", "get",  "set",  "restart", "clear-counters",
      "restart-poe", "factory-reset", "diff", "list", "vlan", "watch",   "topology"};
  const bool planJson = command == "apply" && options.dryRun;  // diff's output
  if (options.json && !planJson &&
      std::find(withJson.begin(), withJson.end(), command) == withJson.end()) {
    SetJsonErrors(false);  // no JSON output at all, not even an error
    return Usage("--json: " + command + " has no JSON output");
  }
  const std::size_t wanted = command == "apply" || command == "firmware"        ? 2
                             : command == "export" || command == "import"       ? 1
                             : command == "discover" || MonitorCommand(command) ? 0
                                                                                : 1;
  if (command == "vlan") {
    if (const std::string problem = VlanUsageProblem(args); !problem.empty()) return Usage(problem);
  } else if (command == "get" || command == "set" ? args.size() < 2 : args.size() != wanted) {
    return Usage("wrong number of arguments for " + command);
  }
  const bool namesSwitch = command != "discover" && command != "export" && command != "import" &&
                           !MonitorCommand(command);
  // vlan's first word is its subcommand; the switch follows.
  const std::string& switchWord = command == "vlan" ? args[1] : args.empty() ? command : args[0];
  if (namesSwitch && ParseSwitchArgument(switchWord).kind == SwitchArgument::Kind::kMalformedMac) {
    return Usage("malformed MAC address " + switchWord +
                 " (six hex pairs: 02:5C:71:00:00:01, 02-5C-71-00-00-01 or 025C71000001)");
  }

  if (options.all && command != "show") return Usage("--all: only show takes it");
  if (options.raw && command != "get") return Usage("--raw: only get takes it");
  if (options.quiet && options.verbose) return Usage("-q and -v exclude each other");
  if (options.dryRun && command != "apply") return Usage("--dry-run: only apply takes it");
  if (!options.file.empty() && command != "diff") return Usage("--file: only diff takes it");
  if (options.noWait && command != "firmware") return Usage("--no-wait: only firmware takes it");
  if (options.once && command != "watch") return Usage("--once: only watch takes it");
  if (options.intervalGiven && command != "watch") return Usage("--interval: only watch takes it");
  if (options.temperatureLimit && command != "watch")
    return Usage("--temperature-limit: only watch takes it");
  if (options.dot && command != "topology") return Usage("--dot: only topology takes it");
  if ((!options.metrics.empty() || options.metricsPublic) && command != "watch") {
    return Usage("--metrics, --metrics-public: only watch takes them");
  }
  if (options.metricsPublic && options.metrics.empty())
    return Usage("--metrics-public: give --metrics too");
  if (!options.metrics.empty() && options.once)
    return Usage("--metrics and --once exclude each other");
  if (!options.metrics.empty()) {
    ErrorPair error;
    ListenAddress listen;
    if (!ParseListenAddress(options.metrics, options.metricsPublic, listen, error))
      return Usage(error.detail);
  }
  if (options.dot && options.json) return Usage("--dot and --json exclude each other");
  const auto answers = [](const AdoptionAnswer& a) {
    return a.all.has_value() || !a.bySwitch.empty();
  };
  if (MonitorCommand(command) && (answers(options.newDevice) || answers(options.settingsChanged) ||
                                  answers(options.factoryState))) {
    return Usage("--new, --changed, --factory: " + command + " asks nothing (it only reads)");
  }

  Session session(options);
  if (namesSwitch) session.SetCommandSwitch(ParseSwitchArgument(switchWord));
  if (const int status = session.Start(); status != kExitOk) return status;
  if (options.verbose) TraceRequests(session.app().hub());
  if (command == "discover") return Discover(session);
  if (MonitorCommand(command)) {
    WatchRun watch(session);
    // Declared after the session, so it stops (and joins its threads) first.
    MetricsEndpoint metrics;
    if (!options.metrics.empty()) {
      ErrorPair error;
      if (!metrics.Start(options.metrics, options.metricsPublic, error)) {
        ReportError(error.detail);
        return kExitFailure;
      }
      if (!options.quiet)
        std::fprintf(stderr, "serving metrics at http://%s/metrics\n", metrics.address().c_str());
      watch.SetPublished(
          [&metrics](const NetworkSnapshot& snapshot) { metrics.Publish(snapshot); });
    }
    return command == "watch" ? watch.Watch() : watch.Topology();
  }
  if (command == "export") return Export(args[0]);
  if (command == "import") return Import(session, args[0]);

  const SwitchLookup lookup = session.WaitForSwitch(switchWord);
  ManagedSwitch* sw = lookup.found;
  if (session.fatal()) return kExitFailure;
  if (!lookup.sameName.empty()) {
    std::string macs;
    for (const auto& mac : lookup.sameName) macs += "\n  " + mac;
    return Fail("several switches are named " + switchWord +
                "; name one by its MAC address:" + macs);
  }
  if (sw == nullptr) {
    std::string text = "switch " + switchWord + " not found";
    if (!lookup.knownNames.empty()) text += "; known names:";
    for (const auto& name : lookup.knownNames) text += "\n  " + name;
    ReportError(text);
    return kExitNotFound;
  }
  // From here on the command holds the switch by reference (see Read).
  const SwitchRef target = sw->ref();
  if (command == "show") {
    ErrorPair error;
    if (!sw->client().Get(Function::kBootRomVersion, error)) return Fail(error);
    if (const auto wait = session.Poll(target); wait != Session::SwitchWait::kDone) {
      return WaitFailed(wait, target);
    }
    sw = session.app().discovery().Find(target);
    if (sw == nullptr) return SwitchLost(target);
    PrintSwitch(*sw, options.json, options.all);
    return kExitOk;
  }
  if (command == "get") return GetOrSet(session, *sw, false);
  if (command == "set") return GetOrSet(session, *sw, true);
  if (command == "read") return Read(session, target);
  if (command == "diff") return RunDiff(session.service(), *sw, options);
  if (command == "apply")
    return options.dryRun ? PlanApply(session, *sw, args[1]) : Apply(session, target, args[1]);
  if (command == "firmware") return Firmware(session, *sw, args[1]);
  if (command == "factory-reset") return FactoryReset(session, *sw);
  if (command == "vlan") return RunVlan(session, *sw);
  return Action(session, *sw, command);
}

}  // namespace
}  // namespace ntr::cli

int main(int argc, char** argv) {
  using namespace ntr::cli;
  Options options;
  std::string error;
  // An error in the options themselves is told in JSON when --json was asked for.
  for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i) {
    if (std::string_view(argv[i]) == "--json") SetJsonErrors(true);
  }
  if (!ParseOptions(argc, argv, options, error)) return EndRun(Usage(error));
  SetJsonErrors(options.json);
  SetQuiet(options.quiet);
  if (options.help) {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  if (options.version) {
    std::printf("ntrctl %s\n", kVersion);
    return kExitOk;
  }
  return EndRun(Run(options));
}
