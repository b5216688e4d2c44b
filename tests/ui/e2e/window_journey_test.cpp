// An operator's journey through the real window, against ntr-switch-sim on a
// private network, driving only the window: discover three switches, open
// one, rename it, set a port's speed, add a VLAN and make a port a trunk
// member of it, change the watch interval, save the switch's settings to a
// file, change a setting behind the tool's back, load the saved file and see
// the switch synchronised, then export and import. After every step the
// configuration file and the simulator's own state agree.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <map>

#include "device/managed_switch.h"
#include "device/switch_phase.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/ui/support/dialog_answerer.h"
#include "ui/dialogs/adoption_dialog.h"
#include "ui/dialogs/dialog_ids.h"
#include "ui/dialogs/setting_failures_dialog.h"
#include "ui/forms/choice_box.h"
#include "ui/forms/screen_ids.h"
#include "ui/main_window/main_window.h"
#include "ui/main_window/page_view.h"
#include "ui/main_window/window_app.h"
#include "ui/screens/administration_screen.h"
#include "ui/screens/port_basic_screen.h"
#include "ui/screens/restart_wait_screen.h"
#include "ui/screens/result_screens.h"
#include "ui/screens/screen_navigator.h"
#include "ui/screens/switch_main_screen.h"
#include "ui/screens/tagged_vlan_screen.h"
#include "ui/screens/vlan_id_screen.h"
#include "ui/switch_picture/switch_geometry.h"
#include "ui/top_page/switch_panel.h"
#include "ui/top_page/top_page_ids.h"
#include "ui/top_page/top_panel.h"

