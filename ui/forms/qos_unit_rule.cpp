#include "ui/forms/qos_unit_rule.h"

#include <algorithm>

namespace ntr::ui {

namespace {

// The unit of a rate in use at a port, by its selection.
std::int32_t UnitInUse(const SwitchRecord& record, std::int32_t selection) {
  return ValidSelection(selection) ? kQosSelections[static_cast<std::size_t>(selection)].unit
                                   : record.qosSpeedUnit.load();
}

}  // namespace

std::optional<std::int32_t> UnitOfChoice(const SwitchRecord& record, std::int32_t choice) {
  if (choice == kRateNotUsed) return std::nullopt;
  return UnitInUse(record, choice);
}

std::optional<std::int32_t> OtherPortsUnit(const SwitchRecord& record, int port) {
  const int ports = std::clamp<int>(record.portCount, 0, kMaxPorts);
  for (int other = 0; other < ports; ++other) {
    if (other == port) continue;
    const PortSettings& settings = record.ports[static_cast<std::size_t>(other)];
    if (settings.shapingUse.load() != 0) return UnitInUse(record, settings.shapingSelection);
    if (settings.policingUse.load() != 0) return UnitInUse(record, settings.policingSelection);
  }
  return std::nullopt;
}

std::optional<std::int32_t> AllowedUnit(const SwitchRecord& record, int port,
                                        std::int32_t otherChoice) {
  if (auto unit = UnitOfChoice(record, otherChoice)) return unit;
  return OtherPortsUnit(record, port);
}

QosUnitCheck CheckQosUnits(const SwitchRecord& record, int port, std::int32_t shaping,
                           std::int32_t policing) {
  const auto shapingUnit = UnitOfChoice(record, shaping);
  const auto policingUnit = UnitOfChoice(record, policing);
  const auto others = OtherPortsUnit(record, port);
  QosUnitCheck check;
  check.unit = shapingUnit ? shapingUnit : policingUnit;
  if (shapingUnit && policingUnit && *shapingUnit != *policingUnit) check.compatible = false;
  if (check.unit && others && *check.unit != *others) check.compatible = false;
  if (!check.unit) check.unit = others;
  return check;
}

}  // namespace ntr::ui
