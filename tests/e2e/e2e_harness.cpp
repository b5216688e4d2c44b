#include "tests/e2e/e2e_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "base/text_encoding.h"

extern char** environ;

namespace ntr::e2e {

// ---------------------------------------------------------------------------
// Processes

std::string RunResult::Describe() const {
  std::ostringstream text;
  text << "\n  command: " << command;
  if (!started) {
    text << "\n  (not started)";
  } else if (timedOut) {
    text << "\n  killed at the harness's time limit";
  } else if (signal != 0) {
    text << "\n  ended by signal " << signal << " (" << ::strsignal(signal) << ")";
  } else {
    text << "\n  exit status " << status;
  }
  text << "\n  stdout:\n" << out << "\n  stderr:\n" << err;
  return text.str();
}

Child::~Child() {
  if (pid_ > 0 && !reaped_) {
    ::kill(-pid_, SIGKILL);
    ::kill(pid_, SIGKILL);
    Wait(10s);
  }
  if (reader_.joinable()) reader_.join();
}

namespace {

// The program file for argv[0]: itself when it names a path, otherwise the
// first executable of that name on PATH.
std::string ProgramPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/sbin:/usr/bin:/sbin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string candidate = folders.substr(start, end - start) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return name;
}

}  // namespace

bool Child::Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                  std::string& error) {
  for (const std::string& word : argv) command_ += (command_.empty() ? "" : " ") + word;
  result_.command = command_;
  int outPipe[2], errPipe[2];
  if (::pipe2(outPipe, O_CLOEXEC) != 0) {
    error = std::strerror(errno);
    return false;
  }
  if (::pipe2(errPipe, O_CLOEXEC) != 0) {
    error = std::strerror(errno);
    ::close(outPipe[0]);
    ::close(outPipe[1]);
    return false;
  }
  // Everything the child needs is made before the fork: after it, only
  // async-signal-safe calls.
  const std::string program = ProgramPath(argv.at(0));
  std::vector<char*> args, env;
  for (const std::string& word : argv) args.push_back(const_cast<char*>(word.c_str()));
  args.push_back(nullptr);
  for (const std::string& entry : environment) env.push_back(const_cast<char*>(entry.c_str()));
  env.push_back(nullptr);
  const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const pid_t parent = ::getpid();
  pid_ = ::fork();
  if (pid_ == 0) {
    // A process group of its own, so that the harness's signals reach it
    // and nothing sent to the test's terminal does; killed with the test
    // process even when that is killed itself (a ctest time-out).
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (const int signal : {SIGINT, SIGTERM, SIGPIPE, SIGCHLD})
      ::sigaction(signal, &byDefault, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (devNull >= 0) ::dup2(devNull, STDIN_FILENO);
    ::dup2(outPipe[1], STDOUT_FILENO);
    ::dup2(errPipe[1], STDERR_FILENO);
    ::execve(program.c_str(), args.data(), env.data());
    ::_exit(127);
  }
  const int forkError = errno;
  if (devNull >= 0) ::close(devNull);
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  if (pid_ < 0) {
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    error = "cannot start " + command_ + ": " + std::strerror(forkError);
    return false;
  }
  result_.started = true;
  outFd_ = outPipe[0];
  errFd_ = errPipe[0];
  reader_ = std::thread([this] { ReadLoop(); });
  return true;
}

void Child::ReadLoop() {
  bool outOpen = true, errOpen = true;
  char buffer[4096];
  while (outOpen || errOpen) {
    pollfd fds[2] = {{outOpen ? outFd_ : -1, POLLIN, 0}, {errOpen ? errFd_ : -1, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      std::lock_guard<std::mutex> lock(mutex_);
      if (n <= 0) {
        (i == 0 ? outOpen : errOpen) = false;
      } else {
        (i == 0 ? out_ : err_).append(buffer, static_cast<std::size_t>(n));
      }
      changed_.notify_all();
    }
  }
  ::close(outFd_);
  ::close(errFd_);
  std::lock_guard<std::mutex> lock(mutex_);
  outputEnded_ = true;
  changed_.notify_all();
}

void Child::Signal(int signal) const {
  if (pid_ > 0 && !reaped_) ::kill(pid_, signal);
}

bool Child::ended() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return outputEnded_;
}

std::string Child::out() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return out_;
}

