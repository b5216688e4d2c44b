#include "app/application.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "base/data_folder.h"
#include "base/error_log.h"
#include "catalogue/function_descriptors.h"
#include "config/config_writer.h"

#ifndef NTR_PRODUCT_VERSION
#define NTR_PRODUCT_VERSION ""
#endif

namespace ntr {
namespace {

std::unique_ptr<AppLink> LinkOrPcap(std::unique_ptr<AppLink> link, NotificationSink* notices) {
  if (link != nullptr) return link;
  return std::make_unique<PcapAppLink>(notices);
}

// A start-up that rejected lines of the file keeps a copy of it.
std::string ConfigKeptText(const std::filesystem::path& file, const std::filesystem::path& copy) {
  return "設定ファイル " + file.string() +
         " に読み込めない行がありました(error_log.txt を参照)。\n"
         "元のファイルを " +
         copy.string() + " に保存しました。";
}

std::string FatalCaptureText(std::int64_t result) {
  char text[96];
  std::snprintf(text, sizeof text, "致命的な通信エラーが発生しました。 (%lld)",
                static_cast<long long>(result));
  return text;
}

}  // namespace

Application::Application(Parts parts)
    : monitor_(parts.monitor),
      op_(parts.op),
      main_(parts.main),
      notices_(parts.notices),
      link_(LinkOrPcap(std::move(parts.link), parts.notices)),
      host_{config_, link_.get()},
      hub_(link_->endpoint(), LookupFunctionTypes),
      adoption_(SwitchAdoption::Parts{host_,
                                      *this,
                                      op_,
                                      notices_,
                                      resetMacs_,
                                      [this] { return stopping_.load(); },
                                      {},
                                      [this](const ErrorPair& error) { SetLastError(error); }},
                SwitchAdoption::Hooks{[this](ManagedSwitch& sw) {
                  std::function<void(ManagedSwitch&)> hook;
                  {
                    std::lock_guard<std::mutex> lock(hookLock_);
                    hook = createdHook_;
                  }
                  if (hook) hook(sw);
                }}),
      monitorAdoption_(config_, notices_),
      discovery_(hub_, main_, notices_,
                 monitor_ ? static_cast<SwitchAdopter&>(monitorAdoption_) : adoption_,
                 Discovery::Hooks{[this](ManagedSwitch& sw) {
                   adoption_.SwitchRemoving(sw);
                   std::function<void(ManagedSwitch&)> hook;
                   {
                     std::lock_guard<std::mutex> lock(hookLock_);
                     hook = removingHook_;
                   }
                   if (hook) hook(sw);
                 }}),
      import_(SettingsImport::Parts{host_, *this, discovery_, adoption_, main_, notices_, op_}) {
  discovery_.Connect();
  if (!hub_.StartReceiveThread()) SetLastError(ErrorPair{kErrReceiveThreadCreate, {}});
  alive_ = true;
  link_->SetSendLog(false);
  link_->SetReceiveLog(false);
}

Application::~Application() {
  Shutdown();
  ExitInstance();
}

bool Application::InitInstance() {
  ErrorPair lockError;
  // A monitor takes a lock of its own and leaves the other copy's files alone.
  if (!instance_.Acquire(monitor_ ? kMonitorLockTitle : kApplicationTitle, lockError, !monitor_)) {
    if (lockError.code != 0) return ShowStartUpFailure(lockError);
    anotherCopyRuns_ = true;  // the window knocks; the running copy comes forward
    return false;
  }
  version_ = NTR_PRODUCT_VERSION;

  if (!(monitor_ ? ReadConfigForMonitor() : ReadConfigAtStartUp())) return false;
  discovery_.SetWatch(config_.watchInterval(), config_.downCount());

  if (!link_->ChooseAdapter(op_)) return ShowLinkFailure();
  if (!link_->StartCapture()) return ShowLinkFailure();
  ErrorPair watchError;
  if (!link_->StartWatch(notices_, adapterLock_, watchError)) {
    SetLastError(ErrorPair{kErrReceiveThreadCreate, {}});
  }
  MacAddress mac{};
  if (link_->AdapterMac(mac)) {
    hub_.SetSourceMac(mac);
    discovery_.SetAdapterMac(mac);
  }
  return true;  // the topology is empty; the window comes next
}

// The file is written back at once, in canonical form. No file leaves the
// defaults and none is made. A file that exists but cannot be read is never
// overwritten: start-up fails. When lines were rejected, the file as it was
// is kept as config_ntr.txt.bak (replacing an older one) before the new one
// is written, and the operator is told.
bool Application::ReadConfigAtStartUp() {
  std::string why;
  if (!MakeDataFolder(&why)) return ShowStartUpFailure(ErrorPair{kErrFileOpen, why});
  const std::filesystem::path path = ConfigFilePath();
  ErrorPair error;
  ReadOptions options;
  options.strict = true;  // false when a line was rejected; the whole file is read regardless
  if (ReadConfigText(host_, config_, path, options, error)) {
    SaveConfigFile(error);
    return true;
  }
  if (error.code == kErrFileOpen) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 || errno != ENOENT) return ShowStartUpFailure(error);
    SetLastError(ErrorPair{});
    return true;
  }
  const std::filesystem::path copy = path.string() + kBackupSuffix;
  if (ErrorPair copyError; !CopyFileAtomically(path, copy, copyError))
    return ShowStartUpFailure(copyError);
  op_.ShowMessage(ConfigKeptText(path, copy), MessageIcon::kNone);
  SaveConfigFile(error);
  return true;
}

