#include "metrics/metrics_endpoint.h"

#include <httplib.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <thread>

#include "metrics/connection_stream.h"
#include "metrics/listen_address.h"
#include "metrics/metrics_text.h"

namespace ntr {

// The last snapshot published and its text, rendered at the first scrape
// after it arrived.
class MetricsEndpoint::Published {
 public:
  void Publish(NetworkSnapshot snapshot) {
    auto next = std::make_shared<const NetworkSnapshot>(std::move(snapshot));
    std::lock_guard lock(mutex_);
    snapshot_.swap(next);
    ++generation_;
  }  // the old snapshot is freed after the lock is released

  std::shared_ptr<const std::string> Text() {
    std::shared_ptr<const NetworkSnapshot> snapshot;
    std::uint64_t generation;
    {
      std::lock_guard lock(mutex_);
      if (text_ && textGeneration_ == generation_) return text_;
      snapshot = snapshot_;
      generation = generation_;
    }
    auto text = std::make_shared<const std::string>(RenderMetrics(snapshot ? *snapshot : NetworkSnapshot{}));
    std::lock_guard lock(mutex_);
    if (!text_ || textGeneration_ < generation) {
      text_ = text;
      textGeneration_ = generation;
    }
    return text;
  }

 private:
  std::mutex mutex_;
  std::shared_ptr<const NetworkSnapshot> snapshot_;
  std::uint64_t generation_ = 0;
  std::shared_ptr<const std::string> text_;
  std::uint64_t textGeneration_ = 0;
};

namespace {

// Set on the listening thread while it closes a connection no worker can take.
thread_local bool refusingConnection = false;

// httplib's thread pool with a bound on the connections waiting for a worker:
// a connection beyond it is run at once on the listening thread, which (with
// refusingConnection set) answers 503 and closes it.
class BoundedQueue : public httplib::TaskQueue {
 public:
  BoundedQueue(int workers, int waiting) : pool_(static_cast<std::size_t>(workers)), limit_(workers + waiting) {}

  void enqueue(std::function<void()> fn) override {
    if (queued_.load() >= limit_) {
      refusingConnection = true;
      fn();
      refusingConnection = false;
      return;
    }
    ++queued_;
    pool_.enqueue([this, fn = std::move(fn)] {
      fn();
      --queued_;
    });
  }

  void shutdown() override { pool_.shutdown(); }

 private:
  httplib::ThreadPool pool_;
  const int limit_;
  std::atomic<int> queued_{0};
};

constexpr char kOverloaded[] =
    "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";

}  // namespace

// cpp-httplib's server with every connection read through a ConnectionStream
// (limits, one request, the stop descriptor) and the routes of /metrics.
class MetricsEndpoint::Server : public httplib::Server {
 public:
  Server(std::shared_ptr<Published> published, int stopFd)
      : published_(std::move(published)), stopFd_(stopFd) {
    new_task_queue = [] { return new BoundedQueue(kMetricsWorkers, kMetricsWaiting); };
    set_payload_max_length(0);
    // httplib's default also sets SO_REUSEPORT, which lets a second monitor
    // bind the same port and take every other scrape; only SO_REUSEADDR here.
    set_socket_options([](socket_t socket) {
      const int on = 1;
      setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    });
    set_keep_alive_max_count(1);
    set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
      if (request.path != "/metrics") {
        response.status = 404;
        response.set_content("not found; the metrics are at /metrics\n", "text/plain");
        return HandlerResponse::Handled;
      }
      if (request.method != "GET" && request.method != "HEAD") {
        response.status = 405;
        response.set_header("Allow", "GET, HEAD");
        return HandlerResponse::Handled;
      }
      // The whole text, never ranges of it: httplib 0.11 builds a multipart
      // answer in memory with every range asked for, so a request of a few
      // KiB could make it hold gigabytes. The server may ignore a Range
      // header; the request is a local of the server's (not a const object),
      // and its ranges are parsed before routing and applied after.
      const_cast<httplib::Request&>(request).ranges.clear();
      return HandlerResponse::Unhandled;
    });
    Get("/metrics", [this](const httplib::Request&, httplib::Response& response) {
      const auto text = published_->Text();
      response.set_content(*text, std::string(kMetricsContentType));
    });
  }

  int stopFd() const { return stopFd_; }

  // httplib listens with a backlog of 5; a burst of connections beyond it
  // waits a second for the SYN to be sent again. Linux takes a new backlog
  // on a listening socket.
  void WidenBacklog() { ::listen(svr_sock_, kMetricsWorkers + kMetricsWaiting); }

  std::thread listener;
  std::atomic<bool> listenerEnded{false};
  std::string address;
  int port = 0;

 private:
  bool process_and_close_socket(socket_t socket) override {
    bool served = false;
    if (refusingConnection) {
      [[maybe_unused]] const auto sent = send(socket, kOverloaded, sizeof kOverloaded - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    } else {
      const auto now = std::chrono::steady_clock::now();
      ConnectionStream stream(socket, stopFd_,
                              {kMetricsRequestBytes, now + kMetricsRequestTimeout, now + kMetricsConnectionTimeout});
      bool closed = false;
      served = process_request(stream, true, closed, nullptr);
    }
    shutdown(socket, SHUT_RDWR);
    close(socket);
    return served;
  }

  std::shared_ptr<Published> published_;
  int stopFd_;
};