std::string Child::err() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return err_;
}

bool Child::WaitForOutput(const std::function<bool(const std::string&)>& ready, Millis limit) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, limit, [&] { return ready(out_) || outputEnded_; }) && ready(out_);
}

RunResult Child::Wait(Millis limit) {
  if (pid_ <= 0 || reaped_) return result_;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!changed_.wait_for(lock, limit, [&] { return outputEnded_; })) {
      result_.timedOut = true;
      lock.unlock();
      ::kill(-pid_, SIGKILL);
      ::kill(pid_, SIGKILL);
      lock.lock();
      // The pipes close when the process has gone; a process that handed
      // them on to another still ends its own life here.
      changed_.wait_for(lock, 10s, [&] { return outputEnded_; });
    }
  }
  // The output ends as the process goes (or was killed above).
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  reaped_ = true;
  // Whatever still holds the pipes is in the process's group.
  if (!ended()) ::kill(-pid_, SIGKILL);
  if (reader_.joinable()) reader_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  result_.out = out_;
  result_.err = err_;
  if (WIFEXITED(status)) {
    result_.status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result_.signal = WTERMSIG(status);
  }
  return result_;
}

RunResult RunToEnd(const std::vector<std::string>& argv, Millis limit) {
  Child child;
  std::string error;
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
  if (!child.Start(argv, environment, error)) {
    RunResult result;
    result.err = error;
    return result;
  }
  return child.Wait(limit);
}

bool WaitUntil(const std::function<bool()>& condition, Millis limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(20ms);  // a polling interval, not a synchronisation
  }
}

// ---------------------------------------------------------------------------
// Text

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string Join(const std::vector<std::string>& lines, const std::string& separator) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? separator : "") + lines[i];
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::optional<std::string> FromCp932(const std::string& bytes) {
  std::string utf8;
  if (!Cp932ToUtf8(bytes, utf8)) return std::nullopt;
  return utf8;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ToFileBytes(const std::string& text) { return ToCrLf(Utf8ToCp932Lossy(text)); }

std::string BlockFile(const std::string& mac, const std::string& serial, const std::string& model,
                      const std::vector<std::string>& lines) {
  std::string text =
      "switch control watch interval 3 3\nswitch control use lan1 on\n\nswitch select " + mac +
      "\n#switch control function get firmware-revision 1.00\n" +
      "#switch control function get serial-number " + serial + "\n" +
      "#switch control function get model-name " + model + "\n";
  for (const std::string& line : lines) text += line + "\n";
  return ToFileBytes(text);
}

std::vector<std::string> SetLines(const std::vector<std::string>& lines) {
  std::vector<std::string> sets;
  for (const std::string& line : lines) {
    if (line.starts_with("switch control function set ")) sets.push_back(line);
  }
  return sets;
}

std::vector<std::string> GetLines(const std::vector<std::string>& lines) {
  std::vector<std::string> gets;
  for (const std::string& line : lines) {
    if (line.starts_with("#switch control function get ")) gets.push_back(line);
  }
  return gets;
}

namespace {

// Words of each setting line as the writer writes them.
const std::map<std::string, std::size_t>& SetLineWords() {
  static const std::map<std::string, std::size_t> table = [] {
    std::map<std::string, std::size_t> words;
    for (const char* keyword :
         {"system-name", "energy-saving", "led-brightness", "macaddress-aging",
          "macaddress-aging-timer", "vlan-multiple-use", "qos-speed-unit", "mirroring-use",
          "mirroring-dest", "loopdetect-count", "loopdetect-time", "loopdetect-linkdown",
          "loopdetect-use-control-packet", "loopdetect-recovery-timer"}) {
      words[keyword] = 6;
    }
    for (const char* keyword : {"port-speed",
                                "port-use",
                                "port-auto-crossover",
                                "port-speed-downshift",
                                "port-flow-control",
                                "port-blocking-control-packet",
                                "port-blocking-data-packet",
                                "vlan-port-mode",
                                "vlan-access",
                                "qos-dscp-remark-type",
                                "qos-dscp-remark-class",
                                "qos-policing-use",
                                "qos-policing-speed",
                                "qos-shaping-use",
                                "qos-shaping-speed",
                                "mirroring-src-rx",
                                "mirroring-src-tx",
                                "loopdetect-port-use",
                                "poe-class",
                                "routebackup-backup-port",
                                "vlan-id"}) {
      words[keyword] = 7;
    }
    for (const char* keyword :
         {"vlan-trunk", "vlan-multiple", "counter-frame-rx-type", "counter-frame-tx-type"}) {
      words[keyword] = 8;
    }
    return words;
  }();
  return table;
}

bool IsMacText(const std::string& text) {
  if (text.size() != 17) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i % 3 == 2 ? text[i] != ':' : !std::isxdigit(static_cast<unsigned char>(text[i]))) {
      return false;
    }
  }
  return true;
}

