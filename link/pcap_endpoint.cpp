#include "link/pcap_endpoint.h"

#include <string>
#include <system_error>

#include "link/adapter_list.h"
#include "link/link_frame.h"

namespace ntr {

PcapEndpoint::PcapEndpoint(NotificationSink* sink) : sink_(sink) {}

PcapEndpoint::~PcapEndpoint() { Close(); }

ErrorPair PcapEndpoint::error() const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  return error_;
}

bool PcapEndpoint::Fail(ErrorCode code, std::string detail) {
  std::lock_guard<std::mutex> lock(stateMutex_);
  return error_.Fail(code, std::move(detail));
}

// --- Adapters

bool PcapEndpoint::EnumerateAdapters() {
  std::vector<AdapterInfo> found;
  ErrorPair failure;
  const bool listed = ListUsableAdapters(found, failure);
  std::lock_guard<std::mutex> lock(stateMutex_);
  adapters_ = std::move(found);
  return listed || error_.Take(failure);
}

bool PcapEndpoint::ChooseAdapter(AdapterChooser& chooser) {
  SetSelectedIndex(-1);
  if (!EnumerateAdapters()) return false;
  const std::vector<AdapterInfo> list = adapters();
  if (list.empty()) return Fail(kErrNoNetwork);
  std::size_t index = 0;
  if (list.size() > 1) {
    // No lock is held while the operator chooses.
    const std::optional<std::size_t> choice = chooser.Choose(list);
    if (!choice || *choice >= list.size()) return Fail(kErrDeviceChoiceCancelled);
    index = *choice;
  }
  SetSelectedIndex(static_cast<int>(index));
  return OpenSelectedAdapter();
}

std::vector<AdapterInfo> PcapEndpoint::adapters() const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  return adapters_;
}

int PcapEndpoint::selectedIndex() const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  return selected_;
}

void PcapEndpoint::SetSelectedIndex(int index) {
  std::lock_guard<std::mutex> lock(stateMutex_);
  selected_ = index;
}

std::optional<AdapterInfo> PcapEndpoint::openedAdapter() const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  return opened_;
}

bool PcapEndpoint::AdapterMac(int index, MacAddress& mac) {
  std::lock_guard<std::mutex> lock(stateMutex_);
  if (index == -1) index = selected_;
  if (index < 0 || static_cast<std::size_t>(index) >= adapters_.size()) {
    return error_.Fail(kErrDeviceIndexRange);
  }
  mac = adapters_[static_cast<std::size_t>(index)].mac;
  return true;
}

// --- Capture control

bool PcapEndpoint::OpenSelectedAdapter() {
  std::lock_guard<std::mutex> control(controlMutex_);
  return OpenSelectedAdapterLocked();
}

bool PcapEndpoint::OpenSelectedAdapterLocked() {
  AdapterInfo adapter;
  {
    std::lock_guard<std::mutex> lock(stateMutex_);
    if (selected_ < 0 || static_cast<std::size_t>(selected_) >= adapters_.size()) {
      return error_.Fail(kErrNoDeviceSelected);
    }
    adapter = adapters_[static_cast<std::size_t>(selected_)];
  }
  const bool wasCapturing = captureThread_.joinable();
  StopCaptureLocked();
  CloseHandleLocked();

  std::string errorText;
  CapturePtr handle = OpenCapture(adapter.name, errorText, legacyCapture_);
  {
    std::lock_guard<std::mutex> send(sendMutex_);
    std::lock_guard<std::mutex> lock(stateMutex_);
    opened_ = adapter;
    if (!handle) return error_.Fail(kErrDeviceOpen, errorText);
    handle_ = std::move(handle);
    open_ = true;
  }
  return !wasCapturing || StartCaptureLocked();
}

bool PcapEndpoint::StartCapture() {
  std::lock_guard<std::mutex> control(controlMutex_);
  return StartCaptureLocked();
}

bool PcapEndpoint::StartCaptureLocked() {
  if (!open_) return Fail(kErrDeviceNotOpen);
  StopCaptureLocked();
  queue_.Clear();
  stopRequest_.Reset();
  // A pause meant for the previous thread must not hold up this one.
  pauseRequest_.Reset();
  paused_ = false;
  pcap_t* handle = handle_.get();
  {
    std::lock_guard<std::mutex> read(readMutex_);
    readHandle_ = handle;
    readFd_ = pcap_get_selectable_fd(handle);
    // A caller waiting since before the start takes the reader's role.
    if (waitingCallers_.load() > 0) handOver_.Set();
  }
  try {
    captureThread_ = std::thread([this, handle] { CaptureLoop(handle); });
  } catch (const std::system_error&) {
    std::lock_guard<std::mutex> read(readMutex_);
    readHandle_ = nullptr;
    return Fail(kErrCaptureThreadCreate);
  }
  capturing_ = true;
  return true;
}

bool PcapEndpoint::StopCapture() {
  std::lock_guard<std::mutex> control(controlMutex_);
  StopCaptureLocked();
  return true;
}

void PcapEndpoint::StopCaptureLocked() {
  if (!captureThread_.joinable()) return;
  capturing_ = false;
  {
    // Callers waiting in WaitReading read nothing more from here on.
    std::lock_guard<std::mutex> read(readMutex_);
    readHandle_ = nullptr;
  }
  stopRequest_.Set();
  captureThread_.join();
}

bool PcapEndpoint::Close() {
  std::lock_guard<std::mutex> control(controlMutex_);
  StopCaptureLocked();
  CloseHandleLocked();
  return true;
}

void PcapEndpoint::CloseHandleLocked() {
  std::lock_guard<std::mutex> send(sendMutex_);
  open_ = false;
  handle_.reset();
}

bool PcapEndpoint::PauseCapture() {
  std::lock_guard<std::mutex> control(controlMutex_);
  if (!open_) return Fail(kErrDeviceNotOpen);
  if (captureThread_.joinable()) pauseRequest_.Set();
  return true;
}

// --- Frames

bool PcapEndpoint::Send(std::span<const std::uint8_t> payload, ErrorPair& error) {
  const auto fail = [&](ErrorCode code, std::string detail = {}) {
    error.Fail(code, detail);
    return Fail(code, std::move(detail));
  };
  {
    std::lock_guard<std::mutex> lock(stateMutex_);
    if (selected_ < 0 || static_cast<std::size_t>(selected_) >= adapters_.size()) {
      error_.Fail(kErrNoDeviceSelected);
      return error.Fail(kErrNoDeviceSelected);
    }
  }
  if (!capturing_) return fail(kErrNoCaptureThread);
  if (!open_) return fail(kErrDeviceNotOpen);

  std::lock_guard<std::mutex> send(sendMutex_);
  MacAddress source{};
  {
    std::lock_guard<std::mutex> lock(stateMutex_);
    // The frame leaves through the opened handle, so it carries that
    // adapter's address even if the selection has moved on since.
    if (opened_) source = opened_->mac;
  }
  if (!handle_) return fail(kErrDeviceOpen);
  SendBuffer frame{};
  const std::size_t length = BuildFrame(source, payload, frame);
  if (length == 0) return fail(kErrBufferExhausted, "length=" + std::to_string(payload.size()));
  const int result = pcap_sendpacket(handle_.get(), frame.data(), static_cast<int>(length));
  if (result != 0) return fail(kErrSend, "code=" + std::to_string(result));
  if (sendLog_) log_.Write(kSendLogName, std::span(frame).first(length));
  return true;
}

std::size_t PcapEndpoint::TakeFrame(std::span<std::uint8_t> buffer) { return queue_.Take(buffer); }

}  // namespace ntr
