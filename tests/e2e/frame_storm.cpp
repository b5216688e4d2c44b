#include "tests/e2e/frame_storm.h"

#include <chrono>
#include <memory>
#include <random>

#include "catalogue/function_descriptors.h"
#include "codec/pdu_decoder.h"
#include "codec/pdu_encoder.h"
#include "tests/support/packet_socket.h"

namespace ntr::e2e {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Encode(const Pdu& pdu) {
  Bytes bytes(kEncodeBufferSize);
  std::size_t written = 0;
  ErrorPair error;
  if (!EncodePdu(error, bytes, pdu, written)) return {};
  bytes.resize(written);
  return bytes;
}

}  // namespace

FrameStorm::FrameStorm(std::string ns, std::string interface, std::vector<MacAddress> switches,
                       Mix mix)
    : ns_(std::move(ns)),
      interface_(std::move(interface)),
      switches_(std::move(switches)),
      mix_(mix) {}

FrameStorm::~FrameStorm() { Stop(); }

bool FrameStorm::Start(std::string& error) {
  auto socket = std::make_shared<testing::PacketSocket>();
  if (!socket->Open(ns_, interface_, error)) return false;
  thread_ = std::thread([this, socket] {
    std::mt19937 random(20261207);
    std::atomic<bool>* stopping = &stopping_;
    const auto randomMac = [&] {
      MacAddress mac;
      for (auto& byte : mac) byte = static_cast<std::uint8_t>(random());
      mac[0] = static_cast<std::uint8_t>(mac[0] & 0xFE);  // a unicast source
      return mac;
    };
    const auto someSwitch = [&] { return switches_[random() % switches_.size()]; };
    const auto send = [&](const MacAddress& source, const Bytes& payload) {
      const auto frame = testing::MakeFrame(kToolGroupAddress, source, 0xE8, 0x12, payload);
      if (socket->Send(frame)) ++sent_;
    };
    // A well-formed message of application `app` with random contents.
    const auto message = [&](PduType app, std::int32_t tid, const MacAddress& source) {
      Pdu pdu;
      pdu.transactionId = tid;
      pdu.sourceMac = source;
      pdu.destinationMac = kToolGroupAddress;
      pdu.application = app;
      switch (app) {
        case PduType::kDiscoveryReply: {
          DiscoveryReply reply;
          reply.result = static_cast<std::int32_t>(random() % 3);
          reply.switchMac = source;
          reply.fingerprint = static_cast<std::int32_t>(random());
          reply.firstText = "NTR7100-24G";
          reply.secondText = "SPOOF" + std::to_string(random() % 1000);
          reply.neighbourMacs.resize(random() % 25);
          for (auto& neighbour : reply.neighbourMacs)
            neighbour = random() % 2 ? randomMac() : someSwitch();
          pdu.body = reply;
          break;
        }
        case PduType::kFuncResponse: {
          FunctionResponse response;
          response.result = static_cast<std::int32_t>(random() % 10);
          response.valueType = static_cast<std::int32_t>(random() % 3);
          response.intValue = static_cast<std::int64_t>(random()) - 0x7FFFFFFF;
          if (response.valueType == kValueOctets) response.octets = std::string(random() % 66, 'X');
          pdu.body = response;
          break;
        }
        case PduType::kFingerprintAnswer:
          pdu.body = FingerprintAnswerBody{static_cast<std::int32_t>(random() % 3),
                                           static_cast<std::int32_t>(random())};
          break;
        case PduType::kFirmPrepareAnswer:
        case PduType::kFirmBlockAnswer:
        case PduType::kFirmAbortAnswer:
        case PduType::kConfigSyncAnswer:
          pdu.body = ResultBody{static_cast<std::int32_t>(random() % 9)};
          break;
        case PduType::kNoticePortSpeed:
        case PduType::kNotice25: {
          static const std::int32_t kPorts[] = {0, -1, 25, 99, 1000000, -2147483647};
          pdu.body = TwoIntegersBody{kPorts[random() % 6], static_cast<std::int32_t>(random() % 9)};
          break;
        }
        case PduType::kNoticeLinkDown:
        case PduType::kNoticeLoop:
        case PduType::kNotice26: {
          static const std::int32_t kPorts[] = {0, -1, 25, 99, 1000000, -2147483647};
          pdu.body = OneIntegerBody{kPorts[random() % 6]};
          break;
        }
        default:
          pdu.body = EmptyBody{};
          break;
      }
      return Encode(pdu);
    };
    // Garbage of several kinds.
    const auto garbage = [&] {
      Bytes payload;
      switch (random() % 5) {
        case 0:  // random bytes of random length
          payload.resize(random() % 1500);
          for (auto& byte : payload) byte = static_cast<std::uint8_t>(random());
          break;
        case 1: {  // a message cut short
          payload =
              message(PduType::kFuncResponse, static_cast<std::int32_t>(random()), someSwitch());
          payload.resize(payload.empty() ? 0 : random() % payload.size());
          break;
        }
        case 2: {  // a message with bits flipped
          payload = message(random() % 2 ? PduType::kDiscoveryReply : PduType::kFuncResponse,
                            static_cast<std::int32_t>(random()), someSwitch());
          for (int i = 0; i < 4 && !payload.empty(); ++i) {
            payload[random() % payload.size()] ^= static_cast<std::uint8_t>(1u << (random() % 8));
          }
          break;
        }
        case 3: {  // BER lengths that claim far more than there is
          payload = {0x30, 0x84, 0x7F, 0xFF, 0xFF, 0xFF, 0x02, 0x88, 0xFF, 0xFF, 0xFF,
                     0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x83, 0xFF, 0xFF, 0xFF};
          payload.resize(46 + random() % 40, 0xFF);
          break;
        }
        default: {  // notices from real and spoofed switches with impossible ports
          static const PduType kNotices[] = {PduType::kNoticePortSpeed, PduType::kNoticeLinkDown,
                                             PduType::kNoticeLoop,      PduType::kNotice25,
                                             PduType::kNotice26,        PduType::kNoticeFan,
                                             PduType::kReserved14};
          payload = message(kNotices[random() % 7], static_cast<std::int32_t>(random()),
                            random() % 2 ? someSwitch() : randomMac());
          break;
        }
      }
      send(random() % 2 ? someSwitch() : randomMac(), payload);
    };

    auto nextGarbage = std::chrono::steady_clock::now();
    while (!stopping->load()) {
      if (const auto frame = socket->Receive(std::chrono::milliseconds(1))) {
        // A request of the tool: 14-byte header, to the switches' group address.
        if (frame->size() > 14 &&
            std::equal(kSwitchGroupAddress.begin(), kSwitchGroupAddress.end(), frame->begin())) {
          Pdu request;
          ErrorPair decodeError;
          if (DecodePdu(decodeError, std::span(*frame).subspan(14), LookupFunctionTypes, request)) {
            ++requests_;
            const PduType answerApp =
                request.application == PduType::kDiscoveryRequest
                    ? PduType::kDiscoveryReply
                    : static_cast<PduType>(static_cast<std::int32_t>(request.application) + 1);
            const MacAddress asked = request.application == PduType::kDiscoveryRequest
                                         ? someSwitch()
                                         : request.destinationMac;
            // Answers of the right kind that no transaction waits for.
            for (const std::int32_t tid :
                 {request.transactionId + 1000003, request.transactionId ^ 0x55555555,
                  -request.transactionId - 7}) {
              send(asked, message(answerApp, tid, asked));
            }
            // Discovery replies from switches that do not exist.
            send(randomMac(),
                 message(PduType::kDiscoveryReply, request.transactionId + 7777777, randomMac()));
            if (mix_.hijack) {
              const MacAddress other = random() % 2 ? randomMac() : someSwitch();
              send(other, message(answerApp, request.transactionId, other));
            }
          }
        }
      }
      const auto now = std::chrono::steady_clock::now();
      if (now - nextGarbage > std::chrono::milliseconds(50)) nextGarbage = now;  // no catching up
      while (nextGarbage <= now) {
        for (int i = 0; i < mix_.garbagePerMillisecond; ++i) garbage();
        nextGarbage += std::chrono::milliseconds(1);
      }
    }
  });
  return true;
}

void FrameStorm::Stop() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
}

}  // namespace ntr::e2e