std::optional<std::uint32_t> CommentFingerprint(const std::string& line) {
  if (line.size() != 11 || !line.starts_with("#[") || line.back() != ']') return std::nullopt;
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(line.data() + 2, line.data() + 10, value, 16);
  if (error != std::errc{} || end != line.data() + 10) return std::nullopt;
  return value;
}

// Reads the blocks of `lines` from `first` on; `why` names the first fault.
std::vector<Block> ReadBlocks(const std::vector<std::string>& lines, std::size_t first,
                              std::string& why) {
  std::vector<Block> blocks;
  std::optional<std::uint32_t> fingerprint;
  for (std::size_t i = first; i < lines.size() && why.empty(); ++i) {
    const std::string& line = lines[i];
    const auto words = Words(line);
    if (words.empty()) continue;
    if (line.starts_with("#")) {
      if (line.starts_with("#switch ")) {
        if (blocks.empty())
          why = "a get line outside a block: " + line;
        else
          blocks.back().lines.push_back(line);
      } else if (const auto value = CommentFingerprint(line)) {
        fingerprint = value;
      }
      continue;
    }
    if (words.size() == 3 && words[0] == "switch" && words[1] == "select") {
      if (!IsMacText(words[2])) {
        why = "a select line without a MAC: " + line;
        break;
      }
      blocks.push_back(Block{words[2], fingerprint, {line}});
      fingerprint.reset();
      // The three get lines follow at once.
      static const char* kGets[] = {"firmware-revision", "serial-number", "model-name"};
      for (int g = 0; g < 3; ++g) {
        const std::string prefix = std::string("#switch control function get ") + kGets[g] + " ";
        if (i + 1 + g >= lines.size() || !lines[i + 1 + g].starts_with(prefix)) {
          why = "the block of " + words[2] + " lacks its " + kGets[g] + " line";
          break;
        }
      }
      continue;
    }
    if (words.size() >= 5 && words[0] == "switch" && words[1] == "control" &&
        words[2] == "function" && words[3] == "set") {
      const auto known = SetLineWords().find(words[4]);
      if (blocks.empty()) {
        why = "a set line outside a block: " + line;
      } else if (known == SetLineWords().end()) {
        why = "an unknown keyword: " + line;
      } else if (words.size() != known->second) {
        why = "a set line with " + std::to_string(words.size()) + " words: " + line;
      } else if (line != Join(words, " ")) {
        why = "a set line with stray spaces: '" + line + "'";
      } else {
        blocks.back().lines.push_back(line);
      }
      continue;
    }
    why = "a line of no known kind: '" + line + "'";
  }
  return blocks;
}

}  // namespace

const Block* ConfigFile::Find(const std::string& mac) const {
  for (const Block& block : blocks) {
    if (Upper(block.mac) == Upper(mac)) return &block;
  }
  return nullptr;
}

