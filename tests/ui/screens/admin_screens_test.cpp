// The administration screens over the simulator in process: the watch values
// (their rows' colours, range checks, storing, the file, discovery's new
// interval at once), the list reached by a double click on the computer (a
// switch held back is not listed), saving a switch's settings
// (a lost switch, a written file, a path that cannot be written) and loading
// them back (a file without the switch, an unreadable file, a whole apply).
#include <QTest>

#include "app/switch_service.h"
#include "config/config_writer.h"
#include "tests/config/registry_support.h"
#include "tests/ui/support/sim_window.h"
#include "ui/forms/screen_ids.h"
#include "ui/screens/admin_control_screen.h"
#include "ui/screens/administration_screen.h"
#include "ui/screens/load_settings_screen.h"
#include "ui/screens/restart_wait_screen.h"
#include "ui/screens/result_screens.h"
#include "ui/screens/save_settings_screen.h"
#include "ui/screens/screen_navigator.h"
#include "ui/screens/switch_name_screen.h"
#include "ui/style/colours.h"
#include "ui/style/text.h"
#include "ui/top_page/top_panel.h"

using namespace ntr;
using namespace ntr::ui;

namespace {

const char kNetwork[] =
    "switch a model=NTR7100-8G serial=TA firmware=1.00\n"
    "switch b model=NTR7100-8G serial=TB firmware=1.00\n";

QPushButton* Button(QWidget* screen, const QString& id) {
  return screen->findChild<QPushButton*>(id);
}

// QTest::mouseDClick alone sends only the double-click event.
void DoubleClick(QWidget* widget, QPoint at) {
  QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, at);
}

struct Started {
  Started() : sim(kNetwork) {}
  ~Started() {
    SaveSettingsScreen::chooseFile = nullptr;
    LoadSettingsScreen::chooseFile = nullptr;
  }
  ScreenNavigator* navigator() { return sim.app().screens(); }
  Application& app() { return sim.app().app(); }
  template <typename T>
  T* Current() {
    return qobject_cast<T*>(navigator()->current());
  }
  // The administration screen, by a double click on the computer.
  AdministrationScreen* Go() {
    if (!sim.Start() || !sim.WaitForReady(2)) return nullptr;
    DoubleClick(sim.page(), TopPanel::ComputerRect().center());
    return Current<AdministrationScreen>();
  }
  int RowOf(const std::string& name) {
    const auto& rows = Current<AdministrationScreen>()->rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].serial == ToQt(sim.Switch(name)->record().serialNumber.get()))
        return static_cast<int>(i);
    }
    return -1;
  }
  // Saves switch `name`'s settings to `file` from the administration screen.
  void Save(const std::string& name, const std::filesystem::path& file) {
    Button(Current<AdministrationScreen>(), ids::administration::Save(RowOf(name)))->click();
    SaveSettingsScreen::chooseFile = [this, file](QWidget*, const QString& suggested) {
      suggestedName = suggested;
      return ToQt(file.string());
    };
    Current<SaveSettingsScreen>()->link()->click();
  }
  // The message shown after "実行" with `file` on switch `name`'s load screen.
  MessageScreen* LoadFails(const std::string& name, const std::filesystem::path& file) {
    if (!navigator()->Open(Target::kAdministration, SwitchRef{})) return nullptr;
    Button(Current<AdministrationScreen>(), ids::administration::Load(RowOf(name)))->click();
    LoadSettingsScreen::chooseFile = [file](QWidget*) { return ToQt(file.string()); };
    Button(Current<LoadSettingsScreen>(), ids::load_settings::kBrowse)->click();
    Button(Current<LoadSettingsScreen>(), ids::load_settings::kRun)->click();
    return Current<MessageScreen>();
  }
  // Names switch `name` through its name screen, on the switch too.
  bool Rename(const std::string& name, const QString& to) {
    if (!navigator()->Open(Target::kSwitchName, sim.Switch(name)->ref())) return false;
    Current<SwitchNameScreen>()->edit()->setText(to);
    Button(Current<SwitchNameScreen>(), ids::form::kSet)->click();
    return sim.WaitFor([&] { return Current<ResultScreen>() != nullptr; }) &&
           sim.Switch(name)->record().systemName.get() == FromQt(to);
  }
  test::SimWindow sim;
  QString suggestedName;
};

}  // namespace

