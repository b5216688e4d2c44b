#include "link/pcap_endpoint.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <thread>

#include "link/link_frame.h"
#include "tests/link/link_network.h"

namespace ntr::testing {
namespace {

using PcapEndpointTest = LinkNetworkTest;

TEST_F(PcapEndpointTest, ExchangesManagementFramesWithThePeer) {
  StartTool();
  const MacAddress mac = device_.openedAdapter()->mac;
  ErrorPair error;
  ASSERT_TRUE(device_.Send(Payload(0x30), error)) << FormatErrorMessage(error);
  const auto seen = peer_.Receive(kPatience);
  ASSERT_TRUE(seen);
  EXPECT_EQ(*seen, MakeFrame(kSwitchGroupAddress, mac, 0xE8, 0x12, Payload(0x30)));

  ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(0x40))));
  ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(0x50, 300))));
  ASSERT_TRUE(WaitForQueued(2));
  EXPECT_EQ(Take(), Payload(0x40));
  EXPECT_EQ(Take(), Payload(0x50, 300));
  EXPECT_EQ(notices_.size(), 0u);  // the event carried the news
}

TEST_F(PcapEndpointTest, WithoutAReceiveEventPostsFramesReceived) {
  HeadlessAdapterChooser chooser;
  ASSERT_TRUE(device_.ChooseAdapter(chooser));
  ASSERT_TRUE(device_.StartCapture());
  ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(1))));
  ASSERT_TRUE(notices_.WaitFor(Notification::kFramesReceived, kPatience));
  EXPECT_EQ(Take(), Payload(1));
}

TEST_F(PcapEndpointTest, KeepsOnlyProtocolFramesAddressedToTheTool) {
  StartTool();
  ErrorPair error;
  ASSERT_TRUE(device_.Send(Payload(0x10), error));  // its own frame passes its capture
  ASSERT_TRUE(peer_.Receive(kPatience));
  const MacAddress unicast = device_.openedAdapter()->mac;
  ASSERT_TRUE(peer_.Send(MakeFrame(kSwitchGroupAddress, peer_.mac(), 0xE8, 0x12, Payload(2))));
  ASSERT_TRUE(peer_.Send(MakeFrame(kToolGroupAddress, peer_.mac(), 0xE8, 0x13, Payload(3))));
  ASSERT_TRUE(peer_.Send(MakeFrame(kToolGroupAddress, peer_.mac(), 0x08, 0x00, Payload(4))));
  ASSERT_TRUE(peer_.Send(MakeFrame(unicast, peer_.mac(), 0xE8, 0x12, Payload(5))));
  // The link keeps order: once the last frame is queued the others were seen.
  ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(6))));
  ASSERT_TRUE(WaitForQueued(1));
  EXPECT_EQ(device_.QueuedCount(), 1u);
  EXPECT_EQ(Take(), Payload(6));
}

TEST_F(PcapEndpointTest, TakeFrameWithASmallBufferCutsAndDropsTheRest) {
  StartTool();
  ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(7, 100))));
  ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(8))));
  ASSERT_TRUE(WaitForQueued(2));
  std::vector<std::uint8_t> small(10);
  ASSERT_EQ(device_.TakeFrame(small), 10u);
  EXPECT_EQ(small, Payload(7, 10));
  EXPECT_EQ(Take(), Payload(8));
}

