// QoS rate selections: a rate is picked by a selection number 0..8, each
// valid under one speed unit; the switch keeps the raw value.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace ntr {

inline constexpr std::int32_t kNoSelection = -2;
inline constexpr int kSelectionCount = 9;
// The selection a port's rates start with (1Mbps, the raw value 1 under unit 1).
inline constexpr std::int32_t kDefaultQosSelection = 2;

struct QosSelection {
  std::int32_t rawValue;
  std::int32_t unit;  // 0 "128k", 1 "1m", 2 "10m", 3 "32m"
  std::string_view label;
};

inline constexpr std::array<QosSelection, kSelectionCount> kQosSelections{{
    {1, 0, "128kbps"},
    {4, 0, "512kbps"},
    {1, 1, "1Mbps"},
    {5, 1, "5Mbps"},
    {10, 1, "10Mbps"},
    {5, 2, "50Mbps"},
    {10, 2, "100Mbps"},
    {30, 2, "300Mbps"},
    {17, 3, "540Mbps"},
}};

// The selection whose unit is `unit` and whose raw value is `rawValue`;
// kNoSelection when none fits (or the unit is outside 0..3).
inline std::int32_t SelectionOf(std::int32_t rawValue, std::int32_t unit) {
  for (int s = 0; s < kSelectionCount; ++s) {
    if (kQosSelections[s].unit == unit && kQosSelections[s].rawValue == rawValue) return s;
  }
  return kNoSelection;
}

inline bool ValidSelection(std::int32_t selection) {
  return selection >= 0 && selection < kSelectionCount;
}

}  // namespace ntr
