// One switch's settings to a text file of the configuration file's format:
// a link opens the save dialog; the write itself is the switch service's.
#pragma once

#include <functional>

#include "ui/forms/screen.h"

namespace ntr {
class Application;
}

namespace ntr::ui {

inline constexpr char kSaveSettingsTitle[] = "設定の保存  ";
inline constexpr char kSaveSettingsFailedTitle[] = "設定ファイルの保存";
inline constexpr char kSaveSettingsFailedText[] = "設定ファイルの保存に失敗しました。";

class SaveSettingsScreen : public Screen {
  Q_OBJECT

 public:
  static constexpr QSize kSize{560, 200};
  // Asks for the file to write (empty: cancelled). Tests replace it; by
  // default the save dialog, which asks before replacing a file.
  using FileChooser = std::function<QString(QWidget* parent, const QString& suggestedName)>;
  static FileChooser chooseFile;

  SaveSettingsScreen(ScreenHost& screens, Application& app, SwitchView sw);
  QString title() const override;
  void Cancel() override;
  QPushButton* link() const { return link_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void SaveToFile();

  Application& app_;
  QPushButton* link_;
};

}  // namespace ntr::ui
