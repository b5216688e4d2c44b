// SwitchClient: the runtime object of one managed switch. It runs the
// switch's transactions and holds its getters, setters and executors: the
// only code that turns record values into function requests and function
// responses into record values.
//
// Every operation returns true or false; on false its ErrorPair says why.
// Indexes are 0-based here and 1-based on the wire. Setters say whether they
// commit one change made by the operator (unchanged values are not sent, the
// configuration is saved afterwards) or run inside a bulk write (always
// sent, nothing saved).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/config_saver.h"
#include "catalogue/function_descriptors.h"
#include "catalogue/function_index.h"
#include "catalogue/switch_record.h"
#include "transaction/switch_transactor.h"

namespace ntr {

enum class Commit { kOperatorChange, kBulkWrite };

class SwitchClient {
 public:
  // Works on `record`, which is owned elsewhere and outlives the object.
  // `saver` may be null (nothing is saved then).
  SwitchClient(TransactionHub& hub, SwitchRecord& record, ConfigSaver* saver,
               TickSource ticks = SteadyTickMs);
  SwitchClient(const SwitchClient&) = delete;
  SwitchClient& operator=(const SwitchClient&) = delete;

  // Sets the record's MAC text, applies the model and recomputes the QoS
  // rate selections of every port from their raw rates.
  void Attach();
  SwitchRecord& record() { return *record_; }
  const SwitchRecord& record() const { return *record_; }
  SwitchTransactor& transactor() { return transactor_; }

  // Asks the switch for one value and stores it in the record.
  bool Get(Function function, FunctionIndex index, ErrorPair& error);
  bool Get(Function function, ErrorPair& error) {
    return Get(function, FunctionIndex::None(), error);
  }

  // Checks a value, sends it (as set, or set-default for the default) and
  // stores it. For the QoS rates the value is a selection number (-2: keep
  // the raw rate); for mirroring-dest it is the destination port index.
  bool Set(Function function, FunctionIndex index, std::int32_t value, Commit commit,
           ErrorPair& error);
  bool Set(Function function, std::int32_t value, Commit commit, ErrorPair& error) {
    return Set(function, FunctionIndex::None(), value, commit, error);
  }
  // The system name (at most 32 characters are sent).
  bool SetSystemName(std::string_view name, Commit commit, ErrorPair& error);

  // Runs an action: restart, clear-counter, restart-poe-supply.
  bool Execute(Function action, ErrorPair& error);

  // Set by the settings thread while it reads the switch's identity: the
  // identity getters then neither fingerprint nor save.
  Relaxed<bool> identityRead{false};

  // The two texts of the last report of a failed request.
  SharedText lastCommandText;
  SharedText lastMessageText;

 private:
  bool Busy(ErrorPair& error) const;
  bool CheckIndexes(const FunctionDescriptor& function, FunctionIndex index,
                    ErrorPair& error) const;
  bool IndexesInRange(const FunctionDescriptor& function, FunctionIndex index) const;
  void FillIndexes(FunctionRequest& request, const FunctionDescriptor& function,
                   std::int32_t indexType, FunctionIndex index) const;
  bool Refuse(const FunctionRequest& request, ErrorPair& error);
  bool Exchange(const FunctionRequest& request, std::int32_t valueType, FunctionResponse& response,
                ErrorPair& error);
  bool StoreIdentity(const FunctionDescriptor& function, const FunctionResponse& response);
  bool SetQosRate(const FunctionDescriptor& function, int port, std::int32_t selection,
                  Commit commit, ErrorPair& error);
  bool Finish(Commit commit, ErrorPair& error);
  bool Save(ErrorPair& error);

  SwitchRecord* record_;
  ConfigSaver* saver_;
  SwitchTransactor transactor_;
};

}  // namespace ntr
