#include "cli/ntrctl_session.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>

#include "app/settings_diff.h"
#include "base/data_folder.h"
#include "cli/ntrctl_diff.h"
#include "cli/ntrctl_errors.h"
#include "cli/ntrctl_words.h"
#include "link/capture_handle.h"
#include "link/pcap_endpoint.h"

namespace ntr::cli {

namespace {

// What to run once so that ntrctl may capture without root (as the README says).
void PrintCapabilityHint() {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) self = "ntrctl";
  std::fprintf(stderr,
               "ntrctl: run it as root, or give the program the capabilities once:\n"
               "  sudo setcap cap_net_raw,cap_net_admin+ep %s\n",
               self.c_str());
}

}  // namespace

Session::Session(const Options& options) : options_(options), operator_(options) {
  app_ = std::make_unique<Application>(
      Application::Parts{operator_, loop_, this, nullptr, MonitorCommand(options.command)});
  service_ = std::make_unique<SwitchService>(*app_);
  operator_.SetChangeDescriber([this](const MacAddress& mac) { DescribeChange(mac); });
}

Session::~Session() {
  if (started_) {
    app_->Shutdown();
    app_->ExitInstance();
  }
  loop_.Quit();  // releases a thread still handing a notice over
  service_.reset();
  app_.reset();
}

void Session::SetCommandSwitch(const SwitchArgument& target) {
  commandTarget_ = target;
  commandSwitch_ = [this](const MacAddress& mac) {
    const SwitchArgument& wanted = commandTarget_;
    if (wanted.kind == SwitchArgument::Kind::kMac) return mac == wanted.mac;
    // A name: only a switch known under another name is someone else.
    const ManagedSwitch* sw = app_->discovery().FindByMac(mac);
    const std::string name = sw != nullptr ? sw->client().record().systemName.get() : "";
    return name.empty() || name == wanted.name;
  };
  operator_.SetCommandSwitch(commandSwitch_, [this](const MacAddress& mac) {
    app_->discovery().RemoveSwitch(app_->discovery().FindByMac(mac));
  });
}

// The settings-changed question shows the difference first (tool "-",
// switch "+"); without a read of the switch, the tool's side alone.
void Session::DescribeChange(const MacAddress& mac) {
  ManagedSwitch* sw = app_->discovery().FindByMac(mac);
  if (sw == nullptr) return;
  if (options_.command == "diff" && commandSwitch_ && commandSwitch_(mac)) {
    // The question is what diff answers: its output, and nothing changed.
    const int status = RunDiff(*service_, *sw, options_);
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(EndRun(status));
  }
  const ServiceResult compared = service_->CompareWithSwitch(*sw);
  if (compared.ok) {
    std::fprintf(stderr, "settings of the tool (-) and of the switch (+):\n");
    for (const auto& line : compared.details)
      std::fprintf(stderr, "  %s\n", TerminalText(line).c_str());
    return;
  }
  std::fprintf(stderr,
               "the switch's settings could not be read (%s); the tool's settings for it:\n",
               compared.text.c_str());
  for (const auto& line : BlockSettingLines(sw->record()))
    std::fprintf(stderr, "  %s\n", TerminalText(line).c_str());
}

int Session::Start() {
  // A named adapter must be a usable one, even when it would be the only one.
  if (!options_.adapter.empty()) {
    PcapEndpoint probe;
    bool usable = false;
    if (probe.EnumerateAdapters()) {
      for (const auto& adapter : probe.adapters())
        usable = usable || adapter.name == options_.adapter;
    }
    if (!usable) {
      operator_.Choose(probe.adapters());  // says so and lists the usable ones
      return kExitFailure;
    }
  }
  // The lock of the single copy lives in the data folder: without one there
  // is nothing to lock (and nowhere to keep the configuration).
  if (std::string why; !MakeDataFolder(&why)) {
    ReportError(why);
    return kExitFailure;
  }
  if (!app_->InitInstance()) {
    if (app_->anotherCopyRuns()) {
      ReportError("another copy of the tool is running on " + DataFolder().string());
      return kExitAnotherCopy;
    }
    const ErrorPair error = app_->lastError();
    if (error.code == kErrDeviceOpen &&
        error.detail.find(kCapturePermissionHint) != std::string::npos) {
      PrintCapabilityHint();
    }
    return kExitFailure;  // the operator was told why (or cancelled the choice)
  }
  started_ = true;
  return kExitOk;
}