ConfigFile ParseConfigFile(const std::string& bytes, std::string& why) {
  ConfigFile file;
  why.clear();
  if (bytes.empty()) {
    why = "the file is empty";
    return file;
  }
  if (bytes.size() < 2 || bytes.substr(bytes.size() - 2) != "\r\n") {
    why = "the file does not end with CR LF (cut short?)";
    return file;
  }
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) {
      why = "a line end without CR at byte " + std::to_string(i);
      return file;
    }
    if (bytes[i] == '\0') {
      why = "a zero byte at " + std::to_string(i);
      return file;
    }
  }
  const auto text = FromCp932(bytes);
  if (!text) {
    why = "the file is not code page 932";
    return file;
  }
  file.lines = SplitLines(*text);
  if (file.lines.size() < 2) {
    why = "fewer than two lines";
    return file;
  }
  const auto watch = Words(file.lines[0]);
  if (watch.size() != 6 || watch[0] != "switch" || watch[1] != "control" || watch[2] != "watch" ||
      watch[3] != "interval") {
    why = "the first line is not the watch line: " + file.lines[0];
    return file;
  }
  if (file.lines[1] != "switch control use lan1 on") {
    why = "the second line is not the use line: " + file.lines[1];
    return file;
  }
  std::size_t i = 2;
  for (; i < file.lines.size(); ++i) {
    const auto words = Words(file.lines[i]);
    if (words.empty()) break;
    const bool vlan = words.size() == 5 && words[0] == "vlan" && words[1].starts_with("lan1/") &&
                      words[2] == "802.1q" && words[3].starts_with("vid=") &&
                      words[4].starts_with("name=");
    const bool log = words[0] == "#log";
    if (!vlan && !log) {
      why = "a common line of no known kind: " + file.lines[i];
      return file;
    }
    file.commonLines.push_back(file.lines[i]);
  }
  file.blocks = ReadBlocks(file.lines, i, why);
  return file;
}

Block ParseDump(const std::string& text, std::string& why) {
  why.clear();
  const auto blocks = ReadBlocks(SplitLines(text), 0, why);
  if (!why.empty()) return {};
  if (blocks.size() != 1) {
    why = "a dump with " + std::to_string(blocks.size()) + " blocks";
    return {};
  }
  return blocks.front();
}

// ---------------------------------------------------------------------------
// JSON

namespace {

const Json& NullJson() {
  static const Json null;
  return null;
}

class JsonParser {
 public:
  explicit JsonParser(const std::string& text) : text_(text) {}

  std::optional<Json> Parse(std::string& why) {
    Json value;
    if (!Value(value, 0)) {
      why = error_ + " at byte " + std::to_string(at_);
      return std::nullopt;
    }
    Space();
    if (at_ != text_.size()) {
      why = "text after the JSON value at byte " + std::to_string(at_);
      return std::nullopt;
    }
    return value;
  }

