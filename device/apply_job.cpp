#include "device/apply_job.h"

#include <system_error>

namespace ntr {

SettingChange SettingChange::Set(Function function, FunctionIndex index, std::int32_t value) {
  SettingChange change;
  change.kind = Kind::kSet;
  change.function = function;
  change.index = index;
  change.value = value;
  return change;
}

SettingChange SettingChange::SystemName(std::string name) {
  SettingChange change;
  change.kind = Kind::kSystemName;
  change.function = Function::kSystemName;
  change.text = std::move(name);
  return change;
}

SettingChange SettingChange::Execute(Function action) {
  SettingChange change;
  change.kind = Kind::kExecute;
  change.function = action;
  return change;
}

ApplyJob::ApplyJob(SwitchClient& node, NotificationSink* notices, SwitchRef sw, std::uint64_t id,
                   std::vector<SettingChange> changes)
    : node_(node), notices_(notices), switch_(sw), id_(id), changes_(std::move(changes)) {}

ApplyJob::~ApplyJob() { Stop(); }

bool ApplyJob::Start(ErrorPair& error) {
  if (thread_.joinable()) return true;
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    finished_ = true;
    return error.Fail(kErrSettingsThreadCreate);
  }
  return true;
}

void ApplyJob::RequestStop() { stop_ = true; }

void ApplyJob::Stop() {
  RequestStop();
  if (thread_.joinable()) thread_.join();
}

bool ApplyJob::Send(const SettingChange& change, ErrorPair& error) {
  switch (change.kind) {
    case SettingChange::Kind::kSet:
      return node_.Set(change.function, change.index, change.value, Commit::kOperatorChange, error);
    case SettingChange::Kind::kSystemName:
      return node_.SetSystemName(change.text, Commit::kOperatorChange, error);
    case SettingChange::Kind::kExecute:
      return node_.Execute(change.function, error);
  }
  return error.Fail(kErrFatal);
}

void ApplyJob::Run() {
  Notice result{Notification::kApplyResult};
  result.value = -1;
  result.switchRef = switch_;
  result.job = id_;
  for (std::size_t i = 0; i < changes_.size(); ++i) {
    if (stop_) {
      result.error.Fail(kErrWindowClosed);
      break;
    }
    if (!Send(changes_[i], result.error)) {
      result.value = static_cast<std::int64_t>(i);
      break;
    }
  }
  finished_ = true;
  if (notices_ != nullptr) notices_->Post(result);
}

}  // namespace ntr
