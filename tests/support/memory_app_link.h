// The in-memory link in the place of the adapter: what the application's
// start-up, suspend and resume do with the link, and a list of adapters to
// choose from. Used on one thread (the tests' main thread).
#pragma once

#include <string>
#include <vector>

#include "app/app_link.h"
#include "base/error.h"
#include "base/mac_address.h"
#include "link/adapter_chooser.h"
#include "tests/support/memory_link.h"

namespace ntr::test {

inline const MacAddress kAdapterMac{0x00, 0x11, 0x22, 0x33, 0x44, 0x55};

inline AdapterInfo Adapter(const std::string& name, std::uint8_t last) {
  MacAddress mac = kAdapterMac;
  mac[5] = last;
  return AdapterInfo{name, name, "10.0.0.1", FormatAdapterMac(mac), mac};
}

// The simulator's link in the place of the adapter. Used on the test thread only.
class MemoryAppLink : public AppLink {
 public:
  explicit MemoryAppLink(MemoryLink& link) : link_(link) {}

  LinkEndpoint& endpoint() override { return link_; }
  bool ChooseAdapter(AdapterChooser& chooser) override {
    ++choices;
    if (adapters.empty()) return error_.Fail(kErrNoNetwork);
    std::size_t index = 0;
    if (adapters.size() > 1) {
      const auto chosen = chooser.Choose(adapters);
      if (!chosen) return error_.Fail(kErrDeviceChoiceCancelled);
      index = *chosen;
    }
    mac_ = adapters[index].mac;
    return true;
  }
  bool StartCapture() override { return capturing = true; }
  void PauseCapture() override { capturing = false; }
  bool Close() override {
    capturing = false;
    return true;
  }
  bool Reopen() override {
    if (failReopen) return error_.Fail(kErrDeviceOpen, "gone");
    return capturing = true;
  }
  bool AdapterMac(MacAddress& mac) override {
    mac = mac_;
    return true;
  }
  bool StartWatch(NotificationSink*, std::mutex&, ErrorPair&) override { return watching = true; }
  void StopWatch() override { watching = false; }
  ErrorPair error() const override { return error_; }

  void SetSendLog(bool on) override { sendLogOn = on; }
  void SetReceiveLog(bool on) override { receiveLogOn = on; }
  bool sendLog() const override { return sendLogOn; }
  bool receiveLog() const override { return receiveLogOn; }
  void DeleteLogFiles() override { ++logDeletions; }

  std::vector<AdapterInfo> adapters{Adapter("veth0", 0x55)};
  int choices = 0;
  bool capturing = false;
  bool watching = false;
  bool failReopen = false;
  bool sendLogOn = false;
  bool receiveLogOn = false;
  int logDeletions = 0;

 private:
  MemoryLink& link_;
  MacAddress mac_ = kAdapterMac;
  ErrorPair error_;
};

}  // namespace ntr::test
