#include "protocol/pdu.h"

namespace ntr {

std::optional<PduBody> EmptyBodyFor(std::int32_t application) {
  switch (application) {
    case kAppDiscoveryRequest:
      return DISCOVERYREQUEST{};
    case kAppDiscoveryReply:
      return DISCOVERYREPLY{};
    case kAppFirmPrepare:
    case kAppFirmAbort:
    case kAppFingerprintQuery:
    case kAppConfigSync:
    case kAppReserved14:
    case kAppNoticeFan:
      return EmptyBody{};
    case kAppFirmPrepareAnswer:
    case kAppFirmBlockAnswer:
    case kAppFirmAbortAnswer:
    case kAppConfigSyncAnswer:
      return ResultBody{};
    case kAppFirmBlock:
      return FIRMBLOCK{};
    case kAppFuncRequest:
      return FUNCREQUEST{};
    case kAppFuncResponse:
      return FUNCRESPONSE{};
    case kAppFingerprintAnswer:
      return FingerprintAnswerBody{};
    case kAppNoticePortSpeed:
    case kAppNotice25:
      return TwoIntegersBody{};
    case kAppNoticeLinkDown:
    case kAppNoticeLoop:
    case kAppNotice26:
      return OneIntegerBody{};
    default:
      return std::nullopt;  // 15 to 19, 24 and above 26 do not exist
  }
}

bool BodyMatchesApplication(const PDUDATA& pdu) {
  const auto expected = EmptyBodyFor(pdu.application);
  return expected && expected->index() == pdu.body.index();
}

}  // namespace ntr
