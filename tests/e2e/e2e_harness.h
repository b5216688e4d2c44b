// The end-to-end harness: ntrctl and ntr-switch-sim as a user runs them, each
// test on its own private network (two namespaces joined by a veth pair), with
// its own data and runtime folders.
//
//   switch namespace   ntr-switch-sim --interface IF --network FILE
//                      --control SOCK --request-log LOG   (a child we own)
//   tool namespace     ntrctl ...   (XDG_DATA_HOME and XDG_RUNTIME_DIR of the
//                      test; stdout, stderr and exit status captured, hard
//                      time limit)
//
// Every process started here is killed and reaped when its owner goes; the
// namespaces go with the PrivateNetwork, the folders with the Testbed.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "tests/support/private_network.h"

namespace ntr::e2e {

using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;

// ---------------------------------------------------------------------------
// Processes

struct RunResult {
  int status = -1;        // exit status; -1 when the process did not exit normally
  int signal = 0;         // the signal that ended it, 0 when it exited
  bool timedOut = false;  // killed by the harness at its hard limit
  bool started = false;
  std::string out, err;
  std::string command;

  bool exited() const { return started && !timedOut && signal == 0 && status >= 0; }
  // Everything a failure message needs.
  std::string Describe() const;
};

// A child process with standard output and error captured by a reader
// thread, standard input from /dev/null, in a process group of its own.
class Child {
 public:
  Child() = default;
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
             std::string& error);
  pid_t pid() const { return pid_; }
  void Signal(int signal) const;
  // Waits for the end of the process, at most `limit` (then SIGKILL), reaps
  // it and returns what it did. Later calls return the same result.
  RunResult Wait(Millis limit);
  // Waits until `ready(stdout so far)` holds or the output ends.
  bool WaitForOutput(const std::function<bool(const std::string&)>& ready, Millis limit);
  bool ended() const;
  std::string out() const;
  std::string err() const;

 private:
  void ReadLoop();

  pid_t pid_ = -1;
  int outFd_ = -1;
  int errFd_ = -1;
  std::string command_;
  std::thread reader_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::string out_, err_;
  bool outputEnded_ = false;
  bool reaped_ = false;
  RunResult result_;
};

// Runs a program to its end with a hard limit (no namespace, no XDG change).
RunResult RunToEnd(const std::vector<std::string>& argv, Millis limit = 30s);

// ---------------------------------------------------------------------------
// Text

