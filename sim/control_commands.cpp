#include "sim/control_commands.h"

#include <charconv>
#include <chrono>
#include <cstdint>
#include <vector>

#include "base/text_encoding.h"
#include "catalogue/function_descriptors.h"
#include "catalogue/switch_model.h"
#include "config/switch_block_writer.h"
#include "sim/text_words.h"

namespace ntr::sim {
namespace {

using Words = std::vector<std::string_view>;

constexpr std::string_view kHelp =
    "help                                 this list\n"
    "list                                 one line per switch\n"
    "dump SW                              the switch's settings in the configuration-file grammar\n"
    "fingerprint SW                       the fingerprint the switch reports\n"
    "link SW PORT up [SPEED] | down       plug or unplug the cable (both ends)\n"
    "loop SW PORT on|off                  a loop behind the port\n"
    "fan SW stop|run                      the fan (NTR7100-24G and NTR7100-8PoE)\n"
    "poe SW PORT CLASS|none               a powered device of class 0..4 on the port\n"
    "traffic SW PORT FPS                  frames per second each way (counters)\n"
    "drift SW KEYWORD [INDEX [INDEX2]] VALUE|default\n"
    "                                     change a setting behind the tool's back, in wire\n"
    "                                     form (indexes and port values 1-based)\n"
    "factory SW                           all settings to their defaults\n"
    "add switch ... | add host ...        one line of the network description\n"
    "remove SW                            the switch and everything behind it\n"
    "silence SW MS|on|off                 stop answering (forwarding goes on)\n"
    "restart SW                           restart: silent for its restart time\n"
    "set SW sync-pending N | prepare-pending N | flash-fail on|off | restart-ms MS\n"
    "fault SW|all loss PERCENT            drop answers after the switch acted\n"
    "fault SW|all loss-in PERCENT         drop requests before the switch sees them\n"
    "fault SW|all delay MS [COUNT]        hold answers back (all, or the next COUNT)\n"
    "fault SW|all duplicate COUNT         send the next COUNT answers twice\n"
    "fault SW|all wrong-app COUNT         next COUNT answers with a wrong application number\n"
    "fault SW|all malformed COUNT         next COUNT answers as bytes that do not decode\n"
    "fault SW|all refuse KEYWORD RESULT [COUNT]\n"
    "                                     answer RESULT without acting (KEYWORD: a function\n"
    "                                     keyword, *, discovery, fingerprint, sync,\n"
    "                                     firmware-prepare, firmware-block, firmware-abort)\n"
    "fault SW|all clear                   no more faults\n"
    "log [clear]                          the request log, or empty it\n"
    "seed N                               reseed the generator of injected losses\n";

constexpr auto kForever = std::chrono::hours(24 * 365 * 10);

std::string Ok(std::string_view detail = {}) {
  return detail.empty() ? "ok\n" : "ok " + std::string(detail) + "\n";
}
std::string Error(std::string_view reason) { return "error " + std::string(reason) + "\n"; }
std::string Block(std::string lines) { return lines + ".\n"; }

struct Command {
  SimNetwork& network;
  const Words& words;
  TimePoint now;
  SimSwitch* node = nullptr;  // the switch named by words[1], when the command takes one
};

// The 0-based port of the 1-based port number at words[at].
bool Port(const Command& c, std::size_t at, int& port) {
  int number = 0;
  if (at >= c.words.size() || !ParseNumber(c.words[at], 1, c.node->portCount(), number))
    return false;
  port = number - 1;
  return true;
}

std::string List(Command& c) {
  std::string lines;
  for (const auto& node : c.network.switches()) {
    const SwitchEntry& entry = node->entry();
    const std::string uplink =
        entry.parent.empty() ? "tool" : entry.parent + ":" + std::to_string(entry.parentPort);
    const char* state = node->Restarting(c.now)             ? "restarting"
                        : node->Silent(c.now)               ? "silent"
                        : c.network.Reachable(*node, c.now) ? "answering"
                                                            : "unreachable";
    lines += node->name() + " " + FormatSwitchMac(node->mac()) + " " +
             node->record().modelName.get() + " serial=" + node->record().serialNumber.get() +
             " firmware=" + node->record().firmwareRevision.get() + " uplink=" + uplink +
             " port=" + std::to_string(entry.uplinkPort) +
             " fingerprint=" + std::to_string(node->Fingerprint()) + " state=" + state + "\n";
  }
  return Block(std::move(lines));
}

std::string Dump(Command& c) {
  std::string lines;
  ComputeFingerprint(c.node->record());
  WriteSwitchComment(c.node->record(), lines);
  WriteSwitchBlock(c.node->record(), lines);
  return Block(std::move(lines));
}

std::string Link(Command& c) {
  int port = 0;
  int speed = 0;
  const bool up = c.words.size() >= 4 && c.words[3] == "up";
  if (!Port(c, 2, port) || (!up && (c.words.size() != 4 || c.words[3] != "down")) ||
      (up && c.words.size() == 5 && !ParseNumber(c.words[4], 2, 6, speed)) || c.words.size() > 5) {
    return Error("usage: link SW PORT up [SPEED] | link SW PORT down");
  }
  std::string error;
  if (!c.network.SetCable(*c.node, port, up, speed, error)) return Error(error);
  return Ok();
}

std::string Loop(Command& c) {
  int port = 0;
  if (!Port(c, 2, port) || c.words.size() != 4 || (c.words[3] != "on" && c.words[3] != "off")) {
    return Error("usage: loop SW PORT on|off");
  }
  c.node->status().line(port).loopPresent = c.words[3] == "on";
  return Ok();
}

std::string Fan(Command& c) {
  const std::int32_t model = c.node->record().modelCode;
  if (c.words.size() != 3 || (c.words[2] != "stop" && c.words[2] != "run"))
    return Error("usage: fan SW stop|run");
  if (!HasPoe(model) && !PollsSystemFan(model))
    return Error("the " + c.node->record().modelName.get() + " has no fan");
  c.node->status().SetFanStopped(c.words[2] == "stop");
  return Ok();
}

std::string Poe(Command& c) {
  int port = 0;
  int device = -1;
  if (!Port(c, 2, port) || c.words.size() != 4 ||
      (c.words[3] != "none" && !ParseNumber(c.words[3], 0, 4, device))) {
    return Error("usage: poe SW PORT CLASS|none");
  }
  c.node->status().line(port).poeDevice = device;
  return Ok();
}

std::string Traffic(Command& c) {
  int port = 0;
  if (!Port(c, 2, port) || c.words.size() != 4 ||
      !ParseNumber(c.words[3], 0, 1000000, c.node->status().line(port).trafficFps)) {
    return Error("usage: traffic SW PORT FPS");
  }
  return Ok();
}

std::string Drift(Command& c) {
  std::string_view keyword = c.words.size() > 2 ? c.words[2] : std::string_view{};
  const FunctionDescriptor* entry = FindFunctionByKeyword(keyword);
  if (entry == nullptr || entry->functionClass != FunctionClass::kSetting) {
    return Error("usage: drift SW KEYWORD [INDEX [INDEX2]] VALUE|default (KEYWORD a setting)");
  }
  FunctionRequest request;
  request.functionId = entry->functionId;
  request.indexType = entry->indexType;
  const std::size_t indexes = entry->indexType == kIndexNone ? 0 : entry->indexType >= 5 ? 2 : 1;
  std::size_t at = 3;
  if (c.words.size() < at + indexes + 1 ||
      (indexes >= 1 && !ParseNumber(c.words[at], 0, 1000000, request.firstIndex)) ||
      (indexes == 2 && !ParseNumber(c.words[at + 1], 0, 1000000, request.secondIndex))) {
    return Error("drift " + std::string(keyword) + " needs " + std::to_string(indexes) +
                 " index(es) and a value");
  }
  at += indexes;
  if (c.words[at] == "default" && c.words.size() == at + 1) {
    request.operation = kOpSetDefault;
  } else if (entry->valueType == kValueOctets) {
    // The rest of the line, as the switch would hold it.
    const std::string_view first = c.words[at];
    const std::string_view last = c.words.back();
    const std::string text(first.data(),
                           static_cast<std::size_t>(last.data() + last.size() - first.data()));
    request.operation = kOpSet;
    request.valueType = kValueOctets;
    if (!Utf8ToCp932(text, request.octets))
      return Error("the text has characters code page 932 lacks");
  } else {
    request.operation = kOpSet;
    request.valueType = kValueInteger;
    if (c.words.size() != at + 1 ||
        !ParseNumber(c.words[at], INT32_MIN, INT32_MAX, request.intValue)) {
      return Error("the value must be a number or 'default'");
    }
  }
  const std::int32_t result = c.node->Drift(request);
  return result == 0 ? Ok() : Error("result " + std::to_string(result));
}

std::string Silence(Command& c) {
  std::int64_t ms = 0;
  if (c.words.size() != 3) return Error("usage: silence SW MS|on|off");
  if (c.words[2] == "off") {
    c.node->Unsilence();
  } else if (c.words[2] == "on") {
    c.node->Silence(c.now + kForever);
  } else if (ParseNumber(c.words[2], 0, INT32_MAX, ms)) {
    c.node->Silence(c.now + std::chrono::milliseconds(ms));
  } else {
    return Error("usage: silence SW MS|on|off");
  }
  return Ok();
}

std::string Set(Command& c) {
  if (c.words.size() != 4)
    return Error(
        "usage: set SW sync-pending N | prepare-pending N | flash-fail on|off | restart-ms MS");
  const std::string_view what = c.words[2];
  const std::string_view value = c.words[3];
  bool ok = false;
  if (what == "sync-pending") ok = ParseNumber(value, 0, 1000000, c.node->syncPending());
  if (what == "prepare-pending")
    ok = ParseNumber(value, 0, 1000000, c.node->firmware().preparePending);
  if (what == "restart-ms") ok = ParseNumber(value, 0, 3600000, c.node->restartMs());
  if (what == "flash-fail" && (value == "on" || value == "off")) {
    c.node->firmware().flashFails = value == "on";
    ok = true;
  }
  return ok ? Ok()
            : Error("cannot set '" + std::string(what) + "' to '" + std::string(value) + "'");
}

// Applies one fault to one switch's settings; empty on success, else the reason.
std::string ApplyFault(FaultSettings& f, const Words& w) {
  const std::string_view kind = w[2];
  const std::size_t n = w.size();
  const auto count = [&](std::size_t at, int& into) {
    return n == at + 1 && ParseNumber(w[at], 0, INT32_MAX, into);
  };
  if (kind == "clear" && n == 3) {
    f = FaultSettings{};
    return {};
  }
  if ((kind == "loss" || kind == "loss-in") && n == 4) {
    double percent = -1;
    const auto [end, failure] = std::from_chars(w[3].data(), w[3].data() + w[3].size(), percent);
    if (failure != std::errc{} || end != w[3].data() + w[3].size() ||
        !(percent >= 0 && percent <= 100)) {
      return "the loss rate is a percentage";
    }
    (kind == "loss" ? f.answerLossPercent : f.requestLossPercent) = percent;
    return {};
  }
  if (kind == "delay" && (n == 4 || n == 5)) {
    std::int64_t ms = 0;
    int times = -1;
    if (!ParseNumber(w[3], 0, 3600000, ms) || (n == 5 && !count(4, times)))
      return "usage: delay MS [COUNT]";
    f.delay = std::chrono::milliseconds(ms);
    f.delayed = times;
    return {};
  }
  if (kind == "duplicate" && count(3, f.duplicated)) return {};
  if (kind == "wrong-app" && count(3, f.wrongApplication)) return {};
  if (kind == "malformed" && count(3, f.malformed)) return {};
  if (kind == "refuse" && (n == 5 || n == 6)) {
    Refusal refusal{std::string(w[3]), 0, -1};
    if (!ParseNumber(w[4], 0, 255, refusal.result) ||
        (n == 6 && !ParseNumber(w[5], 1, INT32_MAX, refusal.remaining))) {
      return "usage: refuse KEYWORD RESULT [COUNT]";
    }
    f.refusals.push_back(std::move(refusal));
    return {};
  }
  return "unknown fault or wrong arguments: " + std::string(kind);
}

std::string Fault(Command& c) {
  if (c.words.size() < 3) return Error("usage: fault SW|all KIND ...");
  std::vector<SimSwitch*> targets;
  if (c.words[1] == "all") {
    for (const auto& node : c.network.switches()) targets.push_back(node.get());
  } else if (SimSwitch* node = c.network.Find(c.words[1])) {
    targets.push_back(node);
  } else {
    return Error("no switch '" + std::string(c.words[1]) + "'");
  }
  for (SimSwitch* node : targets) {
    if (std::string reason = ApplyFault(node->faults(), c.words); !reason.empty())
      return Error(reason);
  }
  return Ok();
}

std::string Log(Command& c) {
  if (c.words.size() == 2 && c.words[1] == "clear") {
    c.network.log().Clear();
    return Ok();
  }
  if (c.words.size() != 1) return Error("usage: log [clear]");
  std::string lines;
  for (const RequestLogEntry& entry : c.network.log().entries()) lines += entry.Format() + "\n";
  return Block(std::move(lines));
}

std::string Add(Command& c, std::string_view line) {
  const auto at = static_cast<std::size_t>(c.words[1].data() - line.data());
  std::optional<DescriptionItem> item;
  std::string error;
  if (!ParseDescriptionLine(line.substr(at), item, error) || !item)
    return Error(error.empty() ? "nothing to add" : error);
  if (!c.network.Add(*item, error)) return Error(error);
  return Ok();
}

std::string Remove(Command& c) {
  std::vector<std::string> removed;
  std::string error;
  if (!c.network.RemoveSwitch(c.words[1], removed, error)) return Error(error);
  std::string names;
  for (const std::string& name : removed) names += (names.empty() ? "" : " ") + name;
  return Ok(names);
}

std::string Dispatch(Command& c, std::string_view line) {
  const std::string_view verb = c.words[0];
  if (verb == "help") return Block(std::string(kHelp));
  if (verb == "list") return List(c);
  if (verb == "log") return Log(c);
  if (verb == "fault") return Fault(c);
  if (verb == "seed") {
    std::uint32_t seed = 0;
    if (c.words.size() != 2 || !ParseNumber(c.words[1], 0, UINT32_MAX, seed))
      return Error("usage: seed N");
    c.network.Reseed(seed);
    return Ok();
  }
  if (c.words.size() < 2) return Error("unknown command or missing switch: " + std::string(verb));
  if (verb == "add") return Add(c, line);
  c.node = c.network.Find(c.words[1]);
  if (c.node == nullptr) return Error("no switch '" + std::string(c.words[1]) + "'");
  if (verb == "remove") return Remove(c);
  if (verb == "dump") return Dump(c);
  if (verb == "fingerprint") return Ok(std::to_string(c.node->Fingerprint()));
  if (verb == "link") return Link(c);
  if (verb == "loop") return Loop(c);
  if (verb == "fan") return Fan(c);
  if (verb == "poe") return Poe(c);
  if (verb == "traffic") return Traffic(c);
  if (verb == "drift") return Drift(c);
  if (verb == "silence") return Silence(c);
  if (verb == "set") return Set(c);
  if (verb == "factory") {
    c.node->ResetToFactory();
    return Ok();
  }
  if (verb == "restart") {
    c.node->Restart(c.now);
    return Ok();
  }
  return Error("unknown command: " + std::string(verb));
}

}  // namespace

std::string RunControlCommand(SimNetwork& network, std::string_view line, TimePoint now) {
  const Words words = SplitWords(line);
  if (words.empty()) return Error("empty command");
  network.Settle(now);  // bring the network to `now` before changing it
  Command command{network, words, now};
  std::string reply = Dispatch(command, line);
  network.Settle(now);  // the switches react; notices leave with the next Tick
  return reply;
}

std::string_view ControlCommandsHelp() { return kHelp; }

}  // namespace ntr::sim
