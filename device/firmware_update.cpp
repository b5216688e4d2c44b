#include "device/firmware_update.h"

#include <fstream>
#include <system_error>

namespace ntr {
namespace {

using namespace std::chrono_literals;

// The message of a switch's result: 1 and 3 to 8 as the refusals, anything
// else as the fatal error.
std::string ResultMessage(std::int32_t result) {
  FunctionResponse response;
  response.result = result;
  ErrorPair error;
  CheckResponse(response, kValueNone, kOpExecute, error);
  return FormatErrorMessage(error);
}

}  // namespace

FirmwareUpdate::FirmwareUpdate(SwitchClient& node, std::string path,
                               std::function<bool()> stillManaged,
                               std::function<void(int state)> finished)
    : node_(node),
      path_(std::move(path)),
      stillManaged_(std::move(stillManaged)),
      finishedHook_(std::move(finished)) {}

FirmwareUpdate::~FirmwareUpdate() { Wait(); }

bool FirmwareUpdate::Start() {
  if (thread_.joinable()) return true;
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void FirmwareUpdate::RequestAbort() {
  abort_ = true;
  abortRequested_.Set();
}

void FirmwareUpdate::SwitchGone() {
  gone_ = true;
  abortRequested_.Set();
}

void FirmwareUpdate::Wait() {
  if (thread_.joinable()) thread_.join();
}

std::string FirmwareUpdate::errorText() const {
  std::lock_guard<std::mutex> lock(textLock_);
  return errorText_;
}

void FirmwareUpdate::Fail(int state, const std::string& text) {
  if (gone_) {
    state_ = kFirmwareSwitchGone;  // the request failed because the switch was closed
    return;
  }
  {
    std::lock_guard<std::mutex> lock(textLock_);
    errorText_ = text;
  }
  state_ = state;
}

void FirmwareUpdate::Pause() { abortRequested_.Wait(1000ms); }

bool FirmwareUpdate::AbortCheck() {
  if (Gone()) {
    state_ = kFirmwareSwitchGone;
    return true;
  }
  if (!abort_) return false;
  std::int32_t result = -1;
  ErrorPair error;
  if (node_.transactor().FirmwareAbort(result, error) && result == 0) {
    state_ = kFirmwareAborted;
    return true;
  }
  abort_ = false;  // the switch refused: carry on
  return false;
}

void FirmwareUpdate::Run() {
  struct Finished {
    FirmwareUpdate& job;
    ~Finished() {
      job.finished_ = true;
      if (job.finishedHook_) job.finishedHook_(job.state_);
    }
  } finished{*this};

  std::ifstream file(path_, std::ios::binary);
  if (!file) {
    state_ = kFirmwareFileError;
    return;
  }
  file.seekg(0, std::ios::end);
  const auto size = static_cast<std::uint64_t>(std::max<std::streamoff>(0, file.tellg()));
  file.seekg(0, std::ios::beg);
  if (abort_) {
    state_ = kFirmwareAborted;
    return;
  }
  state_ = kFirmwarePreparing;

  for (;;) {
    if (AbortCheck()) return;
    std::int32_t result = -1;
    ErrorPair error;
    if (!node_.transactor().FirmwarePrepare(result, error)) {
      return Fail(kFirmwarePrepareFailed, FormatErrorMessage(error));
    }
    if (result == 0) break;
    if (result != 2) return Fail(kFirmwarePrepareFailed, ResultMessage(result));
    Pause();
  }

  state_ = kFirmwareTransferring;
  std::int32_t block = 0;
  std::uint64_t sent = 0;
  std::vector<std::uint8_t> data(kFirmwareBlockSize);
  for (;;) {
    if (AbortCheck()) return;
    file.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    const auto count = static_cast<std::size_t>(file.gcount());
    if (Gone()) {
      state_ = kFirmwareSwitchGone;
      return;
    }
    FirmwareBlock message{
        block,
        std::vector<std::uint8_t>(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(count))};
    std::int32_t result = -1;
    ErrorPair error;
    if (!node_.transactor().FirmwareData(message, result, error)) {
      return Fail(kFirmwareTransferFailed, FormatErrorMessage(error));
    }
    ++block;
    blocks_ = block;
    if (result == 2) continue;  // pending: next block, progress unchanged
    if (result != 0) return Fail(kFirmwareTransferFailed, ResultMessage(result));
    sent += count;
    if (count == 0) {
      progress_ = 100;
      state_ = kFirmwareCompleted;
      return;
    }
    progress_ = size == 0 ? 0 : static_cast<int>(sent * 100 / size);
  }
}

}  // namespace ntr
