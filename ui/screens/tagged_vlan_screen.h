// A port's tagged VLANs: its mode, its access VLAN and the VLANs it joins as
// a trunk member, chosen from the VLANs the tool knows by name. The apply
// sends the plan worked out beforehand (app/vlan_slots.h): the switch's VLAN
// slots are taken and freed as the port's VLANs need them.
#pragma once

#include <QCheckBox>
#include <optional>
#include <vector>

#include "app/vlan_slots.h"
#include "ui/forms/choice_box.h"
#include "ui/forms/screen.h"

namespace ntr {
class Application;
}

namespace ntr::ui {

inline constexpr char kTaggedVlanTitle[] = "タグVLANの設定";
inline constexpr char kNoVlanText[] = "なし";

class TaggedVlanScreen : public Screen {
  Q_OBJECT

 public:
  TaggedVlanScreen(ScreenHost& screens, Application& app, SwitchView sw, int port);
  QString title() const override;
  void Cancel() override;

  ChoiceBox* modeChoice() const { return mode_; }
  ChoiceBox* accessChoice() const { return access_; }
  // The trunk check of VLAN `vlanId`, null when the VLAN has none.
  QCheckBox* trunkCheck(std::int32_t vlanId) const;

 protected:
  std::vector<SettingChange> Changes() override { return planned_; }
  ApplyTexts applyTexts() const override;
  void paintEvent(QPaintEvent* event) override;

 private:
  struct TrunkRow {
    std::int32_t vlanId;
    QCheckBox* check;
  };
  // "設定": the trunk refusal and the plan, then the apply.
  void Submit();
  TaggedVlanChoice Choice() const;
  void Arrange();

  ChoiceBox* mode_ = nullptr;
  ChoiceBox* access_ = nullptr;
  std::vector<std::int32_t> accessIds_;  // per access entry after "none"
  int initialAccess_ = 0;
  std::vector<TrunkRow> trunk_;
  std::vector<SettingChange> planned_;
  int labelWidth_ = 0;
  int valueWidth_ = 0;
};

}  // namespace ntr::ui
