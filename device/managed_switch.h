// One switch under management: its switch object (transactions, getters and
// setters), its settings-execution thread, its jobs (a firmware update, apply
// jobs), and what discovery keeps for it. The record it works on belongs to
// the registry and outlives it.
//
// Ownership of the jobs: every thread that works on the switch belongs to
// this object and ends before it does. The destructor closes the switch
// (a waiting request ends at once, new ones are refused), tells the jobs to
// stop, and joins them, the settings thread included; only then do the
// switch object, its transactor and their locks and events go. So removing a
// switch costs at most the end of one request that is already closed, and
// no job ever outlives what it works on. Shared ownership was the other way:
// it would let a job keep the switch object, its transactor and through it
// the transaction hub alive after discovery, the link or the application are
// gone, and a late job would still send on behalf of a switch that is no
// longer managed; the front end learns of a job's end by a notice that names
// the switch by MAC and generation instead.
#pragma once

#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/apply_job.h"
#include "device/firmware_update.h"
#include "device/settings_thread.h"
#include "device/switch_client.h"

namespace ntr {

class ManagedSwitch {
 public:
  ManagedSwitch(TransactionHub& hub, SwitchRecord& record, ConfigSaver* saver,
                NotificationSink* notices, TickSource ticks = SteadyTickMs);
  // Closes the switch (waiting transactions end at once), then stops and joins
  // its firmware update, its apply jobs and its settings thread before
  // anything goes.
  ~ManagedSwitch();
  ManagedSwitch(const ManagedSwitch&) = delete;
  ManagedSwitch& operator=(const ManagedSwitch&) = delete;

  SwitchRecord& record() { return client_.record(); }
  MacAddress mac() const { return client_.record().switchMac.load(); }
  // How notices name this runtime object: its MAC and its generation.
  SwitchRef ref() const { return SwitchRef{mac(), generation_}; }
  // Unique in the process, never 0.
  std::uint64_t generation() const { return generation_; }

  // The firmware update (from any thread; none of these waits). Refused with
  // code 22 while an update runs. Its end is posted as kFirmwareFinished.
  bool StartFirmwareUpdate(std::string path, ErrorPair& error);
  void AbortFirmwareUpdate();
  using FirmwareStatus = ntr::FirmwareStatus;
  FirmwareStatus firmwareStatus() const;

  // Apply jobs (from any thread; none of these waits): the job's id, or 0
  // with `error` set when its thread cannot start. Its result is posted as
  // kApplyResult. StopApply sends nothing more; the job ends after the
  // request in flight and is joined later by this object.
  std::uint64_t StartApply(std::vector<SettingChange> changes, ErrorPair& error);
  void StopApply(std::uint64_t job);
  // Jobs not yet ended.
  std::size_t applyJobsRunning() const;

  // Called on the settings thread when an identity read ends (whatever its
  // outcome); the adopter resumes from there.
  void SetIdentityReadHook(std::function<void()> hook);

  // Held back: not adopted yet, or to be adopted again by the next discovery
  // reply. The record's model code is held at unknown meanwhile (which also
  // keeps polls away); the model name still tells the model.
  bool heldBack() const;
  void HoldBack();

  // Discovery requests sent while the switch was managed, and the count at
  // its last answer; their difference is the unanswered requests.
  void CountRequest();
  void MarkAnswered();
  std::uint32_t Unanswered() const;

  // The drawing of the switch, set by whoever draws it; called from any thread.
  void SetRedraw(std::function<void()> redraw);
  void Redraw();

  // The switch object (getters, setters, executors, its transactor) and the
  // settings-execution thread; both live as long as this object.
  SwitchClient& client() { return client_; }
  const SwitchClient& client() const { return client_; }
  SettingsThread& settings() { return settings_; }
  const SettingsThread& settings() const { return settings_; }

  // Keeps a shared record alive for as long as the switch object exists;
  // empty when the record is kept elsewhere.
  const std::shared_ptr<SwitchRecord>& recordOwner() const { return recordOwner_; }
  void KeepRecord(std::shared_ptr<SwitchRecord> record) { recordOwner_ = std::move(record); }

  // Under management: set by discovery when it adds the switch, cleared when
  // it removes it (and by the destructor). From any thread.
  bool active() const { return active_; }
  void SetActive(bool active) { active_ = active; }
  // The next discovery reply adopts the switch again even though its client was
  // applied already (its settings changed on the switch, or a synchronisation
  // failed); the model code is held at unknown until then.
  bool adoptAgain() const { return adoptAgain_; }
  void SetAdoptAgain(bool again) { adoptAgain_ = again; }
  // Set by a front end while it deals with the result of a bulk read:
  // discovery leaves the switch alone meanwhile (counts no answer, starts no
  // synchronisation). Not the same fact as `adoptAgain`: that one makes
  // discovery act at the next reply, this one keeps it from acting.
  bool discoveryPaused() const { return discoveryPaused_; }
  void SetDiscoveryPaused(bool paused) { discoveryPaused_ = paused; }

 private:
  // Declared first, so it goes last.
  std::shared_ptr<SwitchRecord> recordOwner_;
  const std::uint64_t generation_;
  SwitchClient client_;
  SettingsThread settings_;
  Relaxed<bool> active_{false};
  Relaxed<bool> adoptAgain_{false};
  Relaxed<bool> discoveryPaused_{false};
  mutable std::mutex requestLock_;  // taken before answerLock_
  mutable std::mutex answerLock_;
  std::uint32_t requests_ = 0;
  std::uint32_t answered_ = 0;
  std::mutex redrawLock_;
  std::function<void()> redraw_;
  std::mutex identityHookLock_;
  std::function<void()> identityHook_;

  NotificationSink* notices_;
  mutable std::mutex jobLock_;
  std::unique_ptr<FirmwareUpdate> firmware_;
  std::list<std::unique_ptr<ApplyJob>> applyJobs_;
};

}  // namespace ntr
