// The switch-wide speed unit behind a port's shaping and policing rates: every
// rate is valid under one unit only, so the rates in use on one switch must
// all share a unit. A choice is a rate's selection number, kNoSelection for a
// rate outside the table (kept as it is, under the switch's current unit), or
// kRateNotUsed.
#pragma once

#include <cstdint>
#include <optional>

#include "catalogue/switch_record.h"

namespace ntr::ui {

inline constexpr std::int32_t kRateNotUsed = -1;

// The unit a choice needs; nothing for kRateNotUsed.
std::optional<std::int32_t> UnitOfChoice(const SwitchRecord& record, std::int32_t choice);
// The unit the rates in use on the switch's other ports need; nothing when none is in use.
std::optional<std::int32_t> OtherPortsUnit(const SwitchRecord& record, int port);
// The unit the entries of one list must have, given the other list's choice:
// that choice's unit, else the other ports' unit; nothing when none applies.
std::optional<std::int32_t> AllowedUnit(const SwitchRecord& record, int port,
                                        std::int32_t otherChoice);

// Before an apply: whether the two choices fit together and with the other
// ports, and the unit to set when one was found.
struct QosUnitCheck {
  bool compatible = true;
  std::optional<std::int32_t> unit;
};
QosUnitCheck CheckQosUnits(const SwitchRecord& record, int port, std::int32_t shaping,
                           std::int32_t policing);

}  // namespace ntr::ui
