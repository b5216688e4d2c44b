// The operator's use cases on one managed switch, shared by every front end
// (ntrctl, the window): each changes the tool's record and the switch,
// saves, and tells how it ended as values and texts. Showing them is the
// front end's part; the service never prints. Main thread only.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/switch_view.h"
#include "base/notification.h"
#include "device/managed_switch.h"

namespace ntr {

class Application;
struct ConfigHost;

inline constexpr std::string_view kFactoryResetDoneText = "工場出荷時の状態に戻しました。";
inline constexpr std::string_view kVlanNamesKeptText =
    "他のスイッチにVLANの設定があるため、以下のVLAN IDは削除されませんでした。";
inline constexpr std::string_view kCountersClearedText = "フレームカウンタのリセットを行いました。";
inline constexpr std::string_view kPoeSupplyRestartedText = "給電を再開しました。";
inline constexpr std::string_view kNoSettingsInFileText = "ファイル内にデータが見つかりません";
inline constexpr std::string_view kApplyFailedText = "設定の更新に失敗しました。";
inline constexpr std::string_view kReadFailedLogText = "致命的なエラー(機器の読込みに失敗)";
inline constexpr std::string_view kFirmwareDoneText =
    "ファームウェアの更新を行い、自動で再起動します。";
inline constexpr std::string_view kFirmwareFailedText = "ファームウェアの更新に失敗しました: ";
inline constexpr std::string_view kFirmwareAbortedText = "更新が中断されました。";
inline constexpr std::string_view kSwitchLostText = "スイッチハブをロストしました。";

// How a use case ended: `text` is what to show (on success it may be empty),
// `details` further lines, `error` the failure's code when one caused it.
struct ServiceResult {
  bool ok = true;
  std::string text;
  std::vector<std::string> details;
  ErrorPair error;
};

struct FactoryResetResult : ServiceResult {
  // The switch's VLANs whose names stay because other switches use them.
  std::vector<std::int32_t> keptVlanIds;
};

class SwitchService {
 public:
  explicit SwitchService(Application& app);

  // The tool's record of the switch back at the factory settings (nothing is
  // sent): the record is reset (see ResetRecordToFactory), names of VLANs no
  // switch uses any more are dropped, the file is saved, the switch is not
  // asked about when it comes back in factory state, and discovery takes it
  // as restarting. The text names the VLANs that kept their names, if any.
  FactoryResetResult FactoryReset(ManagedSwitch& sw);
  FactoryResetResult FactoryReset(SwitchView sw) { return FactoryReset(*sw.sw_); }

  // Applying a configuration file to the switch, in two steps. The begin
  // takes the file's block for the switch into its record, saves and
  // requests a synchronisation; the end, once the synchronisation has run
  // and the switch is ready again, tells how it went. A file without a block
  // for the switch, or whose block has rejected lines, changes nothing and
  // sends nothing; the rejected lines are the details ("line N: TEXT (REASON)"). Settings the
  // switch refused are shown through the operator's failure report, and fail it. The begin refuses
  // a switch that is not idle (a read or a synchronisation runs), and puts the record back when the
  // file cannot be saved or the synchronisation cannot start.
  ServiceResult BeginApply(ManagedSwitch& sw, const std::filesystem::path& file);
  ServiceResult EndApply(ManagedSwitch& sw);
  ServiceResult BeginApply(SwitchView sw, const std::filesystem::path& file) {
    return BeginApply(*sw.sw_, file);
  }
  ServiceResult EndApply(SwitchView sw) { return EndApply(*sw.sw_); }

  // Writes the switch's settings alone to `file` in the configuration file's
  // format, with the tool's current watch values and the names of the VLAN
  // IDs the switch uses: applying the file later brings back exactly these
  // (its common lines are taken by the tool too). Nothing else changes.
  ServiceResult SaveSwitchSettings(ManagedSwitch& sw, const std::filesystem::path& file);
  ServiceResult SaveSwitchSettings(SwitchView sw, const std::filesystem::path& file) {
    return SaveSwitchSettings(*sw.sw_, file);
  }

