// The legend after the last switch: what the port and power pictures mean,
// and the "再表示" and "閉じる" buttons.
#pragma once

#include <QPushButton>
#include <QWidget>

namespace ntr::ui {

class LegendPanel : public QWidget {
  Q_OBJECT

 public:
  explicit LegendPanel(QWidget* parent);

  QPushButton* redisplayButton() const { return redisplay_; }
  QPushButton* closeButton() const { return close_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Entry {
    QWidget* picture;
    QString text;
  };
  QList<Entry> entries_;
  QPoint portHeading_;
  QPoint powerHeading_;
  int ruleY_ = 0;
  QPushButton* redisplay_;
  QPushButton* close_;
};

}  // namespace ntr::ui
