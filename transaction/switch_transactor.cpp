#include "transaction/switch_transactor.h"

#include <chrono>

namespace ntr {

std::uint32_t SteadyTickMs() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

bool CheckResponse(const FunctionResponse& response, std::int32_t functionValueType,
                   std::int32_t operation, ErrorPair& error) {
  switch (response.result) {
    case 0: {
      const std::int32_t expected = operation == kOpGet ? functionValueType : kValueNone;
      return response.valueType == expected || error.Fail(kErrBadResponseValue);
    }
    case 1:
      return error.Fail(kErrSwitchBusy);
    case 2:
      return error.Fail(kErrSwitchPending);
    case 3:
      return error.Fail(kErrMagicMismatch);
    case 4:
      return error.Fail(kErrChecksumMismatch);
    case 5:
      return error.Fail(kErrFlashWrite);
    case 6:
      return error.Fail(kErrNoSuchFunction);
    case 7:
      return error.Fail(kErrAccessDenied);
    case 8:
      return error.Fail(kErrBadParameter);
    default:
      return error.Fail(kErrFatal);
  }
}

SwitchTransactor::SwitchTransactor(TransactionHub& hub, Relaxed<std::int32_t>& state,
                                   std::function<MacAddress()> destination, TickSource ticks)
    : hub_(hub), state_(state), destination_(std::move(destination)), ticks_(std::move(ticks)) {}

void SwitchTransactor::SetStopEvent(AutoResetEvent* stop) {
  std::lock_guard<std::mutex> lock(abortLock_);
  stop_ = stop;
}

bool SwitchTransactor::RegisterAbort(AutoResetEvent* abort, std::uint64_t& abortsBefore) {
  // Under the same lock as Close: a transaction either sees the closing flag
  // or is on the list when the waits are aborted.
  std::lock_guard<std::mutex> lock(abortLock_);
  if (closing_) return false;
  abortEvents_.push_back(abort);
  abortsBefore = aborts_;
  return true;
}

void SwitchTransactor::UnregisterAbort(AutoResetEvent* abort, std::uint64_t abortsBefore) {
  std::lock_guard<std::mutex> lock(abortLock_);
  abortEvents_.remove(abort);
  // The event is only ever signalled while on the list, under this lock: if
  // no abort came meanwhile it is as clean as it was when registered, and
  // the next transaction of this thread need not clear it.
  if (aborts_ != abortsBefore) abort->Reset();
}

bool SwitchTransactor::Transaction(Pdu& pdu, const TransactionOptions& options, ErrorPair& error) {
  const bool expectAnswer = options.expectAnswer;
  const int attempts = options.attempts;
  // A thread runs one transaction at a time: its two events are made once
  // and reused. The abort event is left clean by each transaction (see
  // UnregisterAbort). The answer event may carry a signal left over from an
  // answer that came just after an earlier wait gave up: a wake-up by it
  // finds its own record unanswered and waits on, so it need not be cleared.
  thread_local AutoResetEvent answer;
  thread_local AutoResetEvent abort;
  std::uint64_t abortsBefore = 0;
  if (!RegisterAbort(&abort, abortsBefore)) return error.Fail(kErrWindowClosed);
  AutoResetEvent* stop = nullptr;
  {
    std::lock_guard<std::mutex> lock(abortLock_);
    stop = stop_;
  }
  struct Unregister {
    SwitchTransactor* self;
    AutoResetEvent* abort;
    std::uint64_t abortsBefore;
    ~Unregister() { self->UnregisterAbort(abort, abortsBefore); }
  } unregister{this, &abort, abortsBefore};

  if (attempts < 1) return error.Fail(kErrNoResponse);
  const std::int32_t id = options.transactionId ? *options.transactionId : hub_.NextTransactionId();
  const Pdu request = pdu;
  ErrorPair sendError;
  bool lastSendFailed = false;
  for (int attempt = 0; attempt < attempts; ++attempt) {
    Pdu message = request;
    const SendOptions send{.headerValue = options.headerValue,
                           .transactionId = id,
                           .answerEvent = expectAnswer ? &answer : nullptr};
    if (!hub_.SendPdu(message, destination_(), send, sendError)) {
      lastSendFailed = true;
      continue;
    }
    lastSendFailed = false;
    if (!expectAnswer) return true;

    const auto deadline = std::chrono::steady_clock::now() + attemptTimeout_;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      // The hub's link may read the answer on this thread while it waits.
      const auto bound = std::max(left, decltype(left){0});
      const int woken = stop != nullptr ? hub_.WaitForAnswer({&answer, &abort, stop}, bound)
                                        : hub_.WaitForAnswer({&answer, &abort}, bound);
      if (woken == 0) {
        if (hub_.TakeAnswer(&answer, &pdu)) return true;
        continue;  // the record was not answered: keep waiting for this attempt
      }
      hub_.FetchAnswer(nullptr, &answer);
      if (woken == 1) return error.Fail(kErrSendInterrupted);
      if (woken == 2) {
        stop->Set();  // its owner must still see it
        return error.Fail(kErrWindowClosed);
      }
      break;  // time-out: next attempt
    }
  }
  if (lastSendFailed) return error.Take(sendError);
  return error.Fail(kErrNoResponse);
}