namespace ntr::e2e {
namespace {

using namespace ui;

bool WaitFor(const std::function<bool()>& done, int ms = 60000) {
  return QTest::qWaitFor(done, ms);
}

// What a double click delivers: press, release, double click, release.
void DoubleClick(QWidget* widget, QPoint at) {
  QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, at);
}

class WindowJourney : public E2eTest {
 protected:
  void StartWindow() {
    setenv("XDG_DATA_HOME", (bed_->work() / "data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (bed_->work() / "run").c_str(), 1);
    inTool_ = std::make_unique<testing::NamespaceScope>(bed_->toolNamespace());
    ASSERT_TRUE(inTool_->ok());
    answerer_.buttons["ntr::ui::AdoptionDialog"] =
        ids::adoption::kFirst;  // factory state: the tool's settings
    window_ = std::make_unique<WindowApp>();
    ASSERT_TRUE(window_->Start()) << Said();
    window_->app().discovery().RequestCycle(true, 300);
  }
  void TearDown() override {
    if (window_ && window_->window()) window_->window()->ForceClose();
    window_.reset();
    inTool_.reset();
    E2eTest::TearDown();
  }

  std::string Said() const {
    return (answerer_.messages.join('|') + " / " + answerer_.dialogs.join('|')).toStdString();
  }
  TopPanel* page() { return window_->view()->page(); }
  ScreenNavigator* screens() { return window_->screens(); }
  Screen* current() { return screens()->current(); }
  template <typename T>
  T* Showing() {
    return qobject_cast<T*>(current());
  }
  ManagedSwitch* Switch(const std::string& serial) {
    for (ManagedSwitch* sw : window_->app().discovery().Switches()) {
      if (sw->record().serialNumber.get() == serial) return sw;
    }
    return nullptr;
  }
  // The control of the screen shown, by its id.
  template <typename T = QWidget>
  T* Control(const QString& id) {
    T* control = current() == nullptr ? nullptr : current()->findChild<T*>(id);
    EXPECT_NE(control, nullptr) << "no control " << id.toStdString() << " on "
                                << (current() ? current()->metaObject()->className() : "no screen");
    return control;
  }
  void Press(const QString& id) {
    if (auto* button = Control<QAbstractButton>(id)) button->click();
  }
  void Type(const QString& id, const QString& text) {
    auto* edit = Control<QLineEdit>(id);
    if (edit == nullptr) return;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }
  // Presses `id` and waits for the result screen; false (with what shows) otherwise.
  ::testing::AssertionResult Applies(const QString& id) {
    Press(id);
    if (WaitFor(
            [&] {
              return Showing<ResultScreen>() != nullptr || Showing<MessageScreen>() != nullptr;
            },
            20000) &&
        Showing<ResultScreen>() != nullptr) {
      return ::testing::AssertionSuccess();
    }
    auto failure = ::testing::AssertionFailure() << "after " << id.toStdString() << ": ";
    if (auto* message = Showing<MessageScreen>())
      return failure << message->lines().join('|').toStdString();
    return failure << (current() ? current()->metaObject()->className() : "no screen") << " "
                   << Said();
  }
  // Back from a result screen to the screen it names.
  void Back() { Press(ids::result::kBack); }

  // The tool's block of the switch and the simulator's dump hold the same
  // settings, and the switch carries the block's fingerprint.
  ::testing::AssertionResult Agree(const std::string& name, const std::string& mac) {
    std::string why;
    bool same = false;
    WaitFor(
        [&] {
          const ConfigFile config = ParseConfigFile(ReadFile(bed_->configPath()), why);
          const Block* block = config.Find(mac);
          const Block dump = ParseDump(bed_->Ctl({"dump " + name}).text, why);
          const auto words = Words(bed_->Ctl({"fingerprint " + name}).text);
          same = block != nullptr && SetLines(block->lines) == SetLines(dump.lines) &&
                 words.size() == 2 &&
                 block->fingerprint ==
                     static_cast<std::uint32_t>(std::strtoul(words[1].c_str(), nullptr, 10));
          return same;
        },
        20000);
    if (same) return ::testing::AssertionSuccess();
    const ConfigFile config = ParseConfigFile(ReadFile(bed_->configPath()), why);
    const Block* block = config.Find(mac);
    return ::testing::AssertionFailure()
           << name << ": file " << (block ? Join(SetLines(block->lines), ";") : "no block")
           << " / switch "
           << Join(SetLines(ParseDump(bed_->Ctl({"dump " + name}).text, why).lines), ";");
  }
  bool Has(const std::string& name, const std::string& line) {
    std::string why;
    for (const std::string& set :
         SetLines(ParseDump(bed_->Ctl({"dump " + name}).text, why).lines)) {
      if (set == "switch control function set " + line) return true;
    }
    return false;
  }

  // The data folder holds `blocks` (select line, identity lines, set lines)
  // before the window starts.
  void KnownSwitches(const std::string& blocks) {
    std::filesystem::create_directories(bed_->dataFolder());
    WriteFile(
        bed_->configPath(),
        ToFileBytes("switch control watch interval 3 3\nswitch control use lan1 on\n" + blocks));
  }
  static std::string KnownBlock(int position, const std::string& serial, const std::string& model,
                                const std::string& settings = {}) {
    return "\nswitch select " + SimMac(position) +
           "\n#switch control function get firmware-revision 1.00\n" +
           "#switch control function get serial-number " + serial + "\n" +
           "#switch control function get model-name " + model + "\n" + settings;
  }
  bool AllReady(std::size_t count) {
    const auto switches = window_->app().discovery().Switches();
    return switches.size() == count && std::all_of(switches.begin(), switches.end(),
                                                   [](ManagedSwitch* sw) { return IsReady(*sw); });
  }
  // Waits until `cycles` more discovery cycles have run and been answered.
  bool CyclesPass(std::uint32_t cycles) {
    Discovery& discovery = window_->app().discovery();
    const std::uint32_t until = discovery.cyclesRun() + cycles;
    const std::uint64_t accepted = discovery.repliesAccepted();
    return WaitFor(
        [&] { return discovery.cyclesRun() >= until && discovery.repliesAccepted() > accepted; });
  }

  test::DialogAnswerer answerer_;
  std::unique_ptr<testing::NamespaceScope> inTool_;
  std::unique_ptr<WindowApp> window_;
};

TEST_F(WindowJourney, AnOperatorsDayThroughTheWindowKeepsFileAndSwitchesInStep) {
  StartSim(
      "switch core model=NTR7100-24G serial=J24G firmware=1.00\n"
      "switch edge model=NTR7100-8G serial=J8G firmware=1.00 uplink=core:3\n"
      "switch power model=NTR7100-8PoE serial=JPOE firmware=1.00 uplink=edge:8 port=8\n");
  StartWindow();
  ASSERT_TRUE(WaitFor([&] {
    const auto switches = window_->app().discovery().Switches();
    return switches.size() == 3 && std::all_of(switches.begin(), switches.end(),
                                               [](ManagedSwitch* sw) { return IsReady(*sw); });
  })) << Said();
  ManagedSwitch* edge = Switch("J8G");
  ASSERT_NE(edge, nullptr);
  const std::string edgeMac = edge->record().macText.get();
  const SwitchRef edgeRef = edge->ref();
  ASSERT_TRUE(Agree("edge", edgeMac));

  // Open the switch: every switch in detail, then a double click on its chassis.
  page()->button(ids::top::kAllDetailed)->click();
  SwitchPanel* panel = page()->PanelOf(edgeRef);
  ASSERT_NE(panel, nullptr);
  ASSERT_TRUE(WaitFor([&] { return !panel->clickGuarded(); }, 2000));
  DoubleClick(panel, QPoint(60, 40));
  ASSERT_NE(Showing<SwitchMainScreen>(), nullptr);

  // Rename it.
  Press(ids::switch_main::kName);
  Type(ids::switch_name::kName, "journey-edge");
  ASSERT_TRUE(Applies(ids::form::kSet));
  EXPECT_TRUE(Has("edge", "system-name journey-edge"));
  EXPECT_TRUE(Agree("edge", edgeMac));
  Back();
  ASSERT_NE(Showing<SwitchMainScreen>(), nullptr);

  // Port 2 at 100 Mbit/s full duplex: its screen from a double click on the port.
  DoubleClick(panel, PortPosition(1, 1) + QPoint(6, 6));
  ASSERT_EQ(current()->port(), 1);
  Press(ids::port::kBasic);
  auto* basic = Showing<PortBasicScreen>();
  ASSERT_NE(basic, nullptr);
  basic->speed()->setCurrentIndex(4);  // auto, 10 half, 10 full, 100 half, 100 full
  ASSERT_TRUE(basic->speed()->currentText().contains(QStringLiteral("100-fdx")));
  ASSERT_TRUE(Applies(ids::form::kSet));
  EXPECT_TRUE(Has("edge", "port-speed 2 100-fdx")) << Join(SetLines(Dump("edge").lines), ";");
  EXPECT_TRUE(Agree("edge", edgeMac));

  // VLAN 20 "lab" from the main screen's VLAN button; port 4 becomes a trunk member of it.
  DoubleClick(panel, QPoint(60, 40));
  ASSERT_NE(Showing<SwitchMainScreen>(), nullptr);
  Press(ids::switch_main::kVlanIds);
  ASSERT_NE(Showing<VlanIdScreen>(), nullptr);
  Press(ids::vlan_id::kAdd);
  Type(ids::vlan_id::kNewId, "20");
  Type(ids::vlan_id::kNewName, "lab");
  ASSERT_TRUE(Applies(ids::vlan_id::kSet));
  EXPECT_EQ(window_->app().config().GetVlanName(20), "lab");
  EXPECT_TRUE(Contains(ReadFile(bed_->configPath()), "vid=20 name=lab"));
  DoubleClick(panel, PortPosition(1, 3) + QPoint(6, 6));
  ASSERT_EQ(current()->port(), 3);
  Press(ids::port::kTaggedVlan);
  auto* tagged = Showing<TaggedVlanScreen>();
  ASSERT_NE(tagged, nullptr);
  tagged->modeChoice()->setCurrentIndex(1);  // trunk
  ASSERT_NE(tagged->trunkCheck(20), nullptr);
  tagged->trunkCheck(20)->click();
  ASSERT_TRUE(Applies(ids::form::kSet));
  EXPECT_TRUE(Has("edge", "vlan-port-mode 4 trunk")) << Join(SetLines(Dump("edge").lines), ";");
  EXPECT_TRUE(Has("edge", "vlan-trunk 4 20 join")) << Join(SetLines(Dump("edge").lines), ";");
  EXPECT_TRUE(Agree("edge", edgeMac));

  // The watch interval, on the administration screen of a double click on this computer.
  DoubleClick(page(), TopPanel::ComputerRect().center());
  ASSERT_NE(Showing<AdministrationScreen>(), nullptr);
  Press(ids::administration::kControl);
  Type(ids::admin_control::kInterval, "2");
  ASSERT_TRUE(Applies(ids::admin_control::kSet));
  EXPECT_TRUE(Contains(ReadFile(bed_->configPath()), "switch control watch interval 2 3"));
  EXPECT_EQ(window_->app().discovery().cycleIntervalMs(), 2000);
  Back();

  // The switch's settings saved to a file of its own.
  auto* admin = Showing<AdministrationScreen>();
  ASSERT_NE(admin, nullptr);
  int row = -1;
  for (std::size_t i = 0; i < admin->rows().size(); ++i) {
    if (admin->rows()[i].sw == edgeRef) row = static_cast<int>(i);
  }
  ASSERT_GE(row, 0);
  Press(ids::administration::Save(row));
  const auto saved = bed_->work() / "edge-saved.txt";
  answerer_.files << QString::fromStdString(saved.string());
  Press("settingsFileLink");
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(saved); }, 5000)) << Said();
  const std::string savedText = ReadFile(saved);
  EXPECT_TRUE(Contains(savedText, "system-name journey-edge"));
  EXPECT_TRUE(Contains(savedText, "vlan-trunk 4 20 join"));

