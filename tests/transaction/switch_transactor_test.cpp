#include "transaction/switch_transactor.h"

#include <gtest/gtest.h>

#include <thread>

#include "tests/transaction/scripted_peer.h"

namespace ntr {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::DecodeOrDie;
using test::Response;
using test::ScriptedPeer;

class TransactorTest : public ::testing::Test {
 protected:
  TransactorTest()
      : hub_(link_, LookupFunctionTypes),
        transactor_(
            hub_, state_, [] { return test::kTestSwitchMac; }, [this] { return ticks_.load(); }) {
    hub_.SetSourceMac(test::kTestAdapterMac);
    state_ = kStateIdle;
    transactor_.SetAttemptTimeout(30ms);
    EXPECT_TRUE(hub_.StartReceiveThread());
  }

  static FunctionRequest Get(std::uint16_t id = 0x0201, std::int32_t port = 1) {
    FunctionRequest request;
    request.operation = kOpGet;
    request.functionId = id;
    request.valueType = kValueNone;
    request.indexType = kIndexPort;
    request.firstIndex = port;
    return request;
  }

  std::vector<std::int32_t> SentTransactionIds() const {
    std::vector<std::int32_t> ids;
    for (const Bytes& payload : link_.Sent()) ids.push_back(DecodeOrDie(payload).transactionId);
    return ids;
  }

