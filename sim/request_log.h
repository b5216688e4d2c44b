// The log of every request the simulated switches received, in order, with
// what each switch made of it. Tests read it to check the exact order and
// count of the tool's requests.
//
// One line per entry:
//
//   SEQ NAME MAC tid=TID REQUEST -> OUTCOME [EXTRA...]
//
// REQUEST is one of
//   discovery
//   function OPERATION KEYWORD [INDEX [INDEX2]] [value=VALUE]
//   fingerprint | sync | firmware-prepare | firmware-abort
//   firmware-block NUMBER len=LENGTH
// with OPERATION set, set-default, get or execute; KEYWORD as in the
// catalogue (the fan-speed keyword without its trailing blank); indexes as
// they came on the wire (1-based; a MAC index as aa:bb:..); VALUE a number
// or a quoted text. OUTCOME is the result code the switch answered, "silent"
// (the switch was restarting or silenced) or "lost" (the request was dropped
// by an injected loss). EXTRA: answer=VALUE (the value of a get),
// fingerprint=N (fingerprint answers and discovery replies), answer-lost (the
// answer was dropped by an injected loss), repeat (a retransmission answered
// again with the earlier answer, without acting twice).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "codec/pdu.h"

namespace ntr::sim {

enum class Outcome { kAnswered, kSilent, kLost };

struct RequestLogEntry {
  std::uint64_t sequence = 0;
  std::string switchName;
  MacAddress switchMac{};
  std::int32_t transactionId = 0;
  PduType application = PduType::kDiscoveryRequest;
  FunctionRequest function;      // application 8, as received
  std::int32_t blockNumber = 0;  // application 4
  std::size_t blockLength = 0;
  Outcome outcome = Outcome::kAnswered;
  std::int32_t result = 0;
  FunctionResponse answer;                  // application 8: the response sent
  std::optional<std::int32_t> fingerprint;  // applications 0 and 10
  bool answerLost = false;
  bool repeated = false;

  std::string Format() const;
};

class RequestLog {
 public:
  // Entries kept in memory; older ones are dropped (the sink saw them all).
  static constexpr std::size_t kKept = 100000;

  // Numbers the entry, keeps it and hands it to the sink.
  void Add(RequestLogEntry entry);
  const std::deque<RequestLogEntry>& entries() const { return entries_; }
  void Clear() { entries_.clear(); }
  // Receives every entry as it is added (the --request-log file).
  void SetSink(std::function<void(const RequestLogEntry&)> sink) { sink_ = std::move(sink); }

 private:
  std::deque<RequestLogEntry> entries_;
  std::uint64_t next_ = 1;
  std::function<void(const RequestLogEntry&)> sink_;
};

}  // namespace ntr::sim