class AdminScreensTest : public QObject {
  Q_OBJECT

 private slots:
  void watchValuesAreCheckedStoredSavedAndTakeEffectAtOnce() {
    Started s;
    AdministrationScreen* admin = s.Go();
    QVERIFY(admin != nullptr);
    QCOMPARE(admin->rows().size(), std::size_t{2});
    QCOMPARE(admin->rows()[0].sw, s.app().discovery().Switches()[0]->ref());
    Button(admin, ids::administration::kControl)->click();

    struct Refused {
      const char* interval;
      const char* count;
      const char* reason;
    };
    // Both watch values are data rows: the first in the first row colour, the second in the
    // alternate one.
    const QImage form = s.Current<AdminControlScreen>()->grab().toImage();
    QCOMPARE(form.pixelColor(385, 48), kRowColour);
    QCOMPARE(form.pixelColor(385, 75), kAlternateRowColour);

    for (const Refused& refused :
         {Refused{"1", "3", kIntervalOutOfRangeText}, Refused{"11", "3", kIntervalOutOfRangeText},
          Refused{"5", "", kDownCountOutOfRangeText}}) {
      auto* control = s.Current<AdminControlScreen>();
      QVERIFY(control != nullptr);
      control->intervalEdit()->setText(refused.interval);
      control->countEdit()->setText(refused.count);
      Button(control, ids::admin_control::kSet)->click();
      auto* message = s.Current<MessageScreen>();
      QVERIFY(message != nullptr);
      QCOMPARE(message->title(), QString("スイッチ制御機能の設定 "));
      QCOMPARE(message->lines(),
               (QStringList{"スイッチ制御機能の設定に失敗しました。", refused.reason}));
      QCOMPARE(s.app().config().watchInterval(), 3);
      QCOMPARE(s.app().config().downCount(), 3);
      Button(message, ids::result::kBack)->click();  // back to the control settings
    }

    // A file that cannot be written (a folder in its place): the old values stay.
    const std::filesystem::path configFile = ConfigFilePath();
    std::filesystem::remove(configFile);
    std::filesystem::create_directory(configFile);
    s.Current<AdminControlScreen>()->intervalEdit()->setText("6");
    Button(s.Current<AdminControlScreen>(), ids::admin_control::kSet)->click();
    auto* unsaved = s.Current<MessageScreen>();
    QVERIFY(unsaved != nullptr);
    QCOMPARE(unsaved->lines().size(), 2);
    QCOMPARE(unsaved->lines()[0], QString("スイッチ制御機能の設定に失敗しました。"));
    QCOMPARE(unsaved->backTarget(), Target::kAdminControl);
    QCOMPARE(s.app().config().watchInterval(), 3);
    std::filesystem::remove(configFile);
    Button(unsaved, ids::result::kBack)->click();

    // Accepted: stored, saved, and the next cycle runs at once although the
    // timer's period is long now; then every 10 s.
    auto* control = s.Current<AdminControlScreen>();
    QVERIFY(control != nullptr);
    QCOMPARE(control->intervalEdit()->maxLength(), 2);
    control->intervalEdit()->setText("10");
    control->countEdit()->setText("4");
    Discovery& discovery = s.app().discovery();
    discovery.RequestCycle(true, 600000);
    QVERIFY(s.sim.WaitFor([&] { return discovery.cycleIntervalMs() == 600000; }));
    QTest::qWait(50);
    const std::uint32_t cycles = discovery.cyclesRun();
    Button(control, ids::admin_control::kSet)->click();
    QCOMPARE(s.app().config().watchInterval(), 10);
    QCOMPARE(s.app().config().downCount(), 4);
    QCOMPARE(test::Count(test::FileText(ConfigFilePath()), "switch control watch interval 10 4"),
             1u);
    QCOMPARE(discovery.cycleIntervalMs(), 10000);
    QVERIFY(s.sim.WaitFor([&] { return discovery.cyclesRun() > cycles; }, 5000));
    auto* result = s.Current<ResultScreen>();
    QVERIFY(result != nullptr);
    QCOMPARE(result->title(), QString("スイッチ制御機能の設定 "));
    QCOMPARE(result->lines(), QStringList{"スイッチ制御機能の設定は正常に反映されました。"});
    Button(result, ids::result::kBack)->click();
    QVERIFY(s.Current<AdministrationScreen>() != nullptr);
    Button(s.Current<AdministrationScreen>(), ids::administration::kClose)->click();
    QCOMPARE(s.navigator()->current(), nullptr);

    // A switch whose model is held unknown (to be adopted again) is not listed.
    s.sim.Switch("b")->HoldBack();
    QVERIFY(s.navigator()->Open(Target::kAdministration, SwitchRef{}));
    QCOMPARE(s.Current<AdministrationScreen>()->rows().size(), std::size_t{1});
    QCOMPARE(s.Current<AdministrationScreen>()->rows()[0].serial, QString("TA"));
  }

