#include "cli/ntrctl_vlan.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "app/adoption.h"
#include "app/vlan_slots.h"
#include "app/vlan_table_edit.h"
#include "cli/ntrctl_errors.h"
#include "cli/ntrctl_session.h"
#include "cli/ntrctl_words.h"
#include "config/setting_lines.h"

namespace ntr::cli {
namespace {

constexpr std::int32_t kDefaultVlanId = 1;
const char* const kModeWords[] = {"access", "trunk", "hybrid"};  // vlan-port-mode 0, 1, 2

int Fail(const std::string& text) {
  ReportError(text);
  return kExitFailure;
}

std::optional<std::int32_t> Number(const std::string& word) {
  const auto value = ParseDecimal(word);
  if (!value || *value < 0 || *value > 1000000) return std::nullopt;
  return static_cast<std::int32_t>(*value);
}

// A name as the VLAN ID screen takes it: letters, digits, "-" and "_".
bool NameFits(const std::string& name) {
  return name.size() <= kVlanNameChars && std::all_of(name.begin(), name.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                  c == '-' || c == '_';
         });
}

std::string NameRule() {
  return "a VLAN name has at most " + std::to_string(kVlanNameChars) + " letters, digits, - or _";
}

std::string PortList(const std::vector<int>& ports) {
  if (ports.empty()) return "-";
  std::string text;
  for (const int port : ports) text += (text.empty() ? "" : ",") + std::to_string(port);
  return text;
}

std::string JsonPorts(const std::vector<int>& ports) {
  std::string text = "[";
  for (std::size_t i = 0; i < ports.size(); ++i) text += (i ? "," : "") + std::to_string(ports[i]);
  return text + "]";
}

struct VlanRow {
  std::int32_t id = 0;
  std::string name;
  int slot = -1;                   // 0-based; -1 when the switch has no slot for it
  std::vector<int> access, trunk;  // 1-based ports
};

int List(Session& session, const ManagedSwitch& sw) {
  const SwitchRecord& r = sw.client().record();
  const std::vector<VlanName> names = session.app().config().VlanNames();
  std::vector<VlanRow> rows;
  const int ports = std::clamp<int>(r.portCount, 0, kMaxPorts);
  for (int slot = 0; slot < kVlanRegistrations; ++slot) {
    const auto s = static_cast<std::size_t>(slot);
    const std::int32_t id = slot == 0 ? kDefaultVlanId : r.vlanIds[s].load();
    if (slot != 0 && id == kFreeVlanSlot) continue;
    VlanRow row{id, "", slot, {}, {}};
    for (int p = 0; p < ports; ++p) {
      const PortSettings& port = r.ports[static_cast<std::size_t>(p)];
      if (port.accessVlanEntry.load() == slot) row.access.push_back(p + 1);
      if (port.trunk[s].load() != 0) row.trunk.push_back(p + 1);
    }
    rows.push_back(std::move(row));
  }
  for (const VlanName& named : names) {
    const auto on = std::find_if(rows.begin(), rows.end(),
                                 [&](const VlanRow& row) { return row.id == named.id; });
    if (on == rows.end()) rows.push_back({named.id, named.name, -1, {}, {}});
    for (VlanRow& row : rows) {
      if (row.id == named.id) row.name = named.name;
    }
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const VlanRow& a, const VlanRow& b) { return a.id < b.id; });
  const bool json = session.options().json;
  if (json) std::printf("{\"mac\":%s,\"vlans\":[", JsonString(r.macText.get()).c_str());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const VlanRow& row = rows[i];
    if (json) {
      std::printf("%s{\"id\":%d,\"name\":%s,\"slot\":%s,\"access\":%s,\"trunk\":%s}", i ? "," : "",
                  row.id, JsonString(row.name).c_str(),
                  row.slot < 0 ? "null" : std::to_string(row.slot + 1).c_str(),
                  JsonPorts(row.access).c_str(), JsonPorts(row.trunk).c_str());
    } else {
      std::printf("%d name=%s slot=%s access=%s trunk=%s\n", row.id, row.name.c_str(),
                  row.slot < 0 ? "-" : std::to_string(row.slot + 1).c_str(),
                  PortList(row.access).c_str(), PortList(row.trunk).c_str());
    }
  }
  if (json) std::printf("]}\n");
  return kExitOk;
}

// Sends the planned requests in order, each only while the earlier ones succeeded.
bool Send(ManagedSwitch& sw, const std::vector<SettingChange>& changes, ErrorPair& error) {
  for (const SettingChange& change : changes) {
    if (!sw.client().Set(change.function, change.index, change.value, Commit::kOperatorChange,
                         error))
      return false;
  }
  return true;
}

