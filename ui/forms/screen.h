// A setting screen: a form of fixed size hosted by the setting frame. It
// edits one switch (or none) through a working copy of the switch's record,
// read when the screen opens. Its apply runs as the switch's apply job: the
// screen hands over the list of changes read from its controls, keeps the
// job's id and hears the result from the navigator.
#pragma once

#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "app/switch_service.h"
#include "app/switch_view.h"
#include "base/notification.h"
#include "catalogue/switch_record.h"
#include "ui/forms/form_painting.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"

namespace ntr::ui {

class Screen : public QWidget {
  Q_OBJECT

 public:
  // `sw` null for screens of no switch; `port` 0-based, -1 for the switch.
  Screen(ScreenHost& navigator, SwitchView sw, int port, QSize size);
  ~Screen() override;

  const SwitchRef& switchRef() const { return switch_; }
  bool hasSwitch() const { return hasSwitch_; }
  int port() const { return port_; }
  const SwitchRecord& working() const { return *working_; }
  virtual QString title() const = 0;
  // The main, port and administration screens: export and import wait while one is open.
  virtual bool hub() const { return false; }

  // Gives the focus back to the control that had it last (or the screen).
  void RestoreFocus();
  // The id of the apply job running, 0 when none.
  std::uint64_t job() const { return job_; }
  // The navigator routes the job's kApplyResult here.
  void ApplyResult(const Notice& notice);
  // The screen goes: the job is told to stop (not waited for), its result will be dropped.
  void Stop();
  // "キャンセル", "閉じる", Esc: the screen it came from (or the frame closes).
  virtual void Cancel() = 0;

 protected:
  // The apply: the action buttons go grey and the job starts (once).
  void Apply();
  // The requests of the apply, from the controls, in order.
  virtual std::vector<SettingChange> Changes() { return {}; }
  virtual void SetActionsEnabled(bool enabled);
  // The job's end: by default the result screens with these texts and back targets.
  struct ApplyTexts {
    QString success;
    QString failure;
    Target successTarget = Target::kCloseFrame;
    Target failureTarget = Target::kCloseFrame;
  };
  virtual ApplyTexts applyTexts() const { return {}; }
  virtual void Applied();
  virtual void ApplyFailed(const QString& errorText);

  // A button of the screen's font, named `id`; wider than `place` when its caption needs it.
  QPushButton* AddButton(const QString& id, const QString& text, QRect place);
  // The pair of buttons that ends a form ("設定" and "キャンセル", or their kin),
  // kButtonHeight high at `top`: the first runs `action`, the second cancels.
  struct RowButton {
    const char* id;
    const char* text;
    int width;
  };
  enum class RowPlace {
    kCentred,       // the pair centred in `x` (the screen's width), kButtonSpacing apart
    kAroundCentre,  // one button each side of `x` / 2, kButtonSpacing apart
    kFromLeft,      // from `x`, 5 px apart, as the fixed forms of the first screens
  };
  // "設定" and "キャンセル" of most forms.
  static constexpr RowButton kFormSet{ids::form::kSet, "設定", kSetButtonWidth};
  static constexpr RowButton kFormCancel{ids::form::kCancel, "キャンセル", kCancelButtonWidth};
  struct ButtonRow {
    QPushButton* first;
    QPushButton* second;
  };
  ButtonRow AddSetCancelRow(RowButton first, RowButton second, int top, RowPlace place, int x,
                            std::function<void()> action);
  // The control that gets the focus when the screen first shows.
  void SetInitialFocus(QWidget* control) { lastFocus_ = control; }
  // Once, kFocusMoveMs from now: when `control` still has the focus, a Tab
  // press there moves it on to the next control.
  static constexpr int kFocusMoveMs = 100;
  void MoveFocusOnFrom(QWidget* control);
  ScreenHost& navigator() { return navigator_; }
  SwitchRecord& working() { return *working_; }

  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void FocusMoved(QWidget* now);

  ScreenHost& navigator_;
  SwitchRef switch_{};
  bool hasSwitch_ = false;
  int port_;
  std::unique_ptr<SwitchRecord> working_;
  std::uint64_t job_ = 0;
  bool stopped_ = false;
  QPointer<QWidget> lastFocus_;
  std::vector<QPushButton*> actions_;
};

}  // namespace ntr::ui
