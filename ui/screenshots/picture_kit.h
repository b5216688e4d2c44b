// The small kit the picture runs share: where pictures go, how a widget is
// saved and checked, waiting without blocking the event loop, the
// simulator's control channel, and finding a switch by model.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "app/switch_view.h"
#include "ui/main_window/window_app.h"

namespace ntr::ui::shots {

// The output folder, the name suffix ("@2x"), the pictures written so far,
// and whether anything failed.
extern QString outDir;
extern QString suffix;
extern QStringList written;
extern bool failed;

// Runs the event loop until `done` holds; false after `ms`.
bool WaitFor(const std::function<bool()>& done, int ms);
// Lets timers, layouts and paints settle.
void Settle();
// Writes the widget's picture as NAME[SUFFIX].png.
void Save(QWidget* widget, const QString& name);
// One command on the simulator's control channel.
bool Ctl(const QString& command);
void Fail(const char* what);
// A picture is blank when all its pixels have one colour.
bool Blank(const QString& path);
// The first managed switch of the model, or null.
SwitchView FindSwitch(WindowApp& window, const char* model);

}  // namespace ntr::ui::shots
