#include "ui/screens/multiple_vlan_screen.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "catalogue/function_descriptors.h"
#include "ui/forms/form_painting.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"
#include "ui/style/fonts.h"

namespace ntr::ui {

namespace {

constexpr int kCheckRoom = 24;  // the check's box beside its text

int RowTop(int row) { return kGridOrigin.y() + kHeaderRowHeight + 1 + row * (kDataRowHeight + 1); }

const FunctionDescriptor& Membership() { return DescriptorOf(Function::kVlanMultiple); }
const FunctionDescriptor& Use() { return DescriptorOf(Function::kVlanMultipleUse); }

int PortCount(const SwitchRecord& r) { return std::clamp<int>(r.portCount, 0, kMaxPorts); }
int GroupCount(const SwitchRecord& r) { return SecondIndexLimit(Membership(), PortCount(r), 0); }

bool Member(const SwitchRecord& r, int port, int group) {
  return StoredValue(Membership(), r, port, group) != 0;
}

// "%2d 参加ポート[%s]": the group and its ports, "なし" when it has none.
QString GroupText(const SwitchRecord& r, int group) {
  QString ports;
  for (int p = 0; p < FirstIndexLimit(Membership(), PortCount(r)); ++p) {
    if (!Member(r, p, group)) continue;
    ports += (ports.isEmpty() ? QStringLiteral("%1") : QStringLiteral(",%1")).arg(p + 1);
  }
  if (ports.isEmpty()) ports = QStringLiteral("なし");
  return QString::asprintf("%2d ", group + 1) + QStringLiteral("参加ポート[%1]").arg(ports);
}

}  // namespace

MultipleVlanScreen::MultipleVlanScreen(ScreenHost& screens, SwitchView sw, int port)
    : Screen(screens, sw, port, QSize(400, 150)) {
  const SwitchRecord& r = working();
  const QFontMetrics bold(UiFont(10, true));
  const QFontMetrics normal(UiFont());
  labelWidth_ = std::max({bold.horizontalAdvance(QStringLiteral("参加グループ")),
                          bold.horizontalAdvance(QStringLiteral("項目"))}) +
                16;
  valueWidth_ = 220;
  const int valueX = kGridOrigin.x() + labelWidth_ + 1 + 4;
  QWidget* previous = nullptr;
  for (int g = 0; g < GroupCount(r); ++g) {
    auto* check = new QCheckBox(GroupText(r, g), this);
    check->setObjectName(ids::multiple_vlan::Group(g));
    check->setFont(UiFont());
    check->setFocusPolicy(Qt::StrongFocus);
    check->setChecked(Member(r, port, g));
    const int textWidth = normal.horizontalAdvance(check->text()) + kCheckRoom;
    check->setGeometry(valueX, RowTop(g) + 1, textWidth, kDataRowHeight - 2);
    valueWidth_ = std::max(valueWidth_, textWidth + 12);
    if (previous != nullptr) setTabOrder(previous, check);
    previous = check;
    checks_.push_back(check);
  }

  const int titleRight =
      2 * kTitlePosition.x() + QFontMetrics(TitleFont()).horizontalAdvance(title());
  const int width =
      std::max({400, kGridOrigin.x() * 2 + labelWidth_ + 1 + valueWidth_, titleRight});
  const int buttonsTop = RowTop(static_cast<int>(checks_.size())) + 15;
  const auto [set, cancel] = AddSetCancelRow(kFormSet, kFormCancel, buttonsTop, RowPlace::kCentred,
                                             width, [this] { Apply(); });
  if (previous != nullptr) setTabOrder(previous, set);
  setTabOrder(set, cancel);
  setFixedSize(width, buttonsTop + kButtonHeight + kButtonGap);
  SetInitialFocus(checks_.empty() ? static_cast<QWidget*>(set) : checks_.front());
  if (!checks_.empty()) MoveFocusOnFrom(checks_.front());
}

QString MultipleVlanScreen::title() const { return QString::fromUtf8(kMultipleVlanTitle); }

void MultipleVlanScreen::Cancel() { navigator().Open(Target::kPort, switchRef(), port()); }

// The groups whose check differs from the record (join or leave), then
// whether any port of the switch still belongs to any group.
std::vector<SettingChange> MultipleVlanScreen::Changes() {
  const SwitchRecord& r = working();
  const FunctionDescriptor& membership = Membership();
  const FunctionDescriptor& use = Use();
  std::vector<SettingChange> changes;
  bool used = false;
  for (std::size_t g = 0; g < checks_.size(); ++g) {
    const int group = static_cast<int>(g);
    const bool checked = checks_[g]->isChecked();
    used = used || checked;
    if (checked == Member(r, port(), group)) continue;
    changes.push_back(SettingChange::Set(membership.function,
                                         FunctionIndex::PortGroup(port(), group),
                                         checked ? membership.max : membership.min));
  }
  for (int p = 0; p < PortCount(r) && !used; ++p) {
    if (p == port()) continue;
    for (int g = 0; g < GroupCount(r) && !used; ++g) used = Member(r, p, g);
  }
  changes.push_back(
      SettingChange::Set(use.function, FunctionIndex::None(), used ? use.max : use.min));
  return changes;
}

Screen::ApplyTexts MultipleVlanScreen::applyTexts() const {
  return {QString::fromUtf8(kMultipleVlanAppliedText), QString::fromUtf8(kMultipleVlanFailedText),
          Target::kPort, Target::kMultipleVlan};
}

void MultipleVlanScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  PaintGrid(painter, kGridOrigin, {labelWidth_, valueWidth_}, static_cast<int>(checks_.size()),
            false);
  PaintLabel(painter, kGridOrigin + QPoint(4, 5), QStringLiteral("項目"), true);
  PaintLabel(painter, kGridOrigin + QPoint(labelWidth_ + 5, 5), QStringLiteral("設定値"), true);
  PaintLabel(painter, QPoint(kGridOrigin.x() + 4, RowTop(0) + 4), QStringLiteral("参加グループ"),
             true);
}

}  // namespace ntr::ui
