// The functions a simulated switch implements: which model has which, and
// which operations each kind of function accepts.
#pragma once

#include <cstdint>
#include <optional>

#include "catalogue/function_descriptors.h"

namespace ntr::sim {

// The catalogue's function of a wire ID; nothing for an ID it lacks.
std::optional<Function> FunctionOf(std::uint16_t functionId);

// Switch result codes (the answer's result field).
enum Result : std::int32_t {
  kResOk = 0,
  kResBusy = 1,
  kResPending = 2,
  kResMagic = 3,
  kResChecksum = 4,
  kResFlash = 5,
  kResNoFunction = 6,
  kResAccess = 7,
  kResParameter = 8,
};

// Whether a model (code of catalogue/switch_model.h) has the function: the
// QoS bandwidth functions and the system fan only on the 24-port model; the
// fan speeds, temperature and every PoE function only on the PoE model.
bool ModelHasFunction(std::int32_t modelCode, std::uint16_t functionId);

// Whether the kind of function accepts the operation: identity and status
// functions get, settings get, set and set-default, actions execute. Any
// other combination is answered with result 7 (invalid access).
bool OperationAllowed(std::uint16_t functionId, std::int32_t operation);

}  // namespace ntr::sim
