// The tool's record of a switch back at the factory settings: the one reset
// that the factory-reset use case and the adoption ("いいえ" at a switch in
// factory state, a new switch) share.
#pragma once

#include <cstdint>
#include <vector>

#include "config/config_store.h"

namespace ntr {

class ManagedSwitch;

// Every setting of the switch's record goes back to its default. Kept:
// - the switch's identity — MAC, model name, serial number, firmware revision
//   and boot-ROM version — which it reported itself and which a factory reset
//   of its settings does not change;
// - its switch state, which tells what its transactions are doing, not a
//   setting.
// The model code is held at unknown afterwards: the switch is adopted again.
// Nothing is sent to the switch and nothing is saved.
void ResetRecordToFactory(ManagedSwitch& sw);

// The same reset of a record that belongs to no switch object (a copy): the
// identity above, the switch state, the MAC text and the model's port and
// counter counts are kept; the model code too.
void ResetSettingsToFactory(SwitchRecord& record);

// After a reset: drops the name of every VLAN that none of `managed` (the
// managed switches' records, the reset one included) and none of the stored
// records uses any more. A switch that is offline now, or not adopted yet,
// keeps its VLANs' names, whichever switches discovery has found so far.
// Returns those of `formerIds` (the VLANs the reset record had) whose names
// stay because another switch still uses them.
std::vector<std::int32_t> DropVlanNamesAfterReset(ConfigStore& config,
                                                  const std::vector<RecordPtr>& managed,
                                                  const std::vector<std::int32_t>& formerIds = {});

}  // namespace ntr