TEST_F(PcapEndpointTest, RefusesOperationsOutOfOrderWithTheirCodes) {
  ErrorPair error;
  const auto payload = Payload(1);
  EXPECT_FALSE(device_.Send(payload, error));
  EXPECT_EQ(error.code, kErrNoDeviceSelected);
  EXPECT_FALSE(device_.OpenSelectedAdapter());
  EXPECT_EQ(device_.error().code, kErrNoDeviceSelected);
  EXPECT_FALSE(device_.StartCapture());
  EXPECT_EQ(device_.error().code, kErrDeviceNotOpen);
  EXPECT_FALSE(device_.PauseCapture());
  EXPECT_EQ(device_.error().code, kErrDeviceNotOpen);
  MacAddress mac{};
  EXPECT_FALSE(device_.AdapterMac(0, mac));
  EXPECT_EQ(device_.error().code, kErrDeviceIndexRange);

  HeadlessAdapterChooser chooser;
  ASSERT_TRUE(device_.ChooseAdapter(chooser));
  EXPECT_FALSE(device_.Send(payload, error));  // open, but not capturing
  EXPECT_EQ(error.code, kErrNoCaptureThread);
  EXPECT_EQ(device_.error().code, kErrNoCaptureThread);
  ASSERT_TRUE(device_.StartCapture());
  EXPECT_FALSE(device_.Send(std::vector<std::uint8_t>(kMaxPayloadSize + 1), error));
  EXPECT_EQ(error.code, kErrBufferExhausted);
  EXPECT_TRUE(device_.Send(payload, error));
  EXPECT_TRUE(device_.StopCapture());
  EXPECT_FALSE(device_.Send(payload, error));
  EXPECT_EQ(error.code, kErrNoCaptureThread);
}

TEST_F(PcapEndpointTest, OpeningAnAdapterThatVanishedFailsWithTheLibrarysText) {
  HeadlessAdapterChooser chooser;
  ASSERT_TRUE(device_.ChooseAdapter(chooser));
  ASSERT_TRUE(net_.Ip(toolNs_, {"link", "delete", link_.nameA})) << net_.error();
  EXPECT_FALSE(device_.OpenSelectedAdapter());
  EXPECT_EQ(device_.error().code, kErrDeviceOpen);
  EXPECT_FALSE(device_.error().detail.empty());
}

TEST_F(PcapEndpointTest, ReopeningAnotherAdapterKeepsCapturingWithAnEmptyQueue) {
  PrivateNetwork::Veth second;
  ASSERT_TRUE(net_.AddVeth(toolNs_, peerNs_, second)) << net_.error();
  PacketSocket secondPeer;
  std::string text;
  ASSERT_TRUE(secondPeer.Open(peerNs_, second.nameB, text)) << text;
  HeadlessAdapterChooser chooser(link_.nameA);
  ASSERT_TRUE(device_.ChooseAdapter(chooser));
  device_.SetReceiveNotice(&received_);
  ASSERT_TRUE(device_.StartCapture());
  ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(1))));
  ASSERT_TRUE(WaitForQueued(1));

  const auto adapters = device_.adapters();
  ASSERT_EQ(adapters.size(), 2u);
  const int other = adapters[0].name == second.nameA ? 0 : 1;
  device_.SetSelectedIndex(other);
  ASSERT_TRUE(device_.OpenSelectedAdapter()) << FormatErrorMessage(device_.error());
  EXPECT_TRUE(device_.capturing());
  EXPECT_EQ(device_.QueuedCount(), 0u);

  // Frames now come from the new adapter only, and sends leave through it.
  ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(2))));
  ASSERT_TRUE(secondPeer.Send(Answer(secondPeer, Payload(3))));
  ASSERT_TRUE(WaitForQueued(1));
  EXPECT_EQ(Take(), Payload(3));
  ErrorPair error;
  ASSERT_TRUE(device_.Send(Payload(4), error));
  const auto seen = secondPeer.Receive(kPatience);
  ASSERT_TRUE(seen);
  EXPECT_EQ(*seen, MakeFrame(kSwitchGroupAddress, adapters[other].mac, 0xE8, 0x12, Payload(4)));
}