std::vector<std::string> SplitLines(const std::string& text);  // '\n', a trailing '\r' dropped
std::vector<std::string> Words(const std::string& line);
bool Contains(const std::string& text, const std::string& part);
std::string Join(const std::vector<std::string>& lines, const std::string& separator = "\n");
std::string Upper(std::string text);
// Code page 932 to UTF-8, strictly; nothing when the bytes are not CP932.
std::optional<std::string> FromCp932(const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
// UTF-8 text with "\n" as the tool's files hold it: CP932, CR LF.
std::string ToFileBytes(const std::string& text);
// A configuration file (in the tool's bytes) with one switch's block: the
// common lines, the select line, the identity get lines, then `lines` whole.
std::string BlockFile(const std::string& mac, const std::string& serial, const std::string& model,
                      const std::vector<std::string>& lines);

// The lines "switch control function set ..." of a block, in order.
std::vector<std::string> SetLines(const std::vector<std::string>& lines);
// The lines "#switch control function get ..." of a block, in order.
std::vector<std::string> GetLines(const std::vector<std::string>& lines);

// One switch's block in a configuration file or a dump.
struct Block {
  std::string mac;                           // as the select line has it
  std::optional<std::uint32_t> fingerprint;  // from the "#[xxxxxxxx]" comment before it
  std::vector<std::string> lines;            // the select line up to the end of the block
};

// A configuration file read back and checked against the file grammar:
// code page 932, every line ended by CR LF, the watch and use lines first,
// VLAN and log lines, then blocks of a select line, the three get lines and
// set lines with known keywords and enough words.
struct ConfigFile {
  std::vector<std::string> lines;  // UTF-8, without line ends
  std::vector<std::string> commonLines;
  std::vector<Block> blocks;
  const Block* Find(const std::string& mac) const;
};
// Empty `why` when the bytes are a whole configuration file.
ConfigFile ParseConfigFile(const std::string& bytes, std::string& why);
// The blocks of a simulator dump (UTF-8 lines).
Block ParseDump(const std::string& text, std::string& why);

// ---------------------------------------------------------------------------
// JSON (strict, enough for ntrctl's output)

struct Json {
  using Array = std::vector<Json>;
  using Object = std::vector<std::pair<std::string, Json>>;
  std::variant<std::nullptr_t, bool, double, std::string, Array, Object> value;

  bool isNull() const { return std::holds_alternative<std::nullptr_t>(value); }
  bool isNumber() const { return std::holds_alternative<double>(value); }
  bool isString() const { return std::holds_alternative<std::string>(value); }
  bool isArray() const { return std::holds_alternative<Array>(value); }
  bool isObject() const { return std::holds_alternative<Object>(value); }
  // Member access; a null Json when absent or not an object.
  const Json& operator[](const std::string& key) const;
  bool Has(const std::string& key) const;
  const Array& array() const;
  std::string str() const;  // "" when not a string
  double number() const;    // NaN when not a number
};
// Parses one JSON text (surrounding white space allowed); nothing on error.
std::optional<Json> ParseJson(const std::string& text, std::string& why);

// ---------------------------------------------------------------------------
// The test bed

struct CtlReply {
  bool ok = false;
  std::string text;  // the replies as ntr-switch-sim --ctl prints them
};

class Testbed {
 public:
  Testbed();
  ~Testbed();
  Testbed(const Testbed&) = delete;
  Testbed& operator=(const Testbed&) = delete;

  // The two namespaces, the veth pair and the folders; false with `error`.
  bool Build(std::string& error);

  // A second usable adapter in the tool's namespace (a veth pair to a third,
  // empty namespace); its name, or "" with `error`.
  std::string AddToolAdapter(std::string& error);

  // Starts the simulator on the switch end with `description`; waits for its
  // "ready" line and for its control socket to answer.
  bool StartSim(const std::string& description, std::string& error);
  // SIGTERM, then SIGKILL after 10 s; reaped.
  void StopSim();
  // SIGKILL at once, reaped: a crash of the switches' side.
  void KillSim();
  bool simRunning() const;

  // The switch end of the veth pair down or up: the tool's link goes with it.
  bool SetSwitchLink(bool up);

  // ntr-switch-sim --ctl SOCK COMMAND... (each argument one command line).
  CtlReply Ctl(const std::vector<std::string>& commands) const;

  // ntrctl inside the tool namespace with the test's folders. `arguments`
  // are options and the command; "--adapter IF" is put first unless they
  // name an adapter themselves or `withAdapter` is false.
  RunResult Ntrctl(const std::vector<std::string>& arguments, Millis limit = 120s,
                   bool withAdapter = true) const;
  // The same, started and left running.
  std::unique_ptr<Child> StartNtrctl(const std::vector<std::string>& arguments,
                                     bool withAdapter = true) const;

  const std::string& toolNamespace() const { return toolNs_; }
  const std::string& switchNamespace() const { return switchNs_; }
  const std::string& toolInterface() const { return veth_.nameA; }
  const std::string& switchInterface() const { return veth_.nameB; }
  const std::filesystem::path& work() const { return work_; }
  std::filesystem::path dataFolder() const;  // $XDG_DATA_HOME/Kaldor/NTR_Application
  std::filesystem::path configPath() const { return dataFolder() / "config_ntr.txt"; }
  std::filesystem::path errorLogPath() const { return dataFolder() / "error_log.txt"; }
  std::filesystem::path requestLogPath() const { return work_ / "requests.log"; }
  std::filesystem::path controlPath() const { return work_ / "control.sock"; }

 private:
  std::vector<std::string> NtrctlArgv(const std::vector<std::string>& arguments,
                                      bool withAdapter) const;
  std::vector<std::string> Environment() const;

  testing::PrivateNetwork network_;
  std::string toolNs_, switchNs_;
  testing::PrivateNetwork::Veth veth_;
  std::filesystem::path work_;
  std::unique_ptr<Child> sim_;
};

// Waits for `condition`, checking it every 20 ms, at most `limit`.
bool WaitUntil(const std::function<bool()>& condition, Millis limit);

// ---------------------------------------------------------------------------
// One request-log line of the simulator.
struct LoggedRequest {
  long sequence = 0;
  std::string name, mac;
  long tid = 0;
  std::string request;      // "discovery", "function set port-use 3 value=0", ...
  std::string outcome;      // "0", "8", "silent", "lost" (the request was lost)
  bool answerLost = false;  // the switch acted, its answer was lost
  bool repeat = false;      // a retransmission, answered again without acting
  std::string line;
};
std::vector<LoggedRequest> ParseRequestLog(const std::string& text);

// ---------------------------------------------------------------------------
// The fixture every end-to-end test uses.

class E2eTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the simulator (fails the test when it cannot).
  void StartSim(const std::string& description);

  RunResult Ntrctl(const std::vector<std::string>& arguments, Millis limit = 120s) {
    return bed_->Ntrctl(arguments, limit);
  }
  // Control commands that must succeed; their output.
  std::string Ctls(const std::vector<std::string>& commands);
  std::string Ctl(const std::string& command) { return Ctls({command}); }

  // The simulator's view of one switch.
  Block Dump(const std::string& sw);
  std::uint32_t SimFingerprint(const std::string& sw);
  // The "list" line of one switch, split into key=value words (and "name",
  // "mac", "model").
  std::map<std::string, std::string> SimSwitch(const std::string& sw);

  // The request log so far, and what was logged after `from` entries.
  std::vector<LoggedRequest> Requests();
  std::vector<LoggedRequest> RequestsSince(std::size_t from);

  // The configuration file, checked whole (fails the test otherwise).
  ConfigFile Config();
  // The error log in UTF-8 ("" when there is none).
  std::string ErrorLog();

  // Parses ntrctl's JSON output (fails the test otherwise).
  Json ParseOutput(const RunResult& result);

  // The JSON of `show` / `read` for a switch.
  Json ShowJson(const std::string& sw, const std::vector<std::string>& options = {});

  std::unique_ptr<Testbed> bed_;
};

// Assertion helpers with the whole run in the message.
#define EXPECT_EXIT_STATUS(result, expected) \
  EXPECT_EQ((result).status, (expected)) << (result).Describe()
#define ASSERT_EXIT_STATUS(result, expected) \
  ASSERT_EQ((result).status, (expected)) << (result).Describe()

// The MAC addresses the simulator gives switches by position.
std::string SimMac(int position);

}  // namespace ntr::e2e
