#include "link/address_watch.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <optional>
#include <system_error>

#include "link/interface_table.h"
#include "link/pcap_endpoint.h"

namespace ntr {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kCheckInterval = 1000ms;
// A change usually comes as a burst of notices: the early check waits this
// long so that it sees the burst's end, and so that notices never keep the
// watch busy.
constexpr auto kNoticeSettle = 50ms;

// An rtnetlink socket subscribed to link and address changes; only its
// readiness matters, the messages themselves are discarded.
class ChangeNotice {
 public:
  ChangeNotice() {
    fd_ = ::socket(AF_NETLINK, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd_ < 0) return;
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR;
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~ChangeNotice() {
    if (fd_ >= 0) ::close(fd_);
  }
  ChangeNotice(const ChangeNotice&) = delete;
  ChangeNotice& operator=(const ChangeNotice&) = delete;

  int fd() const { return fd_; }

  void Drain() {
    std::array<char, 8192> buffer;
    for (;;) {
      const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
      // ENOBUFS: notices were lost, which only means "something changed".
      if (n < 0 && (errno == EINTR || errno == ENOBUFS)) continue;
      if (n <= 0) return;
    }
  }

 private:
  int fd_ = -1;
};

}  // namespace

AddressWatch::AddressWatch(PcapEndpoint& device, NotificationSink* sink,
                           std::mutex& applicationLock)
    : device_(device), sink_(sink), applicationLock_(applicationLock) {}

AddressWatch::~AddressWatch() { Stop(); }

bool AddressWatch::Start(ErrorPair& error) {
  if (thread_.joinable()) return true;
  stop_.Reset();
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    return error.Fail(kErrReceiveThreadCreate);
  }
  return true;
}

void AddressWatch::Stop() {
  if (!thread_.joinable()) return;
  stop_.Set();
  thread_.join();
}

void AddressWatch::Run() {
  // Without a notice socket the once-a-second check still runs.
  ChangeNotice notice;
  auto nextCheck = Clock::now() + kCheckInterval;
  for (;;) {
    pollfd fds[2] = {{stop_.fd(), POLLIN, 0}, {notice.fd(), POLLIN, 0}};
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(nextCheck - Clock::now());
    const int ready = ::poll(fds, notice.fd() >= 0 ? 2 : 1,
                             static_cast<int>(std::max<long long>(left.count(), 0)));
    if (stop_.TryConsume()) return;
    if (ready > 0 && (fds[1].revents & POLLIN) != 0) {
      notice.Drain();
      nextCheck = std::min(nextCheck, Clock::now() + kNoticeSettle);
    }
    if (Clock::now() >= nextCheck) {
      Check();
      nextCheck = Clock::now() + kCheckInterval;
    }
  }
}

void AddressWatch::Check() {
  std::vector<InterfaceFacts> interfaces;
  if (!ReadInterfaces(interfaces)) return;  // a turn that fails is skipped

  AdapterSet current;
  for (const InterfaceFacts& facts : interfaces) {
    if (!facts.hardwareAddress.empty()) {
      current.emplace_back(facts.index, facts.name, facts.hardwareAddress);
    }
  }
  std::ranges::sort(current);
  const bool changed = knowSet_ && current != lastSet_;
  lastSet_ = std::move(current);
  knowSet_ = true;

  if (changed || reopenPending_) {
    std::lock_guard<std::mutex> lock(applicationLock_);
    if (device_.capturing() || reopenPending_) {
      device_.Close();
      // A failed reopen (the adapter is gone for now) is tried again on
      // every turn until the adapter is back.
      reopenPending_ = !(device_.OpenSelectedAdapter() && device_.StartCapture());
    }
  }

  const std::optional<AdapterInfo> adapter = device_.openedAdapter();
  if (!adapter || sink_ == nullptr) return;
  for (const InterfaceFacts& facts : interfaces) {
    if (std::ranges::equal(facts.hardwareAddress, adapter->mac)) {
      sink_->Post({Notification::kLinkStatus, OperationalStatus(facts.flags)});
      return;
    }
  }
}

}  // namespace ntr
