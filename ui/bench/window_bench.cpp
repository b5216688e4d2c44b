// What the window costs: the whole window (WindowApp, as ntr-tool runs it,
// on the offscreen platform) taking eight simulated NTR7100-24G switches
// under management over a private veth link, then drawing and idling.
//
//   start to drawn  wall time from just before WindowApp::Start() until the
//                   eight switches are managed, ready and polled once, and
//                   their panels, switched to detailed display, are painted;
//   page repaint    200 synchronous repaints of the whole top page, its
//                   panels and legend included (the window sized so that all
//                   of it is visible): median, p90;
//   idle CPU        CPU time (user + system) of this process over an idle
//                   period of the event loop, divided by the wall time (the
//                   share of one core), with the number of paints of the page
//                   and the switch panels meanwhile.
//
// The switches run in ntr-switch-sim, a separate process in the other
// namespace, so that their cost is not counted. The adoption questions of
// the switches (all in factory state) are answered with the first button.
//
//   ntr_window_bench [idle seconds]    (default 10; run as root)
#include <sys/resource.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/switch_view.h"
#include "bench/sim_process.h"
#include "tests/support/private_network.h"
#include "ui/dialogs/adoption_dialog.h"
#include "ui/dialogs/dialog_ids.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/page_view.h"
#include "ui/main_window/window_app.h"
#include "ui/style/fonts.h"

namespace {

using namespace ntr;
using namespace ntr::bench;
using Clock = std::chrono::steady_clock;

constexpr int kSwitches = 8;
constexpr int kRepaints = 200;

int Fail(const std::string& what) {
  std::fprintf(stderr, "ntr_window_bench: %s\n", what.c_str());
  return 1;
}

double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Runs the event loop until `done` holds (checked every 5 ms) or `ms` pass.
bool WaitFor(const std::function<bool()>& done, int ms) {
  if (done()) return true;
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  poll.start();
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
  return done();
}

// Runs the event loop for `ms` (no polling: an idle loop sleeps).
void RunFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Counts the paint events of the widgets it is installed on.
class PaintCounter : public QObject {
 public:
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
};

// Paints the whole page now, through the window's backing store: the page
// alone repaints only its own background (the panels are opaque), so the
// panels and the legend are marked first.
void RepaintAll(ui::TopPanel* page) {
  for (ui::SwitchPanel* panel : page->Panels()) panel->update();
  page->legend()->update();
  page->repaint();
}

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  const double last = static_cast<double>(values.size() - 1);
  const auto index = static_cast<std::size_t>(fraction * last + 0.5);
  return values[index];
}

}  // namespace

