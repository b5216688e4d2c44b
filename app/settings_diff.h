// Two records of one switch compared line by line in the configuration
// file's grammar (the block writer's lines, identity lines left out).
#pragma once

#include <string>
#include <vector>

#include "catalogue/switch_record.h"

namespace ntr {

// Every line of the record's block as the file writes it (after the model
// fix-up, on a copy): comment, select, identity and setting lines.
std::vector<std::string> SwitchBlockLines(const SwitchRecord& record);

// The setting lines of the record as the file writes them (after the model
// fix-up, on a copy): only the lines that differ from their defaults.
std::vector<std::string> BlockSettingLines(const SwitchRecord& record);

// A line diff of `tool` against `device`: "-LINE" for a line only the tool's
// record has, "+LINE" for one only the switch's has, in the writer's order;
// empty when both hold the same settings.
std::vector<std::string> DiffSettingLines(const SwitchRecord& tool, const SwitchRecord& device);

}  // namespace ntr
