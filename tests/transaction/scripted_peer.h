// A scripted switch for transaction tests: it decodes what the tool sends and
// answers as the test says — at once (before the sender even waits), from
// another thread, never, with a chosen result or application number.
#pragma once

#include <atomic>
#include <functional>
#include <optional>

#include "catalogue/function_descriptors.h"
#include "codec/pdu_decoder.h"
#include "codec/pdu_encoder.h"
#include "tests/support/memory_link.h"
#include "tests/support/pdu_bytes.h"

namespace ntr::test {

inline const MacAddress kTestSwitchMac{0x02, 0x5C, 0x71, 0x00, 0x00, 0x01};
inline const MacAddress kTestAdapterMac{0x00, 0x11, 0x22, 0x33, 0x44, 0x55};

// Answers each request with what `answer` makes of it (nothing: stay silent).
class ScriptedPeer {
 public:
  using Answer = std::function<std::optional<Pdu>(const Pdu& request, int requestNumber)>;

  ScriptedPeer(MemoryLink& link, Answer answer) : link_(link), answer_(std::move(answer)) {
    link_.SetPeer([this](const Bytes& payload) {
      const Pdu request = DecodeOrDie(payload);
      const int number = requests_++;
      if (auto reply = answer_(request, number)) {
        reply->sourceMac = kTestSwitchMac;
        reply->destinationMac = kToolGroupAddress;
        link_.Deliver(EncodeOrDie(*reply));
      }
    });
  }
  ~ScriptedPeer() { link_.SetPeer(nullptr); }

  int requests() const { return requests_; }

 private:
  MemoryLink& link_;
  Answer answer_;
  std::atomic<int> requests_{0};
};

// The function response a switch gives: same transaction ID.
inline Pdu Response(const Pdu& request, std::int32_t result, std::int32_t valueType = kValueNone,
                    std::int64_t value = 0) {
  Pdu reply;
  reply.transactionId = request.transactionId;
  reply.application = PduType::kFuncResponse;
  FunctionResponse response;
  response.result = result;
  response.valueType = valueType;
  response.intValue = value;
  reply.body = response;
  return reply;
}

}  // namespace ntr::test
