// The scrolling view of the main window: the top page as its content, the
// re-layout of the switch panels, the minimum content size the setting
// frame asks for, and the modal read of a switch's settings with its
// progress dialog.
#pragma once

#include <QScrollArea>
#include <QTimer>
#include <functional>
#include <vector>

#include "base/notification.h"
#include "ui/top_page/top_panel.h"

namespace ntr::ui {

class ProgressDialog;

class PageView : public QScrollArea {
  Q_OBJECT

 public:
  // `order` gives the managed switches in registry order.
  using SwitchOrder = std::function<std::vector<SwitchRef>()>;
  // The percent of the first switch whose settings are being read, if any.
  using ReadProgress = std::function<std::optional<int>()>;

  PageView(SwitchOrder order, ReadProgress progress, QWidget* parent = nullptr);

  TopPanel* page() const { return page_; }

  // Lays the panels out again (also after every size change).
  void Relayout();
  // The setting frame's right and bottom edge in view coordinates (0, 0 when
  // it closes): the page grows so that the frame stays reachable.
  void SetFrameEdges(QPoint edges);
  // The same edge in page coordinates (the frame is a child of the page).
  void SetFrameContentEdges(QPoint edges);
  QSize minimumContent() const { return minimumContent_; }

  // The modal read of a switch's settings: its start disables the page and
  // shows the progress; its end gives everything back.
  void BeginModalRead();
  void EndModalRead();
  bool reading() const { return reading_; }
  // Created on first need; may be null.
  ProgressDialog* progressDialog() const { return progress_; }
  void ShowProgress(int percent);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  TopPanel* page_;
  SwitchOrder order_;
  ReadProgress readProgress_;
  QSize minimumContent_{0, 0};
  bool reading_ = false;
  ProgressDialog* progress_ = nullptr;
  QTimer progressTimer_;
};

}  // namespace ntr::ui
