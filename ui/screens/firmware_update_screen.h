// The firmware update: the operator names the image file ("参照" browses
// for it) and "実行" starts the update on the switch; the progress screen
// follows. A file that cannot be opened is reported at once and nothing is
// sent.
#pragma once

#include <QLineEdit>

#include "ui/forms/screen.h"

namespace ntr {
class Application;
}

namespace ntr::ui {

class FirmwareUpdateScreen : public Screen {
  Q_OBJECT

 public:
  FirmwareUpdateScreen(ScreenHost& screens, Application& app, SwitchView sw);
  QString title() const override;
  void Cancel() override;
  QLineEdit* pathEdit() const { return path_; }
  // "実行": the update starts with the file named in the edit.
  void Run();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Browse();

  Application& app_;
  QLineEdit* path_;
  int labelWidth_;
};

}  // namespace ntr::ui
