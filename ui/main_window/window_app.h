// The window's side of the application: the core (application object and
// its use cases) with the bridge and the operator it is built on, the main
// window with its page, the pop-up, and the routing of every notice the
// application leaves to the window.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "app/application.h"
#include "app/switch_service.h"
#include "ui/bridge/core_bridge.h"
#include "ui/bridge/window_operator.h"

namespace ntr::ui {

class MainWindow;
class PageView;
class PopupWindow;
class ScreenNavigator;

// After a resume the capture could not be restarted ten times.
inline constexpr char kCaptureRestartFailedText[] =
    "WinPCapの再起動に失敗しました。アプリケーションを終了します。";

class WindowApp : public QObject {
  Q_OBJECT

 public:
  // `link` null: the machine's adapters through libpcap.
  explicit WindowApp(std::unique_ptr<AppLink> link = nullptr);
  // Shuts the core down if the window did not.
  ~WindowApp() override;

  // Start-up of the core, then the window (shown) and the first discovery.
  // False ends the process: another copy runs (anotherCopyRuns()), or the
  // operator was told why (or cancelled the adapter choice).
  bool Start();
  bool anotherCopyRuns() const { return app_->anotherCopyRuns(); }

  // The system goes to sleep / woke up (logind's PrepareForSleep).
  void Suspend();
  void Resume();

  Application& app() { return *app_; }
  SwitchService& service() { return *service_; }
  CoreBridge& bridge() { return bridge_; }
  WindowOperator& windowOperator() { return operator_; }
  MainWindow* window() const { return window_.get(); }
  PageView* view() const;
  PopupWindow* popup() const { return popup_; }
  // The setting screens and their frame (null before Start).
  ScreenNavigator* screens() const { return screens_.get(); }
  // Cleared while a modal read runs: the window refuses to close, screens to open.
  bool uiEnabled() const { return uiEnabled_; }

 signals:
  // A double click asked for a screen (port -1: the switch's main screen).
  void screenRequested(ntr::SwitchRef ref, int port);
  void administrationRequested();

 private:
  bool FilterNotice(const Notice& notice);
  void HandleNotice(const Notice& notice);
  void SwitchCreated(SwitchView sw);
  void SwitchRemoving(SwitchView sw);
  void PollNow();
  void RestoreFocus();
  void ModalRead(const Notice& notice);
  void ExportSettingsFile();
  void ImportSettingsFile();
  void Shutdown();
  std::vector<SwitchRef> SwitchOrder();
  std::optional<int> ReadPercent();

  CoreBridge bridge_;
  WindowOperator operator_;
  std::unique_ptr<Application> app_;
  std::unique_ptr<SwitchService> service_;
  std::unique_ptr<MainWindow> window_;        // goes before the core it shows
  std::unique_ptr<ScreenNavigator> screens_;  // its frame and screens belong to the window
  PopupWindow* popup_ = nullptr;
  bool uiEnabled_ = true;
  bool started_ = false;
  bool shutDown_ = false;
  QString importPath_;
};

}  // namespace ntr::ui
