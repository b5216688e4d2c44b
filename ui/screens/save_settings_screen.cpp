#include "ui/screens/save_settings_screen.h"

#include <QFileDialog>
#include <QPainter>
#include <QPointer>

#include "app/switch_service.h"
#include "ui/forms/form_painting.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"
#include "ui/style/fonts.h"
#include "ui/style/text.h"

namespace ntr::ui {

namespace {

QString AskForFile(QWidget* parent, const QString& suggestedName) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({QStringLiteral("テキスト文書(*.txt)"), QStringLiteral("All Files(*.*)")});
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  dialog.selectFile(suggestedName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

}  // namespace

SaveSettingsScreen::FileChooser SaveSettingsScreen::chooseFile = AskForFile;

SaveSettingsScreen::SaveSettingsScreen(ScreenHost& screens, Application& app, SwitchView sw)
    : Screen(screens, sw, -1, kSize), app_(app) {
  // A link to look at, a button to reach with Tab and press with Enter or Space.
  link_ = new QPushButton(QStringLiteral("設定ファイル"), this);
  link_->setObjectName("settingsFileLink");
  link_->setFlat(true);
  link_->setCursor(Qt::PointingHandCursor);
  link_->setFocusPolicy(Qt::StrongFocus);
  QFont font = UiFont();
  font.setUnderline(true);
  link_->setFont(font);
  link_->setStyleSheet(
      QStringLiteral("QPushButton { color: #0000ee; border: none; text-align: left; }"
                     "QPushButton:focus { outline: 1px dotted black; }"));
  link_->setGeometry(30, 100, link_->fontMetrics().horizontalAdvance(link_->text()) + 8, 20);
  link_->setAutoDefault(true);
  connect(link_, &QPushButton::clicked, this, [this] { SaveToFile(); });
  QPushButton* back = AddButton(ids::result::kBack, QStringLiteral("スイッチの管理画面に戻る"),
                                QRect(190, 150, 180, kButtonHeight));
  connect(back, &QPushButton::clicked, this, [this] { Cancel(); });
  setTabOrder(link_, back);
  SetInitialFocus(link_);
}

QString SaveSettingsScreen::title() const { return QString::fromUtf8(kSaveSettingsTitle); }

void SaveSettingsScreen::Cancel() { navigator().Open(Target::kAdministration, SwitchRef{}); }

void SaveSettingsScreen::SaveToFile() {
  SwitchView sw = navigator().Find(switchRef());
  if (sw == nullptr) {
    navigator().CloseFrame();
    return;
  }
  const QString name = QStringLiteral("config_ntr-%1.txt").arg(ToQt(sw.record().systemName.get()));
  // The dialog runs an event loop: the switch, and with it this screen, may
  // go meanwhile. The dialog belongs to the window, not to the screen.
  const QPointer<SaveSettingsScreen> alive(this);
  const QString file = chooseFile ? chooseFile(window(), name) : QString();
  if (alive == nullptr || file.isEmpty()) return;
  sw = navigator().Find(switchRef());
  if (sw == nullptr) {
    navigator().CloseFrame();
    return;
  }
  const ServiceResult saved = SwitchService(app_).SaveSwitchSettings(sw, FromQt(file));
  if (saved.ok) return;
  navigator().ShowMessage(QString::fromUtf8(kSaveSettingsFailedTitle),
                          {QString::fromUtf8(kSaveSettingsFailedText), ToQt(saved.text)},
                          Target::kSaveConfiguration, switchRef(), -1);
}

void SaveSettingsScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  PaintLabel(painter, QPoint(30, 45),
             QStringLiteral("スイッチの設定情報をテキスト形式でファイルへ出力します。"), false);
  PaintLabel(painter, QPoint(30, 68),
             QStringLiteral("下のリンクをクリックし、保存ファイル名を入力してください。"), false);
}

}  // namespace ntr::ui