 private:
  void Space() {
    while (at_ < text_.size() && std::strchr(" \t\r\n", text_[at_]) != nullptr) ++at_;
  }
  bool Fail(const std::string& what) {
    if (error_.empty()) error_ = what;
    return false;
  }
  bool Literal(const char* word) {
    const std::size_t n = std::strlen(word);
    if (text_.compare(at_, n, word) != 0) return Fail("bad literal");
    at_ += n;
    return true;
  }
  bool Value(Json& out, int depth) {
    if (depth > 64) return Fail("too deep");
    Space();
    if (at_ >= text_.size()) return Fail("unexpected end");
    const char c = text_[at_];
    if (c == '{') return ObjectValue(out, depth);
    if (c == '[') return ArrayValue(out, depth);
    if (c == '"') {
      std::string s;
      if (!String(s)) return false;
      out.value = std::move(s);
      return true;
    }
    if (c == 't') return Literal("true") && (out.value = true, true);
    if (c == 'f') return Literal("false") && (out.value = false, true);
    if (c == 'n') return Literal("null") && (out.value = nullptr, true);
    return NumberValue(out);
  }
  bool NumberValue(Json& out) {
    const std::size_t start = at_;
    if (at_ < text_.size() && text_[at_] == '-') ++at_;
    if (at_ >= text_.size() || !std::isdigit(static_cast<unsigned char>(text_[at_]))) {
      return Fail("bad number");
    }
    if (text_[at_] == '0' && at_ + 1 < text_.size() &&
        std::isdigit(static_cast<unsigned char>(text_[at_ + 1]))) {
      return Fail("leading zero");
    }
    while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) ++at_;
    if (at_ < text_.size() && text_[at_] == '.') {
      ++at_;
      if (at_ >= text_.size() || !std::isdigit(static_cast<unsigned char>(text_[at_]))) {
        return Fail("bad fraction");
      }
      while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) ++at_;
    }
    if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
      ++at_;
      if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
      if (at_ >= text_.size() || !std::isdigit(static_cast<unsigned char>(text_[at_]))) {
        return Fail("bad exponent");
      }
      while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) ++at_;
    }
    out.value = std::strtod(text_.substr(start, at_ - start).c_str(), nullptr);
    return true;
  }
  static void AppendUtf8(std::string& s, std::uint32_t cp) {
    if (cp < 0x80) {
      s += static_cast<char>(cp);
    } else if (cp < 0x800) {
      s += static_cast<char>(0xC0 | (cp >> 6));
      s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      s += static_cast<char>(0xE0 | (cp >> 12));
      s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      s += static_cast<char>(0xF0 | (cp >> 18));
      s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  bool Hex4(std::uint32_t& value) {
    if (at_ + 4 > text_.size()) return Fail("short \\u escape");
    value = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = text_[at_++];
      value <<= 4;
      if (h >= '0' && h <= '9')
        value |= static_cast<std::uint32_t>(h - '0');
      else if (h >= 'a' && h <= 'f')
        value |= static_cast<std::uint32_t>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F')
        value |= static_cast<std::uint32_t>(h - 'A' + 10);
      else
        return Fail("bad \\u escape");
    }
    return true;
  }
  bool String(std::string& s) {
    ++at_;  // the opening quote
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return Fail("control character in a string");
      if (c != '\\') {
        s += c;
        continue;
      }
      if (at_ >= text_.size()) break;
      const char e = text_[at_++];
      switch (e) {
        case '"':
          s += '"';
          break;
        case '\\':
          s += '\\';
          break;
        case '/':
          s += '/';
          break;
        case 'b':
          s += '\b';
          break;
        case 'f':
          s += '\f';
          break;
        case 'n':
          s += '\n';
          break;
        case 'r':
          s += '\r';
          break;
        case 't':
          s += '\t';
          break;
        case 'u': {
          std::uint32_t cp = 0;
          if (!Hex4(cp)) return false;
          if (cp >= 0xD800 && cp < 0xDC00) {
            std::uint32_t low = 0;
            if (text_.compare(at_, 2, "\\u") != 0) return Fail("lone surrogate");
            at_ += 2;
            if (!Hex4(low) || low < 0xDC00 || low > 0xDFFF) return Fail("bad surrogate pair");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(s, cp);
          break;
        }
        default:
          return Fail("bad escape");
      }
    }
    return Fail("unterminated string");
  }
  bool ArrayValue(Json& out, int depth) {
    ++at_;
    Json::Array items;
    Space();
    if (at_ < text_.size() && text_[at_] == ']') {
      ++at_;
      out.value = std::move(items);
      return true;
    }
    for (;;) {
      Json item;
      if (!Value(item, depth + 1)) return false;
      items.push_back(std::move(item));
      Space();
      if (at_ < text_.size() && text_[at_] == ',') {
        ++at_;
        continue;
      }
      if (at_ < text_.size() && text_[at_] == ']') {
        ++at_;
        out.value = std::move(items);
        return true;
      }
      return Fail("expected , or ]");
    }
  }
  bool ObjectValue(Json& out, int depth) {
    ++at_;
    Json::Object members;
    Space();
    if (at_ < text_.size() && text_[at_] == '}') {
      ++at_;
      out.value = std::move(members);
      return true;
    }
    for (;;) {
      Space();
      if (at_ >= text_.size() || text_[at_] != '"') return Fail("expected a member name");
      std::string key;
      if (!String(key)) return false;
      Space();
      if (at_ >= text_.size() || text_[at_] != ':') return Fail("expected :");
      ++at_;
      Json item;
      if (!Value(item, depth + 1)) return false;
      members.emplace_back(std::move(key), std::move(item));
      Space();
      if (at_ < text_.size() && text_[at_] == ',') {
        ++at_;
        continue;
      }
      if (at_ < text_.size() && text_[at_] == '}') {
        ++at_;
        out.value = std::move(members);
        return true;
      }
      return Fail("expected , or }");
    }
  }

  const std::string& text_;
  std::size_t at_ = 0;
  std::string error_;
};

}  // namespace

