#include "ui/main_window/window_app.h"

#include <QFileDialog>
#include <QTimer>

#include "app/import_export.h"
#include "app/switch_view.h"
#include "base/data_folder.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/page_view.h"
#include "ui/popup/popup_window.h"
#include "ui/screens/screen_navigator.h"
#include "ui/style/text.h"

namespace ntr::ui {

namespace {

// The file dialogs' filter, from the core's "name|pattern|name|pattern||".
QString QtFileFilter() {
  const QStringList parts = ToQt(kSettingsFileFilter).split('|', Qt::SkipEmptyParts);
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) filters << parts[i];
  return filters.join(";;");
}

}  // namespace

WindowApp::WindowApp(std::unique_ptr<AppLink> link) {
  app_ = std::make_unique<Application>(
      Application::Parts{operator_, bridge_, &bridge_, std::move(link)});
  service_ = std::make_unique<SwitchService>(*app_);
  bridge_.SetNoticeFilter([this](const Notice& notice) { return FilterNotice(notice); });
  connect(&bridge_, &CoreBridge::notice, this, &WindowApp::HandleNotice);
}

WindowApp::~WindowApp() {
  Shutdown();
  window_.reset();
  screens_.reset();
  if (started_) app_->ExitInstance();
  bridge_.Close();
  service_.reset();
  app_.reset();
}

PageView* WindowApp::view() const { return window_ ? window_->view() : nullptr; }

bool WindowApp::Start() {
  if (std::string why; !MakeDataFolder(&why)) {
    operator_.ShowMessage(FormatErrorMessage(ErrorPair{kErrFileOpen, why}) + "\n" + why,
                          MessageIcon::kError);
    return false;
  }
  if (!app_->InitInstance()) return false;
  started_ = true;

  auto* view = new PageView([this] { return SwitchOrder(); }, [this] { return ReadPercent(); });
  window_ = std::make_unique<MainWindow>(view);
  operator_.SetParentWindow(window_.get());
  TopPanel* page = view->page();
  popup_ = new PopupWindow(page);
  popup_->SetApplicationInfo([this] { return ToQt(app_->version()); },
                             [this] { return static_cast<int>(app_->Switches().size()); });
  page->SetPopup(popup_);
  connect(page, &TopPanel::exportRequested, this, &WindowApp::ExportSettingsFile);
  connect(page, &TopPanel::importRequested, this, &WindowApp::ImportSettingsFile);
  connect(page, &TopPanel::redisplayRequested, this, [this, view] {
    PollNow();
    view->Relayout();
    view->page()->RestoreFocus();
  });
  connect(page, &TopPanel::closeRequested, window_.get(), &QWidget::close);
  screens_ = std::make_unique<ScreenNavigator>(
      *app_, page, [this] { return uiEnabled_; },
      [view](QPoint edges) { view->SetFrameContentEdges(edges); });
  connect(page, &TopPanel::screenRequested, this, &WindowApp::screenRequested);
  connect(this, &WindowApp::screenRequested, this, [this](SwitchRef ref, int port) {
    if (port < 0) screens_->Open(Target::kSwitchMain, ref);
    if (port >= 0) screens_->Open(Target::kPort, ref, port);
  });
  connect(page, &TopPanel::administrationRequested, this, &WindowApp::administrationRequested);
  connect(this, &WindowApp::administrationRequested, this,
          [this] { screens_->Open(Target::kAdministration, SwitchRef{}); });
  window_->SetCloseGuard([this] { return uiEnabled_ && !(screens_ && screens_->applying()); });
  window_->SetShutdown([this] { Shutdown(); });
  window_->SetFocusRestore([this] { RestoreFocus(); });

  app_->SetSwitchCreatedHook([this](SwitchView sw) { SwitchCreated(sw); });
  app_->SetSwitchRemovingHook([this](SwitchView sw) { SwitchRemoving(sw); });
  view->Relayout();
  app_->RequestDiscovery(true);
  window_->show();
  page->FocusButton(0);
  return true;
}

// The open screen's last control, else the page's last button.
void WindowApp::RestoreFocus() {
  Screen* shown = screens_->current();
  if (shown != nullptr && screens_->frame()->isVisible() && screens_->frame()->hosted() == shown) {
    shown->RestoreFocus();
  } else {
    view()->page()->RestoreFocus();
  }
}