void Session::RunDiscovery(int intervalMs) {
  app_->RequestDiscovery(true);
  app_->discovery().RequestCycle(true, intervalMs);
}

bool Session::RunUntil(const std::function<bool()>& done) {
  return RunUntil(done, std::chrono::seconds(options_.timeoutSeconds));
}

bool Session::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  return loop_.RunUntil([&] { return fatal_ || done(); }, timeout) && !fatal_;
}

bool Session::RunUntilSettled(std::uint32_t quietCycles) {
  return RunUntilQuiet(quietCycles, Settled);
}

bool Session::RunUntilQuiet(std::uint32_t quietCycles,
                            const std::function<bool(ManagedSwitch&)>& settled,
                            const std::function<bool()>& cancelled) {
  Discovery& discovery = app().discovery();
  std::size_t count = 0;
  std::uint32_t stableSince = discovery.cyclesRun();
  return RunUntil([&] {
    if (cancelled && cancelled()) return true;
    const auto list = discovery.Switches();
    if (list.size() != count) {
      count = list.size();
      stableSince = discovery.cyclesRun();
    }
    for (ManagedSwitch* sw : list) {
      if (!settled(*sw)) return false;
    }
    return discovery.cyclesRun() >= stableSince + quietCycles;
  });
}

std::vector<ManagedSwitch*> Session::Matching(const SwitchArgument& ref) {
  std::vector<ManagedSwitch*> found;
  if (ref.kind == SwitchArgument::Kind::kMalformedMac) return found;
  for (ManagedSwitch* sw : app_->discovery().Switches()) {
    if (ref.kind == SwitchArgument::Kind::kMac ? sw->mac() == ref.mac
                                               : sw->record().systemName.get() == ref.name) {
      found.push_back(sw);
    }
  }
  return found;
}

ManagedSwitch* Session::Find(const std::string& who) {
  const auto found = Matching(ParseSwitchArgument(who));
  return found.size() == 1 ? found.front() : nullptr;
}

SwitchLookup Session::WaitForSwitch(const std::string& who) {
  SwitchArgument ref = ParseSwitchArgument(who);
  SwitchLookup lookup;
  if (ref.kind == SwitchArgument::Kind::kName) {
    // The tool's own records first: a switch it keeps answers by its MAC,
    // also when the switch itself does not carry the name yet (an import
    // renamed it).
    std::vector<MacAddress> stored;
    for (const RecordPtr& record : app_->config().StoredRecords()) {
      if (KnownName(*record) == ref.name) stored.push_back(record->switchMac);
    }
    if (stored.size() > 1) {
      for (const MacAddress& mac : stored) lookup.sameName.push_back(FormatSwitchMac(mac));
      return lookup;
    }
    if (stored.size() == 1) {
      ref.kind = SwitchArgument::Kind::kMac;
      ref.mac = stored.front();
      if (commandSwitch_) commandTarget_ = ref;
    }
  }
  RunDiscovery();
  Discovery& discovery = app_->discovery();
  std::size_t count = 0;
  std::uint32_t stableSince = discovery.cyclesRun();
  const auto settled = [&] {
    std::vector<ManagedSwitch*> ready;
    for (ManagedSwitch* sw : Matching(ref)) {
      if (Settled(*sw)) ready.push_back(sw);
    }
    return ready;
  };
  RunUntil([&] {
    if (ref.kind == SwitchArgument::Kind::kMac) return !settled().empty();
    // A name of no record: wait until every switch found so far has told its
    // name (those of that name are settled) and no new one came in a whole
    // discovery cycle.
    const auto list = discovery.Switches();
    if (list.size() != count) {
      count = list.size();
      stableSince = discovery.cyclesRun();
    }
    for (ManagedSwitch* sw : list) {
      if (StatusOf(*sw).phase == SwitchPhase::kIdentifying) return false;
    }
    for (ManagedSwitch* sw : Matching(ref)) {
      if (!Settled(*sw)) return false;
    }
    return discovery.cyclesRun() >= stableSince + 1;
  });
  const auto ready = settled();
  if (ready.size() == 1) {
    lookup.found = ready.front();
  } else if (ready.empty() && ref.kind == SwitchArgument::Kind::kName) {
    lookup.knownNames = KnownNames();
  } else {
    for (ManagedSwitch* sw : ready) lookup.sameName.push_back(FormatSwitchMac(sw->mac()));
  }
  return lookup;
}

