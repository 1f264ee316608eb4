#include "ui/controls/file_dialog_folder.h"

#include <QDir>
#include <QFileInfo>

namespace dw::ui {

namespace {

QString& lastFolder()
{
    static QString folder;
    return folder;
}

}  // namespace

QString fileDialogFolder()
{
    const QString& last = lastFolder();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    return QDir::homePath();
}

void rememberFileDialogChoice(const QString& chosenFile)
{
    if (!chosenFile.isEmpty())
        lastFolder() = QFileInfo(chosenFile).absolutePath();
}

}  // namespace dw::ui
