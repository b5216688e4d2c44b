// Transactions over real frames: the tool's PcapEndpoint in one namespace of a
// private network, a switch answering on a plain packet socket in the other.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "device/switch_client.h"
#include "link/pcap_endpoint.h"
#include "tests/support/packet_socket.h"
#include "tests/support/pdu_bytes.h"
#include "tests/support/private_network.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;
using testing::MakeFrame;
using testing::NamespaceScope;
using testing::PacketSocket;
using testing::PrivateNetwork;

// Answers every function request: gets with the port number times ten.
class PacketSwitch {
 public:
  explicit PacketSwitch(PacketSocket& socket) : socket_(socket), thread_([this] { Run(); }) {}
  ~PacketSwitch() {
    stop_ = true;
    thread_.join();
  }
  int answered() const { return answered_; }

 private:
  void Run() {
    while (!stop_) {
      const auto frame = socket_.Receive(50ms);
      if (!frame || frame->size() < 14) continue;
      const test::Bytes payload(frame->begin() + 14, frame->end());
      Pdu request;
      ErrorPair error;
      if (!DecodePdu(error, payload, LookupFunctionTypes, request) ||
          request.application != PduType::kFuncRequest) {
        continue;
      }
      const auto& function = std::get<FunctionRequest>(request.body);
      Pdu reply;
      reply.transactionId = request.transactionId;
      reply.sourceMac = socket_.mac();
      reply.destinationMac = kToolGroupAddress;
      reply.application = PduType::kFuncResponse;
      FunctionResponse response;
      response.valueType = function.operation == kOpGet ? kValueInteger : kValueNone;
      response.intValue = function.firstIndex * 10;
      reply.body = response;
      const auto bytes = test::EncodeOrDie(reply);
      ++answered_;  // before the send: the tool may see the answer at once
      socket_.Send(MakeFrame(kToolGroupAddress, socket_.mac(), 0xE8, 0x12, bytes));
    }
  }

  PacketSocket& socket_;
  std::atomic<bool> stop_{false};
  std::atomic<int> answered_{0};
  std::thread thread_;
};

TEST(RealLinkTransactions, DispatcherPairsAnswersOnRealFrames) {
  PrivateNetwork net;
  const std::string toolNs = net.AddNamespace();
  const std::string switchNs = net.AddNamespace();
  ASSERT_FALSE(toolNs.empty() || switchNs.empty()) << net.error();
  PrivateNetwork::Veth veth;
  ASSERT_TRUE(net.AddVeth(toolNs, switchNs, veth)) << net.error();
  PacketSocket socket;
  std::string error;
  ASSERT_TRUE(socket.Open(switchNs, veth.nameB, error)) << error;
  PacketSwitch peer(socket);

  NamespaceScope inTool(toolNs);
  ASSERT_TRUE(inTool.ok());
  PcapEndpoint device;
  HeadlessAdapterChooser chooser;
  ASSERT_TRUE(device.ChooseAdapter(chooser)) << FormatErrorMessage(device.error());
  TransactionHub hub(device, LookupFunctionTypes);
  MacAddress adapter{};
  ASSERT_TRUE(device.AdapterMac(-1, adapter));
  hub.SetSourceMac(adapter);
  ASSERT_TRUE(hub.StartReceiveThread());  // hands the link its receive event
  ASSERT_TRUE(device.StartCapture());

  SwitchRecord record;
  record.modelName = "NTR7100-24G";
  record.switchMac = socket.mac();
  record.switchState = kStateIdle;
  SwitchClient node(hub, record, nullptr);
  node.Attach();
  for (int port = 0; port < 24; ++port) {
    ErrorPair failure;
    ASSERT_TRUE(node.Get(Function::kQosPolicingSpeed, FunctionIndex::Port(port), failure))
        << failure.code;
    EXPECT_EQ(record.ports[port].policingRate, (port + 1) * 10);
  }
  EXPECT_EQ(peer.answered(), 24);
  EXPECT_EQ(hub.PendingCount(), 0u);
  hub.StopReceiveThread();
  device.Close();
}

}  // namespace
}  // namespace ntr