  // Behind the tool's back the port falls back to auto and port 3 goes out of use;
  // loading the saved file brings the switch back to what it held.
  Ctls({"drift edge port-speed 2 1", "drift edge port-use 3 0"});
  Press(ids::result::kBack);  // back to the administration screen
  ASSERT_NE(Showing<AdministrationScreen>(), nullptr);
  Press(ids::administration::Load(row));
  Type(ids::load_settings::kPath, QString::fromStdString(saved.string()));
  const std::size_t before = Requests().size();
  Press(ids::load_settings::kRun);
  ASSERT_NE(Showing<RestartWaitScreen>(), nullptr) << Said();
  ASSERT_TRUE(WaitFor([&] { return Showing<RestartWaitScreen>() == nullptr; }, 90000)) << Said();
  bool synchronised = false;
  for (const LoggedRequest& request : RequestsSince(before))
    synchronised |= request.request == "sync";
  EXPECT_TRUE(synchronised);
  EXPECT_TRUE(Has("edge", "port-speed 2 100-fdx")) << Join(SetLines(Dump("edge").lines), ";");
  EXPECT_FALSE(Has("edge", "port-use 3 off")) << Join(SetLines(Dump("edge").lines), ";");
  edge = Switch("J8G");
  ASSERT_NE(edge, nullptr);
  EXPECT_TRUE(Agree("edge", edgeMac));

