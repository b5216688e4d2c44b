// ConfigStore: what the tool keeps between runs — the two watch values, the
// table of VLAN names and one stored settings record per switch it has
// managed. The application holds one; the configuration reader fills
// temporary ones.
//
// Records are shared: a switch under management works on the very record
// that the stored list holds, so that every change it makes is saved with
// the registry, and a record stays alive while a switch or a reader still
// uses it even after the list has dropped it.
//
// Every operation takes the object's own lock, so the user-interface thread,
// the import thread and the settings threads (through saves) may use one
// object at the same time. The records themselves are made of race-free
// fields (catalogue/switch_data.h).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/relaxed.h"
#include "catalogue/switch_record.h"

namespace ntr {

using RecordPtr = std::shared_ptr<SwitchRecord>;

inline constexpr int kVlanNameCapacity = 33;
inline constexpr std::int32_t kDefaultWatchValue = 3;  // watch interval and down count
inline constexpr std::size_t kVlanNameChars = 32;      // kept of a longer name

struct VlanName {
  std::int32_t id = 0;
  std::string name;
  bool operator==(const VlanName&) const = default;
};

// The name rule of names in the file: 1 to 255 characters that code page 932
// carries unchanged (the file's code page), no control character and, unless
// `spaces` (a system name is the rest of its line), no space: a VLAN name is
// one word of its line.
bool FollowsNameRule(std::string_view name, bool spaces = false);
// "VLAN%d": the name of a VLAN ID that has no valid one.
std::string DefaultVlanName(std::int32_t id);
// Whether one of the record's 256 VLAN registrations holds `id`.
bool UsesVlanId(const SwitchRecord& record, std::int32_t id);
// Copies every setting, the identity texts (model name, serial number,
// firmware revision) and the failure list; leaves the MAC, the runtime state
// (switch state, model code, counts, fingerprints, status, neighbours) alone.
void CopySettings(SwitchRecord& to, const SwitchRecord& from);

// The link endpoint's packet logs as the "#log" lines of a file see them.
class PacketLogSwitches {
 public:
  virtual ~PacketLogSwitches() = default;
  virtual void SetSendLog(bool on) = 0;
  virtual void SetReceiveLog(bool on) = 0;
  virtual bool sendLog() const = 0;
  virtual bool receiveLog() const = 0;
  // Deletes the send log, the receive log and the debug log.
  virtual void DeleteLogFiles() = 0;
};

class ConfigStore {
 public:
  ConfigStore() { Reset(); }
  ConfigStore(const ConfigStore&) = delete;
  ConfigStore& operator=(const ConfigStore&) = delete;

  // Watch values 3 and 3, only "default" (ID 1) in the name table, no
  // stored records. The log-line flags stay: they belong to the application.
  void Reset();

  std::int32_t watchInterval() const { return watchInterval_; }
  std::int32_t downCount() const { return downCount_; }
  void SetWatch(std::int32_t interval, std::int32_t downCount);

  // Names VLAN `id` (1..4094): an existing entry is renamed (`renamed` set),
  // otherwise one is added while fewer than 33 are used. Without a name, or
  // with one that breaks the name rule, the name is "VLAN%d"; a longer name
  // keeps its first 32 characters. False for an ID out of range or a full table.
  bool SetVlanName(std::int32_t id, std::optional<std::string_view> name = std::nullopt,
                   bool* renamed = nullptr);
  // The name of `id`, or "" when no entry has it.
  std::string GetVlanName(std::int32_t id) const;
  bool HasVlanName(std::int32_t id) const;
  // The used entries, sorted by ID (entry 0 is ID 1).
  std::vector<VlanName> VlanNames() const;
  // Puts a table taken with VlanNames() back as it was.
  void RestoreVlanNames(const std::vector<VlanName>& names);
  // For each ID of at least 2: kept (and listed in the result) when one of
  // `users` still has it in a registration, otherwise its entry is removed.
  std::vector<std::int32_t> DropUnusedVlanNames(std::span<const std::int32_t> ids,
                                                std::span<const RecordPtr> users);

  // The stored list, in the order of adding.
  void AppendStoredRecord(RecordPtr record);
  // The first record with this MAC, or null.
  RecordPtr FindStoredRecord(const MacAddress& mac) const;
  bool ContainsStoredRecord(const SwitchRecord* record) const;
  // Puts `replacement` in the place of `old`; false when `old` is not stored.
  bool ReplaceStoredRecord(const SwitchRecord* old, RecordPtr replacement);
  std::vector<RecordPtr> StoredRecords() const;
  std::size_t StoredCount() const;
  void ClearStoredRecords();

  // Set when the file last read held a "#log send", "#log receive", "#log
  // clear" line: the writer carries these lines into the next file.
  Relaxed<bool> sendLogLine{false};
  Relaxed<bool> receiveLogLine{false};
  Relaxed<bool> clearLogLine{false};

 private:
  void SortLocked();

  mutable std::mutex mutex_;
  Relaxed<std::int32_t> watchInterval_{kDefaultWatchValue};
  Relaxed<std::int32_t> downCount_{kDefaultWatchValue};
  std::vector<VlanName> vlanNames_;  // guarded by mutex_
  std::vector<RecordPtr> stored_;    // guarded by mutex_
};

// Gives every VLAN ID but 1 that the record uses on a port (as access VLAN or
// trunk member) an entry in the table, "VLAN%d" where it has none; stops at
// the first that does not fit.
void NameVlansUsedOnPorts(ConfigStore& config, const SwitchRecord& record);

}  // namespace ntr