TEST_F(PcapEndpointTest, PauseAndStopOnAnIdleLinkAreNeverReadErrors) {
  StartTool();
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(device_.StopCapture());
    ASSERT_TRUE(device_.StartCapture());
  }
  ASSERT_TRUE(device_.PauseCapture());
  ASSERT_TRUE(Eventually([&] { return device_.paused(); }));
  // A second socket on the tool's side proves the frame arrived; the paused
  // thread leaves it alone.
  PacketSocket monitor;
  std::string text;
  ASSERT_TRUE(monitor.Open(toolNs_, link_.nameA, text)) << text;
  ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(9))));
  ASSERT_TRUE(monitor.Receive(kPatience));
  EXPECT_FALSE(WaitForQueued(1, 200ms));
  ErrorPair error;
  EXPECT_TRUE(device_.Send(Payload(1), error));  // the thread is there, only not reading
  EXPECT_TRUE(device_.Close());
  EXPECT_FALSE(device_.capturing());
  EXPECT_EQ(notices_.size(), 0u);
}

TEST_F(PcapEndpointTest, AReadErrorPausesCaptureAndRaisesTheNotice) {
  StartTool();
  ASSERT_TRUE(net_.Ip(toolNs_, {"link", "delete", link_.nameA})) << net_.error();
  const auto notice = notices_.WaitFor(Notification::kCaptureReadError, kPatience);
  ASSERT_TRUE(notice);
  EXPECT_LT(notice->value, 0);  // the library's result code
  EXPECT_TRUE(device_.paused());
  EXPECT_TRUE(device_.capturing());  // paused, not gone, until stopped
  EXPECT_TRUE(device_.Close());
}

TEST_F(PcapEndpointTest, ConcurrentSendersPutWholeFramesOnTheWireInOrder) {
  StartTool();
  constexpr int kThreads = 4;
  constexpr int kEach = 50;
  std::atomic<int> failures{0};
  std::vector<std::thread> senders;
  for (int t = 0; t < kThreads; ++t) {
    senders.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        ErrorPair error;
        auto payload = Payload(static_cast<std::uint8_t>(i));
        payload[0] = static_cast<std::uint8_t>(t);
        if (!device_.Send(payload, error)) ++failures;
      }
    });
  }
  for (int i = 0; i < kEach; ++i) ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(1))));
  for (auto& sender : senders) sender.join();
  EXPECT_EQ(failures, 0);
  std::map<int, int> nextOf;
  for (int n = 0; n < kThreads * kEach; ++n) {
    const auto frame = peer_.Receive(kPatience);
    ASSERT_TRUE(frame) << "after " << n << " frames";
    ASSERT_EQ(frame->size(), kEthernetHeaderSize + 46);
    const int sender = (*frame)[kEthernetHeaderSize];
    EXPECT_EQ((*frame)[kEthernetHeaderSize + 1] - 1, nextOf[sender]++);
  }
  EXPECT_TRUE(WaitForQueued(kEach));
}

TEST_F(PcapEndpointTest, PacketLogsGetALinePerFrameWhenSwitchedOn) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("ntr_link_logs_" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  device_.SetPacketLogFolder(folder / "");
  const auto read = [&](const char* name) {
    std::ifstream file(folder / name, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  };
  const auto exchange = [&](std::uint8_t tag) {
    ErrorPair error;
    ASSERT_TRUE(device_.Send(Payload(tag), error));
    ASSERT_TRUE(peer_.Receive(kPatience));
    ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(tag + 1))));
    ASSERT_TRUE(WaitForQueued(1));
    Take();
  };
  StartTool();
  exchange(0x20);  // logs off: nothing written
  device_.SetSendLog(true);
  device_.SetReceiveLog(true);
  exchange(0x30);

  const auto hex = [](std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t b : bytes)
      text += "0123456789ABCDEF"[b >> 4], text += "0123456789ABCDEF"[b & 15];
    return text;
  };
  const std::string stamp = R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d\(\d+\) )";
  const std::regex sendLine(stamp + "035C7100E812 " + hex(device_.openedAdapter()->mac) + " E812 " +
                            hex(Payload(0x30)) + "\r\n");
  const std::regex recvLine(stamp + "035C7100E813 " + hex(peer_.mac()) + " E812 " +
                            hex(Payload(0x31)) + "\r\n");
  EXPECT_TRUE(std::regex_match(read(kSendLogName), sendLine)) << read(kSendLogName);
  // The capture thread writes its line before it signals the frame.
  EXPECT_TRUE(std::regex_match(read(kRecvLogName), recvLine)) << read(kRecvLogName);
  std::filesystem::remove_all(folder);
}

