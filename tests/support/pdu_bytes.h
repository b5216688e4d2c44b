// Encoding and decoding in tests, where a failure is a broken test.
#pragma once

#include <cstdlib>

#include "catalogue/function_descriptors.h"
#include "codec/pdu_decoder.h"
#include "codec/pdu_encoder.h"
#include "tests/support/memory_link.h"

namespace ntr::test {

inline Bytes EncodeOrDie(const Pdu& pdu) {
  Bytes buffer(kEncodeBufferSize);
  std::size_t length = 0;
  ErrorPair error;
  if (!EncodePdu(error, buffer, pdu, length)) std::abort();
  buffer.resize(length);
  return buffer;
}

inline Pdu DecodeOrDie(const Bytes& bytes) {
  Pdu pdu;
  ErrorPair error;
  if (!DecodePdu(error, bytes, LookupFunctionTypes, pdu)) std::abort();
  return pdu;
}

}  // namespace ntr::test
