// The link as the application object drives it: the endpoint that carries
// the transactions, and the steps of start-up, suspend and restart around
// it. PcapAppLink is the real one (PcapEndpoint on the chosen adapter and the
// address watch); tests put the simulator behind an in-memory link instead.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>

#include "base/error.h"
#include "base/notification.h"
#include "config/config_store.h"
#include "link/adapter_chooser.h"
#include "link/address_watch.h"
#include "link/link_endpoint.h"
#include "link/pcap_endpoint.h"

namespace ntr {

class AppLink : public PacketLogSwitches {
 public:
  virtual LinkEndpoint& endpoint() = 0;
  // Lists the usable adapters, lets `chooser` pick one when there are
  // several, and opens it (41, 42, 45, 46, 47 ...).
  virtual bool ChooseAdapter(AdapterChooser& chooser) = 0;
  virtual bool StartCapture() = 0;
  // Stops the capture after a read error; it stays stopped until reopened.
  virtual void PauseCapture() = 0;
  // Stops the capture and closes the adapter.
  virtual bool Close() = 0;
  // Opens the chosen adapter again and restarts the capture.
  virtual bool Reopen() = 0;
  // The chosen adapter's MAC: the source of every message.
  virtual bool AdapterMac(MacAddress& mac) = 0;
  // The address watch; `adapterLock` is held while it reopens the capture.
  virtual bool StartWatch(NotificationSink* sink, std::mutex& adapterLock, ErrorPair& error) = 0;
  virtual void StopWatch() = 0;
  // The last failure of the link.
  virtual ErrorPair error() const = 0;
};

// The machine's adapters through libpcap.
class PcapAppLink : public AppLink {
 public:
  // `sink` receives the capture's notices (0x501, 0x502) and the watch's (0x605).
  explicit PcapAppLink(NotificationSink* sink);
  ~PcapAppLink() override;

  LinkEndpoint& endpoint() override { return device_; }
  bool ChooseAdapter(AdapterChooser& chooser) override { return device_.ChooseAdapter(chooser); }
  bool StartCapture() override { return device_.StartCapture(); }
  void PauseCapture() override { device_.PauseCapture(); }
  bool Close() override { return device_.Close(); }
  bool Reopen() override;
  bool AdapterMac(MacAddress& mac) override { return device_.AdapterMac(-1, mac); }
  bool StartWatch(NotificationSink* sink, std::mutex& adapterLock, ErrorPair& error) override;
  void StopWatch() override;
  ErrorPair error() const override { return device_.error(); }

  void SetSendLog(bool on) override { device_.SetSendLog(on); }
  void SetReceiveLog(bool on) override { device_.SetReceiveLog(on); }
  bool sendLog() const override { return device_.sendLog(); }
  bool receiveLog() const override { return device_.receiveLog(); }
  void DeleteLogFiles() override;

  // Where the packet logs (and the debug log) are; the executable's folder by default.
  void SetPacketLogFolder(std::filesystem::path folder);
  PcapEndpoint& device() { return device_; }

 private:
  PcapEndpoint device_;
  std::unique_ptr<AddressWatch> watch_;  // declared after the device: stopped first
  std::filesystem::path logFolder_;
};

}  // namespace ntr
