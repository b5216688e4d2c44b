// The real window against ntr-switch-sim on a private network: three
// switches of different models appear with their pictures, hovering a port
// shows counters fetched from the simulator and folding the switch takes the
// pop-up away, a screen opened on a scrolled page shows where the operator
// looks, and a switch pulled from the network under its open screen is
// reported and disappears.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <QApplication>
#include <QScrollBar>
#include <QTest>

#include "device/managed_switch.h"
#include "device/switch_phase.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/ui/support/dialog_answerer.h"
#include "ui/dialogs/dialog_ids.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/page_view.h"
#include "ui/main_window/window_app.h"
#include "ui/popup/popup_window.h"
#include "ui/screens/screen_navigator.h"
#include "ui/style/text.h"

namespace ntr::e2e {
namespace {

bool WaitFor(const std::function<bool()>& done, int ms = 60000) {
  return QTest::qWaitFor(done, ms);
}

bool LinesMention(const ui::PopupWindow& popup, const QString& label, bool nonZero) {
  for (const auto& line : popup.lines()) {
    if (!line.text.contains(label)) continue;
    return !nonZero || !line.text.endsWith(":0");
  }
  return false;
}

TEST(WindowEndToEnd, SwitchesAppearPortsShowCountersAndALostSwitchGoes) {
  Testbed bed;
  std::string error;
  ASSERT_TRUE(bed.Build(error)) << error;
  ASSERT_TRUE(bed.StartSim(
      "switch core model=NTR7100-24G serial=E24G firmware=1.00\n"
      "switch edge model=NTR7100-8G serial=E8G firmware=1.00 uplink=core:3\n"
      "switch power model=NTR7100-8PoE serial=EPOE firmware=1.00 uplink=edge:8 port=8\n"
      "host core:10 00:A0:DE:00:00:10 traffic=400\n",
      error))
      << error;
  setenv("XDG_DATA_HOME", (bed.work() / "data").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (bed.work() / "run").c_str(), 1);
  testing::NamespaceScope inTool(bed.toolNamespace());
  ASSERT_TRUE(inTool.ok());

  test::DialogAnswerer answerer;
  // Switches in factory state: the tool's settings.
  answerer.buttons["ntr::ui::AdoptionDialog"] = ui::ids::adoption::kFirst;
  ui::WindowApp window;
  ASSERT_TRUE(window.Start()) << answerer.messages.join('|').toStdString();
  Discovery& discovery = window.app().discovery();
  discovery.RequestCycle(true, 300);
  ASSERT_TRUE(WaitFor([&] {
    const auto switches = discovery.Switches();
    if (switches.size() != 3) return false;
    for (ManagedSwitch* sw : switches) {
      if (!IsReady(*sw)) return false;
    }
    return true;
  })) << answerer.messages.join('|').toStdString()
      << answerer.dialogs.join('|').toStdString();

  // Each model gets its own chassis picture, as an icon and in detail.
  ui::TopPanel* page = window.view()->page();
  page->SetAllDetailed(true);
  std::map<std::string, ManagedSwitch*> byModel;
  for (ManagedSwitch* sw : discovery.Switches()) {
    ui::SwitchPanel* panel = page->PanelOf(sw->ref());
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->detailed());
    byModel[sw->record().modelName.get()] = sw;
  }
  ASSERT_EQ(byModel.size(), 3u);
  EXPECT_EQ(byModel["NTR7100-8G"]->record().modelCode.load(), 1);
  EXPECT_EQ(ui::ChassisPicture(1, true), ui::PictureId::kDetail8G);
  EXPECT_EQ(ui::ChassisPicture(2, true), ui::PictureId::kDetail24G);
  EXPECT_EQ(ui::ChassisPicture(3, true), ui::PictureId::kDetailPoe);
  EXPECT_EQ(ui::ChassisPicture(3, false), ui::PictureId::kIconPoe);
  EXPECT_EQ(byModel["NTR7100-24G"]->record().modelCode.load(), 2);
  EXPECT_EQ(byModel["NTR7100-8PoE"]->record().modelCode.load(), 3);

  // Hovering port 10 of the 24-port switch fetches its counters.
  ManagedSwitch* core = byModel["NTR7100-24G"];
  ui::SwitchPanel* corePanel = page->PanelOf(core->ref());
  const QPoint port10 = ui::PortPosition(2, 9) + QPoint(8, 8);
  QMouseEvent move(QEvent::MouseMove, port10, corePanel->mapToGlobal(port10), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(corePanel, &move);
  ui::PopupWindow* popup = window.popup();
  ASSERT_TRUE(
      WaitFor([&] { return popup->isVisible() && LinesMention(*popup, "Port 10", false); }, 5000));
  EXPECT_TRUE(WaitFor([&] { return LinesMention(*popup, "受信オクテット", true); }, 10000));
  EXPECT_GT(core->record().portStatus[9].rxOctets.load(), 0u);
  // Folding the switch moves the port away from the pop-up: it goes.
  QTest::mouseClick(corePanel, Qt::LeftButton, Qt::NoModifier, QPoint(510, 20));
  EXPECT_FALSE(corePanel->detailed());
  EXPECT_FALSE(popup->isVisible());

  // In a small window scrolled to its end, the PoE switch's screen opens in sight.
  const SwitchRef power = byModel["NTR7100-8PoE"]->ref();
  window.window()->resize(600, 280);
  QScrollBar* bar = window.view()->verticalScrollBar();
  ASSERT_TRUE(WaitFor([&] { return bar->maximum() > 0; }, 5000));
  bar->setValue(bar->maximum());
  ui::SwitchPanel* powerPanel = page->PanelOf(power);
  QTest::mouseDClick(powerPanel, Qt::LeftButton, Qt::NoModifier, QPoint(60, 40));
  ui::SettingFrame* frame = window.screens()->frame();
  ASSERT_TRUE(frame->isVisible());
  QWidget* viewport = window.view()->viewport();
  EXPECT_TRUE(viewport->rect().contains(
      QRect(frame->mapTo(viewport, QPoint(0, 0)),
            QSize(ui::SettingFrame::kTabWidth, ui::SettingFrame::kCaptionHeight))));

  // Pulled from the network under its open screen: the operator is told, the
  // screen closes and the switch leaves the page.
  ASSERT_TRUE(bed.Ctl({"remove power"}).ok);
  EXPECT_TRUE(WaitFor([&] { return page->PanelOf(power) == nullptr; }));
  EXPECT_EQ(discovery.Switches().size(), 2u);
  EXPECT_EQ(answerer.messages, QStringList{ui::ToQt(kSwitchLostText)});
  EXPECT_FALSE(frame->isVisible());
  window.window()->ForceClose();
}

}  // namespace
}  // namespace ntr::e2e
