#include "transaction/transaction_hub.h"

#include <gtest/gtest.h>

#include <condition_variable>

#include "tests/transaction/scripted_peer.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;
using test::Bytes;

// Collects what the dispatcher hands to a hook, for a waiting test thread.
class Collected {
 public:
  void Add(const Pdu& pdu) {
    std::lock_guard<std::mutex> lock(mutex_);
    items_.push_back(pdu);
    changed_.notify_all();
  }
  bool WaitFor(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, 10s, [&] { return items_.size() >= count; });
  }
  std::vector<Pdu> items() {
    std::lock_guard<std::mutex> lock(mutex_);
    return items_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Pdu> items_;
};

Pdu FromSwitch(PduType application, PduBody body, std::int32_t id = 3) {
  Pdu pdu;
  pdu.transactionId = id;
  pdu.sourceMac = test::kTestSwitchMac;
  pdu.destinationMac = kToolGroupAddress;
  pdu.application = application;
  pdu.body = std::move(body);
  return pdu;
}

TEST(TransactionHub, RoutesRepliesAndNoticesToHooksAndDropsTheRest) {
  test::MemoryLink link;
  TransactionHub hub(link, LookupFunctionTypes);
  Collected replies, notices;
  hub.SetDiscoveryReplyHook([&](const Pdu& pdu) { replies.Add(pdu); });
  hub.SetNoticeHook([&](const Pdu& pdu) { notices.Add(pdu); });

  // Queued before the receive thread starts: drained when it does.
  link.Deliver(test::EncodeOrDie(FromSwitch(PduType::kNoticeLoop, OneIntegerBody{4})));
  ASSERT_TRUE(hub.StartReceiveThread());
  link.Deliver(Bytes{0x30, 0x82});  // undecodable: dropped silently
  link.Deliver(
      test::EncodeOrDie(FromSwitch(PduType::kDiscoveryRequest, DiscoveryRequest{30, {}, {}})));
  DiscoveryReply reply;
  reply.switchMac = test::kTestSwitchMac;
  link.Deliver(test::EncodeOrDie(FromSwitch(PduType::kDiscoveryReply, reply)));
  link.Deliver(test::EncodeOrDie(FromSwitch(PduType::kNoticePortSpeed, TwoIntegersBody{2, 6})));
  link.Deliver(test::EncodeOrDie(FromSwitch(PduType::kNoticeFan, EmptyBody{})));

  ASSERT_TRUE(replies.WaitFor(1));
  ASSERT_TRUE(notices.WaitFor(3));
  hub.StopReceiveThread();
  EXPECT_EQ(replies.items().size(), 1u);
  const auto got = notices.items();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].application, PduType::kNoticeLoop);
  EXPECT_EQ(got[1].application, PduType::kNoticePortSpeed);
  EXPECT_EQ(got[2].application, PduType::kNoticeFan);
  EXPECT_EQ(link.QueuedCount(), 0u);
}

