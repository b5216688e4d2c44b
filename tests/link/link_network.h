// A test fixture with the tool's side of a private network: the test thread
// lives in the tool's namespace, whose veth leads to a peer namespace where a
// plain packet socket answers for the switches.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/auto_reset_event.h"
#include "base/notification_queue.h"
#include "link/pcap_endpoint.h"
#include "tests/support/packet_socket.h"
#include "tests/support/private_network.h"

namespace ntr::testing {

using namespace std::chrono_literals;

// Generous bound for anything that should happen at once.
inline constexpr auto kPatience = 5s;

inline std::vector<std::uint8_t> Payload(std::uint8_t tag, std::size_t size = 46) {
  std::vector<std::uint8_t> payload(size);
  for (std::size_t i = 0; i < size; ++i) payload[i] = static_cast<std::uint8_t>(tag + i);
  return payload;
}

// Frame from the peer to the tool's group address.
inline Frame Answer(const PacketSocket& peer, std::span<const std::uint8_t> payload) {
  return MakeFrame(kToolGroupAddress, peer.mac(), 0xE8, 0x12, payload);
}

// Waits on `event` until `done` holds, at most `bound`.
inline bool WaitOn(AutoResetEvent& event, const std::function<bool()>& done,
                   std::chrono::milliseconds bound = kPatience) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return done();
    event.Wait(std::min<std::chrono::milliseconds>(left, 100ms));
  }
  return true;
}

// For state that no event announces: looks again every few milliseconds.
inline bool Eventually(const std::function<bool()>& done,
                       std::chrono::milliseconds bound = kPatience) {
  AutoResetEvent never;
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    never.Wait(5ms);
  }
  return true;
}

class LinkNetworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    toolNs_ = net_.AddNamespace();
    ASSERT_FALSE(toolNs_.empty()) << net_.error();
    peerNs_ = net_.AddNamespace();
    ASSERT_FALSE(peerNs_.empty()) << net_.error();
    ASSERT_TRUE(net_.AddVeth(toolNs_, peerNs_, link_)) << net_.error();
    inTool_.emplace(toolNs_);
    ASSERT_TRUE(inTool_->ok()) << "cannot enter " << toolNs_;
    std::string error;
    ASSERT_TRUE(peer_.Open(peerNs_, link_.nameB, error)) << error;
  }

  // Chooses the only adapter and starts capture with the receive event.
  void StartTool() {
    HeadlessAdapterChooser chooser;
    ASSERT_TRUE(device_.ChooseAdapter(chooser)) << FormatErrorMessage(device_.error());
    device_.SetReceiveNotice(&received_);
    ASSERT_TRUE(device_.StartCapture()) << FormatErrorMessage(device_.error());
  }

  bool WaitForQueued(std::size_t count, std::chrono::milliseconds bound = kPatience) {
    return WaitOn(
        received_, [&] { return device_.QueuedCount() >= count; }, bound);
  }

  std::vector<std::uint8_t> Take() {
    std::vector<std::uint8_t> buffer(1600);
    buffer.resize(device_.TakeFrame(buffer));
    return buffer;
  }

  // Destroyed in reverse order: the endpoint stops its thread first, the
  // thread leaves the namespace, then the network is deleted.
  PrivateNetwork net_;
  std::string toolNs_, peerNs_;
  PrivateNetwork::Veth link_;
  std::optional<NamespaceScope> inTool_;
  NotificationQueue notices_;
  AutoResetEvent received_;
  PcapEndpoint device_{&notices_};
  PacketSocket peer_;
};

}  // namespace ntr::testing
