#include "device/managed_switch.h"

#include <atomic>

#include "catalogue/switch_model.h"

namespace ntr {
namespace {

std::atomic<std::uint64_t> lastGeneration{0};
std::atomic<std::uint64_t> lastJobId{0};

}  // namespace

ManagedSwitch::ManagedSwitch(TransactionHub& hub, SwitchRecord& record, ConfigSaver* saver,
                             NotificationSink* notices, TickSource ticks)
    : generation_(++lastGeneration),
      client_(hub, record, saver, std::move(ticks)),
      settings_(client_, saver, notices, SwitchRef{record.switchMac.load(), generation_},
                SettingsThread::Hooks{[this] {
                                        HoldBack();
                                        client_.record().readFailed = 0;
                                        adoptAgain_ = true;
                                      },
                                      [this] { Redraw(); },
                                      [this] {
                                        std::function<void()> hook;
                                        {
                                          std::lock_guard<std::mutex> lock(identityHookLock_);
                                          hook = identityHook_;
                                        }
                                        if (hook) hook();
                                      }}),
      notices_(notices) {}

bool ManagedSwitch::heldBack() const { return client_.record().modelCode == kModelUnknown; }

void ManagedSwitch::HoldBack() { client_.record().modelCode = kModelUnknown; }

ManagedSwitch::~ManagedSwitch() {
  active_ = false;
  std::unique_ptr<FirmwareUpdate> firmware;
  std::list<std::unique_ptr<ApplyJob>> jobs;
  {
    std::lock_guard<std::mutex> lock(jobLock_);
    firmware = std::move(firmware_);
    jobs.swap(applyJobs_);
  }
  if (firmware != nullptr) firmware->SwitchGone();
  for (auto& job : jobs) job->RequestStop();
  client_.transactor().Close();  // the request in flight of every job ends at once
  firmware.reset();              // joins
  jobs.clear();                  // joins
  settings_.Stop();
}

bool ManagedSwitch::StartFirmwareUpdate(std::string path, ErrorPair& error) {
  std::unique_ptr<FirmwareUpdate> previous;
  std::lock_guard<std::mutex> lock(jobLock_);
  if (firmware_ != nullptr && !firmware_->finished()) return error.Fail(kErrFirmwareUpdating);
  previous = std::move(firmware_);  // ended: joining it does not wait
  const SwitchRef self = ref();
  firmware_ = std::make_unique<FirmwareUpdate>(
      client_, std::move(path), std::function<bool()>{}, [this, self](int state) {
        if (notices_ == nullptr) return;
        Notice notice{Notification::kFirmwareFinished, state};
        notice.switchRef = self;
        notices_->Post(notice);
      });
  if (firmware_->Start()) return true;
  firmware_.reset();
  return error.Fail(kErrFatal);
}

void ManagedSwitch::AbortFirmwareUpdate() {
  std::lock_guard<std::mutex> lock(jobLock_);
  if (firmware_ != nullptr) firmware_->RequestAbort();
}

ManagedSwitch::FirmwareStatus ManagedSwitch::firmwareStatus() const {
  std::lock_guard<std::mutex> lock(jobLock_);
  FirmwareStatus status;
  if (firmware_ == nullptr) return status;
  status.started = true;
  status.finished = firmware_->finished();
  status.state = firmware_->state();
  status.progress = firmware_->progress();
  status.errorText = firmware_->errorText();
  return status;
}

std::uint64_t ManagedSwitch::StartApply(std::vector<SettingChange> changes, ErrorPair& error) {
  std::list<std::unique_ptr<ApplyJob>> ended;
  std::lock_guard<std::mutex> lock(jobLock_);
  for (auto it = applyJobs_.begin(); it != applyJobs_.end();) {
    auto next = std::next(it);
    if ((*it)->finished()) ended.splice(ended.end(), applyJobs_, it);  // joined without a wait
    it = next;
  }
  const std::uint64_t id = ++lastJobId;
  auto job = std::make_unique<ApplyJob>(client_, notices_, ref(), id, std::move(changes));
  if (!job->Start(error)) return 0;
  applyJobs_.push_back(std::move(job));
  return id;
}

void ManagedSwitch::StopApply(std::uint64_t job) {
  std::lock_guard<std::mutex> lock(jobLock_);
  for (auto& running : applyJobs_) {
    if (running->id() == job) running->RequestStop();
  }
}

std::size_t ManagedSwitch::applyJobsRunning() const {
  std::lock_guard<std::mutex> lock(jobLock_);
  std::size_t count = 0;
  for (const auto& job : applyJobs_) count += job->finished() ? 0 : 1;
  return count;
}

void ManagedSwitch::SetIdentityReadHook(std::function<void()> hook) {
  std::lock_guard<std::mutex> lock(identityHookLock_);
  identityHook_ = std::move(hook);
}

void ManagedSwitch::CountRequest() {
  std::lock_guard<std::mutex> first(requestLock_);
  ++requests_;
}

void ManagedSwitch::MarkAnswered() {
  std::lock_guard<std::mutex> first(requestLock_);
  std::lock_guard<std::mutex> second(answerLock_);
  answered_ = requests_;
}

std::uint32_t ManagedSwitch::Unanswered() const {
  std::lock_guard<std::mutex> first(requestLock_);
  std::lock_guard<std::mutex> second(answerLock_);
  return requests_ - answered_;
}

void ManagedSwitch::SetRedraw(std::function<void()> redraw) {
  std::lock_guard<std::mutex> lock(redrawLock_);
  redraw_ = std::move(redraw);
}

void ManagedSwitch::Redraw() {
  std::function<void()> redraw;
  {
    std::lock_guard<std::mutex> lock(redrawLock_);
    redraw = redraw_;
  }
  if (redraw) redraw();
}

}  // namespace ntr