// A monitor reads the file as it is (rejected lines are skipped) and never
// writes it, nor a copy of it; no file leaves the defaults.
bool Application::ReadConfigForMonitor() {
  std::string why;
  if (!MakeDataFolder(&why)) return ShowStartUpFailure(ErrorPair{kErrFileOpen, why});
  const std::filesystem::path path = ConfigFilePath();
  ErrorPair error;
  ReadOptions options;
  if (ReadConfigText(host_, config_, path, options, error) || error.code != kErrFileOpen)
    return true;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 || errno != ENOENT) return ShowStartUpFailure(error);
  SetLastError(ErrorPair{});
  return true;
}

bool Application::ShowStartUpFailure(const ErrorPair& error) {
  SetLastError(error);
  op_.ShowMessage(FormatErrorMessage(error) + "\n" + error.detail, MessageIcon::kError);
  return false;
}

bool Application::ShowLinkFailure() {
  const ErrorPair error = link_->error();
  SetLastError(error);
  if (error.code != kErrDeviceChoiceCancelled) {
    op_.ShowMessage(FormatErrorMessage(error), MessageIcon::kError);
  }
  return false;
}

void Application::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  stopping_ = true;
  discovery_.closing = true;
  CloseSwitches(true);
  import_.Finish();
  StopThreads();
  EmptyTopology();
}

int Application::ExitInstance() {
  if (exited_) return 0;
  exited_ = true;
  Shutdown();  // also after a failed start-up: no thread outlives the object
  {
    std::lock_guard<std::mutex> lock(adapterLock_);
    link_->Close();
  }
  config_.ClearStoredRecords();
  alive_ = false;
  instance_.Release();
  return 0;
}

bool Application::Suspend() {
  discovery_.RequestCycle(false, config_.watchInterval() * 1000);
  stopping_ = true;
  CloseSwitches(false);
  if (notices_ != nullptr) notices_->Post(Notice{Notification::kModalRead, 0});
  hub_.StopReceiveThread();
  EmptyTopology();
  op_.EndAdoptionQuestion();
  std::lock_guard<std::mutex> lock(adapterLock_);
  if (link_->Close()) return true;
  SetLastError(link_->error());
  return false;
}

bool Application::Restart() {
  stopping_ = false;
  if (!hub_.StartReceiveThread()) SetLastError(ErrorPair{kErrReceiveThreadCreate, {}});
  {
    std::lock_guard<std::mutex> lock(adapterLock_);
    if (!link_->Reopen()) {
      SetLastError(link_->error());
      return false;
    }
  }
  if (notices_ != nullptr) notices_->Post(Notice{Notification::kPollNow});
  return true;
}

bool Application::SaveConfigFile(ErrorPair& error) {
  if (monitor_) return true;  // a monitor never writes the file
  if (ntr::SaveConfigFile(config_, link_.get(), error)) return true;
  SetLastError(error);
  return false;
}

