#include "link/address_watch.h"

#include <gtest/gtest.h>

#include "link/interface_table.h"
#include "tests/link/link_network.h"

namespace ntr::testing {
namespace {

class AddressWatchTest : public LinkNetworkTest {
 protected:
  // The first link status that differs from `unlike`.
  std::optional<std::int64_t> NextStatusOtherThan(std::int64_t unlike) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
      const auto notice = notices_.WaitFor(Notification::kLinkStatus, 1500ms);
      if (notice && notice->value != unlike) return notice->value;
    }
    return std::nullopt;
  }

  std::mutex applicationLock_;
  AddressWatch watch_{device_, &notices_, applicationLock_};
};

TEST_F(AddressWatchTest, ReportsTheLinkGoingDownAndUpAtThePeer) {
  StartTool();
  ErrorPair error;
  ASSERT_TRUE(watch_.Start(error));
  const auto first = notices_.WaitFor(Notification::kLinkStatus, kPatience);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->value, kOperStatusUp);

  ASSERT_TRUE(net_.SetLinkUp(peerNs_, link_.nameB, false)) << net_.error();
  EXPECT_EQ(NextStatusOtherThan(kOperStatusUp), 7);  // lower layer down
  ASSERT_TRUE(net_.SetLinkUp(peerNs_, link_.nameB, true)) << net_.error();
  EXPECT_EQ(NextStatusOtherThan(7), kOperStatusUp);
  watch_.Stop();
  EXPECT_TRUE(device_.capturing());
}

TEST_F(AddressWatchTest, ReopensTheCaptureWhenAdaptersComeOrGo) {
  StartTool();
  ErrorPair error;
  ASSERT_TRUE(watch_.Start(error));
  ASSERT_TRUE(notices_.WaitFor(Notification::kLinkStatus, kPatience));  // the set is known
  ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(1))));
  ASSERT_TRUE(WaitForQueued(1));

  PrivateNetwork::Veth extra;
  ASSERT_TRUE(net_.AddVeth(toolNs_, peerNs_, extra)) << net_.error();
  // Reopening restarts the capture, which empties the queue. The watch
  // reopens under the application's lock: look under it too.
  ASSERT_TRUE(Eventually([&] {
    std::lock_guard<std::mutex> lock(applicationLock_);
    return device_.QueuedCount() == 0 && device_.capturing();
  }));
  ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(2))));
  ASSERT_TRUE(WaitForQueued(1));
  EXPECT_EQ(Take(), Payload(2));
}

TEST_F(AddressWatchTest, AReopenThatFailsIsRetriedUntilTheAdapterIsBack) {
  StartTool();
  ErrorPair error;
  ASSERT_TRUE(watch_.Start(error));
  ASSERT_TRUE(notices_.WaitFor(Notification::kLinkStatus, kPatience));
  // Take the adapter away (its capture fails) and bring one of the same name back.
  ASSERT_TRUE(net_.Ip(toolNs_, {"link", "delete", link_.nameA})) << net_.error();
  ASSERT_TRUE(Eventually([&] {
    std::lock_guard<std::mutex> lock(applicationLock_);
    return !device_.capturing();
  }));
  ASSERT_TRUE(net_.Ip(toolNs_, {"link", "add", link_.nameA, "type", "veth", "peer", "name",
                                link_.nameB, "netns", peerNs_}))
      << net_.error();
  ASSERT_TRUE(net_.SetLinkUp(toolNs_, link_.nameA, true));
  ASSERT_TRUE(net_.SetLinkUp(peerNs_, link_.nameB, true));
  ASSERT_TRUE(Eventually([&] {
    std::lock_guard<std::mutex> lock(applicationLock_);
    return device_.capturing() && !device_.paused();
  }));
  PacketSocket newPeer;
  std::string text;
  ASSERT_TRUE(newPeer.Open(peerNs_, link_.nameB, text)) << text;
  ASSERT_TRUE(newPeer.Send(Answer(newPeer, Payload(3))));
  ASSERT_TRUE(WaitForQueued(1));
  EXPECT_EQ(Take(), Payload(3));
}

}  // namespace
}  // namespace ntr::testing