const Json& Json::operator[](const std::string& key) const {
  if (const auto* members = std::get_if<Object>(&value)) {
    for (const auto& [name, item] : *members) {
      if (name == key) return item;
    }
  }
  return NullJson();
}

bool Json::Has(const std::string& key) const {
  if (const auto* members = std::get_if<Object>(&value)) {
    for (const auto& member : *members) {
      if (member.first == key) return true;
    }
  }
  return false;
}

const Json::Array& Json::array() const {
  static const Array empty;
  const auto* items = std::get_if<Array>(&value);
  return items != nullptr ? *items : empty;
}

std::string Json::str() const {
  const auto* s = std::get_if<std::string>(&value);
  return s != nullptr ? *s : std::string();
}

double Json::number() const {
  const auto* n = std::get_if<double>(&value);
  return n != nullptr ? *n : std::nan("");
}

std::optional<Json> ParseJson(const std::string& text, std::string& why) {
  return JsonParser(text).Parse(why);
}

// ---------------------------------------------------------------------------
// Request log

std::vector<LoggedRequest> ParseRequestLog(const std::string& text) {
  std::vector<LoggedRequest> entries;
  for (const std::string& line : SplitLines(text)) {
    const auto words = Words(line);
    if (words.size() < 6) continue;
    LoggedRequest entry;
    entry.line = line;
    entry.sequence = std::strtol(words[0].c_str(), nullptr, 10);
    entry.name = words[1];
    entry.mac = words[2];
    if (!words[3].starts_with("tid=")) continue;
    entry.tid = std::strtol(words[3].c_str() + 4, nullptr, 10);
    const auto arrow = std::find(words.begin() + 4, words.end(), "->");
    if (arrow == words.end() || arrow + 1 == words.end()) continue;
    entry.request = Join(std::vector<std::string>(words.begin() + 4, arrow), " ");
    entry.outcome = *(arrow + 1);
    entry.repeat = std::find(arrow, words.end(), "repeat") != words.end();
    entry.answerLost = std::find(arrow, words.end(), "answer-lost") != words.end();
    entries.push_back(std::move(entry));
  }
  return entries;
}

// ---------------------------------------------------------------------------
// Test bed

Testbed::Testbed() {
  char pattern[] = "/tmp/ntr-e2e-XXXXXX";
  if (::mkdtemp(pattern) != nullptr) work_ = pattern;
}

Testbed::~Testbed() {
  StopSim();
  std::error_code ignored;
  if (!work_.empty() && std::getenv("NTR_E2E_KEEP") == nullptr) {
    std::filesystem::remove_all(work_, ignored);
  }
  // The namespaces (and the veth pair in them) go with network_.
}

bool Testbed::Build(std::string& error) {
  if (work_.empty()) {
    error = "cannot make a temporary folder";
    return false;
  }
  std::error_code fault;
  std::filesystem::create_directories(work_ / "data", fault);
  std::filesystem::create_directories(work_ / "run", fault);
  ::chmod((work_ / "run").c_str(), 0700);
  toolNs_ = network_.AddNamespace();
  switchNs_ = network_.AddNamespace();
  if (toolNs_.empty() || switchNs_.empty() || !network_.AddVeth(toolNs_, switchNs_, veth_)) {
    error = "private network: " + network_.error();
    return false;
  }
  return true;
}

std::string Testbed::AddToolAdapter(std::string& error) {
  const std::string other = network_.AddNamespace();
  testing::PrivateNetwork::Veth veth;
  if (other.empty() || !network_.AddVeth(toolNs_, other, veth)) {
    error = "private network: " + network_.error();
    return "";
  }
  return veth.nameA;
}

