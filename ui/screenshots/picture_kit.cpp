#include "ui/screenshots/picture_kit.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QProcess>
#include <QTimer>
#include <cstdio>

namespace ntr::ui::shots {

QString outDir;
QString suffix;
QStringList written;
bool failed = false;

bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

void Settle() {
  WaitFor([] { return false; }, 300);
}

void Save(QWidget* widget, const QString& name) {
  widget->repaint();
  const QString path = QDir(outDir).filePath(name + suffix + ".png");
  if (!widget->grab().save(path)) {
    std::fprintf(stderr, "ntr-screenshots: cannot write %s\n", qPrintable(path));
    failed = true;
    return;
  }
  written << path;
}

bool Ctl(const QString& command) {
  const QString sim = qEnvironmentVariable("NTR_DEMO_SIM");
  const QString control = qEnvironmentVariable("NTR_DEMO_CONTROL");
  return QProcess::execute(sim, {"--ctl", control, command}) == 0;
}

void Fail(const char* what) {
  std::fprintf(stderr, "ntr-screenshots: %s\n", what);
  failed = true;
}

// A picture is blank when all its pixels have one colour.
bool Blank(const QString& path) {
  const QImage image(path);
  if (image.isNull()) return true;
  const QRgb first = image.pixel(0, 0);
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) {
      if (image.pixel(x, y) != first) return false;
    }
  }
  return true;
}

SwitchView FindSwitch(WindowApp& window, const char* model) {
  for (SwitchView sw : window.app().Switches()) {
    if (sw.record().modelName.get() == model) return sw;
  }
  return nullptr;
}

}  // namespace ntr::ui::shots