  // A screen's changes as the switch's apply job (ManagedSwitch::StartApply):
  // the job's id, or 0 with the error when the switch has gone (no response) or the job
  // cannot start. The stop tells the job to send nothing more, without
  // waiting; its result is then the caller's to drop.
  std::uint64_t StartApply(const SwitchRef& sw, std::vector<SettingChange> changes,
                           ErrorPair& error);
  void StopApply(const SwitchRef& sw, std::uint64_t job);

  // The switch's actions. A restart (or a firmware update at its end) makes
  // discovery take the switch as restarting (SwitchRestarting); clearing the
  // counters clears the tool's copies of them too.
  ServiceResult Restart(ManagedSwitch& sw);
  ServiceResult ClearCounters(ManagedSwitch& sw);
  ServiceResult RestartPoeSupply(ManagedSwitch& sw);
  void SwitchRestarting(ManagedSwitch& sw);
  // The switch has zeroed its counters: the tool's copies (octets and frames
  // of every port) follow. Nothing is sent.
  void ForgetCounters(ManagedSwitch& sw);
  void SwitchRestarting(SwitchView sw) { SwitchRestarting(*sw.sw_); }
  void ForgetCounters(SwitchView sw) { ForgetCounters(*sw.sw_); }

  // The front end's status poll of the switch (its periodic one, or at once
  // on the operator's request): false while the switch is busy, whose next
  // period asks again. From the main thread.
  static bool RequestPoll(SwitchView sw, ErrorPair& error);
  // The switch is leaving: a waiting request ends at once and new ones are
  // refused, so that nothing started on it waits meanwhile.
  static void Close(SwitchView sw);
  // A status value read from the switch into its record (the pop-up's
  // counters and PoE supply), and the end of such a read in flight; from
  // any thread, the read on one that may wait for the switch.
  static bool ReadStatus(SwitchView sw, Function status, FunctionIndex index, ErrorPair& error);
  static void AbortReads(SwitchView sw);

  // A firmware update, which runs on the switch's own job thread: the start
  // (false with the error when the file cannot be read or the job cannot
  // start), the abort request, and the end, once the job has finished or the
  // switch has gone (`FirmwareEnded` reports kFirmwareFinished's state). On
  // success discovery takes the switch as restarting; otherwise it is idle
  // again and the text says why.
  ServiceResult StartFirmware(ManagedSwitch& sw, const std::filesystem::path& file);
  ServiceResult StartFirmware(SwitchView sw, const std::filesystem::path& file) {
    return StartFirmware(*sw.sw_, file);
  }
  void AbortFirmware(const SwitchRef& sw);
  ServiceResult FirmwareEnded(const SwitchRef& sw);

  // The switch's own settings against the tool's record: every setting the
  // model has is read into a copy of the record through a client of its own,
  // so that neither the tool's record, the file nor the switch changes. The
  // details are the diff lines (DiffSettingLines), empty when they agree; a
  // failed read fails with the error of the first failed request.
  // With `against`, those settings take the tool record's place.
  ServiceResult CompareWithSwitch(ManagedSwitch& sw, const SwitchRecord* against = nullptr);
  // The switch's own settings against those `file` holds for it, taken as
  // BeginApply takes them (the block onto the factory settings): the diff is
  // what applying the file would send, and nothing of the tool changes. Fails
  // as BeginApply does when the file has no block or rejected lines.
  ServiceResult CompareWithFile(ManagedSwitch& sw, const std::filesystem::path& file);

  // A modal read of a switch's own settings (0x607): its start (wParam 1)
  // keeps a snapshot of the record and gives nothing; its end (wParam 0)
  // gives how it ended. On failure the error log has an entry, the record is
  // back as it was at the read's start and held back (read failed), and the
  // text is the operator's message with the reasons as details; either way
  // the record is kept in the stored list and the file saved. The end of a
  // switch that is no longer managed fails without a text.
  std::optional<ServiceResult> HandleModalRead(const Notice& notice);

  ServiceResult EndModalRead(ManagedSwitch& sw);
  // The block `file` holds for the switch of `record`, read onto the
  // record's factory settings through `host`.
  ServiceResult LoadBlock(const SwitchRecord& record, const std::filesystem::path& file,
                          ConfigHost& host, std::shared_ptr<SwitchRecord>& block);

  Application& app_;
  // Records as they were when a modal read began, by switch MAC.
  std::map<MacAddress, std::unique_ptr<SwitchRecord>> snapshots_;
};

}  // namespace ntr
