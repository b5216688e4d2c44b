#include "cli/ntrctl_session.h"

#include <cstdio>

#include "protocol/net_device.h"

namespace ntr::cli {

Session::Session(const Options& options) : options_(options), operator_(options) {
  app_ = std::make_unique<CMarlApp>(CMarlApp::Parts{operator_, loop_, this, nullptr});
  service_ = std::make_unique<SwitchService>(*app_);
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
  if (!app_ || !service_) return;
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
