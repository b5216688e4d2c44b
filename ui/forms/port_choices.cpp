#include "ui/forms/port_choices.h"

#include "catalogue/qos_speed.h"
#include "catalogue/switch_model.h"
#include "catalogue/value_words.h"
#include "ui/style/text.h"

namespace ntr::ui {

namespace {

// The speeds in the order of the port-speed words (auto, 10-hdx ... 1000-fdx).
constexpr const char* kSpeedNames[] = {"自動判別",         "10BASE-T半二重",   "10BASE-T全二重",
                                       "100BASE-TX半二重", "100BASE-TX全二重", "1000BASE-T全二重"};

std::vector<PortChoice> WordChoices(const ValueWords& words) {
  std::vector<PortChoice> choices;
  for (const WordCode& word : words.words) {
    choices.push_back({ToQt(word.word), word.code});
  }
  return choices;
}

}  // namespace

std::vector<PortChoice> UseChoices() {
  return {{QString::fromUtf8(kUseText), 1}, {QString::fromUtf8(kNotUsedText), 0}};
}

std::vector<PortChoice> BlockChoices() {
  return {{QStringLiteral("遮断する"), 1}, {QStringLiteral("遮断しない"), 0}};
}

std::vector<PortChoice> SpeedChoices() {
  std::vector<PortChoice> choices;
  std::size_t i = 0;
  for (const WordCode& word : kPortSpeedWords.words) {
    if (i >= std::size(kSpeedNames)) break;
    choices.push_back(
        {QStringLiteral("%1(%2)").arg(QString::fromUtf8(kSpeedNames[i]), ToQt(word.word)),
         word.code});
    ++i;
  }
  return choices;
}

std::vector<PortChoice> RemarkChoices() {
  return {{QString::fromUtf8(kNotUsedText), 0},
          {QStringLiteral("優先度４（最高優先度）"), 4},
          {QStringLiteral("優先度３"), 3},
          {QStringLiteral("優先度２"), 2},
          {QStringLiteral("優先度１"), 1}};
}

std::vector<PortChoice> RateChoices() {
  std::vector<PortChoice> choices{{QString::fromUtf8(kNotUsedText), -1}};
  for (int s = 0; s < kSelectionCount; ++s) {
    const std::string_view label = kQosSelections[static_cast<std::size_t>(s)].label;
    choices.push_back({ToQt(label), s});
  }
  return choices;
}

std::vector<PortChoice> PoeClassChoices() {
  return {{QStringLiteral("給電しない"), kPoeClassNone},
          {QStringLiteral("Class3(15.4W)"), kPoeClass3},
          {QStringLiteral("Class4(30W)"), kPoeClass4}};
}

std::vector<PortChoice> TxCounterChoices() { return WordChoices(kTxCounterTypeWords); }
std::vector<PortChoice> RxCounterChoices() { return WordChoices(kRxCounterTypeWords); }

QStringList Texts(const std::vector<PortChoice>& choices) {
  QStringList texts;
  for (const PortChoice& choice : choices) texts << choice.text;
  return texts;
}

int PositionOf(const std::vector<PortChoice>& choices, std::int32_t code) {
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (choices[i].code == code) return static_cast<int>(i);
  }
  return -1;
}

QString TextOf(const std::vector<PortChoice>& choices, std::int32_t code, const QString& fallback) {
  const int position = PositionOf(choices, code);
  return position < 0 ? fallback : choices[static_cast<std::size_t>(position)].text;
}

QString RateText(std::int32_t use, std::int32_t selection) {
  if (use == 0) return QString::fromUtf8(kNotUsedText);
  return TextOf(RateChoices(), ValidSelection(selection) ? selection : kNoSelection,
                QString::fromUtf8(kKeepRateText));
}

std::int32_t RemarkCode(const PortSettings& port) {
  return port.dscpRemarkType.load() == 0 ? 0 : port.dscpRemarkClass.load();
}

}  // namespace ntr::ui