bool SwitchTransactor::ExecuteFunction(const FunctionRequest& request, FunctionResponse* response,
                                       ErrorPair& error) {
  if (state_ == kStateIdle) state_ = kStateRequest;
  const bool bulk = state_ == kStateBulk;
  if (bulk) KeepLastRequest(request);
  if (request.operation == kOpSet || request.operation == kOpSetDefault) {
    std::lock_guard<std::mutex> lock(recentLock_);
    recentChange_ = true;
    recentStamp_ = ticks_();
  }
  const MacAddress sw = destination_();
  hub_.TraceFunction({.sw = sw, .request = &request});
  Pdu pdu;
  pdu.application = PduType::kFuncRequest;
  pdu.body = request;
  bool ok = Transaction(pdu,
                        {.attempts = bulk ? kBulkAttempts : kAttempts,
                         .expectAnswer = response != nullptr,
                         .transactionId = hub_.NextTransactionId()},
                        error);
  if (ok && response != nullptr) {
    if (pdu.application != PduType::kFuncResponse) {
      ok = error.Fail(kErrRxApplication);
    } else {
      *response = std::get<FunctionResponse>(pdu.body);
    }
  }
  hub_.TraceFunction({.sw = sw,
                      .request = &request,
                      .answered = true,
                      .response = ok ? response : nullptr,
                      .error = ok ? nullptr : &error});
  if (state_ == kStateRequest) state_ = kStateIdle;
  if (state_ == kStateBulk) {
    std::lock_guard<std::mutex> lock(lastLock_);
    lastResponse_ = (ok && response != nullptr) ? *response : FunctionResponse{};
  }
  return ok;
}

bool SwitchTransactor::FirmwareStep(PduType application, PduBody body, PduType answerApplication,
                                    std::int32_t& result, ErrorPair& error) {
  Pdu pdu;
  pdu.application = application;
  pdu.body = std::move(body);
  if (!Transaction(pdu, {.transactionId = hub_.NextTransactionId()}, error)) return false;
  if (pdu.application != answerApplication) return error.Fail(kErrRxApplication);
  result = std::get<ResultBody>(pdu.body).result;
  return true;
}

bool SwitchTransactor::FirmwarePrepare(std::int32_t& result, ErrorPair& error) {
  state_ = kStateFirmPrepare;
  if (!FirmwareStep(PduType::kFirmPrepare, EmptyBody{}, PduType::kFirmPrepareAnswer, result,
                    error)) {
    state_ = kStateIdle;
    return false;
  }
  return true;
}

bool SwitchTransactor::FirmwareData(const FirmwareBlock& block, std::int32_t& result,
                                    ErrorPair& error) {
  state_ = kStateFirmTransfer;
  if (!FirmwareStep(PduType::kFirmBlock, block, PduType::kFirmBlockAnswer, result, error)) {
    state_ = kStateIdle;
    return false;
  }
  return true;
}

bool SwitchTransactor::FirmwareAbort(std::int32_t& result, ErrorPair& error) {
  return FirmwareStep(PduType::kFirmAbort, EmptyBody{}, PduType::kFirmAbortAnswer, result, error);
}

void SwitchTransactor::AbortWaits() {
  std::lock_guard<std::mutex> lock(abortLock_);
  ++aborts_;
  for (AutoResetEvent* abort : abortEvents_) abort->Set();
}

void SwitchTransactor::Close() {
  std::lock_guard<std::mutex> lock(abortLock_);
  closing_ = true;
  ++aborts_;
  for (AutoResetEvent* abort : abortEvents_) abort->Set();
}

bool SwitchTransactor::closing() const {
  std::lock_guard<std::mutex> lock(abortLock_);
  return closing_;
}

bool SwitchTransactor::RecentlyChanged() {
  std::lock_guard<std::mutex> lock(recentLock_);
  if (recentChange_ && ticks_() - recentStamp_ > kRecentChangeMs) recentChange_ = false;
  return recentChange_;
}

void SwitchTransactor::KeepLastRequest(const FunctionRequest& request) {
  std::lock_guard<std::mutex> lock(lastLock_);
  lastRequest_ = request;
  lastResponse_ = FunctionResponse{};
}

FunctionRequest SwitchTransactor::LastRequest() const {
  std::lock_guard<std::mutex> lock(lastLock_);
  return lastRequest_;
}

FunctionResponse SwitchTransactor::LastResponse() const {
  std::lock_guard<std::mutex> lock(lastLock_);
  return lastResponse_;
}

}  // namespace ntr
