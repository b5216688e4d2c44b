// A simulated network driven in-process the way the tool drives a real one:
// requests are encoded with the codec, answers decoded with it. Time moves
// only when a test moves it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/function_descriptors.h"
#include "codec/pdu_decoder.h"
#include "codec/pdu_encoder.h"
#include "sim/sim_network.h"

namespace ntr::sim::test {

inline constexpr MacAddress kToolMac{0x00, 0x11, 0x22, 0x33, 0x44, 0x55};

class Harness {
 public:
  TimePoint now = TimePoint{} + std::chrono::hours(1);
  SimNetwork network{now};
  std::int32_t nextTid = 1;

  explicit Harness(std::string_view description) {
    std::vector<DescriptionItem> items;
    std::string error;
    EXPECT_TRUE(ParseDescription(description, items, error)) << error;
    for (const auto& item : items) EXPECT_TRUE(network.Add(item, error)) << error;
  }

  SimSwitch& Switch(std::string_view name) {
    SimSwitch* node = network.Find(name);
    EXPECT_NE(node, nullptr) << name;
    return *node;
  }

  static std::vector<Pdu> Decode(const std::vector<SimFrame>& frames) {
    std::vector<Pdu> decoded;
    for (const SimFrame& frame : frames) {
      Pdu pdu;
      ErrorPair error;
      EXPECT_TRUE(DecodePdu(error, frame.payload, LookupFunctionTypes, pdu)) << error.code;
      EXPECT_EQ(frame.source, pdu.sourceMac);
      decoded.push_back(std::move(pdu));
    }
    return decoded;
  }

  // Encodes a message from the tool with transaction ID `tid` (a fresh one
  // when -1) and returns the raw frames that come back at once.
  std::vector<SimFrame> SendRaw(PduType application, PduBody body, const MacAddress& to,
                                std::int32_t tid = -1) {
    Pdu pdu;
    pdu.transactionId = tid < 0 ? nextTid++ : tid;
    pdu.sourceMac = kToolMac;
    pdu.destinationMac = to;
    pdu.application = application;
    pdu.body = std::move(body);
    std::vector<std::uint8_t> bytes(kEncodeBufferSize);
    std::size_t written = 0;
    ErrorPair error;
    EXPECT_TRUE(EncodePdu(error, bytes, pdu, written)) << error.code;
    bytes.resize(written);
    return network.Receive(bytes, now);
  }
  std::vector<Pdu> Send(PduType application, PduBody body, const MacAddress& to,
                        std::int32_t tid = -1) {
    return Decode(SendRaw(application, std::move(body), to, tid));
  }

  std::vector<Pdu> Advance(std::chrono::milliseconds step) {
    now += step;
    return Decode(network.Tick(now));
  }

  // The messages of one application number among `pdus` (answers leave
  // together with the notices of the changes they caused).
  static std::vector<Pdu> Only(PduType application, const std::vector<Pdu>& pdus) {
    std::vector<Pdu> kept;
    for (const Pdu& pdu : pdus) {
      if (pdu.application == application) kept.push_back(pdu);
    }
    return kept;
  }

  // The discovery replies to one request.
  std::vector<Pdu> Discover(std::vector<MacAddress> listed = {}) {
    return Only(PduType::kDiscoveryReply,
                Send(PduType::kDiscoveryRequest, DiscoveryRequest{30, kToolMac, std::move(listed)},
                     kSwitchGroupAddress));
  }

  // One function request; the response of the single answer (result -1 when
  // no response or several came).
  FunctionResponse Function(std::string_view name, Operation operation, std::string_view keyword,
                            std::int32_t first = 0, std::int32_t second = 0, std::int64_t value = 0,
                            std::string text = {}) {
    const FunctionDescriptor* entry = FindFunctionByKeyword(keyword);
    EXPECT_NE(entry, nullptr) << keyword;
    FunctionRequest request;
    request.operation = operation;
    request.functionId = entry->functionId;
    request.indexType = entry->indexType;
    request.firstIndex = first;
    request.secondIndex = second;
    // Set and execute carry a value of the function's own type.
    request.valueType =
        operation == kOpSet || operation == kOpExecute ? entry->valueType : kValueNone;
    request.intValue = value;
    request.octets = std::move(text);
    const auto answers =
        Only(PduType::kFuncResponse, Send(PduType::kFuncRequest, request, Switch(name).mac()));
    if (answers.size() != 1) {
      FunctionResponse none;
      none.result = -1;
      return none;
    }
    return std::get<FunctionResponse>(answers[0].body);
  }
  FunctionResponse Get(std::string_view name, std::string_view keyword, std::int32_t first = 0,
                       std::int32_t second = 0) {
    return Function(name, kOpGet, keyword, first, second);
  }
  std::int32_t Set(std::string_view name, std::string_view keyword, std::int64_t value,
                   std::int32_t first = 0, std::int32_t second = 0) {
    return Function(name, kOpSet, keyword, first, second, value).result;
  }
};

}  // namespace ntr::sim::test
