// The one object through which the core reaches the window: it is the core's
// main thread (tasks queued onto Qt's event loop) and its notification sink
// (notices queued the same way). Every notice goes to the application object
// first; what the application leaves to the window comes out as the
// `notice` signal, on the GUI thread.
//
// A blocking hand-over (Send) from a worker waits for the GUI thread to run
// the task, at most the time-out given; when the bridge closes (the window
// goes), every waiting sender is released and later tasks are dropped.
#pragma once

#include <QObject>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "base/main_thread.h"
#include "base/notification.h"

namespace ntr::ui {

class CoreBridge : public QObject, public MainThread, public NotificationSink {
  Q_OBJECT

 public:
  // What the application object makes of a notice: true when it handled it.
  using NoticeFilter = std::function<bool(const Notice&)>;

  // Lives on (and must be created on) the GUI thread.
  explicit CoreBridge(QObject* parent = nullptr);
  ~CoreBridge() override;

  void SetNoticeFilter(NoticeFilter filter);
  // Releases every waiting sender and drops what comes later.
  void Close();

  // MainThread
  void Post(Task task) override;
  bool Send(Task task, std::optional<std::chrono::milliseconds> timeout = std::nullopt) override;
  bool OnMainThread() const override;

  // NotificationSink
  void Post(const Notice& notice) override;
  bool Send(const Notice& notice,
            std::optional<std::chrono::milliseconds> timeout = std::nullopt) override;

 signals:
  // A notice the application left to the window (GUI thread).
  void notice(const ntr::Notice& notice);

 private:
  struct Handover {
    bool done = false;
    bool abandoned = false;
  };
  void Deliver(const Notice& notice);
  bool Queue(Task task);

  const std::thread::id guiThread_;
  mutable std::mutex mutex_;
  std::condition_variable handedOver_;
  std::list<std::shared_ptr<Handover>> waiting_;
  bool closed_ = false;
  NoticeFilter filter_;
};

}  // namespace ntr::ui
