#include "ui/screens/mirroring_screen.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "ui/forms/form_painting.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"
#include "ui/forms/switch_words.h"
#include "ui/style/fonts.h"

namespace ntr::ui {

namespace {

constexpr int kPortRows = 3;  // the rows above the ports' directions
constexpr int kIndent = 14;

int RowTop(int row) { return kGridOrigin.y() + kHeaderRowHeight + 1 + row * (kDataRowHeight + 1); }

int ChoiceWidth(const QStringList& choices) {
  const QFontMetrics metrics(UiFont());
  int widest = 0;
  for (const QString& choice : choices)
    widest = std::max(widest, metrics.horizontalAdvance(choice));
  return widest + 40;  // room for the arrow
}

}  // namespace

MirroringScreen::MirroringScreen(ScreenHost& screens, SwitchView sw)
    : Screen(screens, sw, -1, QSize(585, 180)) {
  const SwitchRecord& r = working();
  const int ports = std::clamp<int>(r.portCount, 0, kMaxPorts);
  const QFontMetrics bold(UiFont(10, true));
  labelWidth_ =
      std::max({bold.horizontalAdvance(QStringLiteral("スニファポート")),
                bold.horizontalAdvance(QStringLiteral("動作モード")),
                bold.horizontalAdvance(QStringLiteral("監視方向")),
                kIndent + bold.horizontalAdvance(QStringLiteral("ポート%1").arg(ports))}) +
      16;
  const int valueX = kGridOrigin.x() + labelWidth_ + 1 + 4;
  const auto place = [this, valueX](ChoiceBox* box, const QString& id, const QStringList& choices,
                                    int row) {
    box->setObjectName(id);
    box->setFont(UiFont());
    box->addItems(choices);
    box->setGeometry(valueX, RowTop(row) + 1, ChoiceWidth(choices), kDataRowHeight - 2);
    valueWidth_ = std::max(valueWidth_, box->width() + 12);
  };

  use_ = new ChoiceBox(this);
  place(use_, ids::mirroring::kUse, UseChoiceTexts(), 0);
  MoveFocusOnFrom(use_);
  use_->setCurrentIndex(r.mirroringUse.load() != 0 ? 0 : 1);

  QStringList numbers;
  for (int p = 1; p <= ports; ++p) numbers << QString::number(p);
  sniffer_ = new ChoiceBox(this);
  place(sniffer_, ids::mirroring::kSniffer, numbers, 1);
  sniffer_->setCurrentIndex(std::clamp<int>(r.mirrorDestination, 0, std::max(0, ports - 1)));

  for (int p = 0; p < ports; ++p) {
    auto* box = new ChoiceBox(this);
    place(box, ids::mirroring::Direction(p), MirrorDirectionChoices(), kPortRows + p);
    box->setCurrentIndex(MirrorDirection(r.ports[static_cast<std::size_t>(p)]));
    directions_.push_back(box);
  }
  const QFontMetrics normal(UiFont());
  valueWidth_ =
      std::max(valueWidth_,
               sniffer_->width() + 8 + normal.horizontalAdvance(QStringLiteral("ポート番号")) + 12);

  const int width = std::max(585, kGridOrigin.x() * 2 + labelWidth_ + valueWidth_ + 1);
  const int buttonsTop = RowTop(kPortRows + ports) + 15;
  AddSetCancelRow(kFormSet, kFormCancel, buttonsTop, RowPlace::kFromLeft, width / 2 - 85,
                  [this] { Apply(); });
  setFixedSize(width, buttonsTop + kButtonHeight + kButtonGap);
  SetInitialFocus(use_);
}

QString MirroringScreen::title() const { return QString::fromUtf8(kMirroringTitle); }

void MirroringScreen::Cancel() { navigator().Open(Target::kSwitchMain, switchRef()); }

// On or off, the sniffer port, then per port the received and the sent direction.
std::vector<SettingChange> MirroringScreen::Changes() {
  std::vector<SettingChange> changes;
  changes.push_back(SettingChange::Set(Function::kMirroringUse, FunctionIndex::None(),
                                       use_->currentIndex() == 0 ? 1 : 0));
  changes.push_back(SettingChange::Set(Function::kMirroringDestination, FunctionIndex::None(),
                                       sniffer_->currentIndex()));
  for (std::size_t p = 0; p < directions_.size(); ++p) {
    const int direction = directions_[p]->currentIndex();
    const FunctionIndex port = FunctionIndex::Port(static_cast<int>(p));
    changes.push_back(
        SettingChange::Set(Function::kMirroringSourceRx, port, MirrorsReceive(direction) ? 1 : 0));
    changes.push_back(
        SettingChange::Set(Function::kMirroringSourceTx, port, MirrorsTransmit(direction) ? 1 : 0));
  }
  return changes;
}

Screen::ApplyTexts MirroringScreen::applyTexts() const {
  return {QString::fromUtf8(kMirroringAppliedText), QString::fromUtf8(kMirroringFailedText),
          Target::kSwitchMain, Target::kMirroring};
}

void MirroringScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  const int rows = kPortRows + static_cast<int>(directions_.size());
  PaintGrid(painter, kGridOrigin, {labelWidth_, valueWidth_}, rows, false);
  PaintLabel(painter, kGridOrigin + QPoint(4, 5), QStringLiteral("項目"), true);
  PaintLabel(painter, kGridOrigin + QPoint(labelWidth_ + 5, 5), QStringLiteral("設定"), true);
  PaintLabel(painter, QPoint(kGridOrigin.x() + 4, RowTop(0) + 4), QStringLiteral("動作モード"),
             true);
  PaintLabel(painter, QPoint(kGridOrigin.x() + 4, RowTop(1) + 4), QStringLiteral("スニファポート"),
             true);
  PaintLabel(painter, QPoint(sniffer_->geometry().right() + 8, RowTop(1) + 4),
             QStringLiteral("ポート番号"), false);
  PaintLabel(painter, QPoint(kGridOrigin.x() + 4, RowTop(2) + 4), QStringLiteral("監視方向"), true);
  for (std::size_t p = 0; p < directions_.size(); ++p) {
    const int row = kPortRows + static_cast<int>(p);
    PaintLabel(painter, QPoint(kGridOrigin.x() + 4 + kIndent, RowTop(row) + 4),
               QStringLiteral("ポート%1").arg(p + 1), false);
  }
}

}  // namespace ntr::ui
