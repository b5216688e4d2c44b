// Child processes of the benchmarks that run ntr-switch-sim (or ntrctl)
// apart from the measured process: starting one with its standard output on
// a pipe, waiting for a word on it, reaping it with its resource use; the
// private data and runtime folders they get; and the start of the simulator
// in the switches' namespace.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

extern char** environ;

namespace ntr::bench {

// A child process; its standard output read through a pipe.
struct Process {
  pid_t pid = -1;
  int out = -1;

  Process() = default;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    std::vector<char*> args, env;
    for (const auto& word : argv) args.push_back(const_cast<char*>(word.c_str()));
    args.push_back(nullptr);
    for (const auto& entry : environment) env.push_back(const_cast<char*>(entry.c_str()));
    env.push_back(nullptr);
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    out = fds[0];
    if (spawned != 0) pid = -1;
    return spawned == 0;
  }
  // Reads standard output until `word` appears, the output ends or the time is up.
  bool WaitFor(const std::string& word, std::chrono::seconds limit) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline && text.find(word) == std::string::npos) {
      pollfd in{out, POLLIN, 0};
      if (::poll(&in, 1, 200) <= 0) continue;
      char buffer[256];
      const ssize_t n = ::read(out, buffer, sizeof buffer);
      if (n <= 0) break;
      text.append(buffer, static_cast<std::size_t>(n));
    }
    return text.find(word) != std::string::npos;
  }
  // Drains the output and reaps the process; its resource use.
  bool Reap(int& status, rusage& usage) {
    char buffer[4096];
    while (::read(out, buffer, sizeof buffer) > 0) {
    }
    ::close(out);
    out = -1;
    const bool reaped = ::wait4(pid, &status, 0, &usage) == pid;
    pid = -1;
    return reaped;
  }
  ~Process() {
    if (pid > 0) {
      ::kill(pid, SIGTERM);
      int status = 0;
      rusage usage{};
      Reap(status, usage);
    }
    if (out >= 0) ::close(out);
  }
};

// This process's environment with XDG_DATA_HOME and XDG_RUNTIME_DIR in `home`
// (the folders TemporaryHome makes).
inline std::vector<std::string> EnvironmentWith(const std::filesystem::path& home) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    if (!text.starts_with("XDG_DATA_HOME=") && !text.starts_with("XDG_RUNTIME_DIR=")) {
      environment.emplace_back(text);
    }
  }
  environment.push_back("XDG_DATA_HOME=" + (home / "data").string());
  environment.push_back("XDG_RUNTIME_DIR=" + (home / "run").string());
  return environment;
}

// A new folder /tmp/<name>-XXXXXX with "data" and "run" (user-only) in it;
// empty when it cannot be made.
inline std::filesystem::path TemporaryHome(const std::string& name) {
  std::string pattern = "/tmp/" + name + "-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  const std::filesystem::path home = pattern;
  std::filesystem::create_directories(home / "data");
  std::filesystem::create_directories(home / "run");
  ::chmod((home / "run").c_str(), 0700);
  return home;
}

// Removes a folder and everything in it when it goes.
struct RemovedAtExit {
  std::filesystem::path path;
  ~RemovedAtExit() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
};

// Starts the simulator `simPath` in the namespace `switchNamespace` on
// `interface` with the switches of the `network` description, its folders in
// `home`; true once it says it is ready (at most 15 s).
inline bool StartSwitchSim(Process& sim, const std::string& simPath,
                           const std::string& switchNamespace, const std::string& interface,
                           const std::filesystem::path& network,
                           const std::filesystem::path& home) {
  return sim.Start({"ip", "netns", "exec", switchNamespace, simPath, "--interface", interface,
                    "--network", network.string()},
                   EnvironmentWith(home)) &&
         sim.WaitFor("ready", std::chrono::seconds(15));
}

}  // namespace ntr::bench
