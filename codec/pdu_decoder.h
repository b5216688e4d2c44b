// Turns the payload of one received frame back into a Pdu.
#pragma once

#include <cstdint>
#include <span>

#include "base/error.h"
#include "codec/pdu.h"

namespace ntr {

// Tells the value type and index type of a function, or false for a function
// ID that does not exist. The decoder needs it for function requests only.
using FunctionTypeLookup = bool (*)(std::uint16_t functionId, std::int32_t& valueType,
                                    std::int32_t& indexType);

// Decodes `payload` into `pdu`. Bytes after the body (padding) are never
// looked at. On failure `error` holds code 31 to 37, 39 or 40 and `pdu` is
// partly filled and must not be used.
bool DecodePdu(ErrorPair& error, std::span<const std::uint8_t> payload, FunctionTypeLookup lookup,
               Pdu& pdu);

}  // namespace ntr
