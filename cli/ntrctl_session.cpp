#include "cli/ntrctl_session.h"

#include <algorithm>
#include <cstdio>

#include "app/import_export.h"
#include "catalogue/switch_model.h"
#include "protocol/error_log.h"
#include "protocol/net_device.h"

namespace ntr::cli {

Session::Session(const Options& options) : options_(options), operator_(options) {
  app_ = std::make_unique<CMarlApp>(CMarlApp::Parts{operator_, loop_, this, nullptr});
}

Session::~Session() {
  if (started_) {
    app_->Shutdown();
    app_->ExitInstance();
  }
  loop_.Quit();  // releases a thread still handing a notice over
  app_.reset();
}

int Session::Start() {
  // A named adapter must be a usable one, even when it would be the only one.
  if (!options_.adapter.empty()) {
    CNetDevice probe;
    bool usable = false;
    if (probe.EnumerateAdapters()) {
      for (const auto& adapter : probe.adapters()) usable = usable || adapter.name == options_.adapter;
    }
    if (!usable) {
      operator_.Choose(probe.adapters());  // says so and lists the usable ones
      return kExitFailure;
    }
  }
  if (!app_->InitInstance()) {
    if (app_->anotherCopyRuns()) {
      std::fprintf(stderr, "ntrctl: another copy of the tool is running\n");
      return kExitAnotherCopy;
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

ManagedSwitch* Session::Find(const std::string& who) {
  const auto mac = ParseMac(who);
  for (ManagedSwitch* sw : app_->discovery().Switches()) {
    if (mac ? sw->mac() == *mac : sw->record().systemName.get() == who) return sw;
  }
  return nullptr;
}

bool Session::Settled(ManagedSwitch& sw) {
  const tag_SWITCHDATA& record = sw.record();
  // A switch taken with its own settings keeps the state it had before its
  // read (new); only the busy states count.
  const std::int32_t state = record.switchState;
  const bool busy = state == kStateFirmPrepare || state == kStateFirmTransfer ||
                    state >= kStateSyncQuery;
  return sw.active && sw.settings.identityComplete() && record.modelCode != kModelUnknown &&
         !busy && !sw.settings.synchronising() && !sw.settings.bulkReadRequested();
}

ManagedSwitch* Session::WaitForSwitch(const std::string& who) {
  ManagedSwitch* found = nullptr;
  RunUntil([&] {
    found = Find(who);
    return found != nullptr && Settled(*found);
  });
  return found != nullptr && Settled(*found) ? found : nullptr;
}

bool Session::Poll(ManagedSwitch& sw) {
  const int before = sw.settings.pollsDone();
  ErrorPair error;
  if (!sw.settings.RequestPoll(error)) return false;
  return RunUntil([&] { return sw.settings.pollsDone() > before; });
}

void Session::Post(const Notice& notice) {
  loop_.Post([this, notice] { Handle(notice); });
}

bool Session::Send(const Notice& notice, std::optional<std::chrono::milliseconds> timeout) {
  return loop_.Send([this, notice] { Handle(notice); }, timeout);
}

void Session::Handle(const Notice& notice) {
  if (!app_) return;
  switch (app_->HandleNotice(notice)) {
    case CMarlApp::NoticeResult::kCloseMainWindow:
      fatal_ = true;
      return;
    case CMarlApp::NoticeResult::kHandled:
      if (notice.message == Notification::kTopPanelAction) importResult_ = notice.value;
      return;
    case CMarlApp::NoticeResult::kNotMine:
      break;
  }
  if (notice.message != Notification::kModalRead) return;
  ManagedSwitch* sw = app_->discovery().Find(notice.switchRef);
  const std::uint64_t generation = notice.switchRef.generation;
  if (notice.value == 1) {
    if (sw != nullptr) snapshots_[generation] = std::make_unique<tag_SWITCHDATA>(sw->record());
    return;
  }
  if (sw != nullptr) EndModalRead(*sw);
  snapshots_.erase(generation);
  ++readsEnded_;
}

void Session::EndModalRead(ManagedSwitch& sw) {
  tag_SWITCHDATA& record = sw.record();
  ErrorPair error;
  if (sw.settings.lastRunFailed()) {
    const std::vector<std::string> reasons = record.failures.Take();
    AppendErrorLog(record.macText.get(), reasons.empty() ? "詳細不明" : reasons.front(),
                   "致命的なエラー(機器の読込みに失敗)");
    operator_.ShowMessage(DeviceReadFailedText(sw.mac()), MessageIcon::kError);
    // The window shows only the message; on a terminal the reasons help at once.
    for (const auto& reason : reasons) std::fprintf(stderr, "  %s\n", reason.c_str());
    if (auto snapshot = snapshots_.find(sw.generation); snapshot != snapshots_.end()) {
      CopySettings(record, *snapshot->second);
      record.failures.Clear();
    }
    app_->adoption().KeepRecordOf(sw);
    app_->SaveConfigFile(error);
    record.modelCode = kModelUnknown;
    record.readFailed = 1;
    return;
  }
  app_->adoption().KeepRecordOf(sw);
  app_->SaveConfigFile(error);
}

}  // namespace ntr::cli
