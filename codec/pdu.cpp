#include "codec/pdu.h"

namespace ntr {

std::optional<PduBody> EmptyBodyFor(PduType application) {
  switch (application) {
    case PduType::kDiscoveryRequest:
      return DiscoveryRequest{};
    case PduType::kDiscoveryReply:
      return DiscoveryReply{};
    case PduType::kFirmPrepare:
    case PduType::kFirmAbort:
    case PduType::kFingerprintQuery:
    case PduType::kConfigSync:
    case PduType::kReserved14:
    case PduType::kNoticeFan:
      return EmptyBody{};
    case PduType::kFirmPrepareAnswer:
    case PduType::kFirmBlockAnswer:
    case PduType::kFirmAbortAnswer:
    case PduType::kConfigSyncAnswer:
      return ResultBody{};
    case PduType::kFirmBlock:
      return FirmwareBlock{};
    case PduType::kFuncRequest:
      return FunctionRequest{};
    case PduType::kFuncResponse:
      return FunctionResponse{};
    case PduType::kFingerprintAnswer:
      return FingerprintAnswerBody{};
    case PduType::kNoticePortSpeed:
    case PduType::kNotice25:
      return TwoIntegersBody{};
    case PduType::kNoticeLinkDown:
    case PduType::kNoticeLoop:
    case PduType::kNotice26:
      return OneIntegerBody{};
    default:
      return std::nullopt;  // 15 to 19, 24 and above 26 do not exist
  }
}

bool BodyMatchesApplication(const Pdu& pdu) {
  const auto expected = EmptyBodyFor(pdu.application);
  return expected && expected->index() == pdu.body.index();
}

}  // namespace ntr
