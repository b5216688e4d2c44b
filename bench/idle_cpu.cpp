// What the tool costs while it only watches: the application core (the same
// Application that ntrctl and the window run, with its capture, address watch,
// discovery timer and one settings thread per switch) managing eight
// simulated switches on a private veth link, then left idle; and the peak
// resident memory of `ntrctl discover` taking the same eight switches under
// management.
//
//   idle CPU     CPU time (user + system) of this process over the idle
//                period, divided by the wall time: the share of one core;
//   peak memory  ru_maxrss of the ntrctl child (wait4), in MiB.
//
// The switches run in ntr-switch-sim, a separate process in the other
// namespace, so that their cost is not counted.
//
//   ntr_idle_bench [seconds]    (default 10; run as root)
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/scripted_operator.h"
#include "base/event_loop.h"
#include "bench/sim_process.h"
#include "catalogue/switch_model.h"
#include "tests/support/private_network.h"

namespace {

using namespace ntr;
using namespace ntr::bench;
using Clock = std::chrono::steady_clock;

int Fail(const std::string& what) {
  std::fprintf(stderr, "ntr_idle_bench: %s\n", what.c_str());
  return 1;
}

std::string EightSwitches() {
  std::string eight;
  for (int i = 1; i <= 8; ++i) {
    eight += "switch S" + std::to_string(i) + " model=" +
             (i % 3 == 0   ? "NTR7100-24G"
              : i % 3 == 1 ? "NTR7100-8G"
                           : "NTR7100-8PoE") +
             "\n";
  }
  return eight;
}

// The window's part for notices: hands them to the application on the main loop.
class Notices : public NotificationSink {
 public:
  explicit Notices(EventLoop& loop) : loop_(loop) {}
  void Attach(Application* app) { app_ = app; }
  void Post(const Notice& notice) override {
    loop_.Post([this, notice] { Handle(notice); });
  }
  bool Send(const Notice& notice, std::optional<std::chrono::milliseconds> timeout) override {
    return loop_.Send([this, notice] { Handle(notice); }, timeout);
  }

 private:
  void Handle(const Notice& notice) {
    if (app_ == nullptr || app_->HandleNotice(notice) != Application::NoticeResult::kNotMine)
      return;
    if (notice.message == Notification::kModalRead && notice.value == 0) {
      if (ManagedSwitch* sw = app_->discovery().Find(notice.switchRef)) {
        app_->adoption().KeepRecordOf(*sw);
        ErrorPair error;
        app_->SaveConfigFile(error);
      }
    }
  }
  EventLoop& loop_;
  Application* app_ = nullptr;
};

double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

}  // namespace

int main(int argc, char** argv) {
  const int idleSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  testing::PrivateNetwork net;
  const std::string toolNs = net.AddNamespace();
  const std::string switchNs = toolNs.empty() ? "" : net.AddNamespace();
  testing::PrivateNetwork::Veth veth;
  if (switchNs.empty() || !net.AddVeth(toolNs, switchNs, veth)) return Fail(net.error());

  const std::filesystem::path work = TemporaryHome("ntr-idle");
  if (work.empty()) return Fail("no temporary folder");
  RemovedAtExit cleanup{work};
  std::ofstream(work / "network.txt") << EightSwitches();

  Process sim;
  if (!StartSwitchSim(sim, SIM_PATH, switchNs, veth.nameB, work / "network.txt", work)) {
    return Fail("the simulator did not start");
  }

#ifdef NTRCTL_PATH
  {
    // ntrctl taking the eight switches under management, from a fresh registry.
    const std::filesystem::path home = TemporaryHome("ntr-idle");
    RemovedAtExit homeCleanup{home};
    Process ntrctl;
    const auto start = Clock::now();
    if (!ntrctl.Start({"ip", "netns", "exec", toolNs, NTRCTL_PATH, "--adapter", veth.nameA, "--new",
                       "factory", "discover"},
                      EnvironmentWith(home))) {
      return Fail("cannot start ntrctl");
    }
    int status = 0;
    rusage usage{};
    if (!ntrctl.Reap(status, usage)) return Fail("ntrctl was not reaped");
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("ntrctl discover, 8 switches  peak RSS %.1f MiB   %.2f s   CPU %.3f s   exit %d\n",
                static_cast<double>(usage.ru_maxrss) / 1024.0, seconds,
                Seconds(usage.ru_utime) + Seconds(usage.ru_stime),
                WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    std::fflush(stdout);
  }
#endif

  // The core in this process, in the tool's namespace (threads inherit it).
  ::setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (work / "run").c_str(), 1);
  testing::NamespaceScope inTool(toolNs);
  if (!inTool.ok()) return Fail("cannot enter " + toolNs);
  EventLoop loop;
  ScriptedOperator op;
  op.SetDefaultAnswer(true);  // "工場出荷" for new switches
  Notices notices(loop);
  int exitCode = 0;
  {
    Application app(Application::Parts{op, loop, &notices, nullptr});
    notices.Attach(&app);
    if (!app.InitInstance()) return Fail(FormatErrorMessage(app.lastError()));
    app.RequestDiscovery(true);  // the view's timer: a cycle at once, then every watch interval
    const auto start = Clock::now();
    const auto all = [&](const std::function<bool(ManagedSwitch&)>& holds) {
      const auto list = app.discovery().Switches();
      return list.size() == 8 &&
             std::all_of(list.begin(), list.end(), [&](ManagedSwitch* sw) { return holds(*sw); });
    };
    bool managed = loop.RunUntil(
        [&] {
          return all(
              [](ManagedSwitch& sw) { return sw.settings().identityComplete() && !sw.heldBack(); });
        },
        std::chrono::seconds(60));
    // The window polls each switch's status once it shows it.
    if (managed) {
      for (ManagedSwitch* sw : app.discovery().Switches()) {
        ErrorPair error;
        sw->settings().RequestPoll(error);
      }
      managed = loop.RunUntil(
          [&] { return all([](ManagedSwitch& sw) { return sw.settings().polledOnce(); }); },
          std::chrono::seconds(60));
    }
    if (!managed) {
      std::fprintf(stderr, "managed switches: %zu\n", app.discovery().Switches().size());
      exitCode = Fail("the eight switches did not come under management");
    } else {
      const double adopt = std::chrono::duration<double>(Clock::now() - start).count();
      // Let the last adoption's work end before measuring.
      loop.RunFor(std::chrono::milliseconds(500));
      rusage before{}, after{};
      ::getrusage(RUSAGE_SELF, &before);
      const auto idleStart = Clock::now();
      loop.RunFor(std::chrono::seconds(idleSeconds));
      const double wall = std::chrono::duration<double>(Clock::now() - idleStart).count();
      ::getrusage(RUSAGE_SELF, &after);
      const double user = Seconds(after.ru_utime) - Seconds(before.ru_utime);
      const double system = Seconds(after.ru_stime) - Seconds(before.ru_stime);
      std::printf(
          "core managing 8 switches     managed in %.2f s; idle %.1f s: CPU %.3f s "
          "(user %.3f, system %.3f) = %.3f %% of one core; %ld context switches\n",
          adopt, wall, user + system, user, system, 100.0 * (user + system) / wall,
          (after.ru_nvcsw + after.ru_nivcsw) - (before.ru_nvcsw + before.ru_nivcsw));
    }
    app.Shutdown();
    app.ExitInstance();
    loop.Quit();
  }
  return exitCode;
}