int main(int argc, char** argv) {
  const int idleSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  testing::PrivateNetwork net;
  const std::string toolNs = net.AddNamespace();
  const std::string switchNs = toolNs.empty() ? "" : net.AddNamespace();
  testing::PrivateNetwork::Veth veth;
  if (switchNs.empty() || !net.AddVeth(toolNs, switchNs, veth)) return Fail(net.error());

  // The simulator's folder (its network) and the window's own data and runtime folders.
  const std::filesystem::path work = TemporaryHome("ntr-window-sim");
  const std::filesystem::path home = TemporaryHome("ntr-window");
  RemovedAtExit workCleanup{work}, homeCleanup{home};
  if (work.empty() || home.empty()) return Fail("no temporary folder");
  {
    std::ofstream network(work / "network.txt");
    for (int i = 1; i <= kSwitches; ++i) network << "switch S" << i << " model=NTR7100-24G\n";
  }
  Process sim;
  if (!StartSwitchSim(sim, SIM_PATH, switchNs, veth.nameB, work / "network.txt", work)) {
    return Fail("the simulator did not start");
  }

  // The window in the tool's namespace: its capture sees only the veth end.
  testing::NamespaceScope inTool(toolNs);
  if (!inTool.ok()) return Fail("cannot enter " + toolNs);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString((home / "data").string()));
  qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString((home / "run").string()));
  QApplication application(argc, argv);
  ui::InstallApplicationFont();

  // New switches: "1011", the factory settings. Any message is logged and closed.
  QTimer answerer;
  answerer.setInterval(10);
  int questions = 0;
  QObject::connect(&answerer, &QTimer::timeout, [&questions] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* question = qobject_cast<ui::AdoptionDialog*>(modal)) {
      if (auto* first = question->findChild<QPushButton*>(ui::ids::adoption::kFirst)) {
        first->click();
        ++questions;
      }
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      std::fprintf(stderr, "ntr_window_bench: message: %s\n", qPrintable(box->text()));
      box->accept();
    }
  });
  answerer.start();

  ui::WindowApp window;
  const auto start = Clock::now();
  if (!window.Start()) return Fail("the window did not start");
  const auto allReady = [&] {
    const auto switches = window.app().Switches();
    const auto shown = [](SwitchView sw) { return sw.ready() && sw.polledOnce(); };
    return switches.size() == kSwitches && std::all_of(switches.begin(), switches.end(), shown);
  };
  if (!WaitFor(allReady, 120000)) {
    std::fprintf(stderr, "managed switches: %zu\n", window.app().Switches().size());
    return Fail("the eight switches did not come under management");
  }
  const auto ready = Clock::now();
  ui::TopPanel* page = window.view()->page();
  page->SetAllDetailed(true);
  RepaintAll(page);
  const auto drawn = Clock::now();
  std::printf(
      "window start to drawn, 8 switches   %.2f s (managed, ready and polled %.2f s; "
      "detailed paint %.1f ms; %d adoption questions answered)\n",
      std::chrono::duration<double>(drawn - start).count(),
      std::chrono::duration<double>(ready - start).count(), Milliseconds(drawn - ready), questions);
  std::fflush(stdout);
  answerer.stop();

  PaintCounter paints;
  page->installEventFilter(&paints);
  for (ui::SwitchPanel* panel : page->Panels()) panel->installEventFilter(&paints);
  page->legend()->installEventFilter(&paints);

  // The whole page in view, then timed synchronous repaints of it with its panels.
  ui::MainWindow* main = window.window();
  const QSize missing = page->size() - window.view()->viewport()->size();
  main->resize(main->size() + missing.expandedTo(QSize(0, 0)) + QSize(4, 4));
  RunFor(300);
  const QSize pageSize = page->size();
  const QSize viewport = window.view()->viewport()->size();
  paints.count = 0;
  std::vector<double> times;
  times.reserve(kRepaints);
  for (int i = 0; i < kRepaints; ++i) {
    const auto before = Clock::now();
    RepaintAll(page);
    times.push_back(Milliseconds(Clock::now() - before));
  }
  std::printf(
      "window page repaint (%dx%d, view %dx%d)   %d repaints: median %.2f ms  p90 %.2f ms  "
      "(%.1f widgets painted each)\n",
      pageSize.width(), pageSize.height(), viewport.width(), viewport.height(), kRepaints,
      Percentile(times, 0.5), Percentile(times, 0.9),
      static_cast<double>(paints.count) / kRepaints);
  std::fflush(stdout);

  // Idle: only the window's own timers and the switches' status wake it.
  RunFor(500);
  paints.count = 0;
  rusage before{}, after{};
  ::getrusage(RUSAGE_SELF, &before);
  const auto idleStart = Clock::now();
  RunFor(idleSeconds * 1000);
  const double wall = std::chrono::duration<double>(Clock::now() - idleStart).count();
  ::getrusage(RUSAGE_SELF, &after);
  const double user = Seconds(after.ru_utime) - Seconds(before.ru_utime);
  const double system = Seconds(after.ru_stime) - Seconds(before.ru_stime);
  std::printf(
      "window idle, 8 switches detailed    idle %.1f s: CPU %.3f s "
      "(user %.3f, system %.3f) = %.3f %% of one core; %d paints; %ld context switches\n",
      wall, user + system, user, system, 100.0 * (user + system) / wall, paints.count,
      (after.ru_nvcsw + after.ru_nivcsw) - (before.ru_nvcsw + before.ru_nivcsw));
  return 0;
}
