// Decode -> encode -> decode. Whatever DecodePdu accepts must encode, and the
// encoding must decode back to an equal Pdu.
//
// No normalisation is applied between the two decodes, because the decoder
// already maps every accepted input to a value the encoder reproduces exactly:
//  - results are mapped to 0..8 or 100, and 0..8/100 map to themselves;
//  - 32-bit fields are cut from the wire integer on decode and widened with
//    their sign on encode, so the cut value comes back unchanged;
//  - 64-bit values: the encoder may put a 0x00 in front of eight significant
//    bytes, and the decoder keeps the last eight bytes of a longer integer;
//  - MAC addresses are stored as six bytes (zero-filled) and sent as six;
//  - reply texts are cut at their first zero byte and at 64 bytes on decode,
//    so the encoder's own cut changes nothing;
//  - octet values and firmware data are cut to their capacity on decode;
//  - MAC lists are cut to their capacity on decode;
//  - a function ID shorter than two bytes is zero-filled on the right on
//    decode and always sent as two bytes;
//  - value and index types of a function request come from the lookup on
//    both decodes, for the same function ID and operation;
//  - lengths of the outer SEQUENCE and of the body are not used by the
//    decoder, and the encoder writes them correctly.
//
// Also checked on the way: the encoding needs at most the 1600-byte send
// buffer or reports code 37; it is never shorter than the 46-byte minimum;
// it encodes into a buffer of exactly its size with the same bytes; and a
// buffer one byte short fails with code 37 without writing past its end.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <vector>

#include "codec/pdu_encoder.h"
#include "fuzz/fuzz_support.h"

namespace {

// Large enough for any body length the two-byte length form can carry.
constexpr std::size_t kLargeBufferSize = 0x10000 + 64;

void PrintHex(const char* label, std::span<const std::uint8_t> bytes) {
  std::fprintf(stderr, "%s (%zu bytes):", label, bytes.size());
  for (std::uint8_t b : bytes) std::fprintf(stderr, " %02x", b);
  std::fprintf(stderr, "\n");
}

void RoundTrip(std::span<const std::uint8_t> input, ntr::FunctionTypeLookup lookup) {
  ntr::ErrorPair error;
  ntr::Pdu first;
  if (!ntr::DecodePdu(error, input, lookup, first)) return;

  // The sender's buffer first; only a too-small buffer is an acceptable failure.
  std::vector<std::uint8_t> encoded;
  {
    std::array<std::uint8_t, ntr::kEncodeBufferSize> buffer{};
    std::size_t written = 0;
    ntr::ErrorPair encodeError;
    if (ntr::EncodePdu(encodeError, buffer, first, written)) {
      NTR_FUZZ_CHECK(written <= buffer.size());
      encoded.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(written));
    } else {
      NTR_FUZZ_CHECK(encodeError.code == ntr::kErrBufferExhausted);
      std::vector<std::uint8_t> large(kLargeBufferSize);
      ntr::ErrorPair largeError;
      NTR_FUZZ_CHECK(ntr::EncodePdu(largeError, large, first, written));
      NTR_FUZZ_CHECK(written > ntr::kEncodeBufferSize && written <= large.size());
      encoded.assign(large.begin(), large.begin() + static_cast<std::ptrdiff_t>(written));
    }
  }
  NTR_FUZZ_CHECK(encoded.size() >= ntr::kMinPayload);

  // Exact-size heap buffers let AddressSanitizer see any write past the end.
  {
    std::vector<std::uint8_t> exact(encoded.size());
    std::size_t written = 0;
    ntr::ErrorPair exactError;
    NTR_FUZZ_CHECK(ntr::EncodePdu(exactError, exact, first, written));
    NTR_FUZZ_CHECK(written == encoded.size() && exact == encoded);

    std::vector<std::uint8_t> oneShort(encoded.size() - 1);
    ntr::ErrorPair shortError;
    NTR_FUZZ_CHECK(!ntr::EncodePdu(shortError, oneShort, first, written));
    NTR_FUZZ_CHECK(shortError.code == ntr::kErrBufferExhausted);
  }

  ntr::ErrorPair secondError;
  ntr::Pdu second;
  const bool decodedAgain = ntr::DecodePdu(secondError, encoded, lookup, second);
  if (!decodedAgain || !(second == first)) {
    PrintHex("input", input);
    PrintHex("encoded", encoded);
    std::fprintf(stderr, "second decode: %s, error code %d\n", decodedAgain ? "ok" : "failed",
                 secondError.code);
  }
  NTR_FUZZ_CHECK(decodedAgain);
  NTR_FUZZ_CHECK(second == first);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  for (ntr::FunctionTypeLookup lookup : ntr::fuzz::kLookups) RoundTrip(input, lookup);
  return 0;
}
