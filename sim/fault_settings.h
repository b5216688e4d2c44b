// The faults injected into one simulated switch's traffic.
//
// Counts say how many of the following answers a fault touches; -1 means
// every answer until cleared. Refusals name the request by its function
// keyword, "*" for every function request, or one of the words
// discovery, fingerprint, sync, firmware-prepare, firmware-block and
// firmware-abort; a refused request is answered with the given result and
// otherwise left alone.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/pdu.h"

namespace ntr::sim {

struct Refusal {
  std::string keyword;
  std::int32_t result = 1;
  int remaining = -1;
};

struct FaultSettings {
  double answerLossPercent = 0;   // answers dropped after the switch acted
  double requestLossPercent = 0;  // requests dropped before the switch sees them
  std::chrono::milliseconds delay{0};
  int delayed = 0;           // answers still to delay
  int duplicated = 0;        // answers still to send twice
  int wrongApplication = 0;  // answers still to send with a wrong application number
  int malformed = 0;         // answers still to replace by broken bytes
  std::vector<Refusal> refusals;

  // The result to refuse a request with, using up one refusal, or nothing.
  // `function` tells a function request (which "*" matches) from the others.
  std::optional<std::int32_t> TakeRefusal(std::string_view keyword, bool function);
  // Uses up one answer of a counted fault; true when it applies.
  static bool TakeOne(int& count);
};

// The answer as a confused switch sends it: a function response comes back
// as application 3, a discovery reply as 11, any other answer as 9; the
// result is kept.
Pdu WithWrongApplication(const Pdu& answer);

// Breaks an encoded message in one of three ways, chosen by `turn`: cut off
// in the middle of its body, an outer tag other than SEQUENCE, or a body
// with an application number that does not exist.
void Malform(std::vector<std::uint8_t>& bytes, int turn);

}  // namespace ntr::sim