MetricsEndpoint::MetricsEndpoint() : published_(std::make_shared<Published>()) {}

MetricsEndpoint::~MetricsEndpoint() { Stop(); }

void MetricsEndpoint::Publish(NetworkSnapshot snapshot) { published_->Publish(std::move(snapshot)); }

bool MetricsEndpoint::Start(const std::string& addressPort, bool allowPublic, ErrorPair& error) {
  if (server_) return error.Fail(kErrOutOfRange, "the metrics endpoint is already listening on " + address());
  ListenAddress listen;
  if (!ParseListenAddress(addressPort, allowPublic, listen, error)) return false;

  const int stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (stopFd < 0) return error.Fail(kErrOutOfRange, std::string("metrics endpoint: eventfd: ") + std::strerror(errno));
  auto server = std::make_unique<Server>(published_, stopFd);
  const int port = listen.port == 0 ? server->bind_to_any_port(listen.host) : listen.port;
  errno = 0;
  if (port < 0 || (listen.port != 0 && !server->bind_to_port(listen.host, listen.port))) {
    const int cause = errno;
    close(stopFd);
    return error.Fail(kErrOutOfRange, "cannot listen for metrics on " +
                                          FormatListenAddress(listen.host, listen.port) +
                                          (cause != 0 ? std::string(" (") + std::strerror(cause) + ")" : ""));
  }
  server->WidenBacklog();
  server->port = port;
  server->address = FormatListenAddress(listen.host, port);
  Server* const raw = server.get();
  server->listener = std::thread([raw] {
    raw->listen_after_bind();
    raw->listenerEnded = true;
  });
  server_ = std::move(server);
  return true;
}

void MetricsEndpoint::Stop() {
  if (!server_) return;
  const int stopFd = server_->stopFd();
  const std::uint64_t one = 1;
  [[maybe_unused]] const auto written = write(stopFd, &one, sizeof one);
  // The server only stops once it runs; it does so at once after the thread starts.
  while (!server_->is_running() && !server_->listenerEnded) std::this_thread::yield();
  server_->stop();
  server_->listener.join();
  server_.reset();
  close(stopFd);
}

bool MetricsEndpoint::running() const { return server_ != nullptr; }

int MetricsEndpoint::port() const { return server_ ? server_->port : 0; }

std::string MetricsEndpoint::address() const { return server_ ? server_->address : std::string(); }

}  // namespace ntr
