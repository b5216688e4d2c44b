#include "ui/screens/port_qos_screen.h"

#include "catalogue/switch_model.h"
#include "ui/forms/qos_unit_rule.h"
#include "ui/forms/screen_host.h"

namespace ntr::ui {

namespace {

// The rate list of a port: "使用しない", the table, and "-" for a rate in use outside it.
std::vector<PortChoice> RateList(std::int32_t use, std::int32_t selection) {
  std::vector<PortChoice> choices = RateChoices();
  if (use != 0 && !ValidSelection(selection))
    choices.push_back({QString::fromUtf8(kKeepRateText), kNoSelection});
  return choices;
}

std::int32_t CurrentRate(std::int32_t use, std::int32_t selection) {
  return use == 0 ? kRateNotUsed : (ValidSelection(selection) ? selection : kNoSelection);
}

}  // namespace

PortQosScreen::PortQosScreen(ScreenHost& screens, SwitchView sw, int port)
    : PortFormScreen(screens, sw, port), bandwidth_(HasQosBandwidth(working().modelCode)) {
  const PortSettings& p = working().ports[static_cast<std::size_t>(port)];
  remark_ = AddChoice(QStringLiteral("DSCPリマーキング"), RemarkChoices(), RemarkCode(p));
  if (bandwidth_) {
    shapingChoices_ = RateList(p.shapingUse, p.shapingSelection);
    policingChoices_ = RateList(p.policingUse, p.policingSelection);
    shaping_ = AddChoice(QStringLiteral("送信シェーピング"), shapingChoices_,
                         CurrentRate(p.shapingUse, p.shapingSelection));
    policing_ = AddChoice(QStringLiteral("受信ポリシング"), policingChoices_,
                          CurrentRate(p.policingUse, p.policingSelection));
    connect(shaping_, &QComboBox::currentIndexChanged, this, [this] { RefreshUnits(); });
    connect(policing_, &QComboBox::currentIndexChanged, this, [this] { RefreshUnits(); });
    RefreshUnits();
  }
  Arrange();
}

QString PortQosScreen::title() const { return QString::fromUtf8(kPortQosTitle); }

std::int32_t PortQosScreen::ShapingChoice() const {
  return shaping_ == nullptr ? kRateNotUsed : Chosen(shaping_, shapingChoices_);
}

std::int32_t PortQosScreen::PolicingChoice() const {
  return policing_ == nullptr ? kRateNotUsed : Chosen(policing_, policingChoices_);
}

void PortQosScreen::RefreshUnits() {
  const auto mark = [this](ChoiceBox* box, const std::vector<PortChoice>& choices,
                           std::int32_t other) {
    const auto allowed = AllowedUnit(working(), port(), other);
    for (std::size_t i = 0; i < choices.size(); ++i) {
      const auto unit = UnitOfChoice(working(), choices[i].code);
      box->SetItemEnabled(static_cast<int>(i), !allowed || !unit || *unit == *allowed);
    }
  };
  mark(shaping_, shapingChoices_, PolicingChoice());
  mark(policing_, policingChoices_, ShapingChoice());
}

void PortQosScreen::Submit() {
  if (bandwidth_ &&
      !CheckQosUnits(working(), port(), ShapingChoice(), PolicingChoice()).compatible) {
    navigator().ShowMessage(
        title(), {QString::fromUtf8(kPortQosFailedText), QString::fromUtf8(kQosUnitMismatchText)},
        Target::kPortQos, switchRef(), port());
    return;
  }
  Apply();
}

void PortQosScreen::AddRateChanges(std::vector<SettingChange>& changes, Function use,
                                   Function speed, std::int32_t choice) const {
  const FunctionIndex at = FunctionIndex::Port(port());
  if (choice == kNoSelection) return;  // "-": the rate in use stays
  if (choice == kRateNotUsed) {
    changes.push_back(SettingChange::Set(use, at, 0));
    changes.push_back(SettingChange::Set(speed, at, kDefaultQosSelection));
  } else {
    changes.push_back(SettingChange::Set(use, at, 1));
    changes.push_back(SettingChange::Set(speed, at, choice));
  }
}

std::vector<SettingChange> PortQosScreen::Changes() {
  const FunctionIndex at = FunctionIndex::Port(port());
  const std::int32_t remarkClass = Chosen(remark_, RemarkChoices());
  std::vector<SettingChange> changes{
      SettingChange::Set(Function::kQosDscpRemarkType, at, remarkClass == 0 ? 0 : 1),
      SettingChange::Set(Function::kQosDscpRemarkClass, at, remarkClass),
  };
  if (!bandwidth_) return changes;
  const QosUnitCheck check = CheckQosUnits(working(), port(), ShapingChoice(), PolicingChoice());
  if (check.unit)
    changes.push_back(
        SettingChange::Set(Function::kQosSpeedUnit, FunctionIndex::None(), *check.unit));
  AddRateChanges(changes, Function::kQosShapingUse, Function::kQosShapingSpeed, ShapingChoice());
  AddRateChanges(changes, Function::kQosPolicingUse, Function::kQosPolicingSpeed, PolicingChoice());
  return changes;
}

Screen::ApplyTexts PortQosScreen::applyTexts() const {
  return {QString::fromUtf8(kPortQosAppliedText), QString::fromUtf8(kPortQosFailedText),
          Target::kPort, Target::kPortQos};
}

}  // namespace ntr::ui
