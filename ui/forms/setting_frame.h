// The setting frame: a captioned child of the top page that floats over the
// switch panels and scrolls with them. Its caption is a tab 160 px wide with
// a fold and a close button; dragging the caption moves the frame. It hosts
// one screen at a time, at most 2000 x 500 px of it, with scroll bars for
// the rest.
#pragma once

#include <QPointer>
#include <QScrollBar>
#include <QWidget>
#include <functional>

namespace ntr::ui {

class SettingFrame : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kTabWidth = 160;
  static constexpr int kCaptionHeight = 25;
  static constexpr int kBorder = 3;
  static constexpr int kScrollStep = 50;
  static constexpr QPoint kHomePosition{150, 25};
  static constexpr QSize kMinimumBody{400, 50};
  static constexpr QSize kMaximumBody{2000, 500};
  static constexpr QRect kFoldButton{95, 2, 21, 21};
  static constexpr QRect kCloseButton{120, 2, 21, 21};

  // `reportEdges` gets the frame's right and bottom edge in page
  // coordinates whenever they change, (0, 0) when the frame closes.
  SettingFrame(QWidget* page, std::function<void(QPoint)> reportEdges);

  // What the close button does (the screens' owner closes them, then Empty()).
  void SetCloseHandler(std::function<void()> close) { close_ = std::move(close); }

  // Shows `screen` at the home position of the part of the page that shows
  // (the page may be scrolled), unfolded and scrolled to its top left.
  void Host(QWidget* screen);
  QWidget* hosted() const { return hosted_; }
  // Forgets the hosted screen, hides the frame and gives the page its room back.
  void Empty();
  // The close button.
  void Close();

  void SetFolded(bool folded);
  bool folded() const { return folded_; }
  // The horizontal (7001) and vertical (7000) bars.
  QScrollBar* horizontalBar() const { return horizontal_; }
  QScrollBar* verticalBar() const { return vertical_; }
  // Scrolls so that `rect` (in the hosted screen) lies inside the visible part, 5 px margin.
  void EnsureVisible(const QRect& rect);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  enum class Part { kNone, kFold, kClose, kCaption };
  Part PartAt(QPoint point) const;
  void PaintButton(QPainter& painter, Part part) const;
  QPoint VisibleOrigin() const;
  void Reshape();
  void PlaceScreen();
  void ReportEdges();

  std::function<void(QPoint)> reportEdges_;
  std::function<void()> close_;
  QWidget* body_;
  QScrollBar* horizontal_;
  QScrollBar* vertical_;
  QPointer<QWidget> hosted_;
  QSize bodySize_{kMinimumBody};
  bool folded_ = false;
  bool moving_ = false;
  QPoint grab_;
  Part hovered_ = Part::kNone;
  Part pressed_ = Part::kNone;
};

}  // namespace ntr::ui
