#include "ui/popup/popup_refresher.h"

#include "app/switch_service.h"
#include "catalogue/switch_model.h"

namespace ntr::ui {
namespace {

constexpr int kKindSwitch = 2;
constexpr int kKindPort = 3;
constexpr int kPoeFetchInterval = 120;
// How long Forget waits for the worker before it aborts the worker's request again.
constexpr std::chrono::milliseconds kAbortRepeat{20};

}  // namespace

PopupRefresher::PopupRefresher(std::function<void()> changed)
    : changed_(std::move(changed)), thread_([this] { Run(); }) {}

PopupRefresher::~PopupRefresher() {
  {
    std::unique_lock<std::mutex> lock(lock_);
    stopping_ = true;
    target_ = Target{};
    ++serial_;
    stop_.Set();
    if (inUse_ != nullptr) Release(lock, inUse_);
  }
  thread_.join();
}

int PopupRefresher::FetchInterval(std::int32_t modelCode) {
  return HasPoe(modelCode) ? kPoeFetchInterval : 0;
}

void PopupRefresher::Show(int kind, SwitchView sw, int port) {
  Target target{kind, sw, port};
  // Reading the record here does not wait: its fields are plain atomics.
  const Shown shown = sw != nullptr ? Read(sw, target) : Shown{};
  const int interval = sw != nullptr ? FetchInterval(sw.record().modelCode) : 0;
  std::lock_guard<std::mutex> lock(lock_);
  target_ = target;
  ++serial_;
  shown_ = shown;
  ticks_ = interval;  // so that the first tick fetches
}

void PopupRefresher::Hide() {
  std::lock_guard<std::mutex> lock(lock_);
  target_ = Target{};
  ++serial_;
}

void PopupRefresher::Tick() {
  {
    std::lock_guard<std::mutex> lock(lock_);
    ++ticksGiven_;
  }
  refresh_.Set();
}

void PopupRefresher::Forget(SwitchView sw) {
  std::unique_lock<std::mutex> lock(lock_);
  if (target_.sw == sw) {
    target_ = Target{};
    ++serial_;
  }
  Release(lock, sw);
}

void PopupRefresher::Release(std::unique_lock<std::mutex>& lock, SwitchView sw) {
  // The worker checks the target before each request, so once the target
  // has changed it starts no new one; the one in flight may have registered
  // its wait only after an abort, hence the repeat.
  while (inUse_ == sw) {
    SwitchService::AbortReads(sw);
    released_.wait_for(lock, kAbortRepeat, [&] { return inUse_ != sw; });
  }
}

bool PopupRefresher::WaitForTicks(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(lock_);
  return released_.wait_for(lock, timeout, [&] { return ticksDone_ == ticksGiven_; });
}

void PopupRefresher::Run() {
  for (;;) {
    if (WaitForAny({&stop_, &refresh_}) == 0) return;
    Refresh();
  }
}

void PopupRefresher::Refresh() {
  Target target;
  std::uint64_t serial = 0;
  std::uint64_t given = 0;
  bool fetch = false;
  {
    std::lock_guard<std::mutex> lock(lock_);
    given = ticksGiven_;
    const bool refreshed = target_.kind == kKindSwitch || target_.kind == kKindPort;
    if (stopping_ || target_.sw == nullptr || !refreshed) {
      ticksDone_ = given;
      released_.notify_all();
      return;
    }
    target = target_;
    serial = serial_;
    inUse_ = target.sw;
    if (target.kind == kKindPort && ++ticks_ >= FetchInterval(target.sw.record().modelCode)) {
      ticks_ = 0;
      fetch = true;
    }
  }
  // From here until inUse_ is cleared, Forget waits for this thread before
  // the switch can go.
  if (fetch) Fetch(target.sw, target.port, serial);
  const Shown now = Read(target.sw, target);
  bool changed = false;
  {
    std::lock_guard<std::mutex> lock(lock_);
    inUse_ = nullptr;
    if (serial == serial_ && now != shown_) {
      shown_ = now;
      changed = true;
    }
    released_.notify_all();
  }
  if (changed && changed_) changed_();
  std::lock_guard<std::mutex> lock(lock_);
  ticksDone_ = given;
  released_.notify_all();
}

void PopupRefresher::Fetch(SwitchView sw, int port, std::uint64_t serial) {
  const std::int32_t counters = sw.record().counterCount;
  const auto still = [&] {
    std::lock_guard<std::mutex> lock(lock_);
    return serial == serial_;
  };
  const auto get = [&](Function status, FunctionIndex index) {
    ErrorPair error;
    return still() && SwitchService::ReadStatus(sw, status, index, error);
  };
  for (int c = 0; c < counters; ++c) {
    if (!get(Function::kStatusCounterFrameRx, FunctionIndex::PortCounter(port, c))) return;
  }
  for (int c = 0; c < counters; ++c) {
    if (!get(Function::kStatusCounterFrameTx, FunctionIndex::PortCounter(port, c))) return;
  }
  if (!get(Function::kStatusCounterOctetRx, FunctionIndex::Port(port)) ||
      !get(Function::kStatusCounterOctetTx, FunctionIndex::Port(port))) {
    return;
  }
  if (HasPoe(sw.record().modelCode)) get(Function::kStatusPoeSupply, FunctionIndex::Port(port));
}

PopupRefresher::Shown PopupRefresher::Read(SwitchView sw, const Target& target) {
  const SwitchRecord& record = sw.record();
  Shown shown;
  if (target.kind == kKindSwitch) {
    shown.fanState = record.fanState;
    if (HasPoe(record.modelCode)) {
      for (std::size_t f = 0; f < shown.fanSpeeds.size(); ++f)
        shown.fanSpeeds[f] = record.fanSpeeds[f];
      shown.temperature = record.poeTemperature;
    }
  } else if (target.kind == kKindPort && target.port >= 0 && target.port < kMaxPorts) {
    const PortStatus& status = record.portStatus[static_cast<std::size_t>(target.port)];
    shown.txOctets = status.txOctets;
    shown.rxOctets = status.rxOctets;
    for (std::size_t c = 0; c < kMaxCounters; ++c) {
      shown.txFrames[c] = status.txFrames[c];
      shown.rxFrames[c] = status.rxFrames[c];
    }
    shown.poeState = status.poeState;
    shown.poeSupply = status.poeSupply;
  }
  return shown;
}

}  // namespace ntr::ui