std::vector<SwitchRef> WindowApp::SwitchOrder() {
  std::vector<SwitchRef> order;
  for (SwitchView sw : app_->Switches()) order.push_back(sw.ref());
  return order;
}

// The first switch whose settings are being read.
std::optional<int> WindowApp::ReadPercent() {
  for (SwitchView sw : app_->Switches()) {
    const SwitchStatus status = sw.status();
    if (status.phase != SwitchPhase::kReading) continue;
    return status.total > 0 ? status.done * 100 / status.total : 0;
  }
  return std::nullopt;
}

bool WindowApp::FilterNotice(const Notice& notice) {
  if (!app_) return true;
  switch (app_->HandleNotice(notice)) {
    case Application::NoticeResult::kNotMine:
      return false;
    case Application::NoticeResult::kCloseMainWindow:
      if (window_) window_->ForceClose();
      return true;
    case Application::NoticeResult::kHandled:
      break;
  }
  // The import's result was shown, or its thread ended: the page is usable again.
  if (window_ && (notice.message == Notification::kTopPanelAction ||
                  notice.message == Notification::kSwitchWorkFinished)) {
    view()->page()->SetFileButtonsEnabled(true);
    if (!view()->reading()) view()->page()->setEnabled(true);
  }
  return true;
}

void WindowApp::HandleNotice(const Notice& notice) {
  if (!window_) return;
  TopPanel* page = view()->page();
  switch (notice.message) {
    case Notification::kPollNow:
      PollNow();
      return;
    case Notification::kRelayout:
      view()->Relayout();
      return;
    case Notification::kPopupSwitchChanged:
      popup_->Rebuild();
      return;
    case Notification::kTopPanelAction:
      if (notice.value == kDisableFileButtons) page->SetFileButtonsEnabled(false);
      if (notice.value == kEnableFileButtons) page->SetFileButtonsEnabled(true);
      return;
    case Notification::kSwitchResyncStarted:
      if (SwitchPanel* panel = page->PanelOf(notice.switchRef)) panel->ResyncStarted();
      return;
    case Notification::kSwitchWorkFinished:
      if (SwitchPanel* panel = page->PanelOf(notice.switchRef)) panel->WorkFinished();
      if (notice.switchRef.named()) screens_->SwitchSettingsRead(notice.switchRef);
      return;
    case Notification::kModalRead:
      ModalRead(notice);
      return;
    case Notification::kReadProgress:
      if (view()->reading()) view()->ShowProgress(static_cast<int>(notice.value));
      return;
    case Notification::kCaptureReadError:
    case Notification::kFramesReceived:
    case Notification::kFirmwareUpdated:
    case Notification::kLostCheck:
    case Notification::kLinkStatus:
      return;  // the application's
    case Notification::kFirmwareFinished:
      screens_->FirmwareFinished(notice);
      return;
    case Notification::kApplyResult:
      screens_->ApplyResult(notice);
      return;
  }
}

void WindowApp::SwitchCreated(SwitchView sw) {
  if (!window_) return;
  SwitchPanel* panel = view()->page()->AddSwitch(sw);
  panel->SetFailureReporter([this](SwitchView failed) {
    // The frame shows settings from before the synchronisation: it closes
    // before the report.
    screens_->CloseFrame();
    app_->ReportSettingFailures(failed);
  });
  // Status arrives on the switch's settings thread: the panel repaints on the GUI thread.
  const SwitchRef ref = sw.ref();
  sw.SetRedraw([this, ref] {
    bridge_.Post([this, ref] {
      if (!window_) return;
      if (SwitchPanel* shown = view()->page()->PanelOf(ref)) shown->update();
    });
  });
  view()->Relayout();
  bridge_.Post([this, ref] {
    if (window_) {
      if (SwitchPanel* shown = view()->page()->PanelOf(ref)) shown->WorkFinished();
    }
  });
}

