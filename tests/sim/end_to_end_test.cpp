// The program ntr-switch-sim on one end of a private veth pair, a plain
// packet socket as the tool on the other end, and its control socket.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>

#include "catalogue/function_descriptors.h"
#include "codec/pdu_decoder.h"
#include "codec/pdu_encoder.h"
#include "tests/support/packet_socket.h"
#include "tests/support/private_network.h"

extern char** environ;

namespace ntr {
namespace {

using namespace std::chrono_literals;
using testing::PacketSocket;
using testing::PrivateNetwork;

// The simulator as a child process; stopped with SIGTERM when it goes.
class SimProcess {
 public:
  ~SimProcess() { Stop(); }

  bool Start(const std::vector<std::string>& arguments, std::string& error) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int spawned = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    output_ = pipeFds[0];
    if (spawned != 0) {
      pid_ = -1;
      error = std::strerror(spawned);
      return false;
    }
    // The simulator says "ready" once its capture is open.
    const std::string line = ReadLine(10s);
    if (!line.starts_with("ready")) {
      error = "no ready line, got '" + line + "'";
      return false;
    }
    return true;
  }

  // Ends the process; its exit status (-1 when it had to be killed).
  int Stop() {
    if (pid_ < 0) return -1;
    ::kill(pid_, SIGTERM);
    // The pipe reaches its end when the process has gone.
    bool ended = false;
    for (const auto deadline = std::chrono::steady_clock::now() + 10s;
         !ended && std::chrono::steady_clock::now() < deadline;) {
      pollfd in{output_, POLLIN, 0};
      char byte;
      ended = ::poll(&in, 1, 1000) > 0 && ::read(output_, &byte, 1) == 0;
    }
    if (!ended) ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    ::close(output_);
    pid_ = -1;
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  std::string ReadLine(std::chrono::milliseconds timeout) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    char c = 0;
    while (c != '\n' && std::chrono::steady_clock::now() < deadline) {
      pollfd in{output_, POLLIN, 0};
      if (::poll(&in, 1, 1000) > 0 && ::read(output_, &c, 1) == 1 && c != '\n') line.push_back(c);
      if (in.revents & POLLHUP && !(in.revents & POLLIN)) break;
    }
    return line;
  }

  pid_t pid_ = -1;
  int output_ = -1;
};

// One command line to the control socket; its first reply line.
std::string Control(const std::string& path, const std::string& command) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  std::string reply;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::write(fd, (command + "\n").data(), command.size() + 1) ==
          static_cast<ssize_t>(command.size() + 1)) {
    char c = 0;
    pollfd in{fd, POLLIN, 0};
    while (c != '\n' && ::poll(&in, 1, 5000) > 0 && ::read(fd, &c, 1) == 1) reply.push_back(c);
  }
  ::close(fd);
  return reply;
}

std::vector<std::uint8_t> Encode(const Pdu& pdu) {
  std::vector<std::uint8_t> bytes(kEncodeBufferSize);
  std::size_t written = 0;
  ErrorPair error;
  EXPECT_TRUE(EncodePdu(error, bytes, pdu, written));
  bytes.resize(written);
  return bytes;
}

// The next frame for the tool that decodes, within `timeout`.
std::optional<Pdu> NextMessage(PacketSocket& tool, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    const auto frame = tool.Receive(
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()));
    if (!frame) break;
    EXPECT_GE(frame->size(), 60u);
    if (frame->size() < 14 ||
        !std::equal(kToolGroupAddress.begin(), kToolGroupAddress.end(), frame->begin()))
      continue;
    Pdu pdu;
    ErrorPair error;
    EXPECT_TRUE(DecodePdu(error, std::span(*frame).subspan(14), LookupFunctionTypes, pdu));
    EXPECT_TRUE(std::equal(pdu.sourceMac.begin(), pdu.sourceMac.end(), frame->begin() + 6));
    return pdu;
  }
  return std::nullopt;
}

