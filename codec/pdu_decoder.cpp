#include "codec/pdu_decoder.h"

#include <string>

#include "codec/ber_reader.h"

namespace ntr {
namespace {

// True for the application numbers that exist: 0 to 14, 20 to 23, 25, 26.
bool ApplicationExists(PduType application) { return EmptyBodyFor(application).has_value(); }

class Decoder {
 public:
  Decoder(ErrorPair& error, ByteReader& in, FunctionTypeLookup lookup)
      : error_(error), ber_(in, error), lookup_(lookup) {}

  bool Message(Pdu& pdu) {
    if (ber_.remaining() == 0) return error_.Fail(kErrBufferExhausted);
    if (!ber_.SequenceIdentifier() || !ber_.SkipLength()) return false;
    if (!ber_.Integer32(pdu.headerValue) || !ber_.Integer32(pdu.transactionId) ||
        !ber_.Mac(pdu.sourceMac) || !ber_.Mac(pdu.destinationMac)) {
      return false;
    }
    PduType application{};
    if (!BodyIdentifier(application) || !ber_.SkipLength()) return false;
    pdu.body = *EmptyBodyFor(application);
    if (!std::visit([&](auto& record) { return Body(application, record); }, pdu.body)) {
      return false;
    }
    pdu.application = application;
    return true;
  }

 private:
  bool BodyIdentifier(PduType& application) {
    std::uint8_t number = 0;
    if (!ber_.ApplicationIdentifier(number)) return false;
    application = static_cast<PduType>(number);
    return ApplicationExists(application) || error_.Fail(kErrRxApplication);
  }

  // A SEQUENCE of OCTET STRING(6): entries are read while fewer than `limit`
  // have been read and the SEQUENCE's contents are not used up.
  bool MacList(std::size_t limit, std::vector<MacAddress>& macs) {
    std::size_t length = 0;
    if (!ber_.SequenceIdentifier() || !ber_.ContentLength(length)) return false;
    const std::size_t start = ber_.position();
    macs.clear();
    while (macs.size() < limit && ber_.position() - start < length) {
      MacAddress mac{};
      if (!ber_.Mac(mac)) return false;
      macs.push_back(mac);
    }
    return true;
  }

  bool ReplyText(std::string& text) {
    if (!ber_.Octets(kMaxReplyText, text)) return false;
    // The record keeps zero-terminated text: a zero byte ends it.
    const auto end = text.find('\0');
    if (end != std::string::npos) text.resize(end);
    return true;
  }

  // The value of a function response: its identifier decides its type.
  bool ResponseValue(FunctionResponse& response) {
    std::uint8_t tag = 0;
    if (!ber_.PrimitiveIdentifier(tag)) return false;
    switch (tag) {
      case kTagInteger:
        response.valueType = kValueInteger;
        return ber_.IntegerContent(response.intValue);
      case kTagOctetString:
        response.valueType = kValueOctets;
        return ber_.OctetsContent(kMaxOctetValue, response.octets);
      case kTagNull:
        response.valueType = kValueNone;
        return ber_.NullContent();
      default:
        return error_.Fail(kErrRxIdentifierTag);
    }
  }

  bool RequestValue(FunctionRequest& request) {
    switch (request.valueType) {
      case kValueInteger:
        return ber_.Integer(request.intValue);
      case kValueOctets:
        return ber_.Octets(kMaxOctetValue, request.octets);
      case kValueNone:
        return ber_.Null();
      default:
        return error_.Fail(kErrValueType, "value type=" + std::to_string(request.valueType));
    }
  }

  bool RequestIndex(FunctionRequest& request) {
    std::size_t length = 0;
    if (!ber_.SequenceIdentifier() || !ber_.ContentLength(length)) return false;
    switch (request.indexType) {
      case kIndexNone:
        return true;
      case kIndexPort:
      case kIndexInteger3:
      case kIndexRegistration:
        return ber_.Integer32(request.firstIndex);
      case kIndexMac:
        return ber_.Mac(request.indexMac);
      case kIndexPair5:
      case kIndexPortGroup:
      case kIndexPortCounter:
      case kIndexPortRegistration:
        return ber_.Integer32(request.firstIndex) && ber_.Integer32(request.secondIndex);
      default:
        return error_.Fail(kErrIndexType, "index type=" + std::to_string(request.indexType));
    }
  }

  bool Body(PduType, EmptyBody&) { return true; }

  bool Body(PduType, DiscoveryRequest& request) {
    return ber_.Integer32(request.queryValue) && ber_.Mac(request.requesterMac) &&
           MacList(kMaxListedMacs, request.listedMacs);
  }

  bool Body(PduType, DiscoveryReply& reply) {
    return ber_.Result(reply.result) && ber_.Mac(reply.switchMac) &&
           ber_.Integer32(reply.fingerprint) && ReplyText(reply.firstText) &&
           ReplyText(reply.secondText) && MacList(kMaxNeighbourMacs, reply.neighbourMacs);
  }

  bool Body(PduType, FirmwareBlock& block) {
    std::string data;
    if (!ber_.Integer32(block.blockNumber) || !ber_.Octets(kMaxFirmBlockData, data)) return false;
    block.data.assign(data.begin(), data.end());
    return true;
  }

  bool Body(PduType, FunctionRequest& request) {
    std::string id;
    // Any 32-bit number is kept: the enum's underlying type holds it.
    std::int32_t operation = 0;
    if (!ber_.Integer32(request.leadingValue) || !ber_.Integer32(operation) ||
        !ber_.Octets(2, id)) {
      return false;
    }
    request.operation = static_cast<Operation>(operation);
    id.resize(2, '\0');
    request.functionId = static_cast<std::uint16_t>(static_cast<std::uint8_t>(id[0]) << 8 |
                                                    static_cast<std::uint8_t>(id[1]));
    std::int32_t valueType = 0;
    std::int32_t indexType = 0;
    if (lookup_ == nullptr || !lookup_(request.functionId, valueType, indexType)) {
      return error_.Fail(kErrRxFunctionId);
    }
    const bool carriesValue = request.operation != kOpSetDefault && request.operation != kOpGet;
    request.valueType = carriesValue ? valueType : kValueNone;
    request.indexType = indexType;
    return RequestValue(request) && RequestIndex(request);
  }

  bool Body(PduType, FunctionResponse& response) {
    return ber_.Result(response.result) && ber_.Integer32(response.secondValue) &&
           ResponseValue(response);
  }

  bool Body(PduType, ResultBody& body) { return ber_.Result(body.result); }

  bool Body(PduType, FingerprintAnswerBody& body) {
    return ber_.Result(body.result) && ber_.Integer32(body.fingerprint);
  }

  bool Body(PduType, TwoIntegersBody& body) {
    return ber_.Integer32(body.first) && ber_.Integer32(body.second);
  }

  bool Body(PduType, OneIntegerBody& body) { return ber_.Integer32(body.value); }

  ErrorPair& error_;
  BerReader ber_;
  FunctionTypeLookup lookup_;
};

}  // namespace

bool DecodePdu(ErrorPair& error, std::span<const std::uint8_t> payload, FunctionTypeLookup lookup,
               Pdu& pdu) {
  ByteReader in(payload);
  Decoder decoder(error, in, lookup);
  return decoder.Message(pdu);
}

}  // namespace ntr
