// A private network for tests, demonstrations and benchmarks: network
// namespaces joined by veth pairs, made with the `ip` command and always torn
// down again. Nothing here touches the machine's own interfaces: every link
// is created directly inside the namespaces it joins.
//
// Names carry the creating process's id ("ntrt-<pid>-<n>" for namespaces,
// "nt<pid>v<n>a"/"...b" for veth ends), so parallel runs never collide. The
// destructor deletes everything the object made; what a killed run left
// behind is removed by the next one (SweepStale deletes the namespaces whose
// process is gone). Needs root (CAP_SYS_ADMIN and CAP_NET_ADMIN).
#pragma once

#include <string>
#include <vector>

namespace ntr::testing {

// Runs a program (no shell) and waits for it; true on exit status 0. The
// program's output and error output go to `output` when it is given.
bool RunProgram(const std::vector<std::string>& argv, std::string* output = nullptr);

class PrivateNetwork {
 public:
  struct Veth {
    std::string nameA, nameB;            // the two ends' interface names
    std::string namespaceA, namespaceB;  // where they live
  };

  // Sweeps stale namespaces of earlier runs.
  PrivateNetwork();
  // Deletes every namespace this object made, and with them their links.
  ~PrivateNetwork();
  PrivateNetwork(const PrivateNetwork&) = delete;
  PrivateNetwork& operator=(const PrivateNetwork&) = delete;

  // Creates a namespace (only its loopback inside, left down); returns its
  // name, or "" with error() set.
  std::string AddNamespace();
  // Joins two namespaces with a veth pair and brings both ends up.
  bool AddVeth(const std::string& namespaceA, const std::string& namespaceB, Veth& veth);
  // Runs `ip -n <namespace> <arguments...>`.
  bool Ip(const std::string& name, const std::vector<std::string>& arguments);
  bool SetLinkUp(const std::string& name, const std::string& interface, bool up);
  // Runs a program inside the namespace; true on exit status 0.
  bool Run(const std::string& name, const std::vector<std::string>& argv,
           std::string* output = nullptr);

  // Why the last operation failed (the command and its output).
  const std::string& error() const { return error_; }
  const std::vector<std::string>& namespaces() const { return namespaces_; }

  // Deletes the namespaces of runs whose process no longer exists; returns
  // how many were deleted.
  static int SweepStale();
  // Whether a namespace of this name exists.
  static bool Exists(const std::string& name);
  static constexpr char kPrefix[] = "ntrt-";

 private:
  bool Command(const std::vector<std::string>& argv);

  std::vector<std::string> namespaces_;
  std::string error_;
};

// Moves the calling thread into a namespace while it lives; threads started
// meanwhile inherit it, sockets and captures opened meanwhile stay bound to
// it. The destructor moves the thread back.
class NamespaceScope {
 public:
  explicit NamespaceScope(const std::string& name);
  ~NamespaceScope();
  NamespaceScope(const NamespaceScope&) = delete;
  NamespaceScope& operator=(const NamespaceScope&) = delete;

  bool ok() const { return entered_; }

 private:
  int home_ = -1;
  bool entered_ = false;
};

}  // namespace ntr::testing
