// The switch main screen: the switch's identity and status, the settings
// common to all ports, its VLAN IDs and the special operations, with a
// button per group that opens its edit screen. Fan and temperature are
// looked at every 500 ms while it shows. The operations (counter reset,
// restart, power-supply restart) run as the screen's apply job; the return
// to the factory state changes only the tool's record.
#pragma once

#include <QTimer>
#include <array>
#include <functional>
#include <string_view>

#include "ui/forms/screen.h"

namespace ntr {
class Application;
}

namespace ntr::ui {

inline constexpr char kSwitchMainTitle[] = "スイッチ機器の設定・状態表示";
inline constexpr char kExecuteQuestion[] = "実行してもよろしいですか？";
inline constexpr char kFactoryResetQuestion[] =
    "現在の設定は全て削除されます。\n実行してもよろしいですか？";
inline constexpr char kCounterResetTitle[] = "フレームカウンタのリセット  ";
inline constexpr char kCounterResetFailedText[] = "フレームカウンタのリセットに失敗しました。";
inline constexpr char kRestartTitle[] = "再起動";
inline constexpr char kRestartFailedText[] = "再起動に失敗しました。";
inline constexpr char kPoeRestartTitle[] = "給電の再開  ";
inline constexpr char kPoeRestartFailedText[] = "給電の再開に失敗しました。";
inline constexpr char kFactoryResetTitle[] = "工場出荷時の状態に戻す ";

class SwitchMainScreen : public Screen {
  Q_OBJECT

 public:
  enum class Operation { kNone, kClearCounters, kRestart, kRestartPoe };

  SwitchMainScreen(ScreenHost& screens, Application& app, SwitchView sw);
  QString title() const override;
  bool hub() const override { return true; }
  void Cancel() override;

  // One painted row: a label, its value and, where the row has one, the button's id.
  struct Row {
    QString label;
    QString value;
    bool heading = false;          // a group's own row, bold
    const char* button = nullptr;  // its id, none for a row without a button
  };
  struct Section {
    QString heading;
    QString labelHeader;
    QString valueHeader;
    std::vector<Row> rows;
  };
  const std::vector<Section>& sections() const { return sections_; }

 protected:
  std::vector<SettingChange> Changes() override;
  void Applied() override;
  void ApplyFailed(const QString& errorText) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<Section> BuildSections() const;
  void Layout();
  // What the button of that id does.
  std::function<void()> ActionOf(std::string_view id);
  void RefreshStatus();
  void Run(Operation operation);
  void ResetToFactory();
  bool Ask(const QString& question);

  Application& app_;
  std::int32_t model_;
  // The polled status as last shown.
  std::int32_t fanState_ = 0;
  std::array<std::int32_t, kFanCount> fanSpeeds_{};
  std::int32_t temperature_ = 0;
  std::vector<Section> sections_;
  std::vector<int> sectionTops_;  // each section's heading
  int labelWidth_ = 0;
  int valueWidth_ = 0;
  Operation operation_ = Operation::kNone;
  QTimer statusTimer_;
};

}  // namespace ntr::ui
