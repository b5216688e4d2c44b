#include "sim/control_channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sim/text_words.h"

namespace ntr::sim {
namespace {

constexpr std::size_t kMaxPendingLine = 64 * 1024;
constexpr int kWriteTimeoutMs = 1000;
constexpr int kClientReplyTimeoutMs = 10000;

bool SocketAddress(const std::string& path, sockaddr_un& address, std::string& error) {
  address = sockaddr_un{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) {
    error = "the socket path is empty or too long: " + path;
    return false;
  }
  std::memcpy(address.sun_path, path.data(), path.size());
  return true;
}

// Writes all of `text`, waiting at most a second whenever the reader lags.
bool WriteAll(int fd, std::string_view text, bool socket) {
  while (!text.empty()) {
    const ssize_t n = socket ? ::send(fd, text.data(), text.size(), MSG_NOSIGNAL)
                             : ::write(fd, text.data(), text.size());
    if (n > 0) {
      text.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd out{fd, POLLOUT, 0};
      if (::poll(&out, 1, kWriteTimeoutMs) > 0) continue;
    }
    return false;
  }
  return true;
}

}  // namespace

ControlChannel::~ControlChannel() {
  for (const Client& client : clients_) {
    if (!stdin_) ::close(client.fd);
  }
  if (listen_ >= 0) {
    ::close(listen_);
    ::unlink(path_.c_str());
  }
}

bool ControlChannel::Open(const std::string& path, std::string& error) {
  if (path == "-") {
    stdin_ = true;
    clients_.push_back(Client{STDIN_FILENO, {}});
    return true;
  }
  sockaddr_un address;
  if (!SocketAddress(path, address, error)) return false;
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0) {
    if (!S_ISSOCK(info.st_mode)) {
      error = path + " exists and is not a socket";
      return false;
    }
    ::unlink(path.c_str());  // left behind by an earlier run
  }
  listen_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listen_ < 0 || ::bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listen_, 8) != 0) {
    error = "control socket " + path + ": " + std::strerror(errno);
    if (listen_ >= 0) ::close(listen_);
    listen_ = -1;
    return false;
  }
  path_ = path;
  return true;
}

void ControlChannel::AddPollDescriptors(std::vector<pollfd>& fds) const {
  if (listen_ >= 0) fds.push_back(pollfd{listen_, POLLIN, 0});
  if (ended_) return;
  for (const Client& client : clients_) fds.push_back(pollfd{client.fd, POLLIN, 0});
}

void ControlChannel::Service(const Runner& run) {
  for (int fd; listen_ >= 0 &&
               (fd = ::accept4(listen_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0;) {
    clients_.push_back(Client{fd, {}});
  }
  for (auto it = clients_.begin(); it != clients_.end();) {
    if (ended_ || ReadLines(*it, run)) {
      ++it;
      continue;
    }
    if (stdin_) {
      ended_ = true;  // standard input is never closed here
      ++it;
    } else {
      ::close(it->fd);
      it = clients_.erase(it);
    }
  }
}

bool ControlChannel::ReadLines(Client& client, const Runner& run) {
  char buffer[4096];
  for (;;) {
    // Standard input stays blocking (it may be shared): read only when ready.
    pollfd ready{client.fd, POLLIN, 0};
    if (stdin_ && ::poll(&ready, 1, 0) <= 0) return true;
    const ssize_t n = ::read(client.fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    if (n <= 0) return false;
    client.pending.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t end; (end = client.pending.find('\n')) != std::string::npos;) {
      const std::string line = client.pending.substr(0, end);
      client.pending.erase(0, end + 1);
      const std::string reply = run(line);
      if (!WriteAll(stdin_ ? STDOUT_FILENO : client.fd, reply, !stdin_)) return false;
    }
    if (client.pending.size() > kMaxPendingLine) return false;
    if (stdin_) return true;
  }
}

bool RunControlClient(const std::string& path, const std::vector<std::string>& commands) {
  sockaddr_un address;
  std::string error;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0 || !SocketAddress(path, address, error) ||
      ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    std::fprintf(stderr, "ntr-switch-sim: cannot connect to %s: %s\n", path.c_str(),
                 error.empty() ? std::strerror(errno) : error.c_str());
    if (fd >= 0) ::close(fd);
    return false;
  }
  bool allOk = true;
  std::string received;
  for (const std::string& command : commands) {
    const std::vector<std::string_view> words = SplitWords(command);
    const bool block =
        !words.empty() && (words[0] == "help" || words[0] == "list" || words[0] == "dump" ||
                           (words[0] == "log" && words.size() == 1));
    if (!WriteAll(fd, command + "\n", true)) {
      allOk = false;
      break;
    }
    bool done = false;
    bool first = true;
    while (!done) {
      const std::size_t end = received.find('\n');
      if (end == std::string::npos) {
        pollfd in{fd, POLLIN, 0};
        char buffer[4096];
        const ssize_t n =
            ::poll(&in, 1, kClientReplyTimeoutMs) > 0 ? ::read(fd, buffer, sizeof buffer) : -1;
        if (n <= 0) {
          ::close(fd);
          return false;
        }
        received.append(buffer, static_cast<std::size_t>(n));
        continue;
      }
      const std::string line = received.substr(0, end);
      received.erase(0, end + 1);
      const bool refused = first && line.starts_with("error");
      if (refused) allOk = false;
      done = !block || refused || line == ".";
      if (!(block && line == ".")) std::printf("%s\n", line.c_str());
      first = false;
    }
  }
  std::fflush(stdout);
  ::close(fd);
  return allOk;
}

}  // namespace ntr::sim
