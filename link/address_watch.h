// The address watch: a thread that, once a second and early after each
// rtnetlink notice, reports the operational status of the opened adapter and
// reopens the capture when the machine's set of adapters has changed.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "base/auto_reset_event.h"
#include "base/error.h"
#include "base/mac_address.h"
#include "base/notification.h"

namespace ntr {

class PcapEndpoint;

// The watch uses the endpoint it is given until it is stopped: declare it
// after the endpoint, or stop it first.
class AddressWatch {
 public:
  // `applicationLock` is the lock under which the application also restarts
  // the capture; the watch holds it while it reopens. `sink` receives the
  // link status (may be null).
  AddressWatch(PcapEndpoint& device, NotificationSink* sink, std::mutex& applicationLock);
  ~AddressWatch();
  AddressWatch(const AddressWatch&) = delete;
  AddressWatch& operator=(const AddressWatch&) = delete;

  // Starts the thread, which watches the calling thread's network namespace.
  // Fails with 5 when the thread cannot be created.
  bool Start(ErrorPair& error);
  // Signals the stop event and waits for the thread to end.
  void Stop();

 private:
  // Interface index, name and hardware address of every interface: a change
  // of this set means adapters came or went.
  using AdapterSet = std::vector<std::tuple<int, std::string, std::vector<std::uint8_t>>>;

  void Run();
  void Check();

  PcapEndpoint& device_;
  NotificationSink* const sink_;
  std::mutex& applicationLock_;
  AutoResetEvent stop_;
  std::thread thread_;

  // Used by the watch thread only.
  bool knowSet_ = false;
  AdapterSet lastSet_;
  bool reopenPending_ = false;
};

}  // namespace ntr