TEST(SimEndToEnd, ProgramAnswersOverAPrivateNetwork) {
  PrivateNetwork network;
  const std::string switches = network.AddNamespace();
  const std::string tools = network.AddNamespace();
  PrivateNetwork::Veth veth;
  ASSERT_FALSE(switches.empty() || tools.empty()) << network.error();
  ASSERT_TRUE(network.AddVeth(switches, tools, veth)) << network.error();

  const std::string stem = "/tmp/ntr-sim-test-" + std::to_string(::getpid());
  const std::string socketPath = stem + ".sock", logPath = stem + ".log";
  SimProcess sim;
  std::string error;
  ASSERT_TRUE(
      sim.Start({"ip", "netns", "exec", switches, NTR_SWITCH_SIM, "--interface", veth.nameA,
                 "--switch", "a model=NTR7100-8G", "--switch", "b model=NTR7100-8PoE uplink=a:4",
                 "--control", socketPath, "--request-log", logPath},
                error))
      << error;
  PacketSocket tool;
  ASSERT_TRUE(tool.Open(tools, veth.nameB, error)) << error;

  Pdu request;
  request.transactionId = 1;
  request.sourceMac = tool.mac();
  request.destinationMac = kSwitchGroupAddress;
  request.application = PduType::kDiscoveryRequest;
  request.body = DiscoveryRequest{30, tool.mac(), {}};
  ASSERT_TRUE(
      tool.Send(testing::MakeFrame(kSwitchGroupAddress, tool.mac(), 0xE8, 0x12, Encode(request))));
  std::vector<DiscoveryReply> replies;
  while (replies.size() < 2) {
    const auto answer = NextMessage(tool, 5s);
    ASSERT_TRUE(answer) << "discovery replies missing";
    EXPECT_EQ(answer->transactionId, 1);
    replies.push_back(std::get<DiscoveryReply>(answer->body));
  }
  const MacAddress a{0x02, 0x5C, 0x71, 0, 0, 1}, b{0x02, 0x5C, 0x71, 0, 0, 2};
  EXPECT_EQ(replies[0].switchMac, a);
  EXPECT_EQ(replies[0].neighbourMacs[0], tool.mac());
  EXPECT_EQ(replies[0].neighbourMacs[3], b);
  EXPECT_EQ(replies[1].neighbourMacs[0], a);

  request.transactionId = 2;
  request.destinationMac = b;
  request.application = PduType::kFuncRequest;
  request.body = FunctionRequest{0,  kOpGet,     0x0905, kValueNone, 0,
                                 {}, kIndexPort, 1,      {},         0};  // status-poe-state
  ASSERT_TRUE(
      tool.Send(testing::MakeFrame(kSwitchGroupAddress, tool.mac(), 0xE8, 0x12, Encode(request))));
  const auto response = NextMessage(tool, 5s);
  ASSERT_TRUE(response);
  EXPECT_EQ(response->transactionId, 2);
  EXPECT_EQ(std::get<FunctionResponse>(response->body),
            (FunctionResponse{0, 0, kValueInteger, 1, {}}));

  EXPECT_EQ(Control(socketPath, "link a 4 down"), "ok\n");
  const auto notice = NextMessage(tool, 5s);
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->application, PduType::kNoticeLinkDown);
  EXPECT_EQ(notice->sourceMac, a);
  EXPECT_EQ(std::get<OneIntegerBody>(notice->body).value, 4);

  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_NE(::access(socketPath.c_str(), F_OK), 0);  // the socket is removed
  std::ifstream file(logPath);
  std::stringstream log;
  log << file.rdbuf();
  EXPECT_EQ(log.str(),
            "1 a 02:5C:71:00:00:01 tid=1 discovery -> 0 fingerprint=-1\n"
            "2 b 02:5C:71:00:00:02 tid=1 discovery -> 0 fingerprint=-1\n"
            "3 b 02:5C:71:00:00:02 tid=2 function get status-poe-state 1 -> 0 answer=1\n");
  std::remove(logPath.c_str());
}

TEST(SimEndToEnd, HelpDocumentsTheProgram) {
  std::string output;
  ASSERT_TRUE(testing::RunProgram({NTR_SWITCH_SIM, "--help"}, &output));
  for (const char* section : {"Network description", "Control commands", "Request log",
                              "Firmware image format", "--make-firmware", "fault SW|all refuse"}) {
    EXPECT_NE(output.find(section), std::string::npos) << section;
  }
}

}  // namespace
}  // namespace ntr
