// One management message (Pdu) and its body records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "base/mac_address.h"

namespace ntr {

// The application number of a message: the [APPLICATION n] tag of its body.
enum class PduType : std::int32_t {
  kDiscoveryRequest = 0,
  kDiscoveryReply = 1,
  kFirmPrepare = 2,
  kFirmPrepareAnswer = 3,
  kFirmBlock = 4,
  kFirmBlockAnswer = 5,
  kFirmAbort = 6,
  kFirmAbortAnswer = 7,
  kFuncRequest = 8,
  kFuncResponse = 9,
  kFingerprintQuery = 10,
  kFingerprintAnswer = 11,
  kConfigSync = 12,
  kConfigSyncAnswer = 13,
  kReserved14 = 14,       // exists on the wire, never sent by the tool
  kNoticePortSpeed = 20,  // port, new link speed
  kNoticeLinkDown = 21,   // port
  kNoticeFan = 22,        // fan failure
  kNoticeLoop = 23,       // port where a loop was detected
  kNotice25 = 25,         // two integers, ignored
  kNotice26 = 26,         // one integer, ignored
};

// Value types of a function value.
enum ValueType : std::int32_t { kValueInteger = 0, kValueOctets = 1, kValueNone = 2 };

// Operations of a function request.
enum Operation : std::int32_t { kOpSet = 0, kOpSetDefault = 1, kOpGet = 2, kOpExecute = 3 };

// Index types of a function request: how one instance of a function is named.
enum IndexType : std::int32_t {
  kIndexNone = 0,
  kIndexPort = 1,              // one integer (for the fan speed: a fan number)
  kIndexMac = 2,               // a MAC address
  kIndexInteger3 = 3,          // one integer
  kIndexRegistration = 4,      // one integer, a VLAN registration number
  kIndexPair5 = 5,             // two integers
  kIndexPortGroup = 6,         // port number, multiple-VLAN group number
  kIndexPortCounter = 7,       // port number, counter number
  kIndexPortRegistration = 8,  // port number, VLAN registration number
};
inline constexpr std::int32_t kLastIndexType = kIndexPortRegistration;

// Switch result codes in answers. Values outside 0..8 are kept as kResultOther.
inline constexpr std::int32_t kResultSuccess = 0;
inline constexpr std::int32_t kResultOther = 100;

// Capacities of the fixed fields, as the decoder bounds them.
inline constexpr std::size_t kMaxListedMacs = 8;
inline constexpr std::size_t kMaxNeighbourMacs = 24;
inline constexpr std::size_t kMaxReplyText = 64;
inline constexpr std::size_t kMaxFirmBlockData = 512;
inline constexpr std::size_t kMaxOctetValue = 65;

struct DiscoveryRequest {
  std::int32_t queryValue = 0;  // the tool sends 30
  MacAddress requesterMac{};
  std::vector<MacAddress> listedMacs;  // at most 8; empty asks every switch
  bool operator==(const DiscoveryRequest&) const = default;
};

struct DiscoveryReply {
  std::int32_t result = 0;
  MacAddress switchMac{};
  std::int32_t fingerprint = 0;
  std::string firstText;                  // raw bytes, at most 64, no zero byte
  std::string secondText;                 // raw bytes, at most 64, no zero byte
  std::vector<MacAddress> neighbourMacs;  // one per port, zero where none; at most 24
  bool operator==(const DiscoveryReply&) const = default;
};

struct FirmwareBlock {
  std::int32_t blockNumber = 0;
  std::vector<std::uint8_t> data;  // at most 512 bytes
  bool operator==(const FirmwareBlock&) const = default;
};

struct FunctionRequest {
  std::int32_t leadingValue = 0;  // 0 in every request the tool sends
  Operation operation = kOpGet;
  std::uint16_t functionId = 0;
  std::int32_t valueType = kValueNone;
  std::int64_t intValue = 0;  // value type 0
  std::string octets;         // value type 1: raw bytes (code page 932 text), at most 65
  std::int32_t indexType = kIndexNone;
  std::int32_t firstIndex = 0;   // index types 1, 3 to 8
  MacAddress indexMac{};         // index type 2
  std::int32_t secondIndex = 0;  // index types 5 to 8
  bool operator==(const FunctionRequest&) const = default;
};

struct FunctionResponse {
  std::int32_t result = 0;
  std::int32_t secondValue = 0;  // not interpreted by the tool
  std::int32_t valueType = kValueNone;
  std::int64_t intValue = 0;
  std::string octets;
  bool operator==(const FunctionResponse&) const = default;
};

// Applications 3, 5, 7, 13.
struct ResultBody {
  std::int32_t result = 0;
  bool operator==(const ResultBody&) const = default;
};

// Application 11.
struct FingerprintAnswerBody {
  std::int32_t result = 0;
  std::int32_t fingerprint = 0;
  bool operator==(const FingerprintAnswerBody&) const = default;
};

// Applications 20 and 25 (no result mapping).
struct TwoIntegersBody {
  std::int32_t first = 0;
  std::int32_t second = 0;
  bool operator==(const TwoIntegersBody&) const = default;
};

// Applications 21, 23, 26.
struct OneIntegerBody {
  std::int32_t value = 0;
  bool operator==(const OneIntegerBody&) const = default;
};

// Applications 2, 6, 10, 12, 14, 22.
struct EmptyBody {
  bool operator==(const EmptyBody&) const = default;
};

using PduBody = std::variant<EmptyBody, DiscoveryRequest, DiscoveryReply, FirmwareBlock,
                             FunctionRequest, FunctionResponse, ResultBody, FingerprintAnswerBody,
                             TwoIntegersBody, OneIntegerBody>;

struct Pdu {
  std::int32_t headerValue = 0;  // 0 in every message the tool sends
  std::int32_t transactionId = 0;
  MacAddress sourceMac{};
  MacAddress destinationMac{};
  PduType application = PduType::kFirmPrepare;
  PduBody body;
  bool operator==(const Pdu&) const = default;
};

// The body record that `application` carries, default-initialised, or nothing
// when no such application number exists.
std::optional<PduBody> EmptyBodyFor(PduType application);

// True when `pdu.body` holds the record its application number carries.
bool BodyMatchesApplication(const Pdu& pdu);

}  // namespace ntr
