// A file's settings for one switch to the switch: the file's block for the
// switch becomes the tool's record, and the switch is synchronised with it;
// the restart-wait screen shows meanwhile. The navigator ends the apply
// once the synchronisation has run (EndApply reports refused settings).
#pragma once

#include <functional>

#include "ui/forms/filtered_edit.h"
#include "ui/forms/screen.h"

namespace ntr {
class Application;
}

namespace ntr::ui {

inline constexpr char kLoadSettingsTitle[] = "設定の読み込み";
inline constexpr char kApplySettingsTitle[] = "設定の更新";
inline constexpr char kApplySettingsStartedText[] = "設定の更新を行い、自動で再起動します。";

class LoadSettingsScreen : public Screen {
  Q_OBJECT

 public:
  static constexpr QSize kSize{560, 170};
  // Asks for the file to read (empty: cancelled). Tests replace it; by
  // default the open dialog.
  using FileChooser = std::function<QString(QWidget* parent)>;
  static FileChooser chooseFile;

  LoadSettingsScreen(ScreenHost& screens, Application& app, SwitchView sw);
  QString title() const override;
  void Cancel() override;
  FilteredEdit* pathEdit() const { return path_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Browse();
  void Run();

  Application& app_;
  FilteredEdit* path_;
};

}  // namespace ntr::ui
