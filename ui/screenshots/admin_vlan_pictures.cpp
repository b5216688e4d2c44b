#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>

#include "ui/forms/choice_box.h"
#include "ui/forms/filtered_edit.h"
#include "ui/forms/screen_ids.h"
#include "ui/main_window/main_window.h"
#include "ui/screens/administration_screen.h"
#include "ui/screens/load_settings_screen.h"
#include "ui/screens/restart_wait_screen.h"
#include "ui/screens/result_screens.h"
#include "ui/screens/save_settings_screen.h"
#include "ui/screens/screen_navigator.h"
#include "ui/screens/tagged_vlan_screen.h"
#include "ui/screens/vlan_id_screen.h"
#include "ui/screenshots/picture_kit.h"
#include "ui/screenshots/screen_pictures.h"

namespace ntr::ui::shots {

namespace {

void Press(ScreenNavigator* screens, const char* id) {
  if (screens->current() == nullptr) return;
  if (auto* button = screens->current()->findChild<QAbstractButton*>(QString::fromLatin1(id)))
    button->click();
}

// Presses `id` and waits until the screen's job has ended on a result or a message.
bool Finish(ScreenNavigator* screens, const char* id) {
  Press(screens, id);
  return WaitFor([&] { return qobject_cast<OutcomeScreen*>(screens->current()) != nullptr; },
                 15000);
}

// Adds VLAN `id` named `name` to the table on the switch's VLAN ID screen.
bool AddVlan(ScreenNavigator* screens, SwitchView sw, int id, const char* name) {
  if (!screens->Open(Target::kVlanIds, sw.ref())) return false;
  auto* vlans = qobject_cast<VlanIdScreen*>(screens->current());
  if (vlans == nullptr) return false;
  vlans->addCheck()->setChecked(true);
  vlans->newIdEdit()->setText(QString::number(id));
  vlans->newNameEdit()->setText(QString::fromUtf8(name));
  return Finish(screens, ids::vlan_id::kSet);
}

// Port `port` of the switch a trunk port, a member of `vlan`.
bool MakeTrunk(ScreenNavigator* screens, SwitchView sw, int port, int vlan) {
  if (!screens->Open(Target::kTaggedVlan, sw.ref(), port)) return false;
  auto* tagged = qobject_cast<TaggedVlanScreen*>(screens->current());
  if (tagged == nullptr || tagged->trunkCheck(vlan) == nullptr) return false;
  tagged->modeChoice()->setCurrentIndex(1);
  tagged->trunkCheck(vlan)->setChecked(true);
  return Finish(screens, ids::form::kSet);
}

}  // namespace

// On the 8-port switch: two VLANs added, a port's tagged VLANs (and its port
// screen naming them), the refusal
// of a trunk on the port that leads to the 24-port switch, and a deletion the
// 24-port switch keeps back because it uses the VLAN too.
void SaveVlanScreens(WindowApp& window) {
  ScreenNavigator* screens = window.screens();
  SwitchView edge = FindSwitch(window, "NTR7100-8G");
  SwitchView core = FindSwitch(window, "NTR7100-24G");
  if (edge == nullptr || core == nullptr) return Fail("no switches for the VLAN screens");
  if (!AddVlan(screens, edge, 10, "office") || !AddVlan(screens, edge, 20, "lab")) {
    return Fail("the VLANs were not added");
  }
  if (!screens->Open(Target::kVlanIds, edge.ref())) return Fail("the VLAN ID screen did not open");
  auto* vlans = qobject_cast<VlanIdScreen*>(screens->current());
  vlans->newIdEdit()->setText(QStringLiteral("30"));
  vlans->newNameEdit()->setText(QStringLiteral("printers"));
  Settle();
  Save(window.window(), "screen-vlan-ids");

  if (!screens->Open(Target::kTaggedVlan, edge.ref(), 1))
    return Fail("the tagged VLAN screen did not open");
  auto* tagged = qobject_cast<TaggedVlanScreen*>(screens->current());
  tagged->modeChoice()->setCurrentIndex(2);
  tagged->accessChoice()->setCurrentIndex(2);
  if (QCheckBox* lab = tagged->trunkCheck(20)) lab->setChecked(true);
  Settle();
  Save(window.window(), "screen-tagged-vlan");
  if (!Finish(screens, ids::form::kSet)) return Fail("the tagged VLAN apply did not end");
  // The port screen names the port's VLANs.
  if (!screens->Open(Target::kPort, edge.ref(), 1)) return Fail("no port screen of port 2");
  Settle();
  Save(screens->current(), "screen-port-vlans");

  // The port towards the 24-port switch cannot be a trunk port.
  if (!screens->Open(Target::kTaggedVlan, edge.ref(), 0))
    return Fail("no tagged VLAN screen of port 1");
  qobject_cast<TaggedVlanScreen*>(screens->current())->modeChoice()->setCurrentIndex(1);
  Press(screens, ids::form::kSet);
  Settle();
  Save(window.window(), "journey-trunk-refused");

  // VLAN 20 on the 24-port switch too: deleting it on the 8-port one keeps its name.
  if (!MakeTrunk(screens, core, 5, 20)) return Fail("the 24-port switch did not take VLAN 20");
  if (!screens->Open(Target::kVlanIds, edge.ref()))
    return Fail("the VLAN ID screen did not open again");
  vlans = qobject_cast<VlanIdScreen*>(screens->current());
  for (int row = 1; row < vlans->rowCount(); ++row) {
    if (vlans->nameEdit(row)->text() == QStringLiteral("lab"))
      vlans->deleteCheck(row)->setChecked(true);
  }
  if (!Finish(screens, ids::vlan_id::kSet)) return Fail("the deletion did not end");
  Settle();
  Save(window.window(), "journey-vlan-kept");
  screens->CloseFrame();
}

// The administration screens, a refused watch interval, and a load of the
// 8-port switch's settings from a file saved before, which ends on the wait
// for the switch to be read again.
void SaveAdminScreens(WindowApp& window) {
  ScreenNavigator* screens = window.screens();
  SwitchView edge = FindSwitch(window, "NTR7100-8G");
  if (edge == nullptr) return Fail("no 8-port switch for the administration screens");
  if (!screens->Open(Target::kAdministration, SwitchRef{}))
    return Fail("the administration screen did not open");
  Settle();
  Save(screens->current(), "screen-admin");  // the whole form: it is wider than the window
  Press(screens, ids::administration::kControl);
  Settle();
  Save(window.window(), "screen-admin-control");
  if (auto* interval =
          screens->current()->findChild<FilteredEdit*>(ids::admin_control::kInterval)) {
    interval->setText(QStringLiteral("11"));
  }
  Press(screens, ids::admin_control::kSet);
  Settle();
  Save(window.window(), "journey-watch-refused");

  const QString file = QDir(outDir).filePath("edge-settings.txt");
  SaveSettingsScreen::chooseFile = [file](QWidget*, const QString&) { return file; };
  if (!screens->Open(Target::kSaveConfiguration, edge.ref()))
    return Fail("the save screen did not open");
  Settle();
  Save(window.window(), "screen-admin-save");
  if (auto* save = qobject_cast<SaveSettingsScreen*>(screens->current())) save->link()->click();
  if (!QFile::exists(file)) return Fail("the settings were not saved");

  if (!screens->Open(Target::kLoadConfiguration, edge.ref()))
    return Fail("the load screen did not open");
  auto* load = qobject_cast<LoadSettingsScreen*>(screens->current());
  load->pathEdit()->setText(file);
  Settle();
  Save(window.window(), "screen-admin-load");
  Press(screens, ids::load_settings::kRun);
  if (qobject_cast<RestartWaitScreen*>(screens->current()) == nullptr)
    return Fail("no wait after the load");
  Save(window.window(), "journey-load-restart-wait");
  if (!WaitFor([&] { return qobject_cast<RestartWaitScreen*>(screens->current()) == nullptr; },
               60000)) {
    Fail("the wait after the load stayed");
  }
  screens->CloseFrame();
  QFile::remove(file);
}

}  // namespace ntr::ui::shots
