#pragma once

#include <QString>

namespace dw::ui {

// Where the program's file dialogs open: the home folder at first, then the
// folder of the file last chosen in any of them, for as long as the program
// runs. The folder the program was started from means nothing to the user.
QString fileDialogFolder();
// Remembers the folder of `chosenFile` for the next file dialog.
void rememberFileDialogChoice(const QString& chosenFile);

}  // namespace dw::ui
