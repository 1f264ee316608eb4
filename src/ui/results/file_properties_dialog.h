#pragma once

#include <QDialog>
#include <QString>

#include <map>
#include <string>

class QFormLayout;

namespace dw::ui {

// A small properties window for one path, shown when no file manager answers
// "Свойства". Everything comes from lstat(): a symbolic link is described as
// the link it is, never as what it points to. Nothing is changed.
class FilePropertiesDialog : public QDialog {
    Q_OBJECT
public:
    enum class Field {
        Name,
        Folder,
        Type,
        LinkTarget,  // links only
        Size,        // not for folders: their own size says nothing
        SizeOnDisk,  // not for folders
        Accessed,
        Modified,
        Owner,
        Permissions,
        ReadOnly,
    };

    explicit FilePropertiesDialog(const std::string& path, QWidget* parent = nullptr);

    // The text shown for `field`, or an empty string when it is not shown
    // (not applicable, or the path could not be read).
    QString value(Field field) const;

private:
    void addRow(Field field, const char* label, const QString& value);
    void addPathRow(Field field, const char* label, const QString& value);

    QFormLayout* form_;
    std::map<Field, QString> values_;
};

}  // namespace dw::ui
