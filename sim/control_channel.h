// Where control commands come from: a Unix stream socket (any number of
// clients, each sending lines and reading one reply per line) or standard
// input (replies on standard output). The owner polls the channel's
// descriptors with its others and calls Service when one is ready; nothing
// here blocks for long or starts a thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct pollfd;

namespace ntr::sim {

class ControlChannel {
 public:
  using Runner = std::function<std::string(std::string_view line)>;

  ControlChannel() = default;
  // Closes every connection and removes the socket file.
  ~ControlChannel();
  ControlChannel(const ControlChannel&) = delete;
  ControlChannel& operator=(const ControlChannel&) = delete;

  // Listens on the socket `path` (a stale socket file there is replaced),
  // or reads standard input when `path` is "-".
  bool Open(const std::string& path, std::string& error);

  // Appends the descriptors to poll for input.
  void AddPollDescriptors(std::vector<pollfd>& fds) const;
  // Accepts connections, reads what has arrived, runs every complete line
  // and writes its reply. A client that does not take its reply within a
  // second is dropped.
  void Service(const Runner& run);
  // Standard input was the channel and has ended.
  bool ended() const { return ended_; }

 private:
  struct Client {
    int fd = -1;
    std::string pending;  // bytes after the last complete line
  };
  bool ReadLines(Client& client, const Runner& run);

  std::string path_;
  int listen_ = -1;
  bool stdin_ = false;
  bool ended_ = false;
  std::vector<Client> clients_;
};

// Sends each command to the simulator listening on `path` and prints the
// replies to standard output. False when the connection fails or a reply
// is an error.
bool RunControlClient(const std::string& path, const std::vector<std::string>& commands);

}  // namespace ntr::sim