TEST(TransactionHub, AnswersPairByTransactionIdAlone) {
  test::MemoryLink link;
  TransactionHub hub(link, LookupFunctionTypes);
  hub.SetSourceMac(test::kTestAdapterMac);
  AutoResetEvent first, second;
  Pdu request;
  request.application = PduType::kFingerprintQuery;
  request.body = EmptyBody{};
  ErrorPair error;
  std::int32_t id = -1;
  ASSERT_TRUE(hub.SendPdu(request, test::kTestSwitchMac,
                          {.transactionId = 41, .answerEvent = &first, .idOut = &id}, error));
  EXPECT_EQ(id, 41);
  ASSERT_TRUE(hub.SendPdu(request, test::kTestSwitchMac,
                          {.transactionId = 42, .answerEvent = &second}, error));
  EXPECT_EQ(hub.PendingCount(), 2u);

  // An answer from another MAC still pairs by ID.
  Pdu answer = FromSwitch(PduType::kFingerprintAnswer, FingerprintAnswerBody{0, 1234}, 42);
  answer.sourceMac = MacAddress{2, 2, 2, 2, 2, 2};
  link.Deliver(test::EncodeOrDie(answer));
  hub.DrainReceiveQueue();
  EXPECT_FALSE(first.Wait(0ms));
  EXPECT_TRUE(second.Wait(0ms));
  EXPECT_FALSE(hub.TakeAnswer(&first, nullptr));  // unanswered: stays
  Pdu got;
  EXPECT_TRUE(hub.TakeAnswer(&second, &got));
  EXPECT_EQ(std::get<FingerprintAnswerBody>(got.body).fingerprint, 1234);
  EXPECT_FALSE(hub.FetchAnswer(nullptr, &first));
  EXPECT_EQ(hub.PendingCount(), 0u);

  // Transaction IDs count up by one and wrap like the 32-bit field; each run
  // starts elsewhere.
  const std::int32_t start = hub.NextTransactionId();
  EXPECT_EQ(hub.NextTransactionId(), start + 1);
  hub.SetNextTransactionId(0x7FFFFFFF);
  EXPECT_EQ(hub.NextTransactionId(), 0x7FFFFFFF);
  EXPECT_EQ(hub.NextTransactionId(), static_cast<std::int32_t>(0x80000000u));
  TransactionHub another(link, LookupFunctionTypes);
  TransactionHub third(link, LookupFunctionTypes);
  EXPECT_FALSE(another.NextTransactionId() == start && third.NextTransactionId() == start);
}

TEST(TransactionHub, AnAnswerReachesItsWaiterOnArrivalButNeverOvertakesAnEarlierFrame) {
  test::MemoryLink link;
  TransactionHub hub(link, LookupFunctionTypes);
  hub.SetSourceMac(test::kTestAdapterMac);
  AutoResetEvent entered, release;
  hub.SetNoticeHook([&](const Pdu&) {
    entered.Set();
    release.Wait();
  });
  ASSERT_TRUE(hub.StartReceiveThread());
  Pdu request;
  request.application = PduType::kFingerprintQuery;
  request.body = EmptyBody{};
  AutoResetEvent answered;
  ErrorPair error;
  const auto ask = [&](std::int32_t id) {
    return hub.SendPdu(request, test::kTestSwitchMac,
                       {.transactionId = id, .answerEvent = &answered}, error);
  };
  const auto answer = [&](std::int32_t id) {
    link.Deliver(test::EncodeOrDie(
        FromSwitch(PduType::kFingerprintAnswer, FingerprintAnswerBody{0, id * 10}, id)));
  };

  // Paired on the delivering thread: answered before the delivery returns,
  // without waiting for the receive thread.
  int takenAtOnce = 0;
  for (std::int32_t id = 100; id < 120; ++id) {
    ASSERT_TRUE(ask(id));
    answer(id);
    Pdu got;
    if (hub.TakeAnswer(&answered, &got)) {
      ++takenAtOnce;
      EXPECT_EQ(std::get<FingerprintAnswerBody>(got.body).fingerprint, id * 10);
    } else {
      hub.FetchAnswer(nullptr, &answered);
    }
  }
  EXPECT_EQ(takenAtOnce, 20);
  EXPECT_EQ(hub.PendingCount(), 0u);

  // A notice in dispatch and one still queued: the answer behind them waits
  // its turn.
  link.Deliver(test::EncodeOrDie(FromSwitch(PduType::kNoticeFan, EmptyBody{})));
  ASSERT_TRUE(entered.Wait(10s));
  link.Deliver(test::EncodeOrDie(FromSwitch(PduType::kNoticeFan, EmptyBody{})));
  answered.Reset();
  ASSERT_TRUE(ask(200));
  answer(200);
  EXPECT_FALSE(hub.TakeAnswer(&answered, nullptr));
  release.Set();
  ASSERT_TRUE(entered.Wait(10s));
  EXPECT_FALSE(hub.TakeAnswer(&answered, nullptr));
  release.Set();
  ASSERT_TRUE(answered.Wait(10s));
  EXPECT_TRUE(hub.TakeAnswer(&answered, nullptr));
  hub.StopReceiveThread();
}

}  // namespace
}  // namespace ntr
