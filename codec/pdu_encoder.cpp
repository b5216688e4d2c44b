#include "codec/pdu_encoder.h"

#include <string>

#include "codec/ber_writer.h"

namespace ntr {
namespace {

class Encoder {
 public:
  Encoder(ErrorPair& error, ByteWriter& out) : error_(error), out_(out), ber_(out) {}

  bool Message(const Pdu& pdu) {
    std::size_t sequence = 0;
    if (!Check(ber_.Begin(kTagSequence, sequence))) return false;
    if (!Check(ber_.Integer(pdu.headerValue) && ber_.Integer(pdu.transactionId) &&
               ber_.Octets(pdu.sourceMac) && ber_.Octets(pdu.destinationMac))) {
      return false;
    }
    if (!BodyMatchesApplication(pdu)) return error_.Fail(kErrApplicationNumber);
    std::size_t body = 0;
    if (!Check(ber_.Begin(
            static_cast<std::uint8_t>(kTagApplication + static_cast<std::int32_t>(pdu.application)),
            body))) {
      return false;
    }
    if (!std::visit([this](const auto& record) { return Body(record); }, pdu.body)) return false;
    if (!Check(ber_.End(body) && ber_.End(sequence))) return false;
    if (out_.size() < kMinPayload) return Check(out_.WriteZeros(kMinPayload - out_.size()));
    return true;
  }

 private:
  bool Check(bool ok) { return ok || error_.Fail(kErrBufferExhausted); }

  bool MacList(const std::vector<MacAddress>& macs) {
    std::size_t list = 0;
    if (!Check(ber_.Begin(kTagSequence, list))) return false;
    for (const auto& mac : macs) {
      if (!Check(ber_.Octets(mac))) return false;
    }
    return Check(ber_.End(list));
  }

  // A reply text goes up to its terminating zero, at most 64 bytes.
  bool ReplyText(const std::string& text) {
    std::string_view bytes(text);
    bytes = bytes.substr(0, bytes.find('\0')).substr(0, kMaxReplyText);
    return Check(ber_.Octets(bytes));
  }

  bool Value(std::int32_t valueType, std::int64_t intValue, const std::string& octets) {
    switch (valueType) {
      case kValueInteger:
        return Check(ber_.Integer(intValue));
      case kValueOctets:
        return Check(ber_.Octets(octets));
      case kValueNone:
        return Check(ber_.Null());
      default:
        return error_.Fail(kErrValueType, "value type=" + std::to_string(valueType));
    }
  }

  bool Index(const FunctionRequest& request) {
    std::size_t sequence = 0;
    if (!Check(ber_.Begin(kTagSequence, sequence))) return false;
    switch (request.indexType) {
      case kIndexNone:
        break;
      case kIndexPort:
      case kIndexInteger3:
      case kIndexRegistration:
        if (!Check(ber_.Integer(request.firstIndex))) return false;
        break;
      case kIndexMac:
        if (!Check(ber_.Octets(request.indexMac))) return false;
        break;
      case kIndexPair5:
      case kIndexPortGroup:
      case kIndexPortCounter:
      case kIndexPortRegistration:
        if (!Check(ber_.Integer(request.firstIndex) && ber_.Integer(request.secondIndex))) {
          return false;
        }
        break;
      default:
        return error_.Fail(kErrIndexType, "index type=" + std::to_string(request.indexType));
    }
    return Check(ber_.End(sequence));
  }

  bool Body(const EmptyBody&) { return true; }

  bool Body(const DiscoveryRequest& request) {
    return Check(ber_.Integer(request.queryValue) && ber_.Octets(request.requesterMac)) &&
           MacList(request.listedMacs);
  }

  bool Body(const DiscoveryReply& reply) {
    return Check(ber_.Integer(reply.result) && ber_.Octets(reply.switchMac) &&
                 ber_.Integer(reply.fingerprint)) &&
           ReplyText(reply.firstText) && ReplyText(reply.secondText) &&
           MacList(reply.neighbourMacs);
  }

  bool Body(const FirmwareBlock& block) {
    return Check(ber_.Integer(block.blockNumber) && ber_.Octets(block.data));
  }

  bool Body(const FunctionRequest& request) {
    const std::uint8_t id[2] = {static_cast<std::uint8_t>(request.functionId >> 8),
                                static_cast<std::uint8_t>(request.functionId)};
    return Check(ber_.Integer(request.leadingValue) && ber_.Integer(request.operation) &&
                 ber_.Octets(id)) &&
           Value(request.valueType, request.intValue, request.octets) && Index(request);
  }

  bool Body(const FunctionResponse& response) {
    return Check(ber_.Integer(response.result) && ber_.Integer(response.secondValue)) &&
           Value(response.valueType, response.intValue, response.octets);
  }

  bool Body(const ResultBody& body) { return Check(ber_.Integer(body.result)); }

  bool Body(const FingerprintAnswerBody& body) {
    return Check(ber_.Integer(body.result) && ber_.Integer(body.fingerprint));
  }

  bool Body(const TwoIntegersBody& body) {
    return Check(ber_.Integer(body.first) && ber_.Integer(body.second));
  }

  bool Body(const OneIntegerBody& body) { return Check(ber_.Integer(body.value)); }

  ErrorPair& error_;
  ByteWriter& out_;
  BerWriter ber_;
};

}  // namespace

bool EncodePdu(ErrorPair& error, std::span<std::uint8_t> buffer, const Pdu& pdu,
               std::size_t& written) {
  written = 0;
  if (buffer.size() < kMinPayload) return error.Fail(kErrBufferExhausted);
  ByteWriter out(buffer);
  Encoder encoder(error, out);
  if (!encoder.Message(pdu)) return false;
  written = out.size();
  return true;
}

}  // namespace ntr
