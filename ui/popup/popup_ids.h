// The control id of the pop-up information window: its object name, the
// number the operator's manual gives it.
#pragma once

namespace ntr::ui::ids::popup {

inline constexpr char kWindow[] = "150";

}  // namespace ntr::ui::ids::popup