  // Export, then import of what was exported: every switch stays as the file says.
  screens()->CloseFrame();
  const auto exported = bed_->work() / "exported.txt";
  answerer_.files << QString::fromStdString(exported.string());
  page()->button(ids::top::kExport)->click();
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(exported); }, 5000)) << Said();
  EXPECT_EQ(ReadFile(exported), ReadFile(bed_->configPath()));
  answerer_.files << QString::fromStdString(exported.string());
  page()->button(ids::top::kImport)->click();
  ASSERT_TRUE(WaitFor([&] {
    return answerer_.messages.contains(QStringLiteral("インポートしました。"));
  })) << Said();
  for (const auto& [name, serial] :
       {std::pair{"core", "J24G"}, {"edge", "J8G"}, {"power", "JPOE"}}) {
    ManagedSwitch* sw = Switch(serial);
    ASSERT_NE(sw, nullptr) << name;
    EXPECT_TRUE(Agree(name, sw->record().macText.get()));
  }
  EXPECT_TRUE(Has("edge", "system-name journey-edge"));
  // Nothing else was said on the way.
  EXPECT_EQ(answerer_.messages, QStringList({QStringLiteral("エクスポートしました。"),
                                             QStringLiteral("インポートしました。")}));
}

// After an upgrade the data folder knows two switches: one now holds a
// changed setting, the other came back in factory state; a third is new.
// The operator reads each question for a while (discovery goes on) before
// answering: each is asked once, and all three end managed, the file and
// the switches agreeing.
TEST_F(WindowJourney, QuestionsAnsweredLateAreAskedOnceAndEveryoneIsManaged) {
  StartSim(
      "switch changed model=NTR7100-24G serial=Q24G firmware=1.00\n"
      "switch fresh model=NTR7100-8G serial=Q8G firmware=1.00\n"
      "switch added model=NTR7100-8G serial=QNEW firmware=1.00\n");
  KnownSwitches(KnownBlock(1, "Q24G", "NTR7100-24G") +
                KnownBlock(2, "Q8G", "NTR7100-8G", "switch control function set port-use 3 off\n"));
  Ctls({"drift changed port-speed 4 5", "drift added port-use 2 0"});
  QStringList asked;
  std::map<QDialog*, std::uint32_t> openedAt;
  answerer_.hold = [&](QDialog* dialog) {
    if (qobject_cast<AdoptionDialog*>(dialog) == nullptr) return false;
    const std::uint32_t cycles = window_->app().discovery().cyclesRun();
    const auto [opened, first] = openedAt.emplace(dialog, cycles);
    if (cycles < opened->second + 5) return true;  // still being read
    QPushButton* tool = dialog->findChild<QPushButton*>(ids::adoption::kFirst);
    QPushButton* device = dialog->findChild<QPushButton*>(ids::adoption::kSecond);
    if (tool == nullptr || device == nullptr) return false;
    asked << tool->text();
    openedAt.erase(dialog);
    // "ツール", "はい"; for the new switch its own settings ("機器").
    (tool->text() == QStringLiteral("工場出荷") ? device : tool)->click();
    return true;
  };
  StartWindow();
  ASSERT_TRUE(WaitFor([&] { return AllReady(3); }, 90000))
      << Said() << " asked " << asked.join('|').toStdString();
  ASSERT_TRUE(CyclesPass(10));
  EXPECT_TRUE(AllReady(3));
  QStringList once{QStringLiteral("ツール"), QStringLiteral("はい"), QStringLiteral("工場出荷")};
  once.sort();
  asked.sort();
  EXPECT_EQ(asked, once);
  EXPECT_TRUE(SetLines(Dump("changed").lines).empty())
      << Join(SetLines(Dump("changed").lines), ";");
  EXPECT_TRUE(Has("fresh", "port-use 3 off"));
  EXPECT_TRUE(Has("added", "port-use 2 off"));
  for (int position = 1; position <= 3; ++position) {
    const char* name = position == 1 ? "changed" : position == 2 ? "fresh" : "added";
    EXPECT_TRUE(Agree(name, SimMac(position)));
  }
}