// Every switch the tool knows: one run of ntrctl manages only those it met,
// and a VLAN a switch of the file still has keeps its name.
std::vector<RecordPtr> KnownRecords(Application& app) {
  std::vector<RecordPtr> records = app.adoption().ManagedRecords();
  for (const RecordPtr& stored : app.config().StoredRecords()) {
    const bool managed = std::any_of(records.begin(), records.end(), [&](const RecordPtr& r) {
      return r->switchMac.load() == stored->switchMac.load();
    });
    if (!managed) records.push_back(stored);
  }
  return records;
}

// The table changes after the switch took the removals, then the file is saved.
int FinishTable(Session& session, const VlanTableChange& change) {
  Application& app = session.app();
  const VlanTableUpdate update = UpdateVlanTable(app.config(), change, KnownRecords(app));
  ErrorPair error;
  if (!update.ok) {
    app.SaveConfigFile(error);  // the removals and the new names stand
    return Fail(std::string(kBadParameterText) + " " + update.problem);
  }
  if (!app.SaveConfigFile(error))
    return Fail(std::string(kConfigSaveFailedText) + " " + FormatErrorMessage(error));
  if (update.kept.empty()) {
    PrintDone(session.options().json, kVlanIdAppliedText);
    return kExitOk;
  }
  std::string text(kVlanNamesKeptText);
  for (const std::string& line : VlanIdListLines(update.kept)) text += "\n" + line;
  PrintDone(session.options().json, text);
  return kExitOk;
}

std::string OutOfRange() {
  std::string text(kVlanIdOutOfRangeFormat);
  text.replace(text.find("%d"), 2, std::to_string(kMaxVlanId));
  return std::string(kBadParameterText) + " " + text;
}

int Add(Session& session, std::int32_t id, const std::string& name) {
  if (const auto problem = NewVlanProblem(session.app().config().VlanNames(), id, {})) {
    return Fail(std::string(kBadParameterText) + " " + *problem);
  }
  VlanTableChange change;
  change.added = VlanName{id, name};
  return FinishTable(session, change);
}

int Rename(Session& session, std::int32_t id, const std::string& name) {
  const std::vector<VlanName> names = session.app().config().VlanNames();
  if (!names.empty() && names.front().id == id) return Fail("the default VLAN keeps its name");
  if (!session.app().config().HasVlanName(id)) {
    return Fail("VLAN ID " + std::to_string(id) +
                " is not in the tool's table (add it: ntrctl vlan add)");
  }
  VlanTableChange change;
  change.names.push_back({id, name});
  return FinishTable(session, change);
}

int Delete(Session& session, ManagedSwitch& target, const std::vector<std::int32_t>& ids) {
  const MacAddress mac = target.mac();
  const ConfigStore& config = session.app().config();
  const std::vector<VlanName> names = config.VlanNames();
  for (const std::int32_t id : ids) {
    if (!names.empty() && names.front().id == id) return Fail("the default VLAN is never deleted");
    if (id < kFirstUserVlanId || id > kMaxVlanId) return Fail(OutOfRange());
    VlanSlots slots{};
    for (std::size_t s = 0; s < slots.size(); ++s) slots[s] = target.record().vlanIds[s].load();
    if (!config.HasVlanName(id) && FindVlanSlot(slots, id) < 0) {
      return Fail("VLAN ID " + std::to_string(id) +
                  " is neither in the tool's table nor on the switch");
    }
  }
  // Whether a VLAN's name stays depends on the other switches: they come
  // under management first (every switch found told its identity, none new
  // for a discovery cycle), as they are in the window.
  session.RunUntilSettled(1);
  // The wait ran the main loop: the switch may have gone meanwhile.
  ManagedSwitch* still = session.Find(FormatSwitchMac(mac));
  if (still == nullptr) {
    ReportError("switch " + FormatSwitchMac(mac) +
                " lost: it left management while the command ran");
    return kExitSwitchLost;
  }
  SwitchRecord plan = still->record();
  const std::vector<SettingChange> removals = VlanRemovalChanges(plan, ids);
  ErrorPair error;
  if (!Send(*still, removals, error))
    return Fail(std::string(kVlanIdFailedText) + " " + FormatErrorMessage(error));
  VlanTableChange change;
  change.deleted = ids;
  return FinishTable(session, change);
}

// The port's choice as the tagged VLAN screen opens with it.
TaggedVlanChoice CurrentChoice(const SwitchRecord& r, int port) {
  const PortSettings& p = r.ports[static_cast<std::size_t>(port)];
  TaggedVlanChoice choice;
  choice.mode = std::clamp<std::int32_t>(p.vlanMode.load(), 0, 2);
  const std::int32_t entry = p.accessVlanEntry.load();
  if (entry >= 0 && entry < kVlanRegistrations)
    choice.accessVlanId = r.vlanIds[static_cast<std::size_t>(entry)].load();
  return choice;
}