  test::MemoryLink link_;
  TransactionHub hub_;
  Relaxed<std::int32_t> state_;
  std::atomic<std::uint32_t> ticks_{1000};
  SwitchTransactor transactor_;
};

TEST_F(TransactorTest, AnsweredAtOnceEvenBeforeTheWaitBegins) {
  // The peer answers inside Send, before the transaction starts waiting.
  ScriptedPeer peer(link_,
                    [](const Pdu& request, int) { return Response(request, 0, kValueInteger, 5); });
  FunctionResponse response;
  ErrorPair error;
  ASSERT_TRUE(transactor_.ExecuteFunction(Get(), &response, error)) << error.code;
  EXPECT_EQ(response.intValue, 5);
  EXPECT_EQ(link_.SentCount(), 1u);
  EXPECT_EQ(state_, kStateIdle);
  EXPECT_EQ(hub_.PendingCount(), 0u);
  const Pdu sent = DecodeOrDie(link_.Sent()[0]);
  EXPECT_EQ(sent.sourceMac, test::kTestAdapterMac);
  EXPECT_EQ(sent.destinationMac, test::kTestSwitchMac);
  EXPECT_EQ(sent.headerValue, 0);
}

TEST_F(TransactorTest, SilentSwitchGetsFiveAttemptsUnderOneId) {
  ErrorPair error;
  FunctionResponse response;
  EXPECT_FALSE(transactor_.ExecuteFunction(Get(), &response, error));
  EXPECT_EQ(error.code, kErrNoResponse);
  const auto ids = SentTransactionIds();
  ASSERT_EQ(ids.size(), 5u);
  for (auto id : ids) EXPECT_EQ(id, ids[0]);
  EXPECT_EQ(hub_.PendingCount(), 0u);

  // During a bulk run: 30 attempts, and the last request is kept.
  state_ = kStateBulk;
  FunctionRequest request = Get(0x0202, 4);
  EXPECT_FALSE(transactor_.ExecuteFunction(request, &response, error));
  EXPECT_EQ(link_.SentCount(), 35u);
  EXPECT_EQ(transactor_.LastRequest(), request);
  EXPECT_EQ(state_, kStateBulk);
}

TEST_F(TransactorTest, LaterAttemptCanSucceedAndAnswersToOtherIdsAreDropped) {
  ScriptedPeer peer(link_, [](const Pdu& request, int number) -> std::optional<Pdu> {
    if (number == 1) return std::nullopt;
    Pdu reply = Response(request, 0, kValueInteger, number == 0 ? 99 : 3);
    // The first answer carries an older transaction's ID: nobody waits for it.
    if (number == 0) reply.transactionId = request.transactionId - 1;
    return reply;
  });
  FunctionResponse response;
  ErrorPair error;
  ASSERT_TRUE(transactor_.ExecuteFunction(Get(), &response, error)) << error.code;
  EXPECT_EQ(response.intValue, 3);
  EXPECT_EQ(link_.SentCount(), 3u);
}

TEST_F(TransactorTest, LateAnswerOfAnEarlierAttemptCountsForTheSameTransaction) {
  // The switch answers the first attempt only after that attempt gave up and
  // the second went out; the answer carries the same ID and ends the wait.
  std::vector<std::thread> late;
  ScriptedPeer peer(link_, [&](const Pdu& request, int number) -> std::optional<Pdu> {
    if (number == 0) {
      late.emplace_back([this, request] {
        while (link_.SentCount() < 2) std::this_thread::yield();
        Pdu reply = Response(request, 0, kValueInteger, 7);
        reply.sourceMac = test::kTestSwitchMac;
        link_.Deliver(test::EncodeOrDie(reply));
      });
    }
    return std::nullopt;
  });
  Pdu pdu;
  pdu.application = PduType::kFuncRequest;
  pdu.body = Get();
  ErrorPair error;
  const bool ok = transactor_.Transaction(pdu, {.attempts = 30}, error);
  for (auto& t : late) t.join();
  ASSERT_TRUE(ok) << error.code;
  EXPECT_EQ(std::get<FunctionResponse>(pdu.body).intValue, 7);
}

TEST_F(TransactorTest, WrongApplicationNumberIs34) {
  ScriptedPeer peer(link_, [](const Pdu& request, int) {
    Pdu reply;
    reply.transactionId = request.transactionId;
    reply.application = PduType::kFirmPrepareAnswer;
    reply.body = ResultBody{0};
    return std::optional<Pdu>(reply);
  });
  FunctionResponse response;
  ErrorPair error;
  EXPECT_FALSE(transactor_.ExecuteFunction(Get(), &response, error));
  EXPECT_EQ(error.code, kErrRxApplication);
  EXPECT_EQ(state_, kStateIdle);
}

TEST_F(TransactorTest, AbortEndsTheWaitAtOnceAndCloseRefusesNewOnes) {
  transactor_.SetAttemptTimeout(60s);  // a missed abort would hang the test for minutes
  ErrorPair error;
  std::atomic<bool> done{false};
  std::thread waiter([&] {
    FunctionResponse response;
    EXPECT_FALSE(transactor_.ExecuteFunction(Get(), &response, error));
    done = true;
  });
  while (link_.SentCount() == 0) std::this_thread::yield();
  transactor_.Close();
  waiter.join();
  EXPECT_EQ(error.code, kErrSendInterrupted);
  EXPECT_EQ(hub_.PendingCount(), 0u);

  ErrorPair refused;
  FunctionResponse response;
  EXPECT_FALSE(transactor_.ExecuteFunction(Get(), &response, refused));
  EXPECT_EQ(refused.code, kErrWindowClosed);
  EXPECT_EQ(link_.SentCount(), 1u);
}

TEST_F(TransactorTest, AnAbortThatLosesToTheAnswerLeavesTheNextTransactionAlone) {
  // The abort comes while the request is out, but the answer is there first:
  // the transaction succeeds, and its thread's next wait is not ended by it.
  ScriptedPeer peer(link_, [this](const Pdu& request, int number) -> std::optional<Pdu> {
    if (number > 0) return std::nullopt;  // the next request waits its time out
    transactor_.AbortWaits();
    return Response(request, 0, kValueInteger, 10);
  });
  FunctionResponse response;
  ErrorPair error;
  ASSERT_TRUE(transactor_.ExecuteFunction(Get(), &response, error)) << error.code;
  EXPECT_EQ(response.intValue, 10);
  Pdu pdu;
  pdu.application = PduType::kFuncRequest;
  pdu.body = Get();
  EXPECT_FALSE(transactor_.Transaction(pdu, {.attempts = 1}, error));
  EXPECT_EQ(error.code, kErrNoResponse);
}

TEST_F(TransactorTest, StopEventEndsTheWaitAndStaysSignalled) {
  transactor_.SetAttemptTimeout(60s);
  AutoResetEvent stop;
  transactor_.SetStopEvent(&stop);
  ErrorPair error;
  std::thread waiter([&] {
    FunctionResponse response;
    EXPECT_FALSE(transactor_.ExecuteFunction(Get(), &response, error));
  });
  while (link_.SentCount() == 0) std::this_thread::yield();
  stop.Set();
  waiter.join();
  EXPECT_EQ(error.code, kErrWindowClosed);
  EXPECT_TRUE(stop.Wait(0ms));  // its owner still sees it
}

TEST_F(TransactorTest, SendFailuresAreReportedWithTheLinkCode) {
  link_.FailSends(kErrSend);
  FunctionResponse response;
  ErrorPair error;
  EXPECT_FALSE(transactor_.ExecuteFunction(Get(), &response, error));
  EXPECT_EQ(error.code, kErrSend);
  EXPECT_EQ(error.detail, "code=-1");
  EXPECT_EQ(hub_.PendingCount(), 0u);  // the registered record went again

  // An encoder failure is reported as such.
  link_.FailSends(kErrNone);
  FunctionRequest bad = Get();
  bad.indexType = 12;
  EXPECT_FALSE(transactor_.ExecuteFunction(bad, &response, error));
  EXPECT_EQ(error.code, kErrIndexType);
}

TEST_F(TransactorTest, NoAnswerExpectedSucceedsOnSend) {
  ErrorPair error;
  FunctionRequest request = Get();
  request.operation = kOpExecute;
  EXPECT_TRUE(transactor_.ExecuteFunction(request, nullptr, error));
  EXPECT_EQ(link_.SentCount(), 1u);
  EXPECT_EQ(hub_.PendingCount(), 0u);
}

TEST_F(TransactorTest, FirmwareTransactionsAndTheirStates) {
  ScriptedPeer peer(link_, [](const Pdu& request, int) {
    Pdu reply;
    reply.transactionId = request.transactionId;
    reply.application = static_cast<PduType>(static_cast<std::int32_t>(request.application) + 1);
    reply.body = ResultBody{request.application == PduType::kFirmBlock ? 3 : 0};
    return std::optional<Pdu>(reply);
  });
  ErrorPair error;
  std::int32_t result = -1;
  ASSERT_TRUE(transactor_.FirmwarePrepare(result, error));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(state_, kStateFirmPrepare);
  ASSERT_TRUE(transactor_.FirmwareData(FirmwareBlock{0, {1, 2, 3}}, result, error));
  EXPECT_EQ(result, 3);
  EXPECT_EQ(state_, kStateFirmTransfer);
  ASSERT_TRUE(transactor_.FirmwareAbort(result, error));
  EXPECT_EQ(state_, kStateFirmTransfer);  // abort leaves the state alone
}

TEST_F(TransactorTest, FirmwareFailureReturnsToIdle) {
  ErrorPair error;
  std::int32_t result = -1;
  EXPECT_FALSE(transactor_.FirmwarePrepare(result, error));
  EXPECT_EQ(error.code, kErrNoResponse);
  EXPECT_EQ(state_, kStateIdle);
}

TEST_F(TransactorTest, RecentlyChangedForTwoSeconds) {
  FunctionRequest set = Get();
  set.operation = kOpSet;
  set.valueType = kValueInteger;
  set.intValue = 5;
  ErrorPair error;
  EXPECT_FALSE(transactor_.RecentlyChanged());
  ticks_ = 0xFFFFFF00u;  // the tick counter wraps during the two seconds
  EXPECT_TRUE(transactor_.ExecuteFunction(set, nullptr, error));
  ticks_ = 0xFFFFFF00u + 1999u;
  EXPECT_TRUE(transactor_.RecentlyChanged());
  ticks_ = 0xFFFFFF00u + 2001u;
  EXPECT_FALSE(transactor_.RecentlyChanged());
  // A get does not count as a change.
  EXPECT_TRUE(transactor_.ExecuteFunction(Get(), nullptr, error));
  EXPECT_FALSE(transactor_.RecentlyChanged());
}

TEST(CheckResponse, ResultsAndValueTypes) {
  FunctionResponse response;
  ErrorPair error;
  response.result = 0;
  response.valueType = kValueInteger;
  EXPECT_TRUE(CheckResponse(response, kValueInteger, kOpGet, error));
  EXPECT_FALSE(CheckResponse(response, kValueInteger, kOpSet, error));  // set answered with a value
  EXPECT_EQ(error.code, kErrBadResponseValue);
  response.valueType = kValueNone;
  EXPECT_FALSE(CheckResponse(response, kValueOctets, kOpGet, error));  // get answered without
  EXPECT_EQ(error.code, kErrBadResponseValue);
  EXPECT_TRUE(CheckResponse(response, kValueInteger, kOpSetDefault, error));
  const int codes[] = {0, 12, 13, 14, 15, 16, 17, 18, 19};
  for (std::int32_t result = 1; result <= 8; ++result) {
    response.result = result;
    EXPECT_FALSE(CheckResponse(response, kValueNone, kOpExecute, error));
    EXPECT_EQ(error.code, codes[result]);
    EXPECT_EQ(error.detail, "");
  }
  response.result = 100;
  EXPECT_FALSE(CheckResponse(response, kValueNone, kOpExecute, error));
  EXPECT_EQ(error.code, kErrFatal);
}

}  // namespace
}  // namespace ntr
