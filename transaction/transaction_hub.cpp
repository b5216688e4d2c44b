#include "transaction/transaction_hub.h"

#include <array>
#include <random>
#include <system_error>

#include "codec/pdu_encoder.h"

namespace ntr {

TransactionHub::TransactionHub(LinkEndpoint& link, FunctionTypeLookup lookup)
    : link_(link), lookup_(lookup) {
  // Each run starts its transaction IDs somewhere else: a switch that knows
  // a retransmission by its ID must not take the first requests of a new run
  // for repeats of the last run's and answer them without acting.
  std::random_device seed;
  counter_ = static_cast<std::int32_t>(seed() % 0x3FFFFFFFu) + 1;
}

void TransactionHub::SetNextTransactionId(std::int32_t id) {
  std::lock_guard<std::mutex> lock(counterLock_);
  counter_ = id;
}

TransactionHub::~TransactionHub() { StopReceiveThread(); }

void TransactionHub::SetSourceMac(const MacAddress& mac) {
  std::lock_guard<std::mutex> lock(macLock_);
  sourceMac_ = mac;
}

MacAddress TransactionHub::sourceMac() const {
  std::lock_guard<std::mutex> lock(macLock_);
  return sourceMac_;
}

std::int32_t TransactionHub::NextTransactionId() {
  std::lock_guard<std::mutex> lock(counterLock_);
  const std::int32_t id = counter_;
  // The counter wraps like the 32-bit field it fills.
  counter_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter_) + 1u);
  return id;
}

bool TransactionHub::SendPdu(Pdu& pdu, const MacAddress& destination, const SendOptions& options,
                             ErrorPair& error) {
  AutoResetEvent* const answerEvent = options.answerEvent;
  std::int32_t* const idOut = options.idOut;
  pdu.headerValue = options.headerValue;
  pdu.transactionId = options.transactionId ? *options.transactionId : NextTransactionId();
  pdu.sourceMac = sourceMac();
  pdu.destinationMac = destination;

  std::array<std::uint8_t, kEncodeBufferSize> buffer;
  std::size_t length = 0;
  if (!EncodePdu(error, buffer, pdu, length)) return false;

  std::lock_guard<std::mutex> sendLock(sendLock_);
  std::list<PendingTransaction>::iterator record;
  if (answerEvent != nullptr) {
    std::lock_guard<std::mutex> pendingLock(pendingLock_);
    record = pending_.insert(pending_.end(),
                             PendingTransaction{pdu.transactionId, answerEvent, false, {}});
  }
  if (!link_.Send(std::span<const std::uint8_t>(buffer.data(), length), error)) {
    if (answerEvent != nullptr) {
      std::lock_guard<std::mutex> pendingLock(pendingLock_);
      pending_.erase(record);
    }
    return false;
  }
  if (idOut != nullptr) *idOut = pdu.transactionId;
  return true;
}

bool TransactionHub::TakeAnswer(AutoResetEvent* answerEvent, Pdu* answer) {
  std::lock_guard<std::mutex> lock(pendingLock_);
  for (auto it = pending_.begin(); it != pending_.end(); ++it) {
    if (it->answerEvent != answerEvent) continue;
    if (!it->answered) return false;
    if (answer != nullptr) *answer = std::move(it->answer);
    pending_.erase(it);
    return true;
  }
  return false;
}

bool TransactionHub::FetchAnswer(Pdu* answer, AutoResetEvent* answerEvent) {
  std::lock_guard<std::mutex> lock(pendingLock_);
  for (auto it = pending_.begin(); it != pending_.end(); ++it) {
    if (it->answerEvent != answerEvent) continue;
    const bool answered = it->answered;
    if (answered && answer != nullptr) *answer = std::move(it->answer);
    pending_.erase(it);
    return answered;
  }
  return false;
}

std::size_t TransactionHub::PendingCount() const {
  std::lock_guard<std::mutex> lock(pendingLock_);
  return pending_.size();
}

void TransactionHub::DrainReceiveQueue() {
  std::lock_guard<std::mutex> drain(drainLock_);
  std::array<std::uint8_t, kEncodeBufferSize> buffer;
  while (link_.QueuedCount() > 0) {
    // Counted before the frame leaves the queue, so that the frame filter
    // always sees it in one place or the other.
    struct InDispatch {
      std::atomic<int>& count;
      explicit InDispatch(std::atomic<int>& c) : count(c) { ++count; }
      ~InDispatch() { --count; }
    } inDispatch{dispatching_};
    const std::size_t length = link_.TakeFrame(buffer);
    if (length == 0) continue;  // an empty payload cannot decode
    Pdu pdu;
    ErrorPair ignored;
    if (!DecodePdu(ignored, std::span<const std::uint8_t>(buffer.data(), length), lookup_, pdu)) {
      continue;  // frames that fail to decode are dropped silently
    }
    Dispatch(pdu);
  }
}

