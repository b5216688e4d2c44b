// How a simulated switch answers function requests for its identity and its
// settings, kept in a SwitchRecord so that its fingerprint is computed by
// exactly the tool's algorithm.
//
// Values travel in their wire form: indexes and the port-like values
// (vlan-access, mirroring-dest, routebackup-backup-port) count from 1, texts
// are code page 932 octets, system-macaddress is six octets. The switch
// checks indexes and values itself and answers result 8 for anything outside
// what it accepts: the ranges of the setters and of the configuration
// file's value words (port speeds 1..6, on/off as 0/1, VLAN IDs 1..4094,
// ageing time 10..64800, PoE class 4 and 5 only where the port offers it,
// transmit counter types 0..17 and 26..28, and so on).
#pragma once

#include <cstdint>

#include "catalogue/switch_record.h"
#include "codec/pdu.h"

namespace ntr::sim {

// Answers a get of an identity or setting function. Returns the result code;
// on 0 the response carries the value.
std::int32_t GetSetting(const SwitchRecord& record, const FunctionRequest& request,
                        FunctionResponse& response);

// Stores the value of a set request; 0, or 8 when the index or the value is
// not accepted (the record is then unchanged).
std::int32_t SetSetting(SwitchRecord& record, const FunctionRequest& request);

// Returns one setting (at the request's indexes) to its default; 0 or 8.
std::int32_t SetSettingDefault(SwitchRecord& record, const FunctionRequest& request);

// Builds the factory state of a switch: every setting at its default, the
// system name "%s_%s" of model and serial number, the model's mirroring
// destination. Identity fields (MAC, model, serial number, firmware and boot
// ROM revisions) are kept; model code, port and counter counts follow the
// model name.
void ResetSettings(SwitchRecord& record);

}  // namespace ntr::sim
