// Shared pieces of the libFuzzer targets: the function-type lookups the
// decoder is driven with, a check that aborts the run, and the invariants a
// successfully decoded Pdu must satisfy.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <variant>

#include "catalogue/function_descriptors.h"
#include "codec/pdu.h"
#include "codec/pdu_decoder.h"

namespace ntr::fuzz {

// Stops the run so that libFuzzer records the input as a finding.
#define NTR_FUZZ_CHECK(condition)                                                        \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      __builtin_trap();                                                                  \
    }                                                                                    \
  } while (false)

// A lookup that knows every function ID except 0xFFxx and derives the types
// from the ID's bits: value type = bits 8-9 (0..3, 3 is invalid), index type =
// bits 0-3 (0..15, 9 and above are invalid). The catalogue only ever yields
// value types 0..2 and index types 0, 1, 2, 4, 6, 7, 8; this lookup also
// drives the decoder through index types 3 and 5 and its value-type and
// index-type error paths.
inline bool SyntheticLookup(std::uint16_t functionId, std::int32_t& valueType,
                            std::int32_t& indexType) {
  if ((functionId >> 8) == 0xFF) return false;
  valueType = (functionId >> 8) & 0x03;
  indexType = functionId & 0x0F;
  return true;
}

// The lookups every input is decoded with.
inline constexpr FunctionTypeLookup kLookups[] = {&LookupFunctionTypes, &SyntheticLookup};

// True for the error codes DecodePdu documents: 31 to 37, 39, 40.
inline bool IsDecodeErrorCode(int code) {
  return (code >= kErrRxIdentifierClass && code <= kErrBufferExhausted) || code == kErrValueType ||
         code == kErrIndexType;
}

inline bool IsMappedResult(std::int32_t result) {
  return (result >= 0 && result <= 8) || result == kResultOther;
}

inline bool IsValueType(std::int32_t valueType) {
  return valueType == kValueInteger || valueType == kValueOctets || valueType == kValueNone;
}

// The bounds the decoder promises for the record of each application.
inline void CheckDecodedInvariants(const Pdu& pdu, FunctionTypeLookup lookup) {
  NTR_FUZZ_CHECK(BodyMatchesApplication(pdu));
  if (const auto* request = std::get_if<DiscoveryRequest>(&pdu.body)) {
    NTR_FUZZ_CHECK(request->listedMacs.size() <= kMaxListedMacs);
  } else if (const auto* reply = std::get_if<DiscoveryReply>(&pdu.body)) {
    NTR_FUZZ_CHECK(IsMappedResult(reply->result));
    NTR_FUZZ_CHECK(reply->firstText.size() <= kMaxReplyText);
    NTR_FUZZ_CHECK(reply->secondText.size() <= kMaxReplyText);
    NTR_FUZZ_CHECK(reply->firstText.find('\0') == std::string::npos);
    NTR_FUZZ_CHECK(reply->secondText.find('\0') == std::string::npos);
    NTR_FUZZ_CHECK(reply->neighbourMacs.size() <= kMaxNeighbourMacs);
  } else if (const auto* block = std::get_if<FirmwareBlock>(&pdu.body)) {
    NTR_FUZZ_CHECK(block->data.size() <= kMaxFirmBlockData);
  } else if (const auto* funcRequest = std::get_if<FunctionRequest>(&pdu.body)) {
    std::int32_t valueType = -1;
    std::int32_t indexType = -1;
    NTR_FUZZ_CHECK(lookup(funcRequest->functionId, valueType, indexType));
    NTR_FUZZ_CHECK(funcRequest->indexType == indexType);
    NTR_FUZZ_CHECK(funcRequest->indexType >= kIndexNone &&
                   funcRequest->indexType <= kLastIndexType);
    NTR_FUZZ_CHECK(IsValueType(funcRequest->valueType));
    if (funcRequest->operation == kOpGet || funcRequest->operation == kOpSetDefault) {
      NTR_FUZZ_CHECK(funcRequest->valueType == kValueNone);
    } else {
      NTR_FUZZ_CHECK(funcRequest->valueType == valueType);
    }
    NTR_FUZZ_CHECK(funcRequest->octets.size() <= kMaxOctetValue);
  } else if (const auto* response = std::get_if<FunctionResponse>(&pdu.body)) {
    NTR_FUZZ_CHECK(IsMappedResult(response->result));
    NTR_FUZZ_CHECK(IsValueType(response->valueType));
    NTR_FUZZ_CHECK(response->octets.size() <= kMaxOctetValue);
  } else if (const auto* result = std::get_if<ResultBody>(&pdu.body)) {
    NTR_FUZZ_CHECK(IsMappedResult(result->result));
  } else if (const auto* answer = std::get_if<FingerprintAnswerBody>(&pdu.body)) {
    NTR_FUZZ_CHECK(IsMappedResult(answer->result));
  }
}

}  // namespace ntr::fuzz
