// ntr-tool as a program: --help and --version without a display, an unknown
// option refused, no display one line and status 1, Qt's own dialog texts in
// Japanese, and SIGTERM/SIGINT ending the window cleanly (its running-copy
// socket gone).
#include <QDialogButtonBox>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

#include "tests/support/private_network.h"
#include "ui/app/qt_translations.h"

namespace {

struct Run {
  int status = -1;
  QString out;
  QString err;
};

// Runs ntr-tool with `arguments` and no display at all (unless `env` gives one).
Run Tool(const QStringList& arguments, const QStringList& env = {}) {
  QProcess tool;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    environment.remove(name);
  for (const QString& pair : env) environment.insert(pair.section('=', 0, 0), pair.section('=', 1));
  tool.setProcessEnvironment(environment);
  tool.start(NTR_TOOL_PROGRAM, arguments);
  if (!tool.waitForFinished(30000)) return {};
  return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
          QString::fromUtf8(tool.readAllStandardOutput()),
          QString::fromUtf8(tool.readAllStandardError())};
}

int Lines(const QString& text) { return static_cast<int>(text.count('\n')); }

}  // namespace

class ProgramTest : public QObject {
  Q_OBJECT

 private slots:
  void optionsAndNoDisplay() {
    Run help = Tool({"--help"});
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.startsWith("usage: ntr-tool"));
    Run version = Tool({"--version"});
    QCOMPARE(version.status, 0);
    QVERIFY(version.out.startsWith("ntr-tool "));

    for (const QStringList& wrong : {QStringList{"--bogus"}, QStringList{"file.txt"}}) {
      const Run refused = Tool(wrong);
      QCOMPARE(refused.status, 2);
      QCOMPARE(Lines(refused.err), 1);
      QVERIFY2(refused.err.contains(wrong.first()), qPrintable(refused.err));
    }
    // Nothing to show the window on: one line, status 1 (not Qt's abort).
    for (const QStringList& env : {QStringList{}, QStringList{"DISPLAY=:97"}}) {
      const Run none = Tool({}, env);
      QCOMPARE(none.status, 1);
      QCOMPARE(Lines(none.err), 1);
      QVERIFY2(none.err.startsWith("ntr-tool: "), qPrintable(none.err));
    }
  }

  void qtsOwnTextsAreJapanese() {
    QVERIFY(ntr::ui::InstallQtTranslations());
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QString("キャンセル"));
  }

  void aSignalEndsTheWindowCleanly() {
    ntr::testing::PrivateNetwork network;
    const std::string ns = network.AddNamespace();
    const std::string far = network.AddNamespace();
    ntr::testing::PrivateNetwork::Veth veth;
    QVERIFY2(!ns.empty() && !far.empty() && network.AddVeth(ns, far, veth),
             network.error().c_str());
    for (const int signal : {SIGTERM, SIGINT}) {
      QTemporaryDir data, runtime;
      QProcess tool;
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.insert("QT_QPA_PLATFORM", "offscreen");
      environment.insert("XDG_DATA_HOME", data.path());
      environment.insert("XDG_RUNTIME_DIR", runtime.path());
      tool.setProcessEnvironment(environment);
      tool.start("ip", {"netns", "exec", QString::fromStdString(ns), NTR_TOOL_PROGRAM});
      const QDir folder(data.path() + "/Kaldor/NTR_Application");
      const auto sockets = [&] { return folder.entryList({"*.socket"}, QDir::System); };
      QTRY_VERIFY_WITH_TIMEOUT(!sockets().isEmpty() || tool.state() == QProcess::NotRunning, 30000);
      QVERIFY2(!sockets().isEmpty(), tool.readAllStandardError().constData());
      QCOMPARE(::kill(static_cast<pid_t>(tool.processId()), signal), 0);
      QVERIFY(tool.waitForFinished(30000));
      QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
      QCOMPARE(tool.exitCode(), 0);
      QCOMPARE(sockets(), QStringList{});
    }
  }
};

QTEST_MAIN(ProgramTest)
#include "program_test.moc"
