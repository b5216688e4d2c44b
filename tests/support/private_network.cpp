#include "tests/support/private_network.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>

extern char** environ;

namespace ntr::testing {
namespace {

constexpr char kNetnsFolder[] = "/var/run/netns/";

std::string Joined(const std::vector<std::string>& argv) {
  std::string text;
  for (const std::string& word : argv) text += (text.empty() ? "" : " ") + word;
  return text;
}

// The pid in a name "ntrt-<pid>-<n>", or 0 when the name has another form.
pid_t OwnerOf(std::string_view name) {
  constexpr std::string_view prefix = PrivateNetwork::kPrefix;
  if (!name.starts_with(prefix)) return 0;
  name.remove_prefix(prefix.size());
  pid_t pid = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
  if (error != std::errc{} || end == name.data() || *end != '-') return 0;
  return pid;
}

}  // namespace

bool RunProgram(const std::vector<std::string>& argv, std::string* output) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
  std::vector<char*> args;
  for (const std::string& word : argv) args.push_back(const_cast<char*>(word.c_str()));
  args.push_back(nullptr);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  std::string text;
  char buffer[512];
  for (;;) {
    const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(pipeFds[0]);
  if (output != nullptr) *output = text;
  if (spawned != 0) return false;
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

PrivateNetwork::PrivateNetwork() { SweepStale(); }

PrivateNetwork::~PrivateNetwork() {
  // Deleting a namespace deletes the veth ends inside it, and with one end
  // its peer.
  for (auto name = namespaces_.rbegin(); name != namespaces_.rend(); ++name) {
    if (!RunProgram({"ip", "netns", "delete", *name})) {
      std::fprintf(stderr, "private network: could not delete namespace %s\n", name->c_str());
    }
  }
}

bool PrivateNetwork::Command(const std::vector<std::string>& argv) {
  std::string output;
  if (RunProgram(argv, &output)) return true;
  error_ = std::string("'").append(Joined(argv)).append("' failed: ").append(output);
  return false;
}

std::string PrivateNetwork::AddNamespace() {
  static std::mutex counterMutex;
  static int counter = 0;
  int number;
  {
    std::lock_guard<std::mutex> lock(counterMutex);
    number = ++counter;
  }
  const std::string name =
      std::string(kPrefix) + std::to_string(::getpid()) + "-" + std::to_string(number);
  if (!Command({"ip", "netns", "add", name})) return {};
  namespaces_.push_back(name);
  return name;
}

bool PrivateNetwork::AddVeth(const std::string& namespaceA, const std::string& namespaceB,
                             Veth& veth) {
  // Names are unique per process and per object counter; interface names
  // are at most 15 characters ("nt" + pid + "v" + number + end).
  static std::mutex counterMutex;
  static int counter = 0;
  int number;
  {
    std::lock_guard<std::mutex> lock(counterMutex);
    number = ++counter;
  }
  const std::string stem = "nt" + std::to_string(::getpid()) + "v" + std::to_string(number);
  veth = {stem + "a", stem + "b", namespaceA, namespaceB};
  return Command({"ip", "link", "add", veth.nameA, "netns", namespaceA, "type", "veth", "peer",
                  "name", veth.nameB, "netns", namespaceB}) &&
         SetLinkUp(namespaceA, veth.nameA, true) && SetLinkUp(namespaceB, veth.nameB, true);
}

bool PrivateNetwork::Ip(const std::string& name, const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{"ip", "-n", name};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return Command(argv);
}

bool PrivateNetwork::SetLinkUp(const std::string& name, const std::string& interface, bool up) {
  return Ip(name, {"link", "set", interface, up ? "up" : "down"});
}

bool PrivateNetwork::Run(const std::string& name, const std::vector<std::string>& argv,
                         std::string* output) {
  std::vector<std::string> command{"ip", "netns", "exec", name};
  command.insert(command.end(), argv.begin(), argv.end());
  if (RunProgram(command, output)) return true;
  error_ = std::string("'").append(Joined(command)).append("' failed");
  return false;
}

int PrivateNetwork::SweepStale() {
  int deleted = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(kNetnsFolder, error)) {
    const std::string name = entry.path().filename().string();
    const pid_t owner = OwnerOf(name);
    if (owner <= 0 || owner == ::getpid()) continue;
    if (::kill(owner, 0) == 0 || errno != ESRCH) continue;  // its run is still alive
    if (RunProgram({"ip", "netns", "delete", name})) ++deleted;
  }
  return deleted;
}

bool PrivateNetwork::Exists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(std::string(kNetnsFolder) + name, error);
}

NamespaceScope::NamespaceScope(const std::string& name) {
  home_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
  const int target = ::open((std::string(kNetnsFolder) + name).c_str(), O_RDONLY | O_CLOEXEC);
  entered_ = home_ >= 0 && target >= 0 && ::setns(target, CLONE_NEWNET) == 0;
  if (target >= 0) ::close(target);
}

NamespaceScope::~NamespaceScope() {
  if (entered_ && ::setns(home_, CLONE_NEWNET) != 0) {
    // A thread that cannot go home must not go on in a test namespace.
    std::perror("setns back");
    std::abort();
  }
  if (home_ >= 0) ::close(home_);
}

}  // namespace ntr::testing
