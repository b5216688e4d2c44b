// Saves a picture of a widget as NAME.png in $NTR_UI_GRAB_DIR when that is
// set, so that a person can look at the dialogs and pop-ups as the tests
// show them (run the tests with QT_SCALE_FACTOR=2 for a high-density screen).
#pragma once

#include <QDir>
#include <QWidget>

namespace ntr::test {

inline void GrabForReview(QWidget& widget, const QString& name) {
  const QString folder = qEnvironmentVariable("NTR_UI_GRAB_DIR");
  if (!folder.isEmpty()) widget.grab().save(QDir(folder).filePath(name + ".png"));
}

}  // namespace ntr::test
