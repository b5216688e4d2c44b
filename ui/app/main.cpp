// ntr-tool: the window. One copy per data folder; a second start brings the
// running copy's window to the front and ends.
#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ui/app/end_signals.h"
#include "ui/app/qt_translations.h"
#include "ui/app/running_copy.h"
#include "ui/app/sleep_watcher.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/window_app.h"
#include "ui/style/fonts.h"

namespace {

constexpr char kUsage[] =
    "usage: ntr-tool [--help] [--version]\n"
    "Finds the NTR7100 switches on the Ethernet segment of the chosen adapter and shows them.\n"
    "Needs a graphical session and the capabilities CAP_NET_RAW and CAP_NET_ADMIN (see the "
    "README).\n";
constexpr int kUsageError = 2;

bool Named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

// Qt's messages while it opens the display: a platform that cannot start is
// a fatal message (Qt would abort); it becomes one line and status 1.
QStringList startMessages;
void StartMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtFatalMsg) {
    startMessages << message;
    return;
  }
  const QString reason = startMessages.isEmpty() ? message : startMessages.first();
  std::fprintf(stderr, "ntr-tool: cannot open the display: %s\n", reason.toLocal8Bit().constData());
  std::fflush(stderr);
  std::_Exit(1);
}

// The installed icon; the same pictures built in when the theme lacks it (a build tree).
QIcon WindowIcon() {
  QIcon builtIn;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    builtIn.addFile(QStringLiteral(":/icons/ntr-tool-%1.png").arg(size), QSize(size, size));
  }
  return QIcon::fromTheme(QStringLiteral("ntr-tool"), builtIn);
}

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
    std::fprintf(stderr, "ntr-tool: unknown option or argument '%s' (see ntr-tool --help)\n",
                 argv[i]);
    return kUsageError;
  }
  if (!Named("QT_QPA_PLATFORM") && !Named("DISPLAY") && !Named("WAYLAND_DISPLAY")) {
    std::fputs(
        "ntr-tool: no display: neither DISPLAY nor WAYLAND_DISPLAY is set "
        "(the window needs a graphical session; ntrctl works without one)\n",
        stderr);
    return 1;
  }
  const QtMessageHandler previous = qInstallMessageHandler(StartMessage);
  QApplication application(argc, argv);
  qInstallMessageHandler(previous);
  for (const QString& message : startMessages) qWarning("%s", qPrintable(message));
  QApplication::setApplicationName("ntr-tool");
  QApplication::setApplicationVersion(NTR_PRODUCT_VERSION);
  QApplication::setDesktopFileName("ntr-tool");
  QApplication::setWindowIcon(WindowIcon());
  ntr::ui::InstallQtTranslations();
  ntr::ui::InstallApplicationFont();

  ntr::ui::WindowApp window;
  // SIGTERM, SIGINT: every loop ends, also a dialog's (whose caller goes on
  // with the application still whole); then the window shuts down as its
  // objects go, and the running-copy socket goes with `runningCopy`.
  ntr::ui::EndSignals endSignals;
  QObject::connect(&endSignals, &ntr::ui::EndSignals::endRequested, &window,
                   [] { QCoreApplication::exit(0); });
  if (!window.Start()) {
    if (endSignals.received()) return 0;
    if (window.anotherCopyRuns()) ntr::ui::RunningCopy::Knock();
    return window.anotherCopyRuns() ? 0 : 1;
  }
  if (endSignals.received()) return 0;
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
  QObject::connect(&sleep, &ntr::ui::SleepWatcher::goingToSleep, &window,
                   &ntr::ui::WindowApp::Suspend);
  QObject::connect(&sleep, &ntr::ui::SleepWatcher::wokeUp, &window, &ntr::ui::WindowApp::Resume);
  return QApplication::exec();
}