int Tagged(Session& session, ManagedSwitch& sw, int port, const TaggedVlanChoice& choice) {
  const std::string failed = std::string(kTaggedVlanFailedText) + " ";
  if (choice.mode == kTrunkPortMode && NeighbourBlocksTrunk(sw.record(), port)) {
    return Fail(failed + kNeighbourTrunkText);
  }
  std::vector<SettingChange> changes;
  std::string failure;
  if (!PlanTaggedVlan(sw.record(), port, choice, changes, failure)) return Fail(failed + failure);
  ErrorPair error;
  if (!Send(sw, changes, error)) return Fail(failed + FormatErrorMessage(error));
  PrintDone(session.options().json, kTaggedVlanAppliedText);
  return kExitOk;
}

// Only VLANs of the tool's table are chosen, as on the screen; the default
// VLAN is no trunk choice.
std::string NotChoosable(const ConfigStore& config, std::int32_t id, bool trunk) {
  const std::vector<VlanName> names = config.VlanNames();
  if (trunk && !names.empty() && names.front().id == id) return "the default VLAN is no trunk VLAN";
  if (config.HasVlanName(id)) return "";
  return "VLAN ID " + std::to_string(id) +
         " is not in the tool's table (add it first: ntrctl vlan add)";
}

}  // namespace

std::string VlanUsageProblem(const std::vector<std::string>& args) {
  if (args.empty())
    return "vlan needs a subcommand: list, add, rename, delete, mode, access or trunk";
  const std::string& sub = args[0];
  const std::size_t n = args.size();
  const auto numbers = [&](std::size_t from) {
    for (std::size_t i = from; i < n; ++i) {
      if (!Number(args[i])) return false;
    }
    return true;
  };
  if (sub == "list") return n == 2 ? "" : "vlan list takes SWITCH";
  if (sub == "add") {
    if (n < 3 || n > 4 || !Number(args[2])) return "vlan add takes SWITCH ID [NAME]";
    return n == 4 && !NameFits(args[3]) ? NameRule() : "";
  }
  if (sub == "rename") {
    if (n != 4 || !Number(args[2])) return "vlan rename takes SWITCH ID NAME";
    return NameFits(args[3]) ? "" : NameRule();
  }
  if (sub == "delete") return n >= 3 && numbers(2) ? "" : "vlan delete takes SWITCH ID...";
  if (sub == "mode") {
    const bool word = n == 4 && std::find(std::begin(kModeWords), std::end(kModeWords), args[3]) !=
                                    std::end(kModeWords);
    return word && Number(args[2]) ? "" : "vlan mode takes SWITCH PORT access|trunk|hybrid";
  }
  if (sub == "access") {
    return n == 4 && Number(args[2]) && (args[3] == "none" || Number(args[3]))
               ? ""
               : "vlan access takes SWITCH PORT ID|none";
  }
  if (sub == "trunk") {
    return n >= 5 && Number(args[2]) && (args[3] == "join" || args[3] == "leave") && numbers(4)
               ? ""
               : "vlan trunk takes SWITCH PORT join|leave ID...";
  }
  return "unknown vlan subcommand " + sub + " (list, add, rename, delete, mode, access, trunk)";
}

int RunVlan(Session& session, ManagedSwitch& sw) {
  const std::vector<std::string>& args = session.options().arguments;
  const std::string& sub = args[0];
  if (sub == "list") return List(session, sw);
  if (sub == "add") return Add(session, *Number(args[2]), args.size() > 3 ? args[3] : "");
  if (sub == "rename") return Rename(session, *Number(args[2]), args[3]);
  if (sub == "delete") {
    std::vector<std::int32_t> ids;
    for (std::size_t i = 2; i < args.size(); ++i) ids.push_back(*Number(args[i]));
    return Delete(session, sw, ids);
  }
  // The port subcommands.
  const int ports = sw.record().portCount;
  const std::int32_t port = *Number(args[2]);
  if (port < 1 || port > ports) {
    return Fail("port " + args[2] + " is out of range (1.." + std::to_string(ports) + ")");
  }
  TaggedVlanChoice choice = CurrentChoice(sw.record(), port - 1);
  const ConfigStore& config = session.app().config();
  if (sub == "mode") {
    choice.mode = static_cast<std::int32_t>(
        std::find(std::begin(kModeWords), std::end(kModeWords), args[3]) - std::begin(kModeWords));
  } else if (sub == "access") {
    if (args[3] == "none") {
      choice.accessVlanId.reset();
    } else {
      const std::int32_t id = *Number(args[3]);
      if (const std::string why = NotChoosable(config, id, false); !why.empty()) return Fail(why);
      choice.accessVlanId = id;
    }
  } else {
    const bool join = args[3] == "join";
    for (std::size_t i = 4; i < args.size(); ++i) {
      const std::int32_t id = *Number(args[i]);
      if (join) {
        if (const std::string why = NotChoosable(config, id, true); !why.empty()) return Fail(why);
      }
      choice.trunk[id] = join;
    }
  }
  return Tagged(session, sw, port - 1, choice);
}

}  // namespace ntr::cli
