#include "ui/screens/tagged_vlan_screen.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "app/application.h"
#include "ui/forms/form_painting.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"
#include "ui/style/fonts.h"
#include "ui/style/text.h"

namespace ntr::ui {

namespace {

constexpr int kMinLabelWidth = 160;
constexpr int kMinValueWidth = 220;
constexpr int kCheckRoom = 24;  // the check's box beside its text
constexpr int kTrunkRow = 2;    // the rows: mode, access VLAN, then one per trunk VLAN

const char* const kModeTexts[] = {"アクセスポート", "トランクポート", "ハイブリッドポート"};

int RowTop(int row) { return kGridOrigin.y() + kHeaderRowHeight + 1 + row * (kDataRowHeight + 1); }

}  // namespace

TaggedVlanScreen::TaggedVlanScreen(ScreenHost& screens, Application& app, SwitchView sw, int port)
    : Screen(screens, sw, port, QSize(400, 150)) {
  const SwitchRecord& r = working();
  const PortSettings& p = r.ports[static_cast<std::size_t>(port)];

  mode_ = new ChoiceBox(this);
  mode_->setObjectName(QStringLiteral("mode"));
  for (const char* text : kModeTexts) mode_->addItem(QString::fromUtf8(text));
  mode_->setCurrentIndex(std::clamp<int>(p.vlanMode, 0, 2));

  // The access VLAN shows as the registered VLAN whose ID its slot holds
  // (0, no VLAN ID, when the entry is out of range).
  const std::int32_t entry = p.accessVlanEntry;
  const std::int32_t accessId = entry >= 0 && entry < kVlanRegistrations
                                    ? r.vlanIds[static_cast<std::size_t>(entry)].load()
                                    : 0;
  access_ = new ChoiceBox(this);
  access_->setObjectName(QStringLiteral("access"));
  access_->addItem(QString::fromUtf8(kNoVlanText));
  const std::vector<VlanName> names = app.config().VlanNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    const QString text = ToQt(names[i].name) + QStringLiteral("[VID=%1]").arg(names[i].id);
    access_->addItem(text);
    accessIds_.push_back(names[i].id);
    if (accessId == names[i].id) initialAccess_ = static_cast<int>(i) + 1;
    if (i == 0) continue;  // the default VLAN is no trunk choice
    auto* check = new QCheckBox(text, this);
    check->setObjectName(QStringLiteral("trunk-%1").arg(names[i].id));
    check->setFont(UiFont());
    check->setFocusPolicy(Qt::StrongFocus);
    check->setChecked(TrunkMember(r, port, names[i].id));
    trunk_.push_back({names[i].id, check});
  }
  access_->setCurrentIndex(initialAccess_);
  Arrange();
  SetInitialFocus(mode_);
  MoveFocusOnFrom(mode_);
}

void TaggedVlanScreen::Arrange() {
  const QFontMetrics bold(UiFont(10, true));
  const QFontMetrics normal(UiFont());
  labelWidth_ = kMinLabelWidth;
  for (const char* label : {"項目", "動作モード", "アクセスVLAN ID", "トランクVLAN ID"}) {
    labelWidth_ =
        std::max(labelWidth_, bold.horizontalAdvance(QString::fromUtf8(label)) + kCellPadding);
  }
  valueWidth_ = kMinValueWidth;
  for (const ChoiceBox* box : {mode_, access_}) {
    for (int i = 0; i < box->count(); ++i) {
      valueWidth_ =
          std::max(valueWidth_, normal.horizontalAdvance(box->itemText(i)) + kBoxArrowRoom);
    }
  }
  for (const TrunkRow& row : trunk_) {
    valueWidth_ = std::max(valueWidth_,
                           normal.horizontalAdvance(row.check->text()) + kCheckRoom + kCellPadding);
  }

  const int valueX = kGridOrigin.x() + labelWidth_ + 1 + 4;
  mode_->setGeometry(valueX, RowTop(0) + 1, valueWidth_ - 8, kDataRowHeight - 2);
  access_->setGeometry(valueX, RowTop(1) + 1, valueWidth_ - 8, kDataRowHeight - 2);
  setTabOrder(mode_, access_);
  QWidget* previous = access_;
  for (std::size_t i = 0; i < trunk_.size(); ++i) {
    trunk_[i].check->setGeometry(valueX, RowTop(kTrunkRow + static_cast<int>(i)) + 1,
                                 valueWidth_ - 8, kDataRowHeight - 2);
    setTabOrder(previous, trunk_[i].check);
    previous = trunk_[i].check;
  }

  const int rows = kTrunkRow + std::max<int>(1, static_cast<int>(trunk_.size()));
  const int gridRight = kGridOrigin.x() + labelWidth_ + 1 + valueWidth_;
  const int titleRight =
      2 * kTitlePosition.x() + QFontMetrics(TitleFont()).horizontalAdvance(title());
  const int width = std::max(gridRight + kGridOrigin.x(), titleRight);
  const int buttonY = RowTop(rows) + kButtonGap;
  const auto [set, cancel] = AddSetCancelRow(kFormSet, kFormCancel, buttonY, RowPlace::kCentred,
                                             width, [this] { Submit(); });
  setTabOrder(previous, set);
  setTabOrder(set, cancel);
  setFixedSize(width, buttonY + kButtonHeight + kButtonGap);
}

