// Turns a Pdu into the bytes of one frame payload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "base/error.h"
#include "codec/pdu.h"

namespace ntr {

// The smallest payload: shorter messages are padded with zero bytes so that
// the frame reaches the Ethernet minimum.
inline constexpr std::size_t kMinPayload = 46;
// The buffer the sender encodes into.
inline constexpr std::size_t kEncodeBufferSize = 1600;

// Encodes `pdu` into `buffer`. On success `written` holds the byte count,
// padding included. On failure `error` holds code 37 (buffer too small), 38
// (no such application number, or a body that does not belong to it), 39
// (value type) or 40 (index type), and the buffer's contents are undefined.
bool EncodePdu(ErrorPair& error, std::span<std::uint8_t> buffer, const Pdu& pdu,
               std::size_t& written);

}  // namespace ntr
