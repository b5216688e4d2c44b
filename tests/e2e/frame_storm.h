// A storm of hostile frames on the switches' end of the segment, sent with a
// plain packet socket from the switch namespace while ntrctl works:
//
//   garbage      random bytes (and truncated or bit-flipped messages) with
//                EtherType E812 to the tool's group address 03:5C:71:00:E8:13;
//   wrong IDs    for every request of the tool, well-formed answers of the
//                right kind from the switch asked, with transaction IDs the
//                tool never used;
//   notices      link, loop and fan notices from spoofed and real switch
//                MACs with ports no switch has;
//   spoofed      discovery replies from MACs no switch has, with IDs the
//                tool never used;
//   hijack       (only when asked) an answer with the request's own
//                transaction ID from another source MAC, racing the real one.
//
// The first four must not change what the tool reads or writes; the last
// may (the transaction ID alone pairs an answer), but must never crash it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "base/mac_address.h"

namespace ntr::e2e {

class FrameStorm {
 public:
  struct Mix {
    bool hijack = false;
    int garbagePerMillisecond = 1;  // background frames, besides the answers to requests
  };

  FrameStorm(std::string ns, std::string interface, std::vector<MacAddress> switches, Mix mix);
  ~FrameStorm();
  FrameStorm(const FrameStorm&) = delete;
  FrameStorm& operator=(const FrameStorm&) = delete;

  bool Start(std::string& error);
  void Stop();

  std::uint64_t sent() const { return sent_; }
  std::uint64_t requestsSeen() const { return requests_; }

 private:
  void Run();

  std::string ns_, interface_;
  std::vector<MacAddress> switches_;
  Mix mix_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  std::atomic<std::uint64_t> sent_{0};
  std::atomic<std::uint64_t> requests_{0};
};

}  // namespace ntr::e2e
