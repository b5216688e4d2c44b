// The top page: the background of the whole scroll area. At its top the
// buttons, the picture of this computer and the explanation; below them one
// panel per managed switch and the legend panel, laid out by the view; the
// pop-up window floats over them. It also keeps the keyboard focus ring of
// its six buttons.
#pragma once

#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <map>

#include "base/notification.h"
#include "ui/popup/popup_window.h"
#include "ui/top_page/legend_panel.h"
#include "ui/top_page/switch_panel.h"

namespace ntr::ui {

class TopPanel : public QWidget {
  Q_OBJECT

 public:
  // Height of the part above the switch panels.
  static constexpr int kHeaderHeight = 200;

  explicit TopPanel(QWidget* parent = nullptr);

  // The pop-up window shown over this page (owned elsewhere, a child of this page).
  void SetPopup(PopupWindow* popup);
  PopupWindow* popup() const { return popup_; }
  LegendPanel* legend() const { return legend_; }

  // Switch panels, by switch.
  SwitchPanel* AddSwitch(SwitchView sw);
  void RemoveSwitch(const SwitchRef& ref);
  SwitchPanel* PanelOf(const SwitchRef& ref) const;
  std::vector<SwitchPanel*> Panels() const;
  // "全ての管理スイッチを詳細表示" / "…アイコン表示".
  void SetAllDetailed(bool detailed);

  // Export and import are refused while a screen is open or an import runs.
  void SetFileButtonsEnabled(bool enabled);
  QPushButton* button(const QString& objectName) const;

  // The keyboard focus: the last focused button of the ring gets it back.
  int focusPosition() const { return focusPosition_; }
  void FocusButton(int position);
  void RestoreFocus() { FocusButton(focusPosition_); }
  // Called with each focused button so that the view can scroll it into view.
  void SetScrollIntoView(std::function<void(QWidget*)> scroll) { scroll_ = std::move(scroll); }

  // The picture of this computer, in page coordinates.
  static QRect ComputerRect();
  void HoverAt(QPoint point);
  // Hides whatever the pop-up shows (suspend, shutdown, a scroll of the page).
  void HidePopup();

 signals:
  void exportRequested();
  void importRequested();
  void administrationRequested();
  void redisplayRequested();
  void closeRequested();
  void screenRequested(ntr::SwitchRef ref, int port);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPushButton* AddButton(const char* id, const char* text);
  void PopupLeft();

  QPushButton* export_;
  QPushButton* import_;
  QPushButton* allDetailed_;
  QPushButton* allIcons_;
  LegendPanel* legend_;
  QPointer<PopupWindow> popup_;
  std::map<std::uint64_t, SwitchPanel*> panels_;  // by generation
  bool computerHovered_ = false;
  int focusPosition_ = 0;
  std::function<void(QWidget*)> scroll_;
};

}  // namespace ntr::ui