// Claims the frames that carry one payload.
class ClaimingFilter : public FrameFilter {
 public:
  explicit ClaimingFilter(std::vector<std::uint8_t> claimed) : claimed_(std::move(claimed)) {}
  bool TakeReceived(std::span<const std::uint8_t> payload) override {
    const bool claim = std::ranges::equal(payload, claimed_);
    if (claim) claims.Set();
    return claim;
  }
  AutoResetEvent claims;

 private:
  std::vector<std::uint8_t> claimed_;
};

TEST_F(PcapEndpointTest, TheFrameFilterTakesWhatItClaimsUnlessTheReceiveLogIsOn) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("ntr-filter-log-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  device_.SetPacketLogFolder(folder / "");
  ClaimingFilter filter(Payload(0x41));
  device_.SetFrameFilter(&filter);
  StartTool();
  // Claimed: never queued. The next frame is queued, and frames keep their
  // order, so the claimed one has been dealt with by then.
  ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(0x41))));
  ASSERT_TRUE(filter.claims.Wait(kPatience));
  ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(0x42))));
  ASSERT_TRUE(WaitForQueued(1));
  EXPECT_EQ(device_.QueuedCount(), 1u);
  EXPECT_EQ(Take(), Payload(0x42));

  // While the receive log is on every frame is logged and queued first.
  device_.SetReceiveLog(true);
  ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(0x41))));
  ASSERT_TRUE(WaitForQueued(1));
  EXPECT_EQ(Take(), Payload(0x41));
  device_.SetFrameFilter(nullptr);
  device_.StopCapture();
  std::filesystem::remove_all(folder);
}

// Claims the frames that carry one payload and notes which thread read each.
class ThreadNotingFilter : public FrameFilter {
 public:
  bool TakeReceived(std::span<const std::uint8_t> payload) override {
    if (!std::ranges::equal(payload, Payload(0x41))) return false;
    lastReader = std::this_thread::get_id();
    claims.Set();
    return true;
  }
  std::atomic<std::thread::id> lastReader{};
  AutoResetEvent claims;
};

// A caller waiting in WaitReading on its own thread until `done`.
class WaitingCaller {
 public:
  WaitingCaller(PcapEndpoint& device, AutoResetEvent& done)
      : thread_([&] {
          id = std::this_thread::get_id();
          woken = device.WaitReading({&done}, 60s);
        }) {}
  ~WaitingCaller() { thread_.join(); }
  std::atomic<std::thread::id> id{};
  std::atomic<int> woken{-2};

 private:
  std::thread thread_;
};

// Sends claimed frames until the waiting caller reads one itself: until the
// capture thread has stood aside it may still take one.
void UntilTheCallerReads(PacketSocket& peer, ThreadNotingFilter& filter, WaitingCaller& caller) {
  for (int probe = 0; probe < 2000; ++probe) {
    ASSERT_TRUE(peer.Send(Answer(peer, Payload(0x41))));
    ASSERT_TRUE(filter.claims.Wait(kPatience));
    if (filter.lastReader.load() == caller.id.load()) return;
  }
  FAIL() << "the capture thread read every frame while a caller waited reading";
}

