#include <QPushButton>

#include "ui/dialogs/adapter_dialog.h"
#include "ui/dialogs/adoption_dialog.h"
#include "ui/dialogs/progress_dialog.h"
#include "ui/dialogs/setting_failures_dialog.h"
#include "ui/screenshots/picture_kit.h"
#include "ui/screenshots/screen_pictures.h"

namespace ntr::ui::shots {

void SaveDialogs() {
  ProgressDialog progress(nullptr);
  progress.SetPercent(42);
  progress.show();
  Settle();
  Save(&progress, "dialog-progress");
  const ntr::MacAddress mac{0x02, 0x5C, 0x71, 0x00, 0x00, 0x02};
  const std::pair<ntr::AdoptionQuestion, const char*> questions[] = {
      {ntr::AdoptionQuestion::kFactoryState, "dialog-adoption-factory"},
      {ntr::AdoptionQuestion::kSettingsChanged, "dialog-adoption-changed"},
      {ntr::AdoptionQuestion::kNewDevice, "dialog-adoption-new"}};
  for (const auto& [mode, name] : questions) {
    AdoptionDialog dialog(mode, mac, nullptr);
    // Shown without modality: the picture program answers modal questions
    // (those that come while switches are adopted), and would click this one
    // away while it is being pictured.
    dialog.setWindowModality(Qt::NonModal);
    dialog.show();
    Settle();
    Save(&dialog, name);
  }
  SettingFailuresDialog failures(
      "02:5C:71:00:00:02",
      {"set port-speed 3 100-fdx", "set vlan-trunk 5 2 on", "set loopdetect-port-use 7 on"},
      "/home/operator/.local/share/Kaldor/NTR_Application/error_log.txt", nullptr);
  failures.show();
  Settle();
  Save(&failures, "dialog-setting-failures");
  const std::vector<ntr::AdapterInfo> adapters{
      {"enp3s0",
       "Intel Corporation I211 Gigabit Network Connection",
       "192.168.10.23",
       "00-1B-21-3A-4C-5D",
       {}},
      {"enx00e04c680001",
       "Realtek USB 10/100/1000 LAN",
       "---.---.---.---",
       "00-E0-4C-68-00-01",
       {}},
      {"wlp2s0", "wlp2s0", "fe80::1", "3C-22-FB-01-02-03", {}}};
  AdapterDialog adapter(adapters, nullptr);
  adapter.show();
  Settle();
  Save(&adapter, "dialog-adapter");
}

}  // namespace ntr::ui::shots
