#include "app/switch_service.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "app/application.h"
#include "app/factory_reset.h"
#include "app/settings_diff.h"
#include "app/vlan_table_edit.h"
#include "base/error_log.h"
#include "catalogue/switch_model.h"
#include "config/config_writer.h"
#include "config/setting_lines.h"
#include "device/switch_phase.h"

namespace ntr {
namespace {

ServiceResult Failed(const ErrorPair& error) {
  ServiceResult result;
  result.ok = false;
  result.error = error;
  result.text = FormatErrorMessage(error);
  return result;
}

ServiceResult Failed(std::string_view text) {
  ServiceResult result;
  result.ok = false;
  result.text = std::string(text);
  return result;
}

}  // namespace

SwitchService::SwitchService(Application& app) : app_(app) {}

FactoryResetResult SwitchService::FactoryReset(ManagedSwitch& sw) {
  SwitchRecord& record = sw.record();
  std::vector<std::int32_t> former;
  for (const auto& id : record.vlanIds) {
    if (id != 1) former.push_back(id);
  }
  app_.resetMacs().Add(sw.mac());
  ResetRecordToFactory(sw);
  FactoryResetResult result;
  result.keptVlanIds =
      DropVlanNamesAfterReset(app_.config(), app_.adoption().ManagedRecords(), former);
  ComputeFingerprint(record);
  ErrorPair error;
  app_.SaveConfigFile(error);  // a failure stays in the application's last error
  if (!result.keptVlanIds.empty()) {
    result.text = std::string(kFactoryResetDoneText) + "\n" + std::string(kVlanNamesKeptText);
    for (const std::string& line : VlanIdListLines(result.keptVlanIds)) result.text += "\n" + line;
  }
  SwitchRestarting(sw);
  return result;
}

ServiceResult SwitchService::LoadBlock(const SwitchRecord& record,
                                       const std::filesystem::path& file, ConfigHost& host,
                                       std::shared_ptr<SwitchRecord>& block) {
  // A block holds the switch's whole setting state: a setting it does not
  // list is at its default. So it is read onto the switch's factory
  // settings, not onto its current ones, and a file saved earlier brings
  // back exactly what it holds.
  SwitchRecord factory(record);
  ResetSettingsToFactory(factory);
  ConfigStore loaded;
  ReadOptions options;
  options.filter = &factory;
  options.portCount = record.portCount;
  options.counterCount = record.counterCount;
  FilterBlockReport report;
  options.filterReport = &report;
  ErrorPair error;
  if (!ReadConfigText(host, loaded, file, options, error)) return Failed(error);
  const auto records = loaded.StoredRecords();
  if (!report.found || records.empty()) return Failed(kNoSettingsInFileText);
  // A block with rejected lines is not applied at all: nothing is sent.
  if (!report.rejected.empty()) {
    ServiceResult result = Failed(kApplyFailedText);
    for (const auto& line : report.rejected) {
      // An index out of range is named: the reason alone points at the value.
      std::vector<std::string_view> words;
      for (std::size_t at = 0; at < line.text.size();) {
        const std::size_t end = std::min(line.text.find(' ', at), line.text.size());
        if (end > at) words.push_back(std::string_view(line.text).substr(at, end - at));
        at = end + 1;
      }
      const std::string range = IndexRangeProblem(words, record.portCount, record.counterCount);
      result.details.push_back("line " + std::to_string(line.lineNumber) + ": " + line.text + " (" +
                               line.reason + (range.empty() ? "" : ": " + range) + ")");
    }
    return result;
  }
  block = records.front();
  return {};
}

ServiceResult SwitchService::BeginApply(ManagedSwitch& sw, const std::filesystem::path& file) {
  SwitchRecord& record = sw.record();
  std::shared_ptr<SwitchRecord> block;
  if (ServiceResult loaded = LoadBlock(record, file, app_.host(), block); !loaded.ok) return loaded;
  ErrorPair error;
  // A read would overwrite the loaded settings with the switch's, and a
  // synchronisation under way has compared fingerprints already and would
  // not write them: the switch must be idle.
  if (sw.settings().synchronisationPending()) return Failed(ErrorPair{kErrConfigSyncRunning, ""});
  if (!IsReady(sw) || sw.settings().bulkReadRequested())
    return Failed(ErrorPair{kErrSwitchBusy, ""});
  // Nothing is half done: when the file cannot be saved or the
  // synchronisation cannot start, the record is put back as it was.
  const SwitchRecord before(record);
  const auto restore = [&] {
    CopySettings(record, before);
    record.modelChecked = before.modelChecked.load();
    ComputeFingerprint(record);
  };
  CopySettings(record, *block);
  record.failures.Clear();
  ModelFixUp(record);
  record.modelChecked = 1;
  ComputeFingerprint(record);
  if (!app_.SaveConfigFile(error)) {
    restore();
    return Failed(error);
  }
  if (!sw.settings().RequestSynchronisation(error)) {
    restore();
    ErrorPair ignored;
    app_.SaveConfigFile(ignored);
    return Failed(error);
  }
  return {};
}

ServiceResult SwitchService::EndApply(ManagedSwitch& sw) {
  if (sw.settings().lastRunFailed()) return Failed(kApplyFailedText);
  // The failure report has been shown through the operator.
  if (app_.ReportSettingFailures(sw.record())) return Failed(std::string_view{});
  return {};
}

ServiceResult SwitchService::SaveSwitchSettings(ManagedSwitch& sw,
                                                const std::filesystem::path& file) {
  ConfigStore alone;
  ConfigStore& config = app_.config();
  alone.SetWatch(config.watchInterval(), config.downCount());
  auto copy = std::make_shared<SwitchRecord>(sw.record());
  for (const auto& id : copy->vlanIds) {
    const std::int32_t vlan = id.load();
    if (config.HasVlanName(vlan)) alone.SetVlanName(vlan, config.GetVlanName(vlan));
  }
  alone.AppendStoredRecord(std::move(copy));
  ErrorPair error;
  if (!WriteConfigText(alone, app_.host().logs, file, error)) return Failed(error);
  return {};
}

std::uint64_t SwitchService::StartApply(const SwitchRef& sw, std::vector<SettingChange> changes,
                                        ErrorPair& error) {
  ManagedSwitch* managed = app_.discovery().Find(sw);
  if (managed == nullptr) {
    error.Fail(kErrNoResponse);  // it has gone: nothing answers
    return 0;
  }
  return managed->StartApply(std::move(changes), error);
}

void SwitchService::StopApply(const SwitchRef& sw, std::uint64_t job) {
  if (ManagedSwitch* managed = app_.discovery().Find(sw)) managed->StopApply(job);
}

ServiceResult SwitchService::Restart(ManagedSwitch& sw) {
  ErrorPair error;
  if (!sw.client().Execute(Function::kRestart, error)) return Failed(error);
  SwitchRestarting(sw);
  return {};
}

ServiceResult SwitchService::ClearCounters(ManagedSwitch& sw) {
  ErrorPair error;
  if (!sw.client().Execute(Function::kClearCounter, error)) return Failed(error);
  ForgetCounters(sw);
  ServiceResult result;
  result.text = std::string(kCountersClearedText);
  return result;
}

void SwitchService::ForgetCounters(ManagedSwitch& sw) {
  for (auto& port : sw.record().portStatus) {
    port.txOctets = 0;
    port.rxOctets = 0;
    for (auto& count : port.txFrames) count = 0;
    for (auto& count : port.rxFrames) count = 0;
  }
}

ServiceResult SwitchService::RestartPoeSupply(ManagedSwitch& sw) {
  ErrorPair error;
  if (!sw.client().Execute(Function::kRestartPoeSupply, error)) return Failed(error);
  ServiceResult result;
  result.text = std::string(kPoeSupplyRestartedText);
  return result;
}

ServiceResult SwitchService::StartFirmware(ManagedSwitch& sw, const std::filesystem::path& file) {
  if (!std::ifstream(file, std::ios::binary)) {
    return Failed(ErrorPair{kErrFileOpen, file.string() + ": " + std::strerror(errno)});
  }
  ErrorPair error;
  if (!sw.StartFirmwareUpdate(file.string(), error)) return Failed(error);
  return {};
}

void SwitchService::AbortFirmware(const SwitchRef& ref) {
  if (ManagedSwitch* sw = app_.discovery().Find(ref)) sw->AbortFirmwareUpdate();
}

ServiceResult SwitchService::FirmwareEnded(const SwitchRef& ref) {
  ManagedSwitch* sw = app_.discovery().Find(ref);
  if (sw == nullptr) return Failed(kSwitchLostText);
  const ManagedSwitch::FirmwareStatus status = sw->firmwareStatus();
  switch (status.state) {
    case kFirmwareCompleted: {
      SwitchRestarting(*sw);
      ServiceResult result;
      result.text = std::string(kFirmwareDoneText);
      return result;
    }
    case kFirmwareSwitchGone:
      return Failed(kSwitchLostText);
    default:
      break;
  }
  sw->record().switchState = kStateIdle;
  const std::string detail = status.state == kFirmwareFileError ? FormatErrorMessage(kErrFileOpen)
                             : status.state == kFirmwareAborted ? std::string(kFirmwareAbortedText)
                                                                : status.errorText;
  return Failed(std::string(kFirmwareFailedText) + detail);
}

ServiceResult SwitchService::CompareWithFile(ManagedSwitch& sw, const std::filesystem::path& file) {
  // The file's common lines (watch values, VLAN names) go to a scratch store
  // and its rejected lines to no log: the tool stays as it is.
  ConfigStore scratch;
  ConfigHost host{scratch, nullptr,
                  [](std::string_view, std::string_view, std::string_view) { return true; }};
  std::shared_ptr<SwitchRecord> block;
  if (ServiceResult loaded = LoadBlock(sw.record(), file, host, block); !loaded.ok) return loaded;
  SwitchRecord wanted(sw.record());
  CopySettings(wanted, *block);
  ModelFixUp(wanted);
  return CompareWithSwitch(sw, &wanted);
}

ServiceResult SwitchService::CompareWithSwitch(ManagedSwitch& sw, const SwitchRecord* against) {
  const SwitchRecord& tool = against != nullptr ? *against : sw.record();
  SwitchRecord device = sw.record();
  device.failures.Clear();
  device.switchState = kStateIdle;
  SwitchClient reader(sw.client().transactor().hub(), device, nullptr);
  reader.Attach();
  const std::int32_t model = ModelCodeOf(device.modelName.get());
  for (const FunctionDescriptor& function : AllFunctions()) {
    if (function.functionClass != FunctionClass::kSetting || (function.operations & kOpsGet) == 0 ||
        !ModelHasFunction(function, model)) {
      continue;
    }
    ErrorPair error;
    const bool read = ForEachIndex(function, device, [&](int first, int second) {
      return reader.Get(function.function, FunctionIndex(first, second), error);
    });
    if (!read) return Failed(error);
  }
  ServiceResult result;
  result.details = DiffSettingLines(tool, device);
  return result;
}

void SwitchService::SwitchRestarting(ManagedSwitch& sw) {
  app_.HandleNotice(Notice{Notification::kFirmwareUpdated, 0, 0, sw.ref()});
}

std::optional<ServiceResult> SwitchService::HandleModalRead(const Notice& notice) {
  if (notice.message != Notification::kModalRead) return std::nullopt;
  ManagedSwitch* sw = app_.discovery().Find(notice.switchRef);
  if (notice.value == 1) {
    if (sw != nullptr) {
      snapshots_[sw->mac()] = std::make_unique<SwitchRecord>(sw->record());
      sw->record().readFailed = 0;
    }
    return std::nullopt;
  }
  if (sw == nullptr) return Failed(std::string_view{});
  ServiceResult result = EndModalRead(*sw);
  snapshots_.erase(sw->mac());
  return result;
}

ServiceResult SwitchService::EndModalRead(ManagedSwitch& sw) {
  SwitchRecord& record = sw.record();
  ErrorPair error;
  if (!sw.settings().lastRunFailed()) {
    app_.adoption().KeepRecordOf(sw);
    app_.SaveConfigFile(error);
    return {};
  }
  ServiceResult result = Failed(DeviceReadFailedText(sw.mac()));
  result.details = record.failures.Take();
  AppendErrorLog(record.macText.get(), result.details.empty() ? "詳細不明" : result.details.front(),
                 kReadFailedLogText);
  if (auto snapshot = snapshots_.find(sw.mac()); snapshot != snapshots_.end()) {
    CopySettings(record, *snapshot->second);
    record.failures.Clear();
  }
  app_.adoption().KeepRecordOf(sw);
  app_.SaveConfigFile(error);
  sw.HoldBack();  // the next discovery reply adopts it again
  record.readFailed = 1;
  return result;
}

bool SwitchService::RequestPoll(SwitchView sw, ErrorPair& error) {
  return sw.sw_->settings().RequestPoll(error);
}

void SwitchService::Close(SwitchView sw) { sw.sw_->client().transactor().Close(); }

bool SwitchService::ReadStatus(SwitchView sw, Function status, FunctionIndex index,
                               ErrorPair& error) {
  return sw.sw_->client().Get(status, index, error);
}

void SwitchService::AbortReads(SwitchView sw) { sw.sw_->client().transactor().AbortWaits(); }

}  // namespace ntr
