// The lines of one switch in the configuration text file: its select line,
// its identity, and one line for every setting that differs from its default,
// in the file's order and spelling. The configuration writer and the switch
// simulator's dump both use it.
//
// Text is produced in UTF-8 with "\n" line ends; the configuration writer
// converts to code page 932 and CR LF when it writes the file.
#pragma once

#include <string>

namespace ntr {

struct SwitchRecord;

// Appends to `out`:
//   switch select MAC
//   #switch control function get firmware-revision REVISION
//   #switch control function get serial-number SERIAL
//   #switch control function get model-name MODEL
//   switch control function set KEYWORD ARGUMENTS     (one per non-default setting)
// Records whose model name is none of the three models produce nothing and
// give false. The caller runs the model fix-up (ModelFixUp) first, as the
// file requires; the record is not changed here.
bool WriteSwitchBlock(const SwitchRecord& record, std::string& out);

// Appends the comment block that precedes a switch's lines in the file: a
// lone "#", "#" with the MAC text, "#" with the serial number, "#[" with the
// current fingerprint in eight lower-case hexadecimal digits and "]", a lone
// "#", then an empty line.
void WriteSwitchComment(const SwitchRecord& record, std::string& out);

}  // namespace ntr
