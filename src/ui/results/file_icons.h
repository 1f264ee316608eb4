#pragma once

#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QString>

#include <string_view>

namespace dw::ui {

// File icons for list rows, one lookup per type: files by the lower-case
// extension of their name, folders as one type. Nothing here touches the
// disk, so a view over a million rows paints as fast as over ten. Ghosted
// icons (hidden files) are the same icons drawn at reduced opacity.
// GUI thread only.
class FileIcons {
public:
    QIcon icon(std::string_view path, bool folder, bool ghosted);

private:
    struct Entry {
        QIcon normal;
        QIcon ghosted;
    };
    Entry& entryFor(std::string_view path, bool folder);
    QIcon lookUp(const QString& extension) const;
    static QIcon faded(const QIcon& icon);

    QFileIconProvider provider_;
    QMimeDatabase mimeTypes_;
    QHash<QString, Entry> byExtension_;
    Entry folder_;
    bool folderKnown_ = false;
};

}  // namespace dw::ui
