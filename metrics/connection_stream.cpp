#include "metrics/connection_stream.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace ntr {

namespace {

using Clock = std::chrono::steady_clock;

void NumericAddress(const sockaddr_storage& address, socklen_t length, std::string& ip, int& port) {
  char host[NI_MAXHOST];
  char service[NI_MAXSERV];
  if (getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host, sizeof host, service,
                  sizeof service, NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
    ip = host;
    port = std::atoi(service);
  }
}

}  // namespace

ConnectionStream::ConnectionStream(int fd, int stopFd, const ConnectionLimits& limits)
    : fd_(fd), stopFd_(stopFd), limits_(limits) {}

bool ConnectionStream::Wait(short events, Clock::time_point deadline) const {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd fds[2] = {{fd_, events, 0}, {stopFd_, POLLIN, 0}};
    const int ready = poll(fds, 2, static_cast<int>(std::min<long long>(left, 60'000)));
    if (ready < 0 && errno != EINTR) return false;
    if (ready <= 0) continue;
    if (fds[1].revents != 0) return false;
    return fds[0].revents != 0;  // ready, or an error the next call reports
  }
}

bool ConnectionStream::is_readable() const {
  return bufferStart_ < bufferEnd_ ||
         (readSoFar_ < limits_.readBytes && Wait(POLLIN, limits_.readDeadline));
}

bool ConnectionStream::is_writable() const { return Wait(POLLOUT, limits_.writeDeadline); }

ssize_t ConnectionStream::read(char* ptr, size_t size) {
  if (bufferStart_ == bufferEnd_) {
    const std::size_t budget = limits_.readBytes - readSoFar_;
    if (budget == 0 || !Wait(POLLIN, limits_.readDeadline)) return -1;
    ssize_t got;
    do {
      got = recv(fd_, buffer_, std::min(sizeof buffer_, budget), 0);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) return got;
    readSoFar_ += static_cast<std::size_t>(got);
    bufferStart_ = 0;
    bufferEnd_ = static_cast<std::size_t>(got);
  }
  const std::size_t n = std::min(size, bufferEnd_ - bufferStart_);
  std::memcpy(ptr, buffer_ + bufferStart_, n);
  bufferStart_ += n;
  return static_cast<ssize_t>(n);
}

ssize_t ConnectionStream::write(const char* ptr, size_t size) {
  for (;;) {
    if (!Wait(POLLOUT, limits_.writeDeadline)) return -1;
    const ssize_t sent = send(fd_, ptr, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    return sent;
  }
}

void ConnectionStream::get_remote_ip_and_port(std::string& ip, int& port) const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getpeername(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    NumericAddress(address, length, ip, port);
  }
}

void ConnectionStream::get_local_ip_and_port(std::string& ip, int& port) const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    NumericAddress(address, length, ip, port);
  }
}

}  // namespace ntr
