#include "ui/screens/switch_main_screen.h"

#include <QFontMetrics>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <algorithm>
#include <utility>

#include "app/application.h"
#include "app/operator.h"
#include "app/switch_service.h"
#include "app/switch_view.h"
#include "app/vlan_table_edit.h"
#include "catalogue/status_texts.h"
#include "catalogue/switch_model.h"
#include "ui/forms/form_painting.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/switch_words.h"
#include "ui/style/fonts.h"
#include "ui/style/text.h"

namespace ntr::ui {

namespace {

constexpr int kLeft = 10;
constexpr int kFirstTop = 45;
constexpr int kHeadingHeight = 20;
constexpr int kSectionGap = 12;
constexpr int kButtonWidth = 60;
constexpr int kIndent = 14;
constexpr int kStatusPeriodMs = 500;

int RowTop(int gridTop, int row) {
  return gridTop + kHeaderRowHeight + 1 + row * (kDataRowHeight + 1);
}

bool ExecuteButton(std::string_view id) {
  using namespace ids::switch_main;
  return id == kFirmware || id == kClearCounters || id == kRestart || id == kFactoryReset ||
         id == kRestartPoe;
}

}  // namespace

SwitchMainScreen::SwitchMainScreen(ScreenHost& screens, Application& app, SwitchView sw)
    : Screen(screens, sw, -1, QSize(585, 150)), app_(app), model_(working().modelCode) {
  fanState_ = working().fanState;
  for (std::size_t f = 0; f < fanSpeeds_.size(); ++f) fanSpeeds_[f] = working().fanSpeeds[f];
  temperature_ = working().poeTemperature;
  sections_ = BuildSections();
  Layout();
  statusTimer_.setInterval(kStatusPeriodMs);
  connect(&statusTimer_, &QTimer::timeout, this, [this] { RefreshStatus(); });
  if (PollsSystemFan(model_) || HasPoe(model_)) statusTimer_.start();
}

QString SwitchMainScreen::title() const { return QString::fromUtf8(kSwitchMainTitle); }

void SwitchMainScreen::Cancel() { navigator().CloseFrame(); }

std::vector<SwitchMainScreen::Section> SwitchMainScreen::BuildSections() const {
  const SwitchRecord& r = working();
  std::vector<Section> sections;

  Section device{QString::fromUtf8(kSwitchMainTitle),
                 QStringLiteral("項目"),
                 QStringLiteral("設定・状態"),
                 {}};
  device.rows.push_back(
      {QStringLiteral("名称"), ToQt(r.systemName.get()), false, ids::switch_main::kName});
  device.rows.push_back({QStringLiteral("機種名"), ToQt(r.modelName.get()), false, 0});
  device.rows.push_back({QStringLiteral("MACアドレス"), ToQt(r.macText.get()), false, 0});
  device.rows.push_back({QStringLiteral("シリアル番号"), ToQt(r.serialNumber.get()), false, 0});
  device.rows.push_back({QStringLiteral("ファームウェア"), ToQt(r.firmwareRevision.get()), false,
                         ids::switch_main::kFirmware});
  device.rows.push_back({QStringLiteral("省電力機能"), PowerModeWord(EconomyModeInForce(r)), false,
                         ids::switch_main::kPowerSaving});
  if (PollsSystemFan(model_)) {
    device.rows.push_back({QStringLiteral("冷却ファン"), ToQt(FanStateText(fanState_)), false, 0});
  } else if (HasPoe(model_)) {
    QStringList speeds;
    for (std::size_t f = 0; f < fanSpeeds_.size(); ++f) {
      speeds << QStringLiteral("%1: %2 rpm").arg(f + 1).arg(fanSpeeds_[f]);
    }
    device.rows.push_back(
        {QStringLiteral("冷却ファン"), speeds.join(QStringLiteral("  ")), false, 0});
    device.rows.push_back(
        {QStringLiteral("内部温度"), QStringLiteral("%1℃").arg(temperature_), false, 0});
  }
  sections.push_back(std::move(device));

  Section common{QStringLiteral("スイッチ機器のポート共通設定"),
                 QStringLiteral("項目"),
                 QStringLiteral("設定・状態"),
                 {}};
  common.rows.push_back(
      {QStringLiteral("ループ検出機能の設定"), {}, true, ids::switch_main::kLoopDetection});
  common.rows.push_back({QStringLiteral("MACアドレス移動回数閾値"),
                         QStringLiteral("%1回").arg(r.loopCount.load()), false, 0});
  common.rows.push_back(
      {QStringLiteral("ループ検出時の動作"),
       r.loopLinkDown.load() == kLoopShutDownAndRelease
           ? LoopShutDownText() + QStringLiteral("[%1秒]").arg(r.loopRecoveryTime.load())
           : LoopNoShutDownText(),
       false, 0});
  common.rows.push_back(
      {QStringLiteral("ポートミラーリング機能の設定"), {}, true, ids::switch_main::kMirroring});
  common.rows.push_back({QStringLiteral("動作モード"), UseWord(r.mirroringUse), false, 0});
  common.rows.push_back({QStringLiteral("スニファポート"),
                         QStringLiteral("ポート%1").arg(r.mirrorDestination.load() + 1), false, 0});
  const QStringList directions = MirrorDirectionChoices();
  bool anyMonitored = false;
  for (int p = 0; p < std::clamp<int>(r.portCount, 0, kMaxPorts); ++p) {
    const int direction = MirrorDirection(r.ports[static_cast<std::size_t>(p)]);
    if (direction == 0) continue;
    common.rows.push_back({anyMonitored ? QString() : QStringLiteral("監視対象"),
                           QStringLiteral("ポート%1 [%2]").arg(p + 1).arg(directions.at(direction)),
                           false, 0});
    anyMonitored = true;
  }
  if (!anyMonitored) {
    common.rows.push_back({QStringLiteral("監視対象"), directions.at(0), false, 0});
  }
  sections.push_back(std::move(common));

  // Slot 0 holds the default VLAN; a free slot holds 1.
  Section vlans{
      QStringLiteral("VLAN IDの設定"), QStringLiteral("VLAN ID"), QStringLiteral("名前"), {}};
  for (std::size_t slot = 0; slot < r.vlanIds.size(); ++slot) {
    const std::int32_t id = r.vlanIds[slot];
    if (slot != 0 && id == 1) continue;
    vlans.rows.push_back({QString::number(id), ToQt(app_.config().GetVlanName(id)), false,
                          vlans.rows.empty() ? ids::switch_main::kVlanIds : nullptr});
  }
  sections.push_back(std::move(vlans));

  Section special{QStringLiteral("スイッチ機器の特殊動作"), QStringLiteral("操作"), QString(), {}};
  if (HasPoe(model_))
    special.rows.push_back(
        {QStringLiteral("給電を再開する"), {}, false, ids::switch_main::kRestartPoe});
  special.rows.push_back(
      {QStringLiteral("フレームカウンタのリセット"), {}, false, ids::switch_main::kClearCounters});
  special.rows.push_back({QStringLiteral("再起動"), {}, false, ids::switch_main::kRestart});
  special.rows.push_back(
      {QStringLiteral("工場出荷時の状態に戻す"), {}, false, ids::switch_main::kFactoryReset});
  sections.push_back(std::move(special));
  return sections;
}

// Columns as wide as their widest text (the fan speeds with room to change),
// the buttons in the third column of their rows, "閉じる" under the last section.
void SwitchMainScreen::Layout() {
  const QFontMetrics normal(UiFont(10, false));
  const QFontMetrics bold(UiFont(10, true));
  labelWidth_ = 170;
  valueWidth_ =
      std::max(330, normal.horizontalAdvance(QStringLiteral("1: 99999 rpm  2: 99999 rpm")) + 16);
  for (const Section& section : sections_) {
    labelWidth_ = std::max(labelWidth_, bold.horizontalAdvance(section.labelHeader) + 16);
    valueWidth_ = std::max(valueWidth_, bold.horizontalAdvance(section.valueHeader) + 16);
    for (const Row& row : section.rows) {
      labelWidth_ = std::max(labelWidth_, bold.horizontalAdvance(row.label) + kIndent + 16);
      valueWidth_ = std::max(valueWidth_, normal.horizontalAdvance(row.value) + 16);
    }
  }
  const int buttonX = kLeft + labelWidth_ + valueWidth_ + 2;
  int top = kFirstTop;
  sectionTops_.clear();
  for (const Section& section : sections_) {
    sectionTops_.push_back(top);
    const int gridTop = top + kHeadingHeight;
    for (std::size_t r = 0; r < section.rows.size(); ++r) {
      const char* id = section.rows[r].button;
      if (id == nullptr) continue;
      QPushButton* button =
          AddButton(id, ExecuteButton(id) ? QStringLiteral("実行") : QStringLiteral("設定"),
                    QRect(buttonX + 8, RowTop(gridTop, static_cast<int>(r)) + 1, kButtonWidth - 16,
                          kDataRowHeight - 2));
      connect(button, &QPushButton::clicked, this, ActionOf(id));
    }
    top = RowTop(gridTop, static_cast<int>(section.rows.size())) + kSectionGap;
  }
  const int width = std::max(585, buttonX + kButtonWidth + kLeft);
  QPushButton* close =
      AddButton(ids::switch_main::kClose, QStringLiteral("閉じる"),
                QRect((width - kCancelButtonWidth) / 2, top, kCancelButtonWidth, kButtonHeight));
  connect(close, &QPushButton::clicked, this, [this] { Cancel(); });
  setFixedSize(width, top + kButtonHeight + kButtonGap);
}

std::function<void()> SwitchMainScreen::ActionOf(std::string_view id) {
  using namespace ids::switch_main;
  const auto open = [this](Target to) { return [this, to] { navigator().Open(to, switchRef()); }; };
  if (id == kName) return open(Target::kSwitchName);
  if (id == kFirmware) return open(Target::kFirmwareUpdate);
  if (id == kPowerSaving) return open(Target::kPowerSaving);
  if (id == kLoopDetection) return open(Target::kLoopDetection);
  if (id == kMirroring) return open(Target::kMirroring);
  if (id == kVlanIds) return open(Target::kVlanIds);
  if (id == kClearCounters) return [this] { Run(Operation::kClearCounters); };
  if (id == kRestart) return [this] { Run(Operation::kRestart); };
  if (id == kRestartPoe) return [this] { Run(Operation::kRestartPoe); };
  if (id == kFactoryReset) return [this] { ResetToFactory(); };
  return [] {};
}

void SwitchMainScreen::RefreshStatus() {
  SwitchView sw = navigator().Find(switchRef());
  if (sw == nullptr) return;
  const SwitchRecord& live = sw.record();
  bool changed = false;
  auto take = [&changed](std::int32_t& shown, std::int32_t now) {
    if (shown != now) {
      shown = now;
      changed = true;
    }
  };
  if (PollsSystemFan(model_)) take(fanState_, live.fanState);
  if (HasPoe(model_)) {
    for (std::size_t f = 0; f < fanSpeeds_.size(); ++f) take(fanSpeeds_[f], live.fanSpeeds[f]);
    take(temperature_, live.poeTemperature);
  }
  if (!changed) return;
  sections_ = BuildSections();
  update();
}

// The box belongs to the window: the screen may go while it is open (its
// switch left management), and then the answer counts as Cancel.
bool SwitchMainScreen::Ask(const QString& question) {
  const QPointer<SwitchMainScreen> alive(this);
  QMessageBox box(QMessageBox::Question, ToQt(kApplicationTitle), question,
                  QMessageBox::Ok | QMessageBox::Cancel, window());
  const int answer = box.exec();
  return alive != nullptr && (answer == QMessageBox::Ok || answer == QDialog::Accepted);
}

void SwitchMainScreen::Run(Operation operation) {
  if (job() != 0 || !Ask(QString::fromUtf8(kExecuteQuestion))) return;
  operation_ = operation;
  Apply();
}

std::vector<SettingChange> SwitchMainScreen::Changes() {
  switch (operation_) {
    case Operation::kClearCounters:
      return {SettingChange::Execute(Function::kClearCounter)};
    case Operation::kRestart:
      return {SettingChange::Execute(Function::kRestart)};
    case Operation::kRestartPoe:
      return {SettingChange::Execute(Function::kRestartPoeSupply)};
    case Operation::kNone:
      break;
  }
  return {};
}

void SwitchMainScreen::Applied() {
  const Operation done = std::exchange(operation_, Operation::kNone);
  SwitchView sw = navigator().Find(switchRef());
  switch (done) {
    case Operation::kClearCounters:
      if (sw != nullptr) SwitchService(app_).ForgetCounters(sw);
      navigator().ShowResult(QString::fromUtf8(kCounterResetTitle), {ToQt(kCountersClearedText)},
                             Target::kSwitchMain, switchRef(), -1);
      return;
    case Operation::kRestart: {
      navigator().CloseFrame();
      if (sw != nullptr) SwitchService(app_).SwitchRestarting(sw);
      return;
    }
    case Operation::kRestartPoe:
      navigator().ShowResult(QString::fromUtf8(kPoeRestartTitle), {ToQt(kPoeSupplyRestartedText)},
                             Target::kSwitchMain, switchRef(), -1);
      return;
    case Operation::kNone:
      SetActionsEnabled(true);
      return;
  }
}

void SwitchMainScreen::ApplyFailed(const QString& errorText) {
  const Operation failed = std::exchange(operation_, Operation::kNone);
  const char* title = failed == Operation::kClearCounters ? kCounterResetTitle
                      : failed == Operation::kRestart     ? kRestartTitle
                                                          : kPoeRestartTitle;
  const char* text = failed == Operation::kClearCounters ? kCounterResetFailedText
                     : failed == Operation::kRestart     ? kRestartFailedText
                                                         : kPoeRestartFailedText;
  if (failed == Operation::kNone) {
    SetActionsEnabled(true);
    return;
  }
  navigator().ShowMessage(QString::fromUtf8(title), {QString::fromUtf8(text), errorText},
                          Target::kSwitchMain, switchRef(), -1);
}

// Only the tool's record changes: nothing is sent to the switch.
void SwitchMainScreen::ResetToFactory() {
  if (job() != 0 || !Ask(QString::fromUtf8(kFactoryResetQuestion))) return;
  SwitchView sw = navigator().Find(switchRef());
  if (sw == nullptr) {
    navigator().CloseFrame();
    return;
  }
  const SwitchRef ref = switchRef();
  const FactoryResetResult result = SwitchService(app_).FactoryReset(sw);
  if (result.keptVlanIds.empty()) {
    navigator().CloseFrame();
    return;
  }
  QStringList lines{ToQt(kFactoryResetDoneText), ToQt(kVlanNamesKeptText)};
  for (const std::string& line : VlanIdListLines(result.keptVlanIds)) lines << ToQt(line);
  navigator().ShowMessage(QString::fromUtf8(kFactoryResetTitle), lines, Target::kSwitchMain, ref,
                          -1);
}

void SwitchMainScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  for (std::size_t s = 0; s < sections_.size() && s < sectionTops_.size(); ++s) {
    const Section& section = sections_[s];
    const int top = sectionTops_[s];
    const int gridTop = top + kHeadingHeight;
    PaintLabel(painter, QPoint(kLeft, top + 2), section.heading, true);
    PaintGrid(painter, QPoint(kLeft, gridTop), {labelWidth_, valueWidth_, kButtonWidth},
              static_cast<int>(section.rows.size()), false);
    PaintLabel(painter, QPoint(kLeft + 4, gridTop + 5), section.labelHeader, true);
    PaintLabel(painter, QPoint(kLeft + labelWidth_ + 5, gridTop + 5), section.valueHeader, true);
    const bool groups = std::any_of(section.rows.begin(), section.rows.end(),
                                    [](const Row& r) { return r.heading; });
    for (std::size_t r = 0; r < section.rows.size(); ++r) {
      const Row& row = section.rows[r];
      const int y = RowTop(gridTop, static_cast<int>(r)) + 4;
      const int indent = groups && !row.heading ? kIndent : 0;
      PaintLabel(painter, QPoint(kLeft + 4 + indent, y), row.label, row.heading || !groups);
      PaintLabel(painter, QPoint(kLeft + labelWidth_ + 5, y), row.value, false);
    }
  }
}

}  // namespace ntr::ui