  void savingWritesTheSwitchAloneAndALostSwitchRebuildsTheList() {
    Started s;
    QVERIFY(s.Go() != nullptr);
    s.app().config().SetWatch(4, 2);
    const std::string name = s.sim.Switch("a")->record().systemName.get();
    const MacAddress other = s.sim.Mac("b");

    // A present switch: the file holds its block alone with the watch values.
    const auto file = s.sim.root() / "a.txt";
    s.Save("a", file);
    QCOMPARE(s.suggestedName, ToQt("config_ntr-" + name + ".txt"));
    QVERIFY(s.Current<SaveSettingsScreen>() != nullptr);  // nothing shown on success
    const std::string text = test::FileText(file);
    QCOMPARE(test::Count(text, "switch select "), 1u);
    QCOMPARE(test::Count(text, "switch select " + s.sim.Switch("a")->record().macText.get()), 1u);
    QCOMPARE(test::Count(text, "switch control watch interval 4 2"), 1u);

    // A path that cannot be written.
    SaveSettingsScreen::chooseFile = [&](QWidget*, const QString&) {
      return ToQt((s.sim.root() / "missing" / "a.txt").string());
    };
    s.Current<SaveSettingsScreen>()->link()->click();
    auto* message = s.Current<MessageScreen>();
    QVERIFY(message != nullptr);
    QCOMPARE(message->title(), QString("設定ファイルの保存"));
    QCOMPARE(message->lines().size(), 2);
    QCOMPARE(message->lines()[0], QString("設定ファイルの保存に失敗しました。"));
    QVERIFY(!message->lines()[1].isEmpty());
    QCOMPARE(message->backTarget(), Target::kSaveConfiguration);
    Button(message, ids::result::kBack)->click();
    Button(s.Current<SaveSettingsScreen>(), ids::result::kBack)->click();

    // The other switch leaves while the list shows it.
    auto* admin = s.Current<AdministrationScreen>();
    QVERIFY(admin != nullptr);
    const int row = s.RowOf("b");
    s.sim.peer().Control("remove b");
    QVERIFY(s.sim.WaitFor([&] { return s.app().discovery().FindByMac(other) == nullptr; }));
    QCOMPARE(s.Current<AdministrationScreen>(), admin);
    Button(admin, ids::administration::Save(row))->click();
    QVERIFY(
        s.sim.WaitFor([&] { return s.sim.answerer().messages.contains(ToQt(kSwitchLostText)); }));
    auto* rebuilt = s.Current<AdministrationScreen>();
    QVERIFY(rebuilt != nullptr && rebuilt != admin);
    QCOMPARE(rebuilt->rows().size(), std::size_t{1});
  }

