#include "ui/main_window/page_view.h"

#include <QResizeEvent>
#include <QScrollBar>

#include "ui/dialogs/progress_dialog.h"

namespace ntr::ui {

namespace {

constexpr int kProgressPeriodMs = 100;

}  // namespace

PageView::PageView(SwitchOrder order, ReadProgress progress, QWidget* parent)
    : QScrollArea(parent), order_(std::move(order)), readProgress_(std::move(progress)) {
  setObjectName("view");
  setFrameShape(QFrame::NoFrame);
  setWidgetResizable(false);
  setBackgroundRole(QPalette::Base);
  page_ = new TopPanel;
  setWidget(page_);
  page_->SetScrollIntoView([this](QWidget* button) { ensureWidgetVisible(button, 5, 5); });
  // A scroll moves the page under a pointer that stays: the pop-up no longer
  // belongs to what is under it (the next move shows what is).
  for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
    connect(bar, &QScrollBar::valueChanged, page_, &TopPanel::HidePopup);
  }
  progressTimer_.setInterval(kProgressPeriodMs);
  connect(&progressTimer_, &QTimer::timeout, this, [this] {
    if (const auto percent = readProgress_()) ShowProgress(*percent);
  });
}

void PageView::Relayout() {
  setUpdatesEnabled(false);
  const QPoint scrolled(horizontalScrollBar()->value(), verticalScrollBar()->value());
  int widest = 0;
  int y = TopPanel::kHeaderHeight;
  for (const SwitchRef& ref : order_()) {
    SwitchPanel* panel = page_->PanelOf(ref);
    if (panel == nullptr) continue;
    panel->move(0, y);
    panel->show();
    widest = std::max(widest, panel->width());
    y += panel->height();
  }
  LegendPanel* legend = page_->legend();
  legend->move(0, y);
  widest = std::max(widest, legend->width());
  y += legend->height();
  // The page is the background of the whole area: never smaller than the
  // view, and large enough for the setting frame wherever it was moved.
  const QSize total(std::max({widest, minimumContent_.width(), viewport()->width()}),
                    std::max({y, minimumContent_.height(), viewport()->height()}));
  if (page_->size() != total) page_->resize(total);
  horizontalScrollBar()->setValue(scrolled.x());
  verticalScrollBar()->setValue(scrolled.y());
  setUpdatesEnabled(true);
}

void PageView::SetFrameEdges(QPoint edges) {
  if (edges.isNull()) {
    minimumContent_ = QSize(0, 0);
  } else {
    minimumContent_ =
        QSize(edges.x() + horizontalScrollBar()->value(), edges.y() + verticalScrollBar()->value());
  }
  Relayout();
}

void PageView::SetFrameContentEdges(QPoint edges) {
  minimumContent_ = QSize(edges.x(), edges.y());
  Relayout();
}

void PageView::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  Relayout();
}

void PageView::BeginModalRead() {
  if (progress_ == nullptr) progress_ = new ProgressDialog(this);
  progress_->SetPercent(0);
  reading_ = true;
  page_->setEnabled(false);
  progress_->show();
  progressTimer_.start();
}

void PageView::EndModalRead() {
  progressTimer_.stop();
  if (progress_ != nullptr) progress_->hide();
  page_->setEnabled(true);
  reading_ = false;
}

void PageView::ShowProgress(int percent) {
  if (progress_ == nullptr) progress_ = new ProgressDialog(this);
  progress_->SetPercent(percent);
  if (!progress_->isVisible()) progress_->show();
}

}  // namespace ntr::ui
