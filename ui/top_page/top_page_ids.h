// The control ids of the top page: each control's object name, the number
// the operator's manual gives it.
#pragma once

namespace ntr::ui::ids::top {

inline constexpr char kTopPanel[] = "134";
inline constexpr char kSwitchPanel[] = "135";
inline constexpr char kLegend[] = "146";
inline constexpr char kAllDetailed[] = "1001";
inline constexpr char kAllIcons[] = "1002";
inline constexpr char kRedisplay[] = "1006";
inline constexpr char kCloseLegend[] = "1007";
inline constexpr char kExport[] = "1011";
inline constexpr char kImport[] = "1012";
// The legend's lines: port states, then power states.
inline constexpr char kLegendLink1000[] = "1013";
inline constexpr char kLegendLink100[] = "1014";
inline constexpr char kLegendLink10[] = "1015";
inline constexpr char kLegendLinkDown[] = "1016";
inline constexpr char kLegendClass0To3[] = "1017";
inline constexpr char kLegendClass4[] = "1018";
inline constexpr char kLegendPowerOff[] = "1019";
inline constexpr char kLegendPowerFault[] = "1020";
inline constexpr char kLegendPowerStopped[] = "1021";

}  // namespace ntr::ui::ids::top
