// Feeds arbitrary bytes to DecodePdu. Besides the sanitizers' checks (no
// out-of-bounds read, no undefined behaviour, no leak) it requires:
//  - a failure leaves one of the documented error codes 31-37, 39, 40;
//  - a success leaves no error code and a record within the decoder's bounds;
//  - bytes after a decodable message are never looked at: the same bytes
//    with more bytes appended decode to the same Pdu;
//  - without a function-type lookup no function request decodes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/fuzz_support.h"

namespace {

using ntr::fuzz::CheckDecodedInvariants;
using ntr::fuzz::IsDecodeErrorCode;

void DecodeWith(std::span<const std::uint8_t> input, ntr::FunctionTypeLookup lookup) {
  ntr::ErrorPair error;
  ntr::Pdu pdu;
  if (!ntr::DecodePdu(error, input, lookup, pdu)) {
    NTR_FUZZ_CHECK(IsDecodeErrorCode(error.code));
    return;
  }
  NTR_FUZZ_CHECK(!error.failed());
  if (lookup == nullptr) {
    NTR_FUZZ_CHECK(pdu.application != ntr::PduType::kFuncRequest);
  } else {
    CheckDecodedInvariants(pdu, lookup);
  }

  // Trailing bytes (the frame's padding, or anything else) must not change
  // the outcome. The input itself serves as arbitrary trailing bytes.
  std::vector<std::uint8_t> padded(input.begin(), input.end());
  padded.insert(padded.end(), input.begin(), input.end());
  padded.push_back(0xFF);
  ntr::ErrorPair paddedError;
  ntr::Pdu paddedPdu;
  NTR_FUZZ_CHECK(ntr::DecodePdu(paddedError, padded, lookup, paddedPdu));
  NTR_FUZZ_CHECK(paddedPdu == pdu);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // libFuzzer hands over a heap block of exactly `size` bytes, so any read
  // past the payload is caught by AddressSanitizer.
  const std::span<const std::uint8_t> input(data, size);
  for (ntr::FunctionTypeLookup lookup : ntr::fuzz::kLookups) DecodeWith(input, lookup);
  DecodeWith(input, nullptr);
  return 0;
}