bool Testbed::SetSwitchLink(bool up) { return network_.SetLinkUp(switchNs_, veth_.nameB, up); }

std::filesystem::path Testbed::dataFolder() const {
  return work_ / "data" / "Kaldor" / "NTR_Application";
}

std::vector<std::string> Testbed::Environment() const {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    if (text.starts_with("XDG_DATA_HOME=") || text.starts_with("XDG_RUNTIME_DIR=") ||
        text.starts_with("HOME=")) {
      continue;
    }
    environment.emplace_back(text);
  }
  environment.push_back("XDG_DATA_HOME=" + (work_ / "data").string());
  environment.push_back("XDG_RUNTIME_DIR=" + (work_ / "run").string());
  environment.push_back("HOME=" + work_.string());
  return environment;
}

bool Testbed::StartSim(const std::string& description, std::string& error) {
  StopSim();
  WriteFile(work_ / "network.txt", description);
  sim_ = std::make_unique<Child>();
  if (!sim_->Start({"ip", "netns", "exec", switchNs_, SIM_PATH, "--interface", veth_.nameB,
                    "--network", (work_ / "network.txt").string(), "--control",
                    controlPath().string(), "--request-log", requestLogPath().string()},
                   Environment(), error)) {
    return false;
  }
  if (!sim_->WaitForOutput([](const std::string& out) { return Contains(out, "ready"); }, 15s)) {
    const RunResult result = sim_->Wait(5s);
    error = "the simulator did not get ready:" + result.Describe();
    sim_.reset();
    return false;
  }
  // The control socket answers once the simulator polls it.
  if (!WaitUntil([&] { return Ctl({"list"}).ok; }, 10s)) {
    error = "the simulator's control socket does not answer";
    return false;
  }
  return true;
}

void Testbed::StopSim() {
  if (!sim_) return;
  sim_->Signal(SIGTERM);
  sim_->Wait(10s);
  sim_.reset();
}

void Testbed::KillSim() {
  if (!sim_) return;
  sim_->Signal(SIGKILL);
  sim_->Wait(10s);
  sim_.reset();
}

bool Testbed::simRunning() const { return sim_ && !sim_->ended(); }

CtlReply Testbed::Ctl(const std::vector<std::string>& commands) const {
  std::vector<std::string> argv{SIM_PATH, "--ctl", controlPath().string()};
  argv.insert(argv.end(), commands.begin(), commands.end());
  const RunResult result = RunToEnd(argv, 15s);
  return CtlReply{result.exited() && result.status == 0, result.out + result.err};
}

std::vector<std::string> Testbed::NtrctlArgv(const std::vector<std::string>& arguments,
                                             bool withAdapter) const {
  std::vector<std::string> argv{"ip", "netns", "exec", toolNs_, NTRCTL_PATH};
  if (withAdapter &&
      std::find(arguments.begin(), arguments.end(), "--adapter") == arguments.end()) {
    argv.push_back("--adapter");
    argv.push_back(veth_.nameA);
  }
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return argv;
}

RunResult Testbed::Ntrctl(const std::vector<std::string>& arguments, Millis limit,
                          bool withAdapter) const {
  Child child;
  std::string error;
  if (!child.Start(NtrctlArgv(arguments, withAdapter), Environment(), error)) {
    RunResult result;
    result.err = error;
    return result;
  }
  return child.Wait(limit);
}

std::unique_ptr<Child> Testbed::StartNtrctl(const std::vector<std::string>& arguments,
                                            bool withAdapter) const {
  auto child = std::make_unique<Child>();
  std::string error;
  if (!child->Start(NtrctlArgv(arguments, withAdapter), Environment(), error)) return nullptr;
  return child;
}

// ---------------------------------------------------------------------------
// Fixture

void E2eTest::SetUp() {
  bed_ = std::make_unique<Testbed>();
  std::string error;
  ASSERT_TRUE(bed_->Build(error)) << error;
}