namespace {

bool IsAnswer(PduType application) {
  switch (application) {
    case PduType::kFirmPrepareAnswer:
    case PduType::kFirmBlockAnswer:
    case PduType::kFirmAbortAnswer:
    case PduType::kFuncResponse:
    case PduType::kFingerprintAnswer:
    case PduType::kConfigSyncAnswer:
      return true;
    default:
      return false;
  }
}

}  // namespace

void TransactionHub::Dispatch(const Pdu& pdu) {
  if (IsAnswer(pdu.application)) {
    DeliverAnswer(pdu);
    return;
  }
  switch (pdu.application) {
    case PduType::kDiscoveryReply: {
      std::lock_guard<std::mutex> lock(hookLock_);
      if (discoveryReplyHook_) discoveryReplyHook_(pdu);
      return;
    }
    case PduType::kNoticePortSpeed:
    case PduType::kNoticeLinkDown:
    case PduType::kNoticeFan:
    case PduType::kNoticeLoop:
    case PduType::kNotice25:
    case PduType::kNotice26: {
      std::lock_guard<std::mutex> lock(hookLock_);
      if (noticeHook_) noticeHook_(pdu);
      return;
    }
    default:
      return;  // requests of other tools and the like
  }
}

namespace {

// The answer event this thread waits on in WaitForAnswer, and whether a frame
// it read itself meanwhile answered it.
thread_local AutoResetEvent* tReadingFor = nullptr;
thread_local bool tAnsweredWhileReading = false;

bool AnsweredWhileReading() { return tAnsweredWhileReading; }

}  // namespace

int TransactionHub::WaitForAnswer(std::initializer_list<AutoResetEvent*> events,
                                  std::optional<std::chrono::milliseconds> timeout) {
  tReadingFor = events.size() > 0 ? *events.begin() : nullptr;
  tAnsweredWhileReading = false;
  int woken = link_.WaitReading(events, timeout, AnsweredWhileReading);
  if (woken == static_cast<int>(events.size())) woken = 0;  // answered on this thread
  tReadingFor = nullptr;
  return woken;
}

void TransactionHub::DeliverAnswer(const Pdu& pdu) {
  // The transaction ID alone pairs an answer with its request.
  std::lock_guard<std::mutex> lock(pendingLock_);
  for (auto& record : pending_) {
    if (record.transactionId == pdu.transactionId && record.answerEvent != nullptr) {
      record.answered = true;
      record.answer = pdu;
      // The waiter reading this frame itself needs no signal: it looks when
      // the frame has been dealt with.
      if (record.answerEvent == tReadingFor) {
        tAnsweredWhileReading = true;
      } else {
        record.answerEvent->Set();
      }
    }
  }
}

bool TransactionHub::TakeReceived(std::span<const std::uint8_t> payload) {
  // Only the one reader of the link at a time adds to the queue, so an empty
  // queue stays empty while this runs; a frame the dispatcher has taken is counted before it
  // leaves the queue. Either way an answer never overtakes an earlier frame.
  if (link_.QueuedCount() != 0 || dispatching_.load() != 0) return false;
  Pdu pdu;
  ErrorPair ignored;
  if (!DecodePdu(ignored, payload, lookup_, pdu)) return true;  // dropped, as the dispatcher would
  if (!IsAnswer(pdu.application)) return false;                 // the dispatcher decodes it again
  DeliverAnswer(pdu);
  return true;
}

void TransactionHub::SetDiscoveryReplyHook(MessageHook hook) {
  std::lock_guard<std::mutex> lock(hookLock_);
  discoveryReplyHook_ = std::move(hook);
}

void TransactionHub::SetNoticeHook(MessageHook hook) {
  std::lock_guard<std::mutex> lock(hookLock_);
  noticeHook_ = std::move(hook);
}

void TransactionHub::SetFunctionTraceHook(FunctionTraceHook hook) {
  std::lock_guard<std::mutex> lock(traceLock_);
  tracing_ = static_cast<bool>(hook);
  traceHook_ = std::move(hook);
}

void TransactionHub::TraceFunction(const FunctionTrace& trace) {
  if (!tracing_) return;
  std::lock_guard<std::mutex> lock(traceLock_);
  if (traceHook_) traceHook_(trace);
}

bool TransactionHub::StartReceiveThread() {
  if (receiveThread_.joinable()) return true;
  stop_.Reset();
  link_.SetReceiveNotice(&framesReceived_);
  try {
    receiveThread_ = std::thread([this] { ReceiveLoop(); });
  } catch (const std::system_error&) {
    link_.SetReceiveNotice(nullptr);
    return false;
  }
  link_.SetFrameFilter(this);
  return true;
}

void TransactionHub::StopReceiveThread() {
  if (!receiveThread_.joinable()) return;
  link_.SetFrameFilter(nullptr);
  stop_.Set();
  receiveThread_.join();
  link_.SetReceiveNotice(nullptr);
}

void TransactionHub::ReceiveLoop() {
  // Frames may have been queued before the notice event was handed over.
  DrainReceiveQueue();
  for (;;) {
    if (WaitForAny({&stop_, &framesReceived_}) == 0) return;
    DrainReceiveQueue();
  }
}

}  // namespace ntr
