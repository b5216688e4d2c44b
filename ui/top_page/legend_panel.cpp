#include "ui/top_page/legend_panel.h"

#include <QLabel>
#include <QPainter>

#include "ui/style/colours.h"
#include "ui/style/fonts.h"
#include "ui/switch_picture/picture_drawing.h"
#include "ui/top_page/top_page_ids.h"

namespace ntr::ui {

namespace {

struct LegendItem {
  const char* id;
  PictureId picture;
  const char* text;
};

// Port states, then power states; two columns each.
constexpr LegendItem kPortItems[] = {
    {ids::top::kLegendLink1000, PictureId::kUpperLink1000, "リンクアップ[1000BASE-T]"},
    {ids::top::kLegendLink100, PictureId::kUpperLink100, "リンクアップ[100BASE-TX]"},
    {ids::top::kLegendLink10, PictureId::kUpperLink10, "リンクアップ[10BASE-T]"},
    {ids::top::kLegendLinkDown, PictureId::kUpperLinkDown, "リンクダウン"},
};
constexpr LegendItem kPowerItems[] = {
    {ids::top::kLegendClass0To3, PictureId::kUpperPowerClass0To3, "Class3(15.4W)給電中"},
    {ids::top::kLegendClass4, PictureId::kUpperPowerClass4, "Class4(30W)給電中"},
    {ids::top::kLegendPowerOff, PictureId::kUpperPowerOff, "給電しない"},
    {ids::top::kLegendPowerFault, PictureId::kUpperPowerFault, "給電停止(異常)"},
    {ids::top::kLegendPowerStopped, PictureId::kUpperLinkDown, "給電停止"},
};

constexpr int kColumnWidth = 260;
constexpr int kRowHeight = 26;
constexpr int kPanelWidth = 810;

}  // namespace

LegendPanel::LegendPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(ids::top::kLegend);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFont(UiFont());
  const QFontMetrics bold(UiFont(10, true));
  portHeading_ = QPoint(10, 10);
  const auto place = [&](const LegendItem& item, int column, int top) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(item.id));
    label->setPixmap(PicturePixmap(item.picture, devicePixelRatioF()));
    label->setFixedSize(PictureSize(item.picture));
    label->move(24 + column * kColumnWidth, top);
    entries_.append({label, QString::fromUtf8(item.text)});
  };
  int top = portHeading_.y() + bold.height() + 8;
  for (int i = 0; i < 4; ++i) place(kPortItems[i], i % 2, top + (i / 2) * kRowHeight);
  powerHeading_ = QPoint(10, 100);
  top = powerHeading_.y() + bold.height() + 8;
  for (int i = 0; i < 5; ++i) place(kPowerItems[i], i % 2, top + (i / 2) * kRowHeight);
  ruleY_ = entries_.back().picture->y() + 30;

  redisplay_ = new QPushButton(QString::fromUtf8("再表示"), this);
  redisplay_->setObjectName(ids::top::kRedisplay);
  close_ = new QPushButton(QString::fromUtf8("閉じる"), this);
  close_->setObjectName(ids::top::kCloseLegend);
  const int buttonTop = ruleY_ + 12;
  int x = kPanelWidth - 10;
  for (QPushButton* button : {close_, redisplay_}) {
    button->setFont(UiFont());
    const QSize size(std::max(96, button->sizeHint().width() + 16),
                     button->sizeHint().height() + 4);
    x -= size.width();
    button->setGeometry(x, buttonTop, size.width(), size.height());
    x -= 10;
  }
  setFixedSize(kPanelWidth, buttonTop + redisplay_->height() + 16);
}

void LegendPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kPageColour);
  painter.setPen(Qt::black);
  painter.setFont(UiFont(10, true));
  const QFontMetrics boldMetrics(painter.font());
  painter.drawText(portHeading_ + QPoint(0, boldMetrics.ascent()),
                   QString::fromUtf8("ポート状態の凡例"));
  painter.drawText(powerHeading_ + QPoint(0, boldMetrics.ascent()),
                   QString::fromUtf8("給電状態の凡例"));
  painter.setFont(UiFont());
  const QFontMetrics metrics(painter.font());
  for (const Entry& entry : entries_) {
    const QRect picture = entry.picture->geometry();
    painter.drawText(QPoint(picture.right() + 1 + 5, picture.top() + 2 + metrics.ascent()),
                     QStringLiteral(":") + entry.text);
  }
  painter.setPen(QPen(kRuleColour, 2));
  painter.drawLine(5, ruleY_, width() - 5, ruleY_);
}

}  // namespace ntr::ui
