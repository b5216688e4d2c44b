// The value words of the configuration file ("on", "100-fdx", "join", ...):
// every vocabulary once, as pairs of word and stored code. The file reader,
// the block writer, the text form of requests, ntrctl and the simulator all
// read them from here.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace ntr {

struct WordCode {
  std::string_view word;
  std::int32_t code;
};

// One vocabulary. A two-state vocabulary reads every code other than its
// "1" word's as the "0" word (a stored 2 is written "off").
struct ValueWords {
  std::span<const WordCode> words;
  bool twoState = false;

  // The code of a word; nothing when the vocabulary lacks it.
  std::optional<std::int32_t> CodeOf(std::string_view word) const;
  // The word of a code; for a two-state vocabulary always a word, otherwise
  // nothing when the code has none.
  std::optional<std::string_view> WordOf(std::int32_t code) const;
};

extern const ValueWords kOnOffWords;          // off 0, on 1
extern const ValueWords kJoinLeaveWords;      // leave 0, join 1
extern const ValueWords kBrightnessWords;     // normal 0, economy 1
extern const ValueWords kPortSpeedWords;      // auto 1, 10-hdx 2 ... 1000-fdx 6
extern const ValueWords kSpeedUnitWords;      // 128k 0, 1m 1, 10m 2, 32m 3
extern const ValueWords kLinkDownWords;       // none 0, linkdown 1, linkdown-recovery 2
extern const ValueWords kVlanModeWords;       // access 0, trunk 1, hybrid 2
extern const ValueWords kRemarkTypeWords;     // off 0, af 1, cs 2
extern const ValueWords kRemarkClassWords;    // off 0, class1 1 ... class4 4
extern const ValueWords kPoeClassWords;       // none 0, class3 4, class4 5
extern const ValueWords kRxCounterTypeWords;  // codes 0..25
extern const ValueWords kTxCounterTypeWords;  // codes 0..17 and 26..28

// The text form of a request (the failure report) spells two functions
// differently from the file: port speeds without "1000-fdx", and PoE classes
// as off/on for codes 0 and 1.
extern const ValueWords kRequestPortSpeedWords;

// The word of a setting that has none: a routing backup port of none.
inline constexpr std::string_view kNoneWord = "none";

}  // namespace ntr
