// Taking a discovered switch under management: its runtime object, its
// identity, its stored record or a new one, and — when the switch holds other
// settings than the tool — the operator's choice whose settings govern it.
// Runs on the user-interface thread, one node at a time (discovery's mailbox).
#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/operator.h"
#include "catalogue/config_saver.h"
#include "config/config_reader.h"
#include "config/config_store.h"
#include "discovery/discovery.h"

namespace ntr {

// The switches that the tool itself reset to factory defaults in this run:
// they come back in factory state and are not asked about.
class ResetMacList {
 public:
  void Add(const MacAddress& mac);
  bool Contains(const MacAddress& mac) const;

 private:
  mutable std::mutex mutex_;  // the MAC-list lock
  std::vector<MacAddress> macs_;
};

class SwitchAdoption : public SwitchAdopter {
 public:
  struct Parts {
    ConfigHost& host;  // the application's registry, its packet logs, the error log
    ConfigSaver& saver;
    Operator& op;
    NotificationSink* notices;  // the view and the panels; may be null
    ResetMacList& resetMacs;
    std::function<bool()> stopping;         // the link is being stopped; may be empty
    std::filesystem::path configPath = {};  // empty: the data folder's file
    // Receives a failure for the application's last error; may be empty.
    std::function<void(const ErrorPair&)> reportError = {};
  };
  struct Hooks {
    // A runtime object was made (main thread): give it its panel.
    std::function<void(ManagedSwitch&)> switchCreated;
  };

  explicit SwitchAdoption(Parts parts, Hooks hooks = {});

  void AdoptSwitch(Discovery& discovery, TopologyNode& node, const Pdu& reply) override;
  // The adoption itself: true when the switch is managed and up to date
  // afterwards, false when it is not (yet).
  bool Adopt(Discovery& discovery, TopologyNode& node, const Pdu& reply);

  // Discovery's hook: a switch leaves the managed-switch list (main thread).
  void SwitchRemoving(ManagedSwitch& sw);

  // The records of the switches under management now; from any thread.
  std::vector<RecordPtr> ManagedRecords() const;
  RecordPtr ManagedRecordOf(const MacAddress& mac) const;
  // Another record was put in charge of the switch (an import): its next
  // adoption decides again whose settings govern it. From any thread.
  void DecideAgain(const MacAddress& mac);

  // After a switch's own settings were read (the end of its modal read):
  // puts its record into the stored list unless it is there already.
  bool KeepRecordOf(ManagedSwitch& sw);

 private:
  // The identity a switch reported when it was first read.
  struct Identity {
    std::string firmwareRevision;
    std::string modelName;
    std::string serialNumber;
  };
  struct Runtime {
    const ManagedSwitch* sw;
    RecordPtr record;
    std::optional<Identity> identity;
    // The tool's record governs this switch: the operator answered for it,
    // or it held the tool's settings. Its adoptions from then on only wait
    // for the switch to carry the record's fingerprint; nobody is asked again.
    bool governed = false;
  };
  // One adoption under way. After a question the node and the switch are
  // looked up again: the modal loop may have removed them.
  struct Adopting {
    Discovery& discovery;
    MacAddress nodeMac;
    const DiscoveryReply& reply;
    ManagedSwitch* sw;   // null once the switch went during a question
    TopologyNode* node;  // null once the switch went during a question
    SwitchRef ref;       // the switch being adopted, for looking it up again
  };

  ManagedSwitch* Create(Discovery& discovery, TopologyNode& node, const MacAddress& mac);
  bool IdentityReady(ManagedSwitch& sw, TopologyNode& node);
  Identity ReportedIdentity(ManagedSwitch& sw);
  bool AdoptKnown(Adopting& a, const RecordPtr& stored);
  bool AdoptNew(Adopting& a);
  bool AdoptGoverned(Adopting& a);
  bool Governed(const ManagedSwitch& sw) const;
  bool Settle(Adopting& a, std::int32_t model);
  bool Finish(ManagedSwitch& sw, TopologyNode& node, const DiscoveryReply& reply);
  bool Ask(Adopting& a, AdoptionQuestion mode);
  void ReadFromDevice(ManagedSwitch& sw, std::int32_t model);
  void CheckAgainstFile(SwitchRecord& record);
  void ResetToDefaults(ManagedSwitch& sw);
  void DropUnusedNames();
  void Notify(Notification message, ManagedSwitch& sw, std::int64_t value = 0);
  void Save();

  Parts parts_;
  Hooks hooks_;
  mutable std::mutex lock_;  // the managed records
  std::vector<Runtime> managed_;
};

}  // namespace ntr