Application::NoticeResult Application::HandleNotice(const Notice& notice) {
  switch (notice.message) {
    case Notification::kCaptureReadError:
      link_->PauseCapture();
      op_.ShowMessage(FatalCaptureText(notice.value), MessageIcon::kError);
      return NoticeResult::kCloseMainWindow;
    case Notification::kFramesReceived:
      hub_.DrainReceiveQueue();
      return NoticeResult::kHandled;
    case Notification::kFirmwareUpdated:
      discovery_.HandleFirmwareUpdated(notice.switchRef);
      return NoticeResult::kHandled;
    case Notification::kLostCheck:
      discovery_.LostCheck();
      return NoticeResult::kHandled;
    case Notification::kLinkStatus:
      discovery_.HandleLinkStatus(notice.value);
      return NoticeResult::kHandled;
    case Notification::kTopPanelAction:
      if (notice.value != kImportSucceeded && notice.value != kImportFailed) break;
      import_.ShowResult(notice.value);
      return NoticeResult::kHandled;
    case Notification::kSwitchWorkFinished:
      if (notice.switchRef.named()) break;  // a switch's: the window's
      import_.Finish();
      return NoticeResult::kHandled;
    default:
      break;
  }
  return NoticeResult::kNotMine;
}

bool Application::SetWatch(std::int32_t interval, std::int32_t downCount, ErrorPair& error) {
  const std::int32_t oldInterval = config_.watchInterval();
  const std::int32_t oldDownCount = config_.downCount();
  config_.SetWatch(interval, downCount);
  if (!SaveConfigFile(error)) {
    config_.SetWatch(oldInterval, oldDownCount);  // the file keeps the old values: so does the tool
    return false;
  }
  RequestDiscovery(true);
  return true;
}

void Application::RequestDiscovery(bool enabled) {
  if (enabled) discovery_.StartTimer();
  discovery_.SetWatch(config_.watchInterval(), config_.downCount());
  discovery_.RequestCycle(enabled, config_.watchInterval() * 1000);
}

bool Application::ReportSettingFailures(SwitchRecord& record) {
  std::vector<std::string> failures = record.failures.Take();
  if (failures.empty()) return false;
  {
    std::lock_guard<std::mutex> lock(reportLock_);
    reports_.push_back(PendingReport{record.macText.get(), std::move(failures)});
    if (reporting_) return true;  // the call showing a report shows this one next
    reporting_ = true;
  }
  for (;;) {
    PendingReport next;
    {
      std::lock_guard<std::mutex> lock(reportLock_);
      if (reports_.empty()) {
        reporting_ = false;
        return true;
      }
      next = std::move(reports_.front());
      reports_.pop_front();
    }
    op_.ShowSettingFailures(next.macText, next.commands, ErrorLogPath());
  }
}

std::vector<SwitchView> Application::Switches() {
  const std::vector<ManagedSwitch*> switches = discovery_.Switches();
  return {switches.begin(), switches.end()};
}

void Application::SetSwitchCreatedHook(std::function<void(SwitchView)> hook) {
  std::lock_guard<std::mutex> lock(hookLock_);
  createdHook_ = std::move(hook);
}

void Application::SetSwitchRemovingHook(std::function<void(SwitchView)> hook) {
  std::lock_guard<std::mutex> lock(hookLock_);
  removingHook_ = std::move(hook);
}

ErrorPair Application::lastError() const {
  std::lock_guard<std::mutex> lock(errorLock_);
  return lastError_;
}

void Application::SetLastError(const ErrorPair& error) {
  std::lock_guard<std::mutex> lock(errorLock_);
  lastError_ = error;
}

// Every waiting transaction of every active switch ends at once (code 8);
// closed switches also refuse new ones (code 24).
void Application::CloseSwitches(bool close) {
  for (ManagedSwitch* sw : discovery_.Switches()) {
    if (!sw->active()) continue;
    if (close) {
      sw->client().transactor().Close();
    } else {
      sw->client().transactor().AbortWaits();
    }
  }
}

void Application::StopThreads() {
  discovery_.StopTimer();
  hub_.StopReceiveThread();
  link_->StopWatch();
}

// Every switch leaves, then every node of the tree.
void Application::EmptyTopology() {
  discovery_.RemoveAll();
  std::lock_guard<std::mutex> lock(discovery_.topologyLock());
  Topology& topology = discovery_.topology();
  while (!topology.nodes().empty()) topology.Remove(*topology.nodes().front());
}

}  // namespace ntr
