#include "metrics/metrics_endpoint.h"

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/sample_snapshot.h"

namespace ntr {
namespace {

using ::testing::AnyOf;
using ::testing::Eq;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

// A client socket on 127.0.0.1:port. The 15 s time-outs only keep a broken
// server from hanging the test; nothing waits for them to pass.
int Connect(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  timeval guard{15, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &guard, sizeof guard);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &guard, sizeof guard);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  return fd;
}

void SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return;  // the server may close on a request it refuses
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
}

// Everything the server sends until it closes (a reset ends it too);
// `closed` tells whether it did (rather than the guard time-out passing).
std::string ReadAll(int fd, bool& closed) {
  std::string answer;
  char chunk[65536];
  ssize_t got;
  while ((got = recv(fd, chunk, sizeof chunk, 0)) > 0)
    answer.append(chunk, static_cast<std::size_t>(got));
  closed = got == 0 || errno == ECONNRESET;
  return answer;
}

std::string ReadAll(int fd) {
  bool closed;
  return ReadAll(fd, closed);
}

// Sends `request` (then ends the sending side) and returns the whole answer.
std::string Exchange(int port, std::string_view request) {
  const int fd = Connect(port);
  SendAll(fd, request);
  shutdown(fd, SHUT_WR);
  std::string answer = ReadAll(fd);
  close(fd);
  return answer;
}

std::string Get(int port, std::string_view target = "/metrics") {
  return Exchange(port, "GET " + std::string(target) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
}

std::string Body(const std::string& answer) {
  const auto end = answer.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : answer.substr(end + 4);
}

class MetricsEndpointTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ErrorPair error;
    ASSERT_TRUE(endpoint.Start("127.0.0.1:0", false, error)) << error.detail;
    port = endpoint.port();
    ASSERT_GT(port, 0);
  }
  MetricsEndpoint endpoint;
  int port = 0;
};

