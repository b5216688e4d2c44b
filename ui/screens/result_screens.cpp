#include "ui/screens/result_screens.h"

#include <QFontMetrics>
#include <QPainter>

#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"
#include "ui/style/colours.h"
#include "ui/style/fonts.h"

namespace ntr::ui {

namespace {

constexpr QRect kBackButton{QPoint(195, 175), QPoint(374, 194)};
constexpr int kTextX = 27;

}  // namespace

OutcomeScreen::OutcomeScreen(ScreenHost& screens, SwitchView sw, int port, QString title,
                             QStringList lines, Target target, int maxLines, const QString& button)
    : Screen(screens, sw, port, kSize),
      target_(target),
      title_(std::move(title)),
      lines_(std::move(lines)) {
  // A text may itself hold line breaks.
  lines_ = lines_.join('\n').split('\n');
  while (lines_.size() > maxLines) lines_.removeLast();
  QPushButton* back = AddButton(ids::result::kBack, button, kBackButton);
  // A wider caption grows both ways, staying centred.
  back->move(kBackButton.center().x() - back->width() / 2, kBackButton.top());
  connect(back, &QPushButton::clicked, this, [this] { Cancel(); });
}

void OutcomeScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  painter.fillRect(kTextBox, kRowColour);
  painter.setFont(UiFont());
  painter.setPen(Qt::black);
  const QFontMetrics metrics(painter.font());
  const int step = std::max(metrics.height(), kTextBox.height() / 4);
  int y = kTextBox.top() + 3;
  for (const QString& line : lines_) {
    painter.drawText(QPoint(kTextX, y + metrics.ascent()), line);
    y += step;
  }
}

ResultScreen::ResultScreen(ScreenHost& screens, SwitchView sw, int port, QString title,
                           QStringList lines, Target target)
    : OutcomeScreen(screens, sw, port, std::move(title), std::move(lines), target, 3,
                    QString::fromUtf8(kBackToDisplayText)) {}

void ResultScreen::Cancel() {
  const Target back = target_ == Target::kAdministration || target_ == Target::kSwitchMain
                          ? target_
                          : Target::kPort;
  navigator().Open(back, switchRef(), port());
}

MessageScreen::MessageScreen(ScreenHost& screens, SwitchView sw, int port, QString title,
                             QStringList lines, Target target)
    : OutcomeScreen(
          screens, sw, port, std::move(title), std::move(lines), target, 4,
          QString::fromUtf8(target == Target::kCloseFrame ? kCloseText : kBackToDisplayText)) {}

void MessageScreen::Cancel() {
  if (target_ < Target::kAdministration || target_ > Target::kFrameCounter) {
    navigator().CloseFrame();
    return;
  }
  navigator().Open(target_, switchRef(), port());
}

}  // namespace ntr::ui
