#include "ui/results/file_icons.h"

#include "engine/search/file_entry.h"

#include <QMimeType>
#include <QPainter>
#include <QPixmap>

namespace dw::ui {

namespace {

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QIcon FileIcons::icon(std::string_view path, bool folder, bool ghosted)
{
    Entry& entry = entryFor(path, folder);
    if (!ghosted)
        return entry.normal;
    if (entry.ghosted.isNull())
        entry.ghosted = faded(entry.normal);
    return entry.ghosted;
}

FileIcons::Entry& FileIcons::entryFor(std::string_view path, bool folder)
{
    if (folder) {
        if (!folderKnown_) {
            folder_.normal = provider_.icon(QAbstractFileIconProvider::Folder);
            folderKnown_ = true;
        }
        return folder_;
    }
    const QString extension = fromUtf8(extensionOf(path)).toLower();
    auto it = byExtension_.find(extension);
    if (it == byExtension_.end())
        it = byExtension_.insert(extension, Entry {lookUp(extension), QIcon()});
    return *it;
}

QIcon FileIcons::lookUp(const QString& extension) const
{
    const QIcon generic = provider_.icon(QAbstractFileIconProvider::File);
    if (extension.isEmpty())
        return generic;
    // By the extension alone, so that every file of the key gets the same
    // icon; asking the provider about the file itself would stat it (and
    // may read it to guess its type).
    const QMimeType type = mimeTypes_.mimeTypeForFile(QStringLiteral("file") + extension,
                                                      QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return generic;
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), generic));
}

QIcon FileIcons::faded(const QIcon& icon)
{
    QIcon result;
    for (int side : {16, 24, 32}) {
        const QPixmap source = icon.pixmap(side, side);
        if (source.isNull())
            continue;
        QPixmap pixmap(source.size());
        pixmap.setDevicePixelRatio(source.devicePixelRatio());
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setOpacity(0.45);
        painter.drawPixmap(0, 0, source);
        painter.end();
        result.addPixmap(pixmap);
    }
    return result;
}

}  // namespace dw::ui
