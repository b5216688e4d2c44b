#include "ui/screens/load_settings_screen.h"

#include <QFileDialog>
#include <QPainter>
#include <QPointer>

#include "app/switch_service.h"
#include "ui/forms/form_painting.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"
#include "ui/style/text.h"

namespace ntr::ui {

namespace {

constexpr int kButtonsLeft = 190;
constexpr int kButtonsTop = 110;

QString AskForFile(QWidget* parent) {
  return QFileDialog::getOpenFileName(parent, QString(), QString(),
                                      QStringLiteral("All Files (*.*)"));
}

}  // namespace

LoadSettingsScreen::FileChooser LoadSettingsScreen::chooseFile = AskForFile;

LoadSettingsScreen::LoadSettingsScreen(ScreenHost& screens, Application& app, SwitchView sw)
    : Screen(screens, sw, -1, kSize), app_(app) {
  path_ = new FilteredEdit(EditFilter::kAny, this);
  path_->setObjectName(ids::load_settings::kPath);
  path_->setGeometry(kGridOrigin.x() + 124, kGridOrigin.y() + 2, 330, kButtonHeight);
  QPushButton* browse = AddButton(
      ids::load_settings::kBrowse, QStringLiteral("参照"),
      QRect(kGridOrigin.x() + 460, kGridOrigin.y() + 2, kBrowseButtonWidth, kButtonHeight));
  const auto [run, cancel] =
      AddSetCancelRow({ids::load_settings::kRun, "実行", kBrowseButtonWidth},
                      {ids::load_settings::kCancel, "キャンセル", kCancelButtonWidth}, kButtonsTop,
                      RowPlace::kFromLeft, kButtonsLeft, [this] { Run(); });
  connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
  setTabOrder(path_, browse);
  setTabOrder(browse, run);
  setTabOrder(run, cancel);
  SetInitialFocus(path_);
}

QString LoadSettingsScreen::title() const { return QString::fromUtf8(kLoadSettingsTitle); }

void LoadSettingsScreen::Cancel() { navigator().Open(Target::kAdministration, SwitchRef{}); }

void LoadSettingsScreen::Browse() {
  // The dialog runs an event loop and belongs to the window: this screen may
  // go meanwhile (its switch left management).
  const QPointer<LoadSettingsScreen> alive(this);
  const QString file = chooseFile ? chooseFile(window()) : QString();
  if (alive != nullptr && !file.isEmpty()) path_->setText(file);
}

void LoadSettingsScreen::Run() {
  SwitchView sw = navigator().Find(switchRef());
  if (sw == nullptr) {
    navigator().CloseFrame();
    return;
  }
  const ServiceResult begun = SwitchService(app_).BeginApply(sw, FromQt(path_->text()));
  if (!begun.ok) {
    QStringList lines{ToQt(kApplyFailedText)};
    if (begun.text != kApplyFailedText) lines << ToQt(begun.text);
    for (const std::string& detail : begun.details) lines << ToQt(detail);
    navigator().ShowMessage(QString::fromUtf8(kApplySettingsTitle), lines,
                            Target::kLoadConfiguration, switchRef(), -1);
    return;
  }
  navigator().ApplyBegun(sw.mac());
  navigator().ShowRestartWait(QString::fromUtf8(kApplySettingsTitle),
                              QString::fromUtf8(kApplySettingsStartedText), Target::kCloseFrame,
                              sw.mac());
}

void LoadSettingsScreen::paintEvent(QPaintEvent* event) {
  Screen::paintEvent(event);
  QPainter painter(this);
  PaintGrid(painter, kGridOrigin, {120, 400}, 0, true);
  PaintLabel(painter, kGridOrigin + QPoint(4, 5), QStringLiteral("設定ファイルの指定"), true);
}

}  // namespace ntr::ui
