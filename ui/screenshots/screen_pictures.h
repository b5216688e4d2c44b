// Pictures of the setting screens on the demonstration network: the switch
// and port screens, the firmware screens, the administration screens and the
// VLAN screens, each opened in the window's setting frame.
#pragma once

#include "app/switch_view.h"
#include "ui/main_window/window_app.h"

namespace ntr::ui::shots {

void SaveNameAndResultScreens(WindowApp& window, SwitchView sw);
void SavePortScreens(WindowApp& window, SwitchView core, SwitchView edge, SwitchView power);
void SaveSwitchScreens(WindowApp& window);
void SaveFirmwareScreens(WindowApp& window);
void SaveVlanScreens(WindowApp& window);
void SaveAdminScreens(WindowApp& window);

// The dialogs, each on its own.
void SaveDialogs();

}  // namespace ntr::ui::shots
