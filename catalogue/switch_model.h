// The three switch models and what differs between them.
#pragma once

#include <cstdint>
#include <string_view>

namespace ntr {

struct SwitchRecord;

enum ModelCode : std::int32_t {
  kModelUnknown = 0,
  kModel8G = 1,
  kModel24G = 2,
  kModel8PoE = 3,
};

inline constexpr std::string_view kModelName8G = "NTR7100-8G";
inline constexpr std::string_view kModelName24G = "NTR7100-24G";
inline constexpr std::string_view kModelName8PoE = "NTR7100-8PoE";

// The model code of a model-name text: exact, case-sensitive; 0 otherwise.
std::int32_t ModelCodeOf(std::string_view modelName);

std::int32_t PortCountOf(std::int32_t modelCode);     // 8, 24, 8; 0 unknown
std::int32_t CounterCountOf(std::int32_t modelCode);  // 3, 5, 3; 0 unknown
// Total steps of a full settings read, the progress range.
std::int32_t ReadStepsOf(std::int32_t modelCode);
// The default mirroring destination (0-based port) of a model name: 23 for
// the 24-port model, 7 for any other name.
std::int32_t DefaultMirrorDestination(std::string_view modelName);

// Capabilities, by model code.
inline bool HasQosBandwidth(std::int32_t modelCode) { return modelCode == kModel24G; }
inline bool PollsSystemFan(std::int32_t modelCode) { return modelCode == kModel24G; }
inline bool HasPoe(std::int32_t modelCode) { return modelCode == kModel8PoE; }

// PoE classes: 0 no power, 4 class 3, 5 class 4 (odd-numbered ports only).
inline constexpr std::int32_t kPoeClassNone = 0;
inline constexpr std::int32_t kPoeClass3 = 4;
inline constexpr std::int32_t kPoeClass4 = 5;
// The default PoE class of a 0-based port index: 5 for even, 4 for odd.
inline std::int32_t DefaultPoeClass(int portIndex) {
  return portIndex % 2 == 0 ? kPoeClass4 : kPoeClass3;
}
// Whether a port offers the class: class 4 only on odd-numbered ports.
bool PoeClassOffered(int portIndex, std::int32_t poeClass);

// Sets the model code from the record's model name, then port and counter counts.
void ApplyModel(SwitchRecord& record);

// The per-model fix-ups of a record, run before it is written to the
// configuration file and after one is loaded or applied: the default system
// name once, the default mirroring destination once, then the destination
// kept within the model's ports (an 8-port model's bad destination is
// reported in the failure list and the error log).
void ModelFixUp(SwitchRecord& record);

}  // namespace ntr