// Two switches refuse a setting in the synchronisations that follow a change
// behind the tool's back: the open frame closes, the two reports come one
// after the other, and the window still answers afterwards.
TEST_F(WindowJourney, TwoRefusedSynchronisationsAreReportedOneAfterTheOther) {
  StartSim(
      "switch left model=NTR7100-8G serial=R8GL firmware=1.00\n"
      "switch right model=NTR7100-8G serial=R8GR firmware=1.00\n");
  const std::string portOff = "switch control function set port-use 3 off\n";
  KnownSwitches(KnownBlock(1, "R8GL", "NTR7100-8G", portOff) +
                KnownBlock(2, "R8GR", "NTR7100-8G", portOff));
  Ctls(
      {"drift left port-use 3 0", "drift right port-use 3 0"});  // as the file says: nothing to ask
  StartWindow();
  ASSERT_TRUE(WaitFor([&] { return AllReady(2); })) << Said();
  ManagedSwitch* left = Switch("R8GL");
  ManagedSwitch* right = Switch("R8GR");
  ASSERT_TRUE(left != nullptr && right != nullptr);
  const SwitchRef leftRef = left->ref();
  page()->button(ids::top::kAllDetailed)->click();
  SwitchPanel* panel = page()->PanelOf(leftRef);
  ASSERT_NE(panel, nullptr);
  ASSERT_TRUE(WaitFor([&] { return !panel->clickGuarded(); }, 2000));
  DoubleClick(panel, QPoint(60, 40));
  ASSERT_NE(Showing<SwitchMainScreen>(), nullptr);

  struct Shown {
    QString mac;
    bool frameOpen;
    int reportsOpen;
  };
  std::vector<Shown> shown;
  const auto reportsOpen = [] {
    int open = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      open +=
          qobject_cast<SettingFailuresDialog*>(widget) != nullptr && widget->isVisible() ? 1 : 0;
    }
    return open;
  };
  answerer_.hold = [&](QDialog* dialog) {
    if (qobject_cast<SettingFailuresDialog*>(dialog) == nullptr) return false;
    // Each report's dialog lives on the stack: a later one may take the
    // address of one gone, so a dialog is marked once seen.
    if (!dialog->property("seen").toBool()) {
      dialog->setProperty("seen", true);
      auto* mac = dialog->findChild<QLabel*>(ids::setting_failures::kMac);
      shown.push_back(
          Shown{mac != nullptr ? mac->text() : QString(), current() != nullptr, reportsOpen()});
    }
    // The first report stays open until both synchronisations have ended
    // and both lists were taken.
    for (ManagedSwitch* sw : window_->app().discovery().Switches()) {
      if (!sw->settings().lastSyncDone() || sw->settings().synchronisationPending() ||
          !sw->record().failures.empty()) {
        return true;
      }
    }
    return false;
  };
  Ctls({"fault left refuse port-use 1 1", "fault right refuse port-use 1 1",
        "drift left port-speed 2 5", "drift right port-speed 2 5"});
  ASSERT_TRUE(WaitFor(
      [&] { return shown.size() >= 2 && QApplication::activeModalWidget() == nullptr; }, 90000))
      << Said();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_FALSE(shown[0].frameOpen);
  EXPECT_NE(shown[0].mac, shown[1].mac);
  for (const Shown& report : shown) EXPECT_EQ(report.reportsOpen, 1);

  // The window answers: the switch's screen opens again.
  panel = page()->PanelOf(leftRef);
  ASSERT_NE(panel, nullptr);
  DoubleClick(panel, QPoint(60, 40));
  EXPECT_NE(Showing<SwitchMainScreen>(), nullptr);
  EXPECT_TRUE(Agree("left", SimMac(1)));
  EXPECT_TRUE(Agree("right", SimMac(2)));
}

}  // namespace
}  // namespace ntr::e2e
