// The control ids of the dialogs: each control's object name, the number the
// operator's manual gives it.
#pragma once

namespace ntr::ui::ids {

namespace adoption {
inline constexpr char kDialog[] = "183";
inline constexpr char kFirst[] = "1011";
inline constexpr char kMessage[] = "1026";
inline constexpr char kSecond[] = "1027";
inline constexpr char kQuestion[] = "1029";
}  // namespace adoption

namespace setting_failures {
inline constexpr char kDialog[] = "168";
inline constexpr char kMac[] = "1022";
inline constexpr char kList[] = "1023";
inline constexpr char kErrorLogPath[] = "1024";
}  // namespace setting_failures

namespace progress {
inline constexpr char kDialog[] = "185";
inline constexpr char kText[] = "1025";
inline constexpr char kBar[] = "1030";
inline constexpr char kRule[] = "1031";
inline constexpr char kHeading[] = "1032";
}  // namespace progress

}  // namespace ntr::ui::ids
