#include "metrics/metrics_endpoint.h"

#include <httplib.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string_view>
#include <thread>

#include "metrics/connection_stream.h"
#include "metrics/listen_address.h"
#include "metrics/metrics_text.h"

namespace ntr {

// The last snapshot published and its text (plain and gzip), rendered at the
// first scrape after it arrived and kept for the scrapes after it.
class MetricsEndpoint::Published {
 public:
  void Publish(NetworkSnapshot snapshot) {
    auto next = std::make_shared<const NetworkSnapshot>(std::move(snapshot));
    std::lock_guard lock(mutex_);
    snapshot_.swap(next);
    ++generation_;
  }  // the old snapshot is freed after the lock is released

  // The text of the last snapshot, gzip-compressed when `gzip`.
  std::shared_ptr<const std::string> Body(bool gzip) {
    std::shared_ptr<const NetworkSnapshot> snapshot;
    Rendered rendered;
    std::uint64_t generation;
    {
      std::lock_guard lock(mutex_);
      generation = generation_;
      if (rendered_.text && rendered_.generation == generation) rendered = rendered_;
      if (rendered.text && (!gzip || rendered.gzip)) return gzip ? rendered.gzip : rendered.text;
      snapshot = snapshot_;
    }
    // Rendering and compressing happen outside the lock: Publish never waits for them.
    if (!rendered.text) {
      rendered.text = std::make_shared<const std::string>(
          RenderMetrics(snapshot ? *snapshot : NetworkSnapshot{}));
      rendered.generation = generation;
    }
    if (gzip) rendered.gzip = std::make_shared<const std::string>(Gzip(*rendered.text));
    std::lock_guard lock(mutex_);
    if (!rendered_.text || rendered_.generation < generation ||
        (rendered_.generation == generation && !rendered_.gzip)) {
      rendered_ = rendered;
    }
    return gzip ? rendered.gzip : rendered.text;
  }

 private:
  struct Rendered {
    std::uint64_t generation = 0;
    std::shared_ptr<const std::string> text;
    std::shared_ptr<const std::string> gzip;  // made at the first scrape asking for it
  };

  // A gzip member of `text` at zlib's fastest level: a 1.5 MB text shrinks
  // about 25 times in a few milliseconds (the default level takes four times
  // as long for a few per cent more).
  static std::string Gzip(const std::string& text) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      return {};
    std::string out(deflateBound(&stream, static_cast<uLong>(text.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(result == Z_STREAM_END ? stream.total_out : 0);
    deflateEnd(&stream);
    return out;
  }

  std::mutex mutex_;
  std::shared_ptr<const NetworkSnapshot> snapshot_;
  std::uint64_t generation_ = 0;
  Rendered rendered_;
};

namespace {

// Set on the listening thread while it closes a connection no worker can take.
thread_local bool refusingConnection = false;

// httplib's thread pool with a bound on the connections waiting for a worker:
// a connection beyond it is run at once on the listening thread, which (with
// refusingConnection set) answers 503 and closes it.
class BoundedQueue : public httplib::TaskQueue {
 public:
  BoundedQueue(int workers, int waiting)
      : pool_(static_cast<std::size_t>(workers)), limit_(workers + waiting) {}

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

// Whether an Accept-Encoding value takes gzip: a "gzip" (or "x-gzip") entry
// whose quality is not 0.
bool AcceptsGzip(std::string_view accepted) {
  while (!accepted.empty()) {
    const auto comma = accepted.find(',');
    std::string_view entry = accepted.substr(0, comma);
    accepted = comma == std::string_view::npos ? std::string_view() : accepted.substr(comma + 1);
    const auto semicolon = entry.find(';');
    std::string_view name = entry.substr(0, semicolon);
    std::string_view parameters =
        semicolon == std::string_view::npos ? std::string_view() : entry.substr(semicolon + 1);
    const auto trim = [](std::string_view text) {
      while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
      while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
      return text;
    };
    name = trim(name);
    parameters = trim(parameters);
    if (name != "gzip" && name != "x-gzip") continue;
    if (parameters.starts_with("q=") || parameters.starts_with("Q=")) {
      const std::string_view quality = parameters.substr(2);
      return quality.find_first_not_of("0.") != std::string_view::npos;
    }
    return true;
  }
  return false;
}

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
    // Every request ends in this handler: httplib's routes and file serving
    // are never reached.
    set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
      Route(const_cast<httplib::Request&>(request), response);
      return HandlerResponse::Handled;
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
      [[maybe_unused]] const auto sent =
          send(socket, kOverloaded, sizeof kOverloaded - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    } else {
      const auto now = std::chrono::steady_clock::now();
      ConnectionStream stream(
          socket, stopFd_,
          {kMetricsRequestBytes, now + kMetricsRequestTimeout, now + kMetricsConnectionTimeout});
      bool closed = false;
      served = process_request(stream, true, closed, nullptr);
    }
    shutdown(socket, SHUT_RDWR);
    close(socket);
    return served;
  }

  // The request is the server's own local (httplib hands it on as const):
  // its encodings and ranges are cleared here because httplib 0.11 would act
  // on them after routing. It compresses with Brotli at the slowest level
  // when asked (seconds of a worker for a large text), and builds a
  // multipart answer in memory with every range asked for (a request of a
  // few KiB could make it hold gigabytes). The endpoint compresses with gzip
  // itself, once per snapshot, and ignores ranges, as a server may.
  void Route(httplib::Request& request, httplib::Response& response) {
    const bool gzip = AcceptsGzip(request.get_header_value("Accept-Encoding"));
    request.headers.erase("Accept-Encoding");
    request.ranges.clear();
    if (request.path != "/metrics") {
      response.status = 404;
      response.set_content("not found; the metrics are at /metrics\n", "text/plain");
      return;
    }
    if (request.method != "GET" && request.method != "HEAD") {
      response.status = 405;
      response.set_header("Allow", "GET, HEAD");
      return;
    }
    const auto body = published_->Body(gzip);
    response.status = 200;
    response.set_header("Vary", "Accept-Encoding");
    if (gzip) response.set_header("Content-Encoding", "gzip");
    response.set_content(*body, std::string(kMetricsContentType));
  }

  std::shared_ptr<Published> published_;
  int stopFd_;
};

MetricsEndpoint::MetricsEndpoint() : published_(std::make_shared<Published>()) {}

MetricsEndpoint::~MetricsEndpoint() { Stop(); }

void MetricsEndpoint::Publish(NetworkSnapshot snapshot) {
  published_->Publish(std::move(snapshot));
}

bool MetricsEndpoint::Start(const std::string& addressPort, bool allowPublic, ErrorPair& error) {
  if (server_)
    return error.Fail(kErrOutOfRange, "the metrics endpoint is already listening on " + address());
  ListenAddress listen;
  if (!ParseListenAddress(addressPort, allowPublic, listen, error)) return false;

  const int stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (stopFd < 0)
    return error.Fail(kErrOutOfRange,
                      std::string("metrics endpoint: eventfd: ") + std::strerror(errno));
  auto server = std::make_unique<Server>(published_, stopFd);
  errno = 0;
  const int port = listen.port == 0 ? server->bind_to_any_port(listen.host) : listen.port;
  if (port < 0 || (listen.port != 0 && !server->bind_to_port(listen.host, listen.port))) {
    const int cause = errno;
    close(stopFd);
    return error.Fail(kErrOutOfRange,
                      "cannot listen for metrics on " +
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
