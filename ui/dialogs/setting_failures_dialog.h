// The settings-failure report "設定失敗" (template 168): the settings of a
// switch that could not be made, and where the error log with the reasons is.
#pragma once

#include <QDialog>
#include <QStringList>

namespace ntr::ui {

class SettingFailuresDialog : public QDialog {
  Q_OBJECT

 public:
  SettingFailuresDialog(QString macText, QStringList reasons, QString errorLogPath,
                        QWidget* parent);
};

}  // namespace ntr::ui