void E2eTest::TearDown() {
  if (HasFailure() && bed_) {
    // What the switches and the tool were left with, for the failure report.
    std::fprintf(stderr, "--- request log (last lines)\n");
    const auto lines = SplitLines(ReadFile(bed_->requestLogPath()));
    for (std::size_t i = lines.size() > 40 ? lines.size() - 40 : 0; i < lines.size(); ++i) {
      std::fprintf(stderr, "%s\n", lines[i].c_str());
    }
    if (const auto config = FromCp932(ReadFile(bed_->configPath()))) {
      std::fprintf(stderr, "--- config_ntr.txt\n%s\n", config->c_str());
    }
  }
  bed_.reset();
}

void E2eTest::StartSim(const std::string& description) {
  std::string error;
  ASSERT_TRUE(bed_->StartSim(description, error)) << error;
}

std::string E2eTest::Ctls(const std::vector<std::string>& commands) {
  const CtlReply reply = bed_->Ctl(commands);
  EXPECT_TRUE(reply.ok) << "control " << Join(commands, " | ") << ": " << reply.text;
  return reply.text;
}

Block E2eTest::Dump(const std::string& sw) {
  std::string why;
  Block block = ParseDump(Ctl("dump " + sw), why);
  EXPECT_EQ(why, "") << "dump " << sw;
  return block;
}

std::uint32_t E2eTest::SimFingerprint(const std::string& sw) {
  const auto words = Words(Ctl("fingerprint " + sw));
  EXPECT_EQ(words.size(), 2u);
  if (words.size() != 2) return 0;
  return static_cast<std::uint32_t>(std::strtol(words[1].c_str(), nullptr, 10));
}

std::map<std::string, std::string> E2eTest::SimSwitch(const std::string& sw) {
  std::map<std::string, std::string> fields;
  for (const std::string& line : SplitLines(Ctl("list"))) {
    const auto words = Words(line);
    if (words.size() < 3 || (words[0] != sw && Upper(words[1]) != Upper(sw))) continue;
    fields["name"] = words[0];
    fields["mac"] = words[1];
    fields["model"] = words[2];
    for (std::size_t i = 3; i < words.size(); ++i) {
      const auto equals = words[i].find('=');
      if (equals != std::string::npos)
        fields[words[i].substr(0, equals)] = words[i].substr(equals + 1);
    }
  }
  return fields;
}

std::vector<LoggedRequest> E2eTest::Requests() {
  return ParseRequestLog(ReadFile(bed_->requestLogPath()));
}

std::vector<LoggedRequest> E2eTest::RequestsSince(std::size_t from) {
  auto all = Requests();
  if (from >= all.size()) return {};
  return {all.begin() + static_cast<std::ptrdiff_t>(from), all.end()};
}

ConfigFile E2eTest::Config() {
  std::string why;
  ConfigFile file = ParseConfigFile(ReadFile(bed_->configPath()), why);
  EXPECT_EQ(why, "") << "config_ntr.txt is not whole";
  return file;
}

std::string E2eTest::ErrorLog() {
  const std::string bytes = ReadFile(bed_->errorLogPath());
  const auto text = FromCp932(bytes);
  EXPECT_TRUE(text.has_value()) << "error_log.txt is not code page 932";
  return text.value_or(bytes);
}

Json E2eTest::ParseOutput(const RunResult& result) {
  std::string why;
  const auto json = ParseJson(result.out, why);
  EXPECT_TRUE(json.has_value()) << "not JSON: " << why << result.Describe();
  return json.value_or(Json{});
}

Json E2eTest::ShowJson(const std::string& sw, const std::vector<std::string>& options) {
  std::vector<std::string> arguments = options;
  arguments.insert(arguments.end(), {"--json", "show", sw});
  const RunResult result = Ntrctl(arguments);
  EXPECT_EXIT_STATUS(result, 0);
  return ParseOutput(result);
}

std::string SimMac(int position) {
  char text[18];
  std::snprintf(text, sizeof text, "02:5C:71:00:00:%02X", position);
  return text;
}

}  // namespace ntr::e2e
