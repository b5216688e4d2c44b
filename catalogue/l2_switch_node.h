// L2SWITCHNODE: the runtime object of one managed switch. It runs the
// switch's transactions and holds its getters, setters and executors: the
// only code that turns record values into function requests and function
// responses into record values.
//
// Every operation returns true or false; on false its ErrorPair says why.
// Indexes are 0-based here and 1-based on the wire. Setters take a commit
// flag: 1 for one change made by the operator (unchanged values are not sent,
// the configuration is saved afterwards), 0 inside a bulk write (always sent,
// nothing saved).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/config_saver.h"
#include "catalogue/switch_data.h"
#include "catalogue/switch_members.h"
#include "protocol/switch_transactor.h"

namespace ntr {

class L2SWITCHNODE {
 public:
  // Works on `record`, which is owned elsewhere and outlives the object.
  // `saver` may be null (nothing is saved then).
  L2SWITCHNODE(TransactionHub& hub, tag_SWITCHDATA& record, ConfigSaver* saver,
               TickSource ticks = SteadyTickMs);
  L2SWITCHNODE(const L2SWITCHNODE&) = delete;
  L2SWITCHNODE& operator=(const L2SWITCHNODE&) = delete;

  // Sets the record's MAC text, applies the model and recomputes the QoS
  // rate selections of every port from their raw rates.
  void Attach();
  tag_SWITCHDATA& record() { return *record_; }
  const tag_SWITCHDATA& record() const { return *record_; }
  SwitchTransactor& transactor() { return transactor_; }

  // Asks the switch for one value and stores it in the record.
  bool Get(std::string_view keyword, int first, int second, ErrorPair& error);
  bool Get(std::string_view keyword, ErrorPair& error) { return Get(keyword, 0, 0, error); }
  bool Get(std::string_view keyword, int first, ErrorPair& error) {
    return Get(keyword, first, 0, error);
  }

  // Checks a value, sends it (as set, or set-default for the default) and
  // stores it. For the QoS rates the value is a selection number (-2: keep
  // the raw rate); for mirroring-dest it is the destination port index.
  bool Set(std::string_view keyword, int first, int second, std::int32_t value, bool commit,
           ErrorPair& error);
  bool Set(std::string_view keyword, std::int32_t value, bool commit, ErrorPair& error) {
    return Set(keyword, 0, 0, value, commit, error);
  }
  bool Set(std::string_view keyword, int first, std::int32_t value, bool commit,
           ErrorPair& error) {
    return Set(keyword, first, 0, value, commit, error);
  }
  // The system name (at most 32 characters are sent).
  bool SetSystemName(std::string_view name, bool commit, ErrorPair& error);

  // Runs an action: restart, clear-counter, restart-poe-supply.
  bool Execute(std::string_view keyword, ErrorPair& error);

  // Set by the settings thread while it reads the switch's identity: the
  // identity getters then neither fingerprint nor save.
  Relaxed<bool> identityRead{false};

  // The two texts of the last report of a failed request.
  SharedText lastCommandText;
  SharedText lastMessageText;

 private:
  enum class Direction { kGet, kSet };
  bool Busy(ErrorPair& error) const;
  bool CheckIndexes(const MemberSpec& member, int first, int second, ErrorPair& error) const;
  bool IndexesInRange(const MemberSpec& member, int first, int second) const;
  void FillIndexes(FUNCREQUEST& request, const MemberSpec& member, std::int32_t indexType,
                   int first, int second) const;
  bool Refuse(const FUNCREQUEST& request, ErrorPair& error);
  bool Exchange(const FUNCREQUEST& request, std::int32_t valueType, FUNCRESPONSE& response,
                ErrorPair& error);
  bool StoreIdentity(const MemberSpec& member, const FUNCRESPONSE& response);
  void StoreStatusCounter(std::string_view keyword, int port, int counter, std::int64_t value);
  bool SetQosRate(const MemberSpec& member, int port, std::int32_t selection, bool commit,
                  ErrorPair& error);
  bool Finish(bool commit, ErrorPair& error);
  bool Save(ErrorPair& error);

  tag_SWITCHDATA* record_;
  ConfigSaver* saver_;
  SwitchTransactor transactor_;
};

}  // namespace ntr
