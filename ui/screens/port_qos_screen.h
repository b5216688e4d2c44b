// A port's QoS: DSCP remarking, and on the model with bandwidth control the
// transmit shaping and receive policing rates. Rates of a unit other than the
// one the other list (or the switch's other ports) needs are disabled; a rate
// outside the table shows as "-" and is kept when "-" stays chosen.
#pragma once

#include "ui/screens/port_form_screen.h"

namespace ntr::ui {

inline constexpr char kPortQosTitle[] = "QoS機能の設定";
inline constexpr char kPortQosAppliedText[] = "QoS機能の設定は正常に反映されました。";
inline constexpr char kPortQosFailedText[] = "QoS機能の設定に失敗しました。";
inline constexpr char kQosUnitMismatchText[] =
    "送信シェーピングと受信ポリシングが使用できない組み合わせです";

class PortQosScreen : public PortFormScreen {
  Q_OBJECT

 public:
  PortQosScreen(ScreenHost& screens, SwitchView sw, int port);
  QString title() const override;

  ChoiceBox* remark() const { return remark_; }
  // Null on models without bandwidth control.
  ChoiceBox* shaping() const { return shaping_; }
  ChoiceBox* policing() const { return policing_; }

 protected:
  void Submit() override;
  std::vector<SettingChange> Changes() override;
  ApplyTexts applyTexts() const override;

 private:
  // The entries of both rate lists enabled or disabled by the other's unit.
  void RefreshUnits();
  void AddRateChanges(std::vector<SettingChange>& changes, Function use, Function speed,
                      std::int32_t choice) const;
  std::int32_t ShapingChoice() const;
  std::int32_t PolicingChoice() const;

  bool bandwidth_;
  ChoiceBox* remark_;
  ChoiceBox* shaping_ = nullptr;
  ChoiceBox* policing_ = nullptr;
  std::vector<PortChoice> shapingChoices_;
  std::vector<PortChoice> policingChoices_;
};

}  // namespace ntr::ui
