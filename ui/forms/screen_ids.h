// The control ids of the setting frame and its screens: each control's object
// name, the number the operator's manual gives it. Ids repeat between
// screens ("設定" is 8001 on most forms, 8002 or 8004 on others), so each
// screen has a namespace; `form` holds the pair most forms share.
#pragma once

#include <QString>

namespace ntr::ui::ids {

// The screens themselves, numbered as they open: from 10001 to 20000, then again.
inline constexpr int kFirstScreen = 10001;
inline constexpr int kLastScreen = 20000;

namespace frame {
inline constexpr char kVerticalBar[] = "7000";
inline constexpr char kHorizontalBar[] = "7001";
}  // namespace frame

// "設定" and "キャンセル" of the switch name, port, loop detection, mirroring,
// power saving, multiple and tagged VLAN forms.
namespace form {
inline constexpr char kSet[] = "8001";
inline constexpr char kCancel[] = "8002";
}  // namespace form

// The result and message screens, and the end of saving the settings.
namespace result {
inline constexpr char kBack[] = "8001";
}  // namespace result

namespace switch_main {
inline constexpr char kName[] = "8001";
inline constexpr char kFirmware[] = "8002";
inline constexpr char kPowerSaving[] = "8003";
inline constexpr char kLoopDetection[] = "8004";
inline constexpr char kMirroring[] = "8005";
inline constexpr char kVlanIds[] = "8006";
inline constexpr char kClearCounters[] = "8007";
inline constexpr char kRestart[] = "8008";
inline constexpr char kFactoryReset[] = "8009";
inline constexpr char kClose[] = "8010";
inline constexpr char kRestartPoe[] = "8011";
}  // namespace switch_main

namespace switch_name {
inline constexpr char kName[] = "8000";
}  // namespace switch_name

namespace port {
inline constexpr char kBasic[] = "8001";
inline constexpr char kQos[] = "8002";
inline constexpr char kTaggedVlan[] = "8003";
inline constexpr char kMultipleVlan[] = "8004";
inline constexpr char kFrameCounter[] = "8005";
inline constexpr char kClose[] = "8007";
inline constexpr char kPowerClass[] = "8008";
}  // namespace port

namespace loop_detection {
inline constexpr char kCount[] = "8000";
inline constexpr char kShutDown[] = "8003";
inline constexpr char kNoShutDown[] = "8004";
inline constexpr char kRecoverySeconds[] = "8005";
}  // namespace loop_detection

namespace mirroring {
inline constexpr char kUse[] = "8003";
inline constexpr char kSniffer[] = "8004";
// The direction box of port `port` (1-based).
inline QString Direction(int port) { return QString::number(8100 + port); }
}  // namespace mirroring

namespace power_saving {
inline constexpr char kNormal[] = "8003";
inline constexpr char kEconomy[] = "8004";
// The confirmation that follows.
inline constexpr char kYes[] = "8000";
inline constexpr char kNo[] = "8001";
}  // namespace power_saving

namespace multiple_vlan {
// The check box of group `group` (1-based).
inline QString Group(int group) { return QString::number(8100 + group); }
}  // namespace multiple_vlan

namespace vlan_id {
inline constexpr char kNewName[] = "8001";
inline constexpr char kNewId[] = "8002";
inline constexpr char kAdd[] = "8003";
inline constexpr char kSet[] = "8004";
inline constexpr char kCancel[] = "8005";
// The name edit and the removal check box of table row `row`.
inline QString Name(int row) { return QString::number(10000 + row); }
inline QString Remove(int row) { return QString::number(20000 + row); }
}  // namespace vlan_id

namespace firmware_update {
inline constexpr char kPath[] = "8000";
inline constexpr char kRun[] = "8001";
inline constexpr char kCancel[] = "8002";
inline constexpr char kBrowse[] = "8003";
}  // namespace firmware_update

namespace firmware_progress {
inline constexpr char kText[] = "8000";
inline constexpr char kAbort[] = "8001";
inline constexpr char kBar[] = "8002";
}  // namespace firmware_progress

namespace administration {
inline constexpr char kControl[] = "8001";
inline constexpr char kClose[] = "8002";
// The "保存" and "読込" buttons of list row `row`. The first nine rows keep
// 18000 + row and 18009 + row; from the tenth on those would meet, so later
// rows take 30000 + 2 row and 30001 + 2 row, and no id is ever shared.
inline QString Save(int row) { return QString::number(row < 9 ? 18000 + row : 30000 + 2 * row); }
inline QString Load(int row) { return QString::number(row < 9 ? 18009 + row : 30001 + 2 * row); }
}  // namespace administration

namespace admin_control {
inline constexpr char kInterval[] = "8000";
inline constexpr char kCount[] = "8001";
inline constexpr char kSet[] = "8002";
inline constexpr char kCancel[] = "8003";
}  // namespace admin_control

namespace load_settings {
inline constexpr char kPath[] = "8001";
inline constexpr char kBrowse[] = "8002";
inline constexpr char kRun[] = "8003";
inline constexpr char kCancel[] = "8004";
}  // namespace load_settings

}  // namespace ntr::ui::ids