  void loadingRefusesForeignAndUnreadableFilesAndAppliesASavedOne() {
    Started s;
    QVERIFY(s.Go() != nullptr);
    // The file holds the settings that differ from the defaults.
    QVERIFY(s.Rename("a", "saved"));
    QVERIFY(s.navigator()->Open(Target::kAdministration, SwitchRef{}));
    const auto fileA = s.sim.root() / "a.txt";
    const auto fileB = s.sim.root() / "b.txt";
    s.Save("a", fileA);
    QVERIFY(std::filesystem::exists(fileA));
    QVERIFY(s.navigator()->Open(Target::kAdministration, SwitchRef{}));
    s.Save("b", fileB);

    MessageScreen* message = s.LoadFails("a", fileB);
    QVERIFY(message != nullptr);
    QCOMPARE(message->title(), QString("設定の更新"));
    QCOMPARE(message->lines(),
             (QStringList{"設定の更新に失敗しました。", "ファイル内にデータが見つかりません"}));
    QCOMPARE(message->backTarget(), Target::kLoadConfiguration);
    message = s.LoadFails("a", s.sim.root() / "missing.txt");
    QVERIFY(message != nullptr);
    QCOMPARE(message->lines().size(), 2);
    QCOMPARE(message->lines()[0], QString("設定の更新に失敗しました。"));
    QVERIFY(!message->lines()[1].isEmpty() && message->lines()[1] != ToQt(kNoSettingsInFileText));
    Button(message, ids::result::kBack)->click();
    QVERIFY(s.Current<LoadSettingsScreen>() != nullptr);

    // The name changes after the save; the file brings the saved one back.
    QVERIFY(s.Rename("a", "changed"));

    QVERIFY(s.navigator()->Open(Target::kAdministration, SwitchRef{}));
    Button(s.Current<AdministrationScreen>(), ids::administration::Load(s.RowOf("a")))->click();
    s.Current<LoadSettingsScreen>()->pathEdit()->setText(ToQt(fileA.string()));
    Button(s.Current<LoadSettingsScreen>(), ids::load_settings::kRun)->click();
    auto* wait = s.Current<RestartWaitScreen>();
    QVERIFY(wait != nullptr);
    QCOMPARE(wait->title(), QString("設定の更新"));
    QCOMPARE(wait->lines(),
             (QStringList{"設定の更新を行い、自動で再起動します。", ToQt(kRestartWaitText)}));
    QVERIFY(s.sim.WaitFor([&] { return s.navigator()->current() == nullptr; }));
    const std::string dump = s.sim.peer().Control("dump a");
    QVERIFY2(dump.find("system-name saved") != std::string::npos, dump.c_str());
    QCOMPARE(s.sim.Switch("a")->record().systemName.get(), std::string("saved"));
    // The apply ends once the switch is adopted again; nothing was refused.
    QVERIFY(s.sim.WaitFor([&] { return !s.navigator()->applyPending(s.sim.Mac("a")); }));
    QVERIFY(s.sim.answerer().messages.isEmpty());

    // A setting the switch refuses once is reported (once) by the end.
    QVERIFY(s.Rename("a", "changed"));
    s.sim.peer().Control("fault a refuse system-name 3 1");
    QVERIFY(s.navigator()->Open(Target::kAdministration, SwitchRef{}));
    Button(s.Current<AdministrationScreen>(), ids::administration::Load(s.RowOf("a")))->click();
    s.Current<LoadSettingsScreen>()->pathEdit()->setText(ToQt(fileA.string()));
    Button(s.Current<LoadSettingsScreen>(), ids::load_settings::kRun)->click();
    QVERIFY(s.Current<RestartWaitScreen>() != nullptr);
    QVERIFY(s.sim.WaitFor([&] { return !s.navigator()->applyPending(s.sim.Mac("a")); }));
    QCOMPARE(s.sim.answerer().dialogs.count("ntr::ui::SettingFailuresDialog"), 1);
    QVERIFY(s.sim.answerer().messages.isEmpty());
  }
};

QTEST_MAIN(AdminScreensTest)
#include "admin_screens_test.moc"
