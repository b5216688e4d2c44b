// One accepted HTTP connection as cpp-httplib's Stream, with hard limits the
// library's own socket stream lacks: a byte budget for everything read, a
// deadline for reading and one for writing, and a stop descriptor that ends
// every wait at once when the server stops.
#pragma once

#include <httplib.h>

#include <chrono>
#include <cstddef>

namespace ntr {

struct ConnectionLimits {
  std::size_t readBytes = 0;  // most bytes read from the client in all
  std::chrono::steady_clock::time_point readDeadline;
  std::chrono::steady_clock::time_point writeDeadline;
};

class ConnectionStream : public httplib::Stream {
 public:
  // `stopFd` turns readable when the server stops. Neither descriptor is owned.
  ConnectionStream(int fd, int stopFd, const ConnectionLimits& limits);

  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char* ptr, size_t size) override;
  ssize_t write(const char* ptr, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  socket_t socket() const override { return fd_; }

 private:
  // Waits until `events` on the connection or the deadline or a stop;
  // true when the connection is ready.
  bool Wait(short events, std::chrono::steady_clock::time_point deadline) const;

  int fd_;
  int stopFd_;
  ConnectionLimits limits_;
  std::size_t readSoFar_ = 0;
  char buffer_[4096];
  std::size_t bufferStart_ = 0;
  std::size_t bufferEnd_ = 0;
};

}  // namespace ntr
