// The words a port's settings are shown and chosen with on the port screens,
// each list in the order of its choice box, with the code it stands for
// (the codes come from the catalogue's value words and rate table).
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "catalogue/switch_record.h"

namespace ntr::ui {

struct PortChoice {
  QString text;
  std::int32_t code;
};

// "使用する" (1) / "使用しない" (0).
std::vector<PortChoice> UseChoices();
// "遮断する" (1) / "遮断しない" (0).
std::vector<PortChoice> BlockChoices();
// The speeds, auto first (port-speed codes 1..6).
std::vector<PortChoice> SpeedChoices();
// DSCP remarking: "使用しない" (0), then priority 4 down to 1 (the class; type 1).
std::vector<PortChoice> RemarkChoices();
// "使用しない" (-1), then the rates of the table (their selection numbers).
std::vector<PortChoice> RateChoices();
// PoE classes: none, class 3, class 4.
std::vector<PortChoice> PoeClassChoices();
// The frame types of transmit and receive counters, as their value words.
std::vector<PortChoice> TxCounterChoices();
std::vector<PortChoice> RxCounterChoices();

QStringList Texts(const std::vector<PortChoice>& choices);
// The list position of `code`, -1 when none.
int PositionOf(const std::vector<PortChoice>& choices, std::int32_t code);
// The text of `code`; `fallback` when none.
QString TextOf(const std::vector<PortChoice>& choices, std::int32_t code,
               const QString& fallback = "-");

// The port's rate as it is shown: "使用しない", the rate's label, or "-" for a
// rate outside the table.
QString RateText(std::int32_t use, std::int32_t selection);
// The remarking choice's code: the class when remarking is in use, else 0.
std::int32_t RemarkCode(const PortSettings& port);

inline constexpr char kUseText[] = "使用する";
inline constexpr char kNotUsedText[] = "使用しない";
inline constexpr char kKeepRateText[] = "-";
inline constexpr char kCounterText[] = "カウンタ%1";

}  // namespace ntr::ui
