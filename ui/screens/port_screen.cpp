#include "ui/screens/port_screen.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <string_view>
#include <utility>

#include "app/application.h"
#include "app/switch_view.h"
#include "catalogue/status_texts.h"
#include "catalogue/switch_model.h"
#include "catalogue/value_words.h"
#include "ui/forms/form_painting.h"
#include "ui/forms/port_choices.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"
#include "ui/style/fonts.h"
#include "ui/style/text.h"

namespace ntr::ui {

namespace {

// The screen a group's "設定" opens, kCloseFrame for none.
Target TargetOf(std::string_view button) {
  static constexpr std::pair<const char*, Target> kTargets[] = {
      {ids::port::kBasic, Target::kPortBasic},
      {ids::port::kQos, Target::kPortQos},
      {ids::port::kTaggedVlan, Target::kTaggedVlan},
      {ids::port::kMultipleVlan, Target::kMultipleVlan},
      {ids::port::kFrameCounter, Target::kFrameCounter},
      {ids::port::kPowerClass, Target::kPowerClass},
  };
  for (const auto& [id, to] : kTargets) {
    if (button == id) return to;
  }
  return Target::kCloseFrame;
}

constexpr int kMinLabelWidth = 250;
constexpr int kMinValueWidth = 300;
constexpr int kButtonColumn = 60;
constexpr int kGroupGap = 10;
constexpr int kBottomMargin = 15;

constexpr const char* kVlanModes[] = {"アクセスポート", "トランクポート", "ハイブリッドポート"};

int GroupHeight(std::size_t rows) {
  return kHeaderRowHeight + 1 + static_cast<int>(rows) * (kDataRowHeight + 1);
}

QString NoneIfEmpty(const QStringList& items) {
  return items.isEmpty() ? QStringLiteral("なし") : items.join(QStringLiteral(", "));
}

}  // namespace

PortScreen::PortScreen(ScreenHost& screens, Application& app, SwitchView sw, int port)
    : Screen(screens, sw, port, QSize(645, 200)) {
  if (sw != nullptr) loopState_ = sw.record().portStatus[static_cast<std::size_t>(port)].loopState;
  BuildGroups(app);
  Arrange();
  loopTimer_.setInterval(kLoopCheckMs);
  connect(&loopTimer_, &QTimer::timeout, this, [this] { CheckLoopState(); });
  loopTimer_.start();
}

QString PortScreen::title() const { return QString::fromUtf8(kPortTitle).arg(port() + 1); }

void PortScreen::Cancel() { navigator().CloseFrame(); }

QString PortScreen::LoopText() const {
  const PortSettings& p = working().ports[static_cast<std::size_t>(port())];
  if (p.loopDetect.load() == 0) return QString::fromUtf8(kNotUsedText);
  return QStringLiteral("%1[%2]").arg(QString::fromUtf8(kUseText), ToQt(LoopStateText(loopState_)));
}

void PortScreen::BuildGroups(Application& app) {
  const SwitchRecord& r = working();
  const PortSettings& p = r.ports[static_cast<std::size_t>(port())];
  const auto use = UseChoices();
  const auto block = BlockChoices();
  const auto text = [](const std::vector<PortChoice>& choices, std::int32_t code) {
    return TextOf(choices, code);
  };

  Group basic{ids::port::kBasic, QStringLiteral("基本機能の設定"), {}};
  basic.rows = {
      {QStringLiteral("ポートの動作"), text(use, p.use)},
      {QStringLiteral("クロスストレート自動判別"), text(use, p.autoCrossover)},
      {QStringLiteral("速度"), p.speed.load() == kPortSpeedWords.words.front().code
                                   ? QStringLiteral("オートネゴシエーション")
                                   : text(SpeedChoices(), p.speed)},
      {QStringLiteral("リンクスピードダウンシフト"), text(use, p.speedDownshift)},
      {QStringLiteral("フロー制御"), text(use, p.flowControl)},
      {QStringLiteral("ループ検出機能"), LoopText()},
      {QStringLiteral("スイッチ制御パケットの遮断機能"), text(block, p.blockControlPackets)},
      {QStringLiteral("データパケットの遮断機能"), text(block, p.blockDataPackets)}};
  loopRow_ = 5;
  groups_.push_back(basic);

  Group qos{ids::port::kQos, QStringLiteral("QoSの設定"), {}};
  qos.rows.push_back({QStringLiteral("DSCPリマーキング"), text(RemarkChoices(), RemarkCode(p))});
  if (HasQosBandwidth(r.modelCode)) {
    qos.rows.push_back(
        {QStringLiteral("送信シェーピング"), RateText(p.shapingUse, p.shapingSelection)});
    qos.rows.push_back(
        {QStringLiteral("受信ポリシング"), RateText(p.policingUse, p.policingSelection)});
  }
  groups_.push_back(qos);

  // VLANs by name and ID: the registration entry holds the ID, the tool's table its name.
  const auto vid = [&r, &app](std::size_t entry) {
    const std::int32_t id = entry < r.vlanIds.size() ? r.vlanIds[entry].load() : 0;
    return ToQt(app.config().GetVlanName(id)) + QStringLiteral("[VID=%1]").arg(id);
  };
  QStringList trunk;
  for (std::size_t entry = 0; entry < p.trunk.size(); ++entry) {
    if (p.trunk[entry].load() != 0) trunk << vid(entry);
  }
  const auto mode = static_cast<std::size_t>(std::clamp<std::int32_t>(p.vlanMode, 0, 2));
  groups_.push_back({ids::port::kTaggedVlan,
                     QStringLiteral("タグVLANの設定"),
                     {{QStringLiteral("動作モード"), QString::fromUtf8(kVlanModes[mode])},
                      {QStringLiteral("アクセスVLAN ID"),
                       vid(static_cast<std::size_t>(std::max(0, p.accessVlanEntry.load())))},
                      {QStringLiteral("トランクVLAN ID"), NoneIfEmpty(trunk)}}});

  QStringList groups;
  const int ports = std::clamp<int>(r.portCount, 0, kMaxPorts);
  for (int g = 0; g < ports; ++g) {
    if (p.multiple[static_cast<std::size_t>(g)].load() != 0)
      groups << QStringLiteral("グループ%1").arg(g + 1);
  }
  groups_.push_back({ids::port::kMultipleVlan,
                     QStringLiteral("マルチプルVLANの設定"),
                     {{QStringLiteral("参加グループ"), NoneIfEmpty(groups)}}});

  Group counters{ids::port::kFrameCounter, QStringLiteral("フレームカウンタの設定"), {}};
  const int counterCount = std::clamp<int>(r.counterCount, 0, kMaxCounters);
  for (int k = 0; k < counterCount; ++k) {
    counters.rows.push_back(
        {QStringLiteral("送信フレーム %1").arg(QString::fromUtf8(kCounterText).arg(k + 1)),
         text(TxCounterChoices(), p.txCounterTypes[static_cast<std::size_t>(k)])});
  }
  for (int k = 0; k < counterCount; ++k) {
    counters.rows.push_back(
        {QStringLiteral("受信フレーム %1").arg(QString::fromUtf8(kCounterText).arg(k + 1)),
         text(RxCounterChoices(), p.rxCounterTypes[static_cast<std::size_t>(k)])});
  }
  groups_.push_back(counters);

  if (HasPoe(r.modelCode)) {
    groups_.push_back(
        {ids::port::kPowerClass,
         QStringLiteral("給電の設定"),
         {{QStringLiteral("給電クラスの設定"), text(PoeClassChoices(), p.poeClass)}}});
  }
}

void PortScreen::Arrange() {
  const QFontMetrics bold(UiFont(10, true));
  const QFontMetrics normal(UiFont());
  labelWidth_ = kMinLabelWidth;
  valueWidth_ = kMinValueWidth;
  for (const Group& group : groups_) {
    labelWidth_ = std::max(labelWidth_, bold.horizontalAdvance(group.heading) + kCellPadding);
    for (const Row& row : group.rows) {
      labelWidth_ = std::max(labelWidth_, bold.horizontalAdvance(row.label) + kCellPadding);
      valueWidth_ = std::max(valueWidth_, normal.horizontalAdvance(row.value) + kCellPadding);
    }
  }
  // The loop state may change while the screen shows: room for its longest word.
  valueWidth_ = std::max(valueWidth_, normal.horizontalAdvance(QStringLiteral("%1[%2]").arg(
                                          QString::fromUtf8(kUseText), ToQt(LoopStateText(1)))) +
                                          kCellPadding);
  const int buttonX = kGridOrigin.x() + labelWidth_ + 1 + valueWidth_ + 1;
  int y = kGridOrigin.y();
  for (const Group& group : groups_) {
    QPushButton* set = AddButton(group.button, QStringLiteral("設定"),
                                 QRect(buttonX + 10, y + 2, kButtonColumn - 20, kButtonHeight));
    const Target to = TargetOf(group.button);
    if (to == Target::kCloseFrame) {
      set->setEnabled(false);
    } else {
      connect(set, &QPushButton::clicked, this,
              [this, to] { navigator().Open(to, switchRef(), port()); });
    }
    y += GroupHeight(group.rows.size()) + kGroupGap;
  }
  const int width = buttonX + kButtonColumn + kGridOrigin.x();
  QPushButton* close = AddButton(ids::port::kClose, QStringLiteral("閉じる"),
                                 QRect(0, y + 5, kCancelButtonWidth, kButtonHeight));
  close->move((width - close->width()) / 2, y + 5);
  connect(close, &QPushButton::clicked, this, [this] { Cancel(); });
  SetInitialFocus(findChild<QPushButton*>(ids::port::kBasic));
  setFixedSize(width, y + 5 + kButtonHeight + kBottomMargin);
}

void PortScreen::CheckLoopState() {
  SwitchView sw = navigator().Find(switchRef());
  if (sw == nullptr || groups_.empty()) return;
  const std::int32_t now = sw.record().portStatus[static_cast<std::size_t>(port())].loopState;
  if (now == loopState_) return;
  loopState_ = now;
  groups_.front().rows[loopRow_].value = LoopText();
  update();
}

QStringList PortScreen::rows() const {
  QStringList all;
  for (const Group& group : groups_) {
    for (const Row& row : group.rows) all << row.label + '\t' + row.value;
  }
  return all;
}

void PortScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  int y = kGridOrigin.y();
  for (const Group& group : groups_) {
    const QPoint origin(kGridOrigin.x(), y);
    PaintGrid(painter, origin, {labelWidth_, valueWidth_, kButtonColumn},
              static_cast<int>(group.rows.size()), false);
    PaintLabel(painter, origin + QPoint(4, 5), group.heading, true);
    int rowY = y + kHeaderRowHeight + 1;
    for (const Row& row : group.rows) {
      PaintLabel(painter, QPoint(kGridOrigin.x() + 4, rowY + 4), row.label, true);
      PaintLabel(painter, QPoint(kGridOrigin.x() + labelWidth_ + 5, rowY + 4), row.value, false);
      rowY += kDataRowHeight + 1;
    }
    y += GroupHeight(group.rows.size()) + kGroupGap;
  }
}

}  // namespace ntr::ui
