// SIGTERM and SIGINT as an ordinary event of the GUI thread. The handler
// only writes a byte to a socket pair; the loop reads it and says that the
// program is asked to end, so the window can shut down as if closed.
#pragma once

#include <QObject>
#include <QSocketNotifier>

namespace ntr::ui {

class EndSignals : public QObject {
  Q_OBJECT

 public:
  // Catches both signals while it lives (one instance at a time).
  explicit EndSignals(QObject* parent = nullptr);
  // Gives the signals their default handling back.
  ~EndSignals() override;
  // Whether one of them arrived.
  bool received() const { return received_; }

 signals:
  void endRequested();

 private:
  void Read();

  QSocketNotifier* notifier_ = nullptr;
  bool received_ = false;
};

}  // namespace ntr::ui
