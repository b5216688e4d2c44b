// The metrics endpoint: a small HTTP server that answers `GET /metrics` (and
// HEAD) with the Prometheus text of the last snapshot published, and nothing
// else. A scrape only reads what was published: it never waits for a switch
// or for the monitor that publishes.
//
// Limits (a hostile or slow client cannot hold the server):
// - kMetricsWorkers connections are served at once, kMetricsWaiting more wait
//   for a worker; any further connection is answered 503 and closed at once;
// - one request per connection, at most kMetricsRequestBytes of request line
//   and headers, no body, read within kMetricsRequestTimeout of the accept;
//   the whole answer sent within kMetricsConnectionTimeout;
// - other paths answer 404, other methods on /metrics 405; no file is served.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "app/network_snapshot.h"
#include "base/error.h"

namespace ntr {

inline constexpr int kMetricsWorkers = 4;
inline constexpr int kMetricsWaiting = 16;
inline constexpr std::size_t kMetricsRequestBytes = 16 * 1024;
inline constexpr std::chrono::seconds kMetricsRequestTimeout{5};
inline constexpr std::chrono::seconds kMetricsConnectionTimeout{20};

class MetricsEndpoint {
 public:
  MetricsEndpoint();
  ~MetricsEndpoint();  // stops and joins
  MetricsEndpoint(const MetricsEndpoint&) = delete;
  MetricsEndpoint& operator=(const MetricsEndpoint&) = delete;

  // Listens on `addressPort` ("PORT" binds 127.0.0.1; "ADDRESS:PORT", IPv6 in
  // brackets; port 0 takes a free port) and serves from a thread of its own.
  // A non-loopback address is refused unless `allowPublic`. Fails with
  // kErrOutOfRange and a sentence in the detail (bad or refused address,
  // address in use, already started).
  bool Start(const std::string& addressPort, bool allowPublic, ErrorPair& error);

  // Makes `snapshot` the one scrapes answer with. Any thread; holds a lock
  // only to swap a pointer. Rendering happens on the server's thread, once
  // per snapshot however many scrapes read it.
  void Publish(NetworkSnapshot snapshot);

  // Stops listening, ends the connections being served and joins every
  // thread. Publish still works; Start may be called again.
  void Stop();

  bool running() const;
  // The port listened on (the one chosen when 0 was asked), 0 when stopped.
  int port() const;
  // "HOST:PORT" listened on, empty when stopped.
  std::string address() const;

 private:
  class Published;
  class Server;
  std::shared_ptr<Published> published_;
  std::unique_ptr<Server> server_;
};

}  // namespace ntr
