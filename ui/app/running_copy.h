// One copy of the window per data folder. The core's lock tells whether
// another copy runs; this is how the two copies talk: the running copy
// listens on a local socket next to the lock, and a second copy knocks at it
// before it ends, so that the running copy's window comes to the front.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace ntr::ui {

class RunningCopy : public QObject {
  Q_OBJECT

 public:
  // The socket's path for this data folder.
  static QString SocketPath();

  // In the running copy (which holds the lock): listens, replacing a socket
  // left by a copy that crashed. False when it cannot listen.
  bool Listen();
  // In a second copy: asks the running copy to raise its window; false when
  // nobody answered within `timeoutMs`.
  static bool Knock(int timeoutMs = 2000);

 signals:
  // Another copy knocked.
  void raiseRequested();

 private:
  QLocalServer server_;
};

}  // namespace ntr::ui
