#include "ui/screens/firmware_progress_screen.h"

#include "app/switch_service.h"
#include "app/switch_view.h"
#include "ui/forms/screen_host.h"
#include "ui/forms/screen_ids.h"
#include "ui/screens/firmware_texts.h"
#include "ui/style/fonts.h"
#include "ui/style/text.h"

namespace ntr::ui {

namespace {

constexpr QRect kTextPlace{QPoint(25, 50), QPoint(559, 71)};
constexpr QRect kBarPlace{QPoint(25, 78), QPoint(559, 97)};
constexpr QRect kAbortPlace{QPoint(252, 115), QPoint(331, 134)};

}  // namespace

QString FirmwareProgressText(int state, int percent) {
  switch (state) {
    case kFirmwareNotStarted:
    case kFirmwareFileError:
      return QStringLiteral("ファームウェアの更新を開始します");
    // Preparing: the switch answers "pending" until it is ready for blocks.
    case kFirmwarePreparing:
    case kFirmwarePrepareFailed:
      return QStringLiteral("ファームウェアの更新準備中です");
    case kFirmwareTransferring:
    case kFirmwareTransferFailed:
      return QStringLiteral("ファームウェアを更新中です（%1%）").arg(percent);
    case kFirmwareAborted:
      return QStringLiteral("ファームウェアの更新が中断されました");
    case kFirmwareCompleted:
      return QStringLiteral("ファームウェアの更新が完了しました");
    default:
      return {};
  }
}

FirmwareProgressScreen::FirmwareProgressScreen(ScreenHost& screens, Application& app, SwitchView sw)
    : Screen(screens, sw, -1, QSize(585, 150)), app_(app) {
  text_ = new QLabel(this);
  text_->setObjectName(ids::firmware_progress::kText);
  text_->setFont(UiFont());
  text_->setGeometry(kTextPlace);
  bar_ = new QProgressBar(this);
  bar_->setObjectName(ids::firmware_progress::kBar);
  bar_->setRange(0, 100);
  bar_->setTextVisible(false);
  bar_->setGeometry(kBarPlace);
  abort_ = AddButton(ids::firmware_progress::kAbort, QStringLiteral("中断"), kAbortPlace);
  connect(abort_, &QPushButton::clicked, this, &FirmwareProgressScreen::Abort);
  SetInitialFocus(abort_);
  connect(&poll_, &QTimer::timeout, this, &FirmwareProgressScreen::Poll);
  poll_.start(kPollMs);
  Poll();
}

// The screen goes while the update runs (its frame closed): the switch is
// asked to abort; the navigator still hears the end.
FirmwareProgressScreen::~FirmwareProgressScreen() {
  if (!ended_) SwitchService(app_).AbortFirmware(switchRef());
}

QString FirmwareProgressScreen::title() const { return QString::fromUtf8(kFirmwareTitle); }

void FirmwareProgressScreen::Cancel() { navigator().CloseFrame(); }

void FirmwareProgressScreen::Abort() { SwitchService(app_).AbortFirmware(switchRef()); }

void FirmwareProgressScreen::Poll() {
  SwitchView sw = navigator().Find(switchRef());
  if (sw == nullptr) return;  // the navigator closes the frame
  const FirmwareStatus status = sw.firmwareStatus();
  const bool sending =
      status.state == kFirmwareTransferring || status.state == kFirmwareTransferFailed;
  const QString line = FirmwareProgressText(status.state, status.progress);
  if (text_->text() != line) text_->setText(line);
  bar_->setVisible(sending);
  if (sending && bar_->value() != status.progress) bar_->setValue(status.progress);
}

void FirmwareProgressScreen::Finished() {
  if (ended_) return;
  Poll();
  ended_ = true;
  poll_.stop();
  abort_->setEnabled(false);
  const SwitchRef ref = switchRef();
  const ServiceResult result = SwitchService(app_).FirmwareEnded(ref);
  if (result.ok) {
    // The switch restarts: it may leave management now (the frame closes)
    // and comes back as another runtime object.
    navigator().ShowRestartWait(title(), ToQt(result.text), Target::kSwitchMain, ref.mac);
    return;
  }
  // The service's text starts with the heading; the rest is the reason.
  QString reason = ToQt(result.text);
  const QString prefix = ToQt(kFirmwareFailedText);
  if (reason.startsWith(prefix)) reason = reason.mid(prefix.size());
  navigator().ShowMessage(title(), {QString::fromUtf8(kFirmwareFailedHeading), reason},
                          Target::kSwitchMain, ref, -1);
}

}  // namespace ntr::ui
