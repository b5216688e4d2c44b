// A scripted switch for getter and setter tests: it records every function
// request, answers gets with values the test put in, and refuses or stays
// silent where the test says so.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <tuple>

#include "tests/transaction/scripted_peer.h"

namespace ntr::test {

class FakeSwitch {
 public:
  explicit FakeSwitch(MemoryLink& link)
      : peer_(link, [this](const Pdu& request, int) { return Answer(request); }) {}

  // The value a get of this function (1-based indexes, as on the wire) returns.
  void SetInteger(std::uint16_t id, std::int64_t value, std::int32_t first = 0,
                  std::int32_t second = 0) {
    std::lock_guard<std::mutex> lock(mutex_);
    integers_[{id, first, second}] = value;
  }
  void SetOctets(std::uint16_t id, std::string value) {
    std::lock_guard<std::mutex> lock(mutex_);
    octets_[id] = std::move(value);
  }
  // Requests of this function get this result instead of success.
  void Refuse(std::uint16_t id, std::int32_t result) {
    std::lock_guard<std::mutex> lock(mutex_);
    refusals_[id] = result;
  }
  // Runs on the peer's thread while a request is in flight, before it is answered.
  void OnRequest(std::function<void()> hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    onRequest_ = std::move(hook);
  }
  std::vector<FunctionRequest> requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }
  FunctionRequest last() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_.back();
  }
  std::size_t count() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_.size();
  }

 private:
  std::optional<Pdu> Answer(const Pdu& pdu) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto& request = std::get<FunctionRequest>(pdu.body);
    requests_.push_back(request);
    if (onRequest_) onRequest_();
    if (auto refusal = refusals_.find(request.functionId); refusal != refusals_.end()) {
      return Response(pdu, refusal->second);
    }
    if (request.operation != kOpGet) return Response(pdu, 0);
    if (auto text = octets_.find(request.functionId); text != octets_.end()) {
      Pdu reply = Response(pdu, 0, kValueOctets);
      std::get<FunctionResponse>(reply.body).octets = text->second;
      return reply;
    }
    const auto key = std::make_tuple(request.functionId, request.firstIndex, request.secondIndex);
    const auto value = integers_.find(key);
    return Response(pdu, 0, kValueInteger, value == integers_.end() ? 0 : value->second);
  }

  std::mutex mutex_;
  std::map<std::tuple<std::uint16_t, std::int32_t, std::int32_t>, std::int64_t> integers_;
  std::map<std::uint16_t, std::string> octets_;
  std::map<std::uint16_t, std::int32_t> refusals_;
  std::vector<FunctionRequest> requests_;
  std::function<void()> onRequest_;
  ScriptedPeer peer_;
};

}  // namespace ntr::test