TEST_F(PcapEndpointTest, ACallerWaitingReadsFramesItselfAndLeavesOthersTheirPath) {
  ThreadNotingFilter filter;
  device_.SetFrameFilter(&filter);
  StartTool();
  AutoResetEvent done;
  {
    WaitingCaller caller(device_, done);
    UntilTheCallerReads(peer_, filter, caller);
    // Frames the filter leaves take the queue and its event as ever, in order.
    ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(0x42))));
    ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(0x43))));
    ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(0x41))));
    ASSERT_TRUE(filter.claims.Wait(kPatience));
    EXPECT_EQ(filter.lastReader.load(), caller.id.load());
    EXPECT_EQ(device_.QueuedCount(), 2u);
    EXPECT_EQ(Take(), Payload(0x42));
    EXPECT_EQ(Take(), Payload(0x43));
    done.Set();
  }
  // Once nobody waits reading, the capture thread takes the handle back.
  ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(0x41))));
  EXPECT_TRUE(filter.claims.Wait(kPatience));
  device_.SetFrameFilter(nullptr);
  device_.StopCapture();
}

TEST_F(PcapEndpointTest, OneWaitingCallerReadsAtATimeAndHandsOverWhenItLeaves) {
  ThreadNotingFilter filter;
  device_.SetFrameFilter(&filter);
  StartTool();
  AutoResetEvent done[2];
  std::optional<WaitingCaller> callers[2];
  callers[0].emplace(device_, done[0]);
  callers[1].emplace(device_, done[1]);
  const auto readerIndex = [&]() -> int {
    for (int i = 0; i < 2; ++i) {
      if (filter.lastReader.load() == callers[i]->id.load()) return i;
    }
    return -1;
  };
  // Until the capture thread stands aside a probe may still reach it.
  int reader = -1;
  for (int probe = 0; probe < 2000 && reader < 0; ++probe) {
    ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(0x41))));
    ASSERT_TRUE(filter.claims.Wait(kPatience));
    reader = readerIndex();
  }
  ASSERT_GE(reader, 0);
  // The reader leaves; the capture thread still stands aside for the other
  // caller, which must take the role over, or nobody would read.
  done[reader].Set();
  const std::thread::id left = callers[reader]->id.load();
  callers[reader].reset();
  UntilTheCallerReads(peer_, filter, *callers[1 - reader]);
  EXPECT_NE(filter.lastReader.load(), left);
  done[1 - reader].Set();
  callers[1 - reader].reset();
  device_.SetFrameFilter(nullptr);
  device_.StopCapture();
}

TEST_F(PcapEndpointTest, PauseAndReadErrorsStopTheWaitingCallersReadingToo) {
  ThreadNotingFilter filter;
  device_.SetFrameFilter(&filter);
  StartTool();
  AutoResetEvent done;
  {
    WaitingCaller caller(device_, done);
    UntilTheCallerReads(peer_, filter, caller);
    ASSERT_TRUE(device_.PauseCapture());
    ASSERT_TRUE(Eventually([&] { return device_.paused(); }));
    PacketSocket monitor;
    std::string text;
    ASSERT_TRUE(monitor.Open(toolNs_, link_.nameA, text)) << text;
    ASSERT_TRUE(peer_.Send(Answer(peer_, Payload(0x42))));
    ASSERT_TRUE(monitor.Receive(kPatience));
    EXPECT_FALSE(WaitForQueued(1, 200ms));
    // Closing while the caller still waits: it keeps waiting on its events.
    EXPECT_TRUE(device_.Close());
    done.Set();
  }
  EXPECT_EQ(notices_.size(), 0u);

  // A read failure met by whichever reader: the notice, and nobody reads on.
  StartTool();
  {
    WaitingCaller caller(device_, done);
    UntilTheCallerReads(peer_, filter, caller);
    ASSERT_TRUE(net_.Ip(toolNs_, {"link", "delete", link_.nameA})) << net_.error();
    const auto notice = notices_.WaitFor(Notification::kCaptureReadError, kPatience);
    ASSERT_TRUE(notice);
    EXPECT_TRUE(device_.paused());
    done.Set();
  }
  EXPECT_TRUE(device_.Close());
  device_.SetFrameFilter(nullptr);
}

}  // namespace
}  // namespace ntr::testing
