// Qt's own texts (the buttons of message boxes, the file dialogs) in
// Japanese, like everything else the window shows.
#pragma once

namespace ntr::ui {

// Loads Qt's Japanese translations (qtbase_ja.qm from Qt's translations
// folder) into the running application; false when they are not installed.
bool InstallQtTranslations();

}  // namespace ntr::ui
