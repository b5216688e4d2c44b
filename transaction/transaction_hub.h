// The application-wide half of request–answer transactions: the transaction
// counter, the send operation, the list of waiting transactions, the frame
// filter that hands an answer to its waiter on the capture thread, and the
// receive dispatcher that decodes every other captured frame. The per-switch
// half is SwitchTransactor.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <thread>

#include "base/auto_reset_event.h"
#include "base/error.h"
#include "codec/pdu.h"
#include "codec/pdu_decoder.h"
#include "link/link_endpoint.h"

namespace ntr {

// One waiting transaction.
struct PendingTransaction {
  std::int32_t transactionId = 0;
  AutoResetEvent* answerEvent = nullptr;
  bool answered = false;
  Pdu answer;
};

// How one message is sent.
struct SendOptions {
  std::int32_t headerValue = 0;                 // 0 in every message the tool sends
  std::optional<std::int32_t> transactionId{};  // nothing: the next ID
  AutoResetEvent* answerEvent = nullptr;        // registers a waiting transaction
  std::int32_t* idOut = nullptr;                // receives the ID used
};

// One function request seen by a trace: going out (`answered` false), then
// its end: the answer when one came, or the error that ended it.
struct FunctionTrace {
  MacAddress sw{};
  const FunctionRequest* request = nullptr;
  bool answered = false;
  const FunctionResponse* response = nullptr;  // the answer (null: none awaited or it failed)
  const ErrorPair* error = nullptr;            // the failure, null on success
};

class TransactionHub : private FrameFilter {
 public:
  using MessageHook = std::function<void(const Pdu&)>;
  using FunctionTraceHook = std::function<void(const FunctionTrace&)>;

  // `lookup` is the function catalogue's view for the decoder.
  TransactionHub(LinkEndpoint& link, FunctionTypeLookup lookup);
  ~TransactionHub() override;
  TransactionHub(const TransactionHub&) = delete;
  TransactionHub& operator=(const TransactionHub&) = delete;

  // The adapter's MAC: the source of every message sent.
  void SetSourceMac(const MacAddress& mac);
  MacAddress sourceMac() const;

  // Transaction IDs count up by one from a value chosen at random for each
  // run; SetNextTransactionId fixes the next one (tests).
  std::int32_t NextTransactionId();
  void SetNextTransactionId(std::int32_t id);

  // Sends `pdu` (application number and body set) to `destination`. With an
  // answer event, a waiting transaction is registered under the transaction
  // ID before the frame leaves, so that an answer cannot overtake its waiter;
  // it is removed again if sending fails.
  bool SendPdu(Pdu& pdu, const MacAddress& destination, const SendOptions& options,
               ErrorPair& error);

  // Whether the transaction waiting on `answerEvent` has been answered; when
  // it has, the record is removed and the answer copied to `answer` (if not
  // null). An unanswered record stays.
  bool TakeAnswer(AutoResetEvent* answerEvent, Pdu* answer);
  // Removes the record waiting on `answerEvent`, answered or not; returns
  // whether it had been answered (copying the answer when asked).
  bool FetchAnswer(Pdu* answer, AutoResetEvent* answerEvent);

  // Waits as WaitForAny does for `events`, the first of which is the answer
  // event of a transaction registered by this thread. The link may meanwhile
  // read received frames on this thread; when one of them is that answer it
  // is paired without signalling the event, and the wait ends as if it had
  // been (0).
  int WaitForAnswer(std::initializer_list<AutoResetEvent*> events,
                    std::optional<std::chrono::milliseconds> timeout);

  // Decodes every queued frame: answers go to their waiters, discovery
  // replies and notices to their hooks, anything else is dropped.
  void DrainReceiveQueue();

  // The receive thread drains the queue whenever the link signals frames.
  // While it runs, the hub is also the link's frame filter: an answer that
  // arrives while nothing received before it waits for dispatch is paired
  // and its waiter woken on the thread that read it (the capture thread, or
  // a caller reading while it waits), without being queued.
  bool StartReceiveThread();
  void StopReceiveThread();

  // Called on the receive thread for each discovery reply / notice.
  void SetDiscoveryReplyHook(MessageHook hook);
  void SetNoticeHook(MessageHook hook);
  // Called on the requesting thread for every function request and its end,
  // one call at a time (a front end's verbose mode); none by default.
  void SetFunctionTraceHook(FunctionTraceHook hook);
  void TraceFunction(const FunctionTrace& trace);

  // The transaction ID of the last discovery request, -1 before the first.
  std::atomic<std::int32_t> lastDiscoveryTransactionId{-1};

  std::size_t PendingCount() const;

 private:
  void ReceiveLoop();
  void Dispatch(const Pdu& pdu);
  void DeliverAnswer(const Pdu& pdu);
  bool TakeReceived(std::span<const std::uint8_t> payload) override;

  LinkEndpoint& link_;
  FunctionTypeLookup lookup_;

  mutable std::mutex macLock_;
  MacAddress sourceMac_{};

  std::mutex counterLock_;
  std::int32_t counter_ = 0;

  std::mutex sendLock_;
  mutable std::mutex pendingLock_;
  std::list<PendingTransaction> pending_;

  std::mutex hookLock_;
  MessageHook discoveryReplyHook_;
  MessageHook noticeHook_;
  std::mutex traceLock_;
  FunctionTraceHook traceHook_;
  std::atomic<bool> tracing_{false};

  std::mutex drainLock_;  // one drain at a time keeps answers in arrival order
  // Frames taken from the queue and not yet dispatched: while there are any,
  // answers queue behind them, so that nothing overtakes a notice.
  std::atomic<int> dispatching_{0};
  AutoResetEvent stop_;
  AutoResetEvent framesReceived_;
  std::thread receiveThread_;
};

}  // namespace ntr
