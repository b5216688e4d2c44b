// Suspend and resume of the machine, from systemd-logind's PrepareForSleep
// signal on the system bus. Without a system bus (containers, tests) it
// stays silent.
#pragma once

#include <QObject>

namespace ntr::ui {

class SleepWatcher : public QObject {
  Q_OBJECT

 public:
  explicit SleepWatcher(QObject* parent = nullptr);
  // Whether the signal could be subscribed to.
  bool connected() const { return connected_; }

 signals:
  void goingToSleep();
  void wokeUp();

 private slots:
  void PrepareForSleep(bool start);

 private:
  bool connected_ = false;
};

}  // namespace ntr::ui
