// PcapEndpoint: the link endpoint on the chosen adapter. It owns one libpcap
// capture handle, sends management messages in frames to the switches' group
// address, and runs the capture thread that passes the frames addressed to
// the tool to the frame filter (answers go straight to their waiters) and
// queues the rest for the receive dispatcher.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "base/auto_reset_event.h"
#include "base/error.h"
#include "base/notification.h"
#include "link/adapter_chooser.h"
#include "link/adapter_info.h"
#include "link/capture_handle.h"
#include "link/link_endpoint.h"
#include "link/packet_log.h"
#include "link/receive_queue.h"

namespace ntr {

// States: closed (no handle) -> open (handle, no thread) -> capturing (thread
// reading) <-> paused (thread running, not reading) -> stopped -> closed.
// Opening again while capturing passes through stopped back to capturing.
//
// Locks, always taken in this order: the control lock (open, start, stop,
// close, pause), the send lock (one frame on the wire at a time; the handle
// is only closed under it), the state lock (adapter list, selection, the
// opened adapter, the error pair). The read lock (one reader of the handle at
// a time) is taken alone and held while a frame is read and dealt with; the
// filter lock is taken under it and held while the frame filter runs, which
// may take the queue lock and locks of its own. The queue lock and the log
// lock are taken alone or under those.
//
// Readers: the capture thread reads the handle, except while callers wait in
// WaitReading: then one of them at a time reads it, one frame at a time under
// the read lock (passing the role on to another waiting caller when it
// leaves), and the capture thread stands aside (it leaves the handle out of
// its wait, and looks again every kStandAsideMs) until a whole period has
// passed without a waiting caller. Either way each frame is read once and
// dealt with in arrival order.
class PcapEndpoint : public LinkEndpoint {
 public:
  // `sink` receives the capture thread's notices (read error, frames
  // received); may be null.
  explicit PcapEndpoint(NotificationSink* sink = nullptr);
  ~PcapEndpoint() override;
  PcapEndpoint(const PcapEndpoint&) = delete;
  PcapEndpoint& operator=(const PcapEndpoint&) = delete;

  // --- Adapters (enumeration and choice run in the calling thread's network namespace)

  // Fills the adapter list with the usable adapters; fails with 45, 41 or 46.
  bool EnumerateAdapters();
  // Enumerates, selects (the only adapter without asking, otherwise through
  // `chooser`) and opens. Fails with 41 when none is usable, 42 when the
  // choice is cancelled, or as enumeration and opening fail.
  bool ChooseAdapter(AdapterChooser& chooser);
  std::vector<AdapterInfo> adapters() const;
  int selectedIndex() const;
  void SetSelectedIndex(int index);
  // The copy of the adapter that was last opened.
  std::optional<AdapterInfo> openedAdapter() const;
  // The MAC of adapter `index` of the list (-1: the selected one); fails with 43.
  bool AdapterMac(int index, MacAddress& mac);

  // --- Capture

  // Opens the selected adapter (44, 47), restarting a running capture on it.
  bool OpenSelectedAdapter();
  // Starts or restarts the capture thread with an empty queue (48, 50).
  bool StartCapture();
  // Stops the capture thread and waits for it; always true.
  bool StopCapture();
  // Stops capture and closes the handle; always true.
  bool Close();
  // Makes the capture thread stop reading until it is stopped (48).
  bool PauseCapture();
  bool capturing() const { return capturing_; }
  // True once the capture thread has taken a pause request or hit a read
  // error, until the next start.
  bool paused() const { return paused_; }

  // --- LinkEndpoint

  // Fails with 44, 51, 48, 49 ("code=%d"), 47 (handle closed meanwhile), or
  // 37 for a payload larger than the send buffer. The failure goes to `error`
  // and to the endpoint's own pair.
  bool Send(std::span<const std::uint8_t> payload, ErrorPair& error) override;
  std::size_t TakeFrame(std::span<std::uint8_t> buffer) override;
  std::size_t QueuedCount() override { return queue_.Count(); }
  // Set before the capture starts; the event must outlive the capture.
  void SetReceiveNotice(AutoResetEvent* event) override { receiveNotice_ = event; }
  void SetFrameFilter(FrameFilter* filter) override;
  // Reads frames on the calling thread while it waits (see above).
  int WaitReading(std::initializer_list<AutoResetEvent*> events,
                  std::optional<std::chrono::milliseconds> timeout,
                  bool (*done)() = nullptr) override;

  // --- Packet logs, both off at construction

  void SetSendLog(bool on) { sendLog_ = on; }
  void SetReceiveLog(bool on) { receiveLog_ = on; }
  bool sendLog() const { return sendLog_; }
  bool receiveLog() const { return receiveLog_; }
  // The logs' folder, the executable's folder by default.
  void SetPacketLogFolder(std::filesystem::path folder) { log_.SetFolder(std::move(folder)); }

  // The last failure of an operation of the endpoint.
  ErrorPair error() const;

  // Benchmarks only: the next open uses the older capture set-up without
  // immediate mode, so that its cost can be measured against this one.
  void SetLegacyCaptureForBenchmark(bool legacy) { legacyCapture_ = legacy; }

 private:
  bool Fail(ErrorCode code, std::string detail = {});
  bool OpenSelectedAdapterLocked();
  bool StartCaptureLocked();
  void StopCaptureLocked();
  void CloseHandleLocked();
  void CaptureLoop(pcap_t* handle);
  // Reads one frame of `handle` under the read lock and deals with it, unless
  // reading has stopped or moved to another handle. Returns the library's
  // result (1 a frame, 0 none, negative a read failure, which stops reading
  // and raises the notice), or 0 when it did not read.
  int ReadOne(pcap_t* handle);
  void Accept(const pcap_pkthdr& header, std::span<const std::uint8_t> frame);

  NotificationSink* const sink_;

  std::mutex controlMutex_;
  std::mutex sendMutex_;
  mutable std::mutex stateMutex_;

  // Guarded by the state lock.
  std::vector<AdapterInfo> adapters_;
  int selected_ = -1;
  std::optional<AdapterInfo> opened_;
  ErrorPair error_;

  CapturePtr handle_;  // replaced under the control and the send lock
  std::atomic<bool> open_{false};
  std::thread captureThread_;  // owned by the control lock
  std::atomic<bool> capturing_{false};
  std::atomic<bool> paused_{false};

  std::mutex readMutex_;                // the read lock
  pcap_t* readHandle_ = nullptr;        // guarded by it: the handle to read, null while nobody may
  int readFd_ = -1;                     // and its descriptor
  std::atomic<int> waitingCallers_{0};  // callers now in WaitReading
  std::atomic<std::uint32_t> waitingEntries_{0};  // entries into WaitReading so far
  std::atomic<bool> callerReading_{false};        // one of them has the reader's role
  AutoResetEvent handOver_;                       // the role is free while callers wait

  ReceiveQueue queue_;
  std::atomic<AutoResetEvent*> receiveNotice_{nullptr};
  std::mutex filterMutex_;  // the filter lock: held while the filter runs
  FrameFilter* filter_ = nullptr;
  AutoResetEvent stopRequest_;
  AutoResetEvent pauseRequest_;

  std::atomic<bool> legacyCapture_{false};
  std::atomic<bool> sendLog_{false};
  std::atomic<bool> receiveLog_{false};
  PacketLog log_;
};

}  // namespace ntr
