#include "ui/app/sleep_watcher.h"

#include <QDBusConnection>

namespace ntr::ui {

SleepWatcher::SleepWatcher(QObject* parent) : QObject(parent) {
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) return;
  // QtDBus connects D-Bus signals by slot signature only.
  connected_ = bus.connect("org.freedesktop.login1", "/org/freedesktop/login1",
                           "org.freedesktop.login1.Manager", "PrepareForSleep", this,
                           SLOT(PrepareForSleep(bool)));
}

void SleepWatcher::PrepareForSleep(bool start) {
  if (start) {
    emit goingToSleep();
  } else {
    emit wokeUp();
  }
}

}  // namespace ntr::ui
