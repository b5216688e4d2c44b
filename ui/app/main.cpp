// ntr-tool: the window. One copy per data folder; a second start brings the
// running copy's window to the front and ends.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "ui/app/running_copy.h"
#include "ui/app/sleep_watcher.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/window_app.h"
#include "ui/style/fonts.h"

namespace {

constexpr char kUsage[] =
    "usage: ntr-tool [--help] [--version]\n"
    "Finds the NTR7100 switches on the Ethernet segment of the chosen adapter and shows them.\n"
    "Needs the capabilities CAP_NET_RAW and CAP_NET_ADMIN (see the README).\n";

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("ntr-tool %s\n", NTR_PRODUCT_VERSION);
      return 0;
    }
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("ntr-tool");
  QApplication::setApplicationVersion(NTR_PRODUCT_VERSION);
  QApplication::setDesktopFileName("ntr-tool");
  ntr::ui::InstallApplicationFont();

  ntr::ui::WindowApp window;
  if (!window.Start()) {
    if (window.anotherCopyRuns()) ntr::ui::RunningCopy::Knock();
    return window.anotherCopyRuns() ? 0 : 1;
  }
  ntr::ui::RunningCopy runningCopy;
  QObject::connect(&runningCopy, &ntr::ui::RunningCopy::raiseRequested, window.window(), [&window] {
    ntr::ui::MainWindow* shown = window.window();
    shown->setWindowState((shown->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    shown->show();
    shown->raise();
    shown->activateWindow();
  });
  runningCopy.Listen();
  ntr::ui::SleepWatcher sleep;
  QObject::connect(&sleep, &ntr::ui::SleepWatcher::goingToSleep, &window, &ntr::ui::WindowApp::Suspend);
  QObject::connect(&sleep, &ntr::ui::SleepWatcher::wokeUp, &window, &ntr::ui::WindowApp::Resume);
  return QApplication::exec();
}