TEST_F(MetricsEndpointTest, ServesThePublishedSnapshotAtMetricsOnly) {
  EXPECT_EQ(endpoint.address(), "127.0.0.1:" + std::to_string(port));
  std::string answer = Get(port);
  EXPECT_THAT(answer, StartsWith("HTTP/1.1 200 "));
  EXPECT_THAT(answer, HasSubstr("Content-Type: text/plain; version=0.0.4; charset=utf-8\r\n"));
  EXPECT_THAT(Body(answer), StartsWith("# HELP ntr_switch_up "));
  EXPECT_THAT(answer, Not(HasSubstr("ntr_switch_up{")));

  NetworkSnapshot network = test::SampleSnapshot(2, 4);
  endpoint.Publish(network);
  EXPECT_THAT(
      Get(port),
      HasSubstr(
          R"(ntr_port_up{switch="00:11:22:33:00:01",name="floor-1",model="NTR7100-8G",port="4"} 1)"));
  network.switches[1].name = "renamed";
  endpoint.Publish(network);
  answer = Get(port, "/metrics?debug=1");
  EXPECT_THAT(answer, HasSubstr(R"(name="renamed")"));
  EXPECT_THAT(answer, Not(HasSubstr(R"(name="floor-1")")));

  answer = Exchange(port, "HEAD /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_THAT(answer, StartsWith("HTTP/1.1 200 "));
  EXPECT_EQ(Body(answer), "");

  for (const char* method : {"POST", "PUT", "DELETE", "PATCH", "OPTIONS"}) {
    answer = Exchange(port, std::string(method) +
                                " /metrics HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\nhello");
    EXPECT_THAT(answer, StartsWith("HTTP/1.1 405 ")) << method;
    EXPECT_THAT(answer, HasSubstr("Allow: GET, HEAD\r\n")) << method;
  }
  for (const char* target :
       {"/", "/metrics/", "/Metrics", "/metrics/../metrics2", "/etc/passwd",
        "/../../../../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd", "/proc/self/environ"}) {
    answer = Get(port, target);
    EXPECT_THAT(answer, StartsWith("HTTP/1.1 404 ")) << target;
    EXPECT_THAT(answer, Not(HasSubstr("root:"))) << target;
  }
}

std::string Gunzip(const std::string& bytes) {
  z_stream stream{};
  EXPECT_EQ(inflateInit2(&stream, 15 + 16), Z_OK);
  std::string text(16 << 20, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = reinterpret_cast<Bytef*>(text.data());
  stream.avail_out = static_cast<uInt>(text.size());
  EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
  text.resize(stream.total_out);
  inflateEnd(&stream);
  return text;
}

// Gzip when asked for (Prometheus asks), the text as it is otherwise; never
// Brotli, whose compression of a large text takes seconds of a worker.
TEST_F(MetricsEndpointTest, AnswersInGzipOrPlain) {
  endpoint.Publish(test::SampleSnapshot(4, 8));
  const std::string plain = Body(Get(port));
  ASSERT_THAT(plain, StartsWith("# HELP "));
  const auto ask = [&](std::string_view encodings) {
    return Exchange(port, "GET /metrics HTTP/1.1\r\nHost: x\r\nAccept-Encoding: " +
                              std::string(encodings) + "\r\n\r\n");
  };
  for (const char* encodings : {"gzip", "br, gzip, deflate", "gzip;q=1.0, identity;q=0.5, *;q=0"}) {
    const std::string answer = ask(encodings);
    EXPECT_THAT(answer, HasSubstr("Content-Encoding: gzip\r\n")) << encodings;
    EXPECT_EQ(Gunzip(Body(answer)), plain) << encodings;
  }
  for (const char* encodings : {"br", "deflate", "gzip;q=0", "identity"}) {
    const std::string answer = ask(encodings);
    EXPECT_THAT(answer, Not(HasSubstr("Content-Encoding:"))) << encodings;
    EXPECT_EQ(Body(answer), plain) << encodings;
  }
}

TEST_F(MetricsEndpointTest, HugeRequestsAreRefusedAndTheServerGoesOn) {
  const std::string huge(1 << 20, 'a');
  const std::vector<std::string> requests = {
      "GET /metrics?" + huge + " HTTP/1.1\r\nHost: x\r\n\r\n",
      "GET /metrics HTTP/1.1\r\nHost: x\r\nX-Filler: " + huge + "\r\n\r\n",
      "GET /metrics HTTP/1.1\r\n" +
          [] {
            std::string many;
            for (int i = 0; i < 20000; ++i) many += "X-" + std::to_string(i) + ": y\r\n";
            return many;
          }() +
          "\r\n",
      "PUT /metrics HTTP/1.1\r\nHost: x\r\nContent-Length: 1000000000000\r\n\r\n" + huge,
      "POST /metrics HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n100000\r\n" + huge,
  };
  for (const std::string& request : requests) {
    const std::string answer = Exchange(port, request);
    EXPECT_THAT(answer, Not(StartsWith("HTTP/1.1 200 "))) << request.substr(0, 60);
  }
  EXPECT_THAT(Get(port), StartsWith("HTTP/1.1 200 "));

  // Ranges are not served: 1,000 ranges of the whole text would make one
  // answer (and the memory behind it) 1,000 times the text.
  endpoint.Publish(test::SampleSnapshot(4, 8));
  const std::size_t whole = Body(Get(port)).size();
  std::string ranges = "bytes=0-";
  for (int i = 0; i < 1000; ++i) ranges += ",0-";
  const std::string answer =
      Exchange(port, "GET /metrics HTTP/1.1\r\nHost: x\r\nRange: " + ranges + "\r\n\r\n");
  EXPECT_THAT(answer, StartsWith("HTTP/1.1 200 "));
  EXPECT_EQ(Body(answer).size(), whole);
}

TEST_F(MetricsEndpointTest, SlowClientsDoNotHoldTheScrapes) {
  endpoint.Publish(test::SampleSnapshot(1, 2));
  const int silent = Connect(port);  // connects and sends nothing
  const int dribbling = Connect(port);
  SendAll(dribbling, "GET /metrics HTTP/1.1\r\nHost:");  // half a request
  EXPECT_THAT(Get(port), StartsWith("HTTP/1.1 200 "));
  EXPECT_THAT(Get(port), StartsWith("HTTP/1.1 200 "));
  // The server gives up on both after its request time-out: the reads end
  // with the server's close (not with the test's own guard time-out).
  bool closed = false;
  EXPECT_EQ(ReadAll(silent, closed), "");
  EXPECT_TRUE(closed);
  closed = false;
  EXPECT_THAT(ReadAll(dribbling, closed), AnyOf(Eq(""), StartsWith("HTTP/1.1 400 ")));
  EXPECT_TRUE(closed);
  close(silent);
  close(dribbling);
}

TEST_F(MetricsEndpointTest, ConnectionsBeyondTheWorkersAndQueueAreTurnedAwayAndStopEndsThemAll) {
  std::vector<int> idle;
  for (int i = 0; i < kMetricsWorkers + kMetricsWaiting; ++i) idle.push_back(Connect(port));
  EXPECT_THAT(Get(port), StartsWith("HTTP/1.1 503 "));

  endpoint.Stop();  // does not wait for the idle clients' time-outs
  EXPECT_FALSE(endpoint.running());
  for (const int fd : idle) {
    EXPECT_EQ(ReadAll(fd), "");
    close(fd);
  }
  ErrorPair error;
  ASSERT_TRUE(endpoint.Start("127.0.0.1:0", false, error)) << error.detail;
  EXPECT_THAT(Get(endpoint.port()), StartsWith("HTTP/1.1 200 "));
}

// Mutated and random requests in a loop: every answer is a status line or
// nothing, a 200 only ever carries the metrics, and a good scrape still answers.
TEST_F(MetricsEndpointTest, HostileRequestsInALoopLeaveTheServerServing) {
  endpoint.Publish(test::SampleSnapshot(1, 2));
  const std::string good = "GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/plain\r\n\r\n";
  std::mt19937 random(2611);
  for (int round = 0; round < 300; ++round) {
    std::string request = good;
    const int mutations = 1 + static_cast<int>(random() % 8);
    for (int m = 0; m < mutations; ++m) {
      const std::size_t at = request.empty() ? 0 : random() % request.size();
      switch (random() % 5) {
        case 0:
          if (!request.empty()) request[at] = static_cast<char>(random());
          break;
        case 1:
          request.insert(at, std::string(1 + random() % 64, static_cast<char>(random())));
          break;
        case 2:
          request.resize(at);
          break;
        case 3:
          request.insert(at, "\r\n");
          break;
        default:
          request.insert(at, random() % 2 ? std::string(1, '\0') : std::string("%00"));
      }
    }
    if (round % 50 == 0) {
      request.resize(256 * 1024);
      for (char& c : request) c = static_cast<char>(random());
    }
    const std::string answer = Exchange(port, request);
    if (answer.empty()) continue;
    ASSERT_THAT(answer, StartsWith("HTTP/1.1 ")) << "round " << round;
    if (answer.starts_with("HTTP/1.1 200 ") && !answer.ends_with("\r\n\r\n")) {
      EXPECT_THAT(Body(answer), StartsWith("# HELP ntr_switch_up ")) << "round " << round;
    }
  }
  EXPECT_THAT(Get(port), HasSubstr(R"(name="floor-0")"));
}

TEST(MetricsEndpoint, RefusesPublicAddressesAndBusyPorts) {
  MetricsEndpoint endpoint;
  ErrorPair error;
  EXPECT_FALSE(endpoint.Start("0.0.0.0:0", false, error));
  EXPECT_THAT(error.detail, HasSubstr("--metrics-public"));
  EXPECT_FALSE(endpoint.running());

  ASSERT_TRUE(endpoint.Start("0", false, error)) << error.detail;
  EXPECT_EQ(endpoint.address(), "127.0.0.1:" + std::to_string(endpoint.port()));
  MetricsEndpoint second;
  error.Clear();
  EXPECT_FALSE(second.Start("127.0.0.1:" + std::to_string(endpoint.port()), false, error));
  EXPECT_THAT(error.detail, HasSubstr("cannot listen for metrics on 127.0.0.1:"));
  error.Clear();
  EXPECT_FALSE(endpoint.Start("0", false, error));
  EXPECT_THAT(error.detail, HasSubstr("already listening"));
}

}  // namespace
}  // namespace ntr