void WindowApp::SwitchRemoving(SwitchView sw) {
  sw.SetRedraw(nullptr);
  if (!window_) return;
  const SwitchRef ref = sw.ref();
  popup_->Forget(sw);
  // The operator is working on the switch that went: say so before its
  // screen closes. The switch is closed first, so that nothing the screen
  // started waits on it while the box is open.
  if (window_->isVisible() && !shutDown_ && !app_->stopping() && !app_->closingSwitches() &&
      screens_->ShowsSwitch(ref)) {
    SwitchService::Close(sw);
    window_->raise();
    window_->activateWindow();
    operator_.ShowMessage(kSwitchLostText, MessageIcon::kError);
  }
  screens_->SwitchRemoving(ref);
  view()->page()->RemoveSwitch(ref);
}

void WindowApp::PollNow() {
  app_->RequestDiscovery(true);
  for (SwitchView sw : app_->Switches()) {
    ErrorPair error;
    SwitchService::RequestPoll(sw, error);  // a busy switch is polled at its next period
  }
}

void WindowApp::ModalRead(const Notice& notice) {
  const auto result = service_->HandleModalRead(notice);
  if (notice.value == 1) {
    uiEnabled_ = false;
    view()->BeginModalRead();
    return;
  }
  view()->EndModalRead();
  uiEnabled_ = true;
  SwitchPanel* panel = view()->page()->PanelOf(notice.switchRef);
  if (result && !result->ok && panel != nullptr) panel->SetDetailed(false);
  if (panel != nullptr) panel->WorkFinished();
  // The reading worker waits for this hand-over: the message comes after it.
  if (result && !result->ok && !result->text.empty()) {
    const std::string text = result->text;
    QTimer::singleShot(0, this, [this, text] { operator_.ShowMessage(text, MessageIcon::kError); });
  }
}

void WindowApp::ExportSettingsFile() {
  screens_->CloseFrame();
  QFileDialog dialog(window_.get(), QString(), QStringLiteral("config_ntr.txt"), QtFileFilter());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(ToQt(kSettingsFileExtension));
  dialog.selectFile(QStringLiteral("config_ntr.txt"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  TopPanel* page = view()->page();
  page->SetFileButtonsEnabled(false);
  ErrorPair error;
  const bool exported = ExportSettings(FromQt(dialog.selectedFiles().front()), error);
  page->SetFileButtonsEnabled(true);
  operator_.ShowMessage(exported ? kExportedText : kExportFailedText,
                        exported ? MessageIcon::kNone : MessageIcon::kError);
}

void WindowApp::ImportSettingsFile() {
  if (app_->import().threadExists()) return;
  // No screen may keep a working copy from before the import.
  screens_->CloseFrame();
  const QString proposed = importPath_.isEmpty() ? QStringLiteral("config_ntr.txt") : importPath_;
  QFileDialog dialog(window_.get(), QString(), QString(), QtFileFilter());
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(ToQt(kSettingsFileExtension));
  dialog.selectFile(proposed);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  importPath_ = dialog.selectedFiles().front();
  TopPanel* page = view()->page();
  page->SetFileButtonsEnabled(false);
  page->setEnabled(false);
  switch (app_->import().Begin(FromQt(importPath_))) {
    case SettingsImport::Start::kStarted:
      return;  // its end re-enables the page
    case SettingsImport::Start::kAlreadyRunning:
      break;
    case SettingsImport::Start::kThreadFailed:
      operator_.ShowMessage(kImportFailedText, MessageIcon::kError);
      break;
  }
  page->SetFileButtonsEnabled(true);
  page->setEnabled(true);
}

void WindowApp::Suspend() {
  if (!started_ || shutDown_) return;
  if (screens_ && !app_->stopping()) screens_->CloseFrame();
  if (window_) view()->page()->HidePopup();
  app_->Suspend();
}

void WindowApp::Resume() {
  if (!started_ || shutDown_ || !window_) return;
  window_->StartCaptureRestart(
      [this] { return app_->Restart(); },
      [this] { operator_.ShowMessage(kCaptureRestartFailedText, MessageIcon::kError); });
}

void WindowApp::Shutdown() {
  if (!started_ || shutDown_) return;
  shutDown_ = true;
  if (window_) view()->page()->HidePopup();
  app_->Shutdown();  // the pop-up's request in flight ends with the switch's waits
}

}  // namespace ntr::ui
