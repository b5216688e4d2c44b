#include "link/link_frame.h"

#include <gtest/gtest.h>

#include <vector>

#include "link/receive_queue.h"

namespace ntr {
namespace {

std::vector<std::uint8_t> Header(const MacAddress& destination, std::uint8_t high,
                                 std::uint8_t low) {
  std::vector<std::uint8_t> frame(destination.begin(), destination.end());
  frame.insert(frame.end(), {0x02, 0x11, 0x22, 0x33, 0x44, 0x55, high, low});
  return frame;
}

TEST(LinkFrame, KeepsOnlyProtocolFramesToTheToolsGroupAddress) {
  EXPECT_TRUE(IsFrameForTool(Header(kToolGroupAddress, 0xE8, 0x12)));
  // Another tool's request, the tool's own frames.
  EXPECT_FALSE(IsFrameForTool(Header(kSwitchGroupAddress, 0xE8, 0x12)));
  EXPECT_FALSE(IsFrameForTool(Header(kToolGroupAddress, 0xE8, 0x13)));
  EXPECT_FALSE(IsFrameForTool(Header(kToolGroupAddress, 0x12, 0xE8)));
  const MacAddress nearMiss{0x03, 0x5C, 0x71, 0x00, 0xE8, 0x14};
  EXPECT_FALSE(IsFrameForTool(Header(nearMiss, 0xE8, 0x12)));
  // Runts never reach past their end.
  auto runt = Header(kToolGroupAddress, 0xE8, 0x12);
  runt.pop_back();
  EXPECT_FALSE(IsFrameForTool(runt));
  EXPECT_FALSE(IsFrameForTool({}));
}

TEST(LinkFrame, BuildsHeaderAndPayloadWithinTheSendBuffer) {
  const MacAddress source{0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
  const std::vector<std::uint8_t> payload{0x30, 0x03, 0x02, 0x01, 0x07};
  SendBuffer buffer{};
  ASSERT_EQ(BuildFrame(source, payload, buffer), kEthernetHeaderSize + payload.size());
  const std::vector<std::uint8_t> expected{0x03, 0x5C, 0x71, 0x00, 0xE8, 0x12, 0x00,
                                           0x11, 0x22, 0x33, 0x44, 0x55, 0xE8, 0x12,
                                           0x30, 0x03, 0x02, 0x01, 0x07};
  EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 19), expected);

  const std::vector<std::uint8_t> largest(kMaxPayloadSize, 0xAB);
  EXPECT_EQ(BuildFrame(source, largest, buffer), kSendBufferSize);
  const std::vector<std::uint8_t> tooLarge(kMaxPayloadSize + 1, 0xAB);
  EXPECT_EQ(BuildFrame(source, tooLarge, buffer), 0u);
}

// --- The receive queue

std::vector<std::uint8_t> FrameWithPayload(std::size_t payloadSize, std::uint8_t first = 1) {
  auto frame = Header(kToolGroupAddress, 0xE8, 0x12);
  for (std::size_t i = 0; i < payloadSize; ++i) {
    frame.push_back(static_cast<std::uint8_t>(first + i));
  }
  return frame;
}

ReceiveQueue::Stamp StampFor(const std::vector<std::uint8_t>& frame) {
  const auto size = static_cast<std::uint32_t>(frame.size());
  return {1, 2, size, size};
}

TEST(ReceiveQueue, HandsOutStoredPayloadBytesOldestFirst) {
  ReceiveQueue queue;
  bool wasEmpty = false;
  const auto first = FrameWithPayload(46, 10);
  ASSERT_TRUE(queue.Push(StampFor(first), first, wasEmpty));
  EXPECT_TRUE(wasEmpty);
  const auto jumbo = FrameWithPayload(3000);  // longer than a record: kept up to its capacity
  ASSERT_TRUE(queue.Push(StampFor(jumbo), jumbo, wasEmpty));
  EXPECT_FALSE(wasEmpty);
  // The wire length exceeds what was captured, or is shorter than a header:
  // only stored bytes count, and nothing wraps around.
  const auto cut = FrameWithPayload(20);
  const auto captured = static_cast<std::uint32_t>(cut.size());
  ASSERT_TRUE(queue.Push({0, 0, captured, 1500}, cut, wasEmpty));
  ASSERT_TRUE(queue.Push({0, 0, captured, 10}, cut, wasEmpty));

  std::vector<std::uint8_t> buffer(5);
  ASSERT_EQ(queue.Take(buffer), 5u);  // a small buffer takes the start, the rest goes
  EXPECT_EQ(buffer, (std::vector<std::uint8_t>{10, 11, 12, 13, 14}));
  buffer.assign(4000, 0);
  EXPECT_EQ(queue.Take(buffer), kRecvFrameCapacity - kEthernetHeaderSize);
  EXPECT_EQ(queue.Take(buffer), 20u);
  EXPECT_EQ(queue.Take(buffer), 0u);
  EXPECT_EQ(queue.Count(), 0u);
}

TEST(ReceiveQueue, DropsFramesBeyondItsLimitAndClears) {
  ReceiveQueue queue;
  bool wasEmpty = false;
  const auto frame = FrameWithPayload(46);
  for (std::size_t i = 0; i < kReceiveQueueLimit; ++i) {
    ASSERT_TRUE(queue.Push(StampFor(frame), frame, wasEmpty));
  }
  EXPECT_FALSE(queue.Push(StampFor(frame), frame, wasEmpty));
  EXPECT_EQ(queue.Count(), kReceiveQueueLimit);
  queue.Clear();
  EXPECT_EQ(queue.Count(), 0u);
}

}  // namespace
}  // namespace ntr