std::vector<std::string> Session::KnownNames() {
  std::map<MacAddress, std::string> names;
  for (const RecordPtr& record : app_->config().StoredRecords())
    names[record->switchMac] = KnownName(*record);
  for (ManagedSwitch* sw : app_->discovery().Switches()) {
    if (names.count(sw->mac()) == 0) names[sw->mac()] = sw->record().systemName.get();
  }
  std::vector<std::string> known;
  for (const auto& [mac, name] : names) {
    if (!name.empty()) known.push_back(TerminalText(name) + " (" + FormatSwitchMac(mac) + ")");
  }
  std::sort(known.begin(), known.end());
  return known;
}

Session::SwitchWait Session::RunWithSwitch(const SwitchRef& ref,
                                           const std::function<bool(ManagedSwitch&)>& done,
                                           std::optional<std::chrono::milliseconds> timeout) {
  Discovery& discovery = app_->discovery();
  const auto ended = [&] {
    ManagedSwitch* sw = discovery.Find(ref);
    return sw == nullptr || done(*sw);
  };
  const bool finished = timeout ? RunUntil(ended, *timeout) : RunUntil(ended);
  if (discovery.Find(ref) == nullptr) return SwitchWait::kLost;
  return finished ? SwitchWait::kDone : SwitchWait::kTimedOut;
}

Session::SwitchWait Session::Poll(const SwitchRef& ref) {
  ManagedSwitch* sw = app_->discovery().Find(ref);
  if (sw == nullptr) return SwitchWait::kLost;
  const int before = sw->settings().pollsDone();
  ErrorPair error;
  if (!sw->settings().RequestPoll(error)) return SwitchWait::kTimedOut;
  return RunWithSwitch(ref,
                       [&](ManagedSwitch& now) { return now.settings().pollsDone() > before; });
}

void Session::Post(const Notice& notice) {
  loop_.Post([this, notice] { Handle(notice); });
}

bool Session::Send(const Notice& notice, std::optional<std::chrono::milliseconds> timeout) {
  return loop_.Send([this, notice] { Handle(notice); }, timeout);
}

void Session::Handle(const Notice& notice) {
  if (!app_ || !service_) return;
  switch (app_->HandleNotice(notice)) {
    case Application::NoticeResult::kCloseMainWindow:
      fatal_ = true;
      return;
    case Application::NoticeResult::kHandled:
      if (notice.message == Notification::kTopPanelAction) importResult_ = notice.value;
      return;
    case Application::NoticeResult::kNotMine:
      break;
  }
  const auto read = service_->HandleModalRead(notice);
  if (!read) return;
  if (!read->ok && !read->text.empty()) {
    operator_.ShowMessage(read->text, MessageIcon::kError);
    // The window shows only the message; on a terminal the reasons help at once.
    for (const auto& reason : read->details) std::fprintf(stderr, "  %s\n", reason.c_str());
  }
  ++readsEnded_;
}

}  // namespace ntr::cli