QString TaggedVlanScreen::title() const { return QString::fromUtf8(kTaggedVlanTitle); }

void TaggedVlanScreen::Cancel() { navigator().Open(Target::kPort, switchRef(), port()); }

QCheckBox* TaggedVlanScreen::trunkCheck(std::int32_t vlanId) const {
  for (const TrunkRow& row : trunk_) {
    if (row.vlanId == vlanId) return row.check;
  }
  return nullptr;
}

// An access choice left as it opened keeps the port's access VLAN, even one
// the tool knows no name of (shown as none).
TaggedVlanChoice TaggedVlanScreen::Choice() const {
  const SwitchRecord& r = working();
  TaggedVlanChoice choice;
  choice.mode = std::max(0, mode_->currentIndex());
  const int access = access_->currentIndex();
  if (access == initialAccess_) {
    const std::int32_t entry = r.ports[static_cast<std::size_t>(port())].accessVlanEntry;
    if (entry >= 0 && entry < kVlanRegistrations)
      choice.accessVlanId = r.vlanIds[static_cast<std::size_t>(entry)];
  } else if (access > 0) {
    choice.accessVlanId = accessIds_[static_cast<std::size_t>(access - 1)];
  }
  for (const TrunkRow& row : trunk_) choice.trunk[row.vlanId] = row.check->isChecked();
  return choice;
}

void TaggedVlanScreen::Submit() {
  if (job() != 0) return;
  const TaggedVlanChoice choice = Choice();
  if (choice.mode == kTrunkPortMode && NeighbourBlocksTrunk(working(), port())) {
    navigator().ShowMessage(
        title(), {QString::fromUtf8(kTaggedVlanFailedText), QString::fromUtf8(kNeighbourTrunkText)},
        Target::kTaggedVlan, switchRef(), port());
    return;
  }
  std::string failure;
  if (!PlanTaggedVlan(working(), port(), choice, planned_, failure)) {
    navigator().ShowMessage(title(), {QString::fromUtf8(kTaggedVlanFailedText), ToQt(failure)},
                            Target::kTaggedVlan, switchRef(), port());
    return;
  }
  Apply();
}

Screen::ApplyTexts TaggedVlanScreen::applyTexts() const {
  return {QString::fromUtf8(kTaggedVlanAppliedText), QString::fromUtf8(kTaggedVlanFailedText),
          Target::kPort, Target::kTaggedVlan};
}

void TaggedVlanScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  const int rows = kTrunkRow + std::max<int>(1, static_cast<int>(trunk_.size()));
  PaintGrid(painter, kGridOrigin, {labelWidth_, valueWidth_}, rows, false);
  PaintLabel(painter, kGridOrigin + QPoint(4, 5), QStringLiteral("項目"), true);
  PaintLabel(painter, kGridOrigin + QPoint(labelWidth_ + 5, 5), QStringLiteral("設定値"), true);
  PaintLabel(painter, QPoint(kGridOrigin.x() + 4, RowTop(0) + 4), QStringLiteral("動作モード"),
             true);
  PaintLabel(painter, QPoint(kGridOrigin.x() + 4, RowTop(1) + 4), QStringLiteral("アクセスVLAN ID"),
             true);
  PaintLabel(painter, QPoint(kGridOrigin.x() + 4, RowTop(kTrunkRow) + 4),
             QStringLiteral("トランクVLAN ID"), true);
  if (trunk_.empty()) {
    PaintLabel(painter, QPoint(kGridOrigin.x() + labelWidth_ + 5, RowTop(kTrunkRow) + 4),
               QString::fromUtf8(kNoVlanText), false);
  }
}

}  // namespace ntr::ui
