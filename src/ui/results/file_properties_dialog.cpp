#include "ui/results/file_properties_dialog.h"

#include "engine/results/result_list.h"
#include "engine/results/type_description.h"
#include "ui/controls/ui_texts.h"

#include <QDateTime>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMimeDatabase>
#include <QPushButton>
#include <QVBoxLayout>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace dw::ui {

namespace {

QString typeText(const std::string& path, mode_t mode)
{
    const char* inode = nullptr;
    if (S_ISREG(mode))
        return QString::fromStdString(typeDescription(path, false));
    if (S_ISDIR(mode))
        return QString::fromStdString(typeDescription(path, true));
    if (S_ISLNK(mode))
        inode = "inode/symlink";
    else if (S_ISFIFO(mode))
        inode = "inode/fifo";
    else if (S_ISSOCK(mode))
        inode = "inode/socket";
    else if (S_ISBLK(mode))
        inode = "inode/blockdevice";
    else
        inode = "inode/chardevice";
    return QMimeDatabase().mimeTypeForName(QString::fromLatin1(inode)).comment();
}

// "1.5 KB (1 536 байт)"; up to 1000 bytes just "12 байт".
QString sizeText(std::uint64_t bytes)
{
    const QString exact = QLocale().toString(static_cast<qulonglong>(bytes));
    if (bytes <= 1000)
        return text::qs(text::PropByteCount).arg(exact);
    return text::qs(text::PropBytes)
        .arg(QString::fromStdString(FormatSize(bytes)), exact);
}

QString timeText(const struct timespec& time)
{
    const qint64 ms = static_cast<qint64>(time.tv_sec) * 1000 + time.tv_nsec / 1'000'000;
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString ownerText(uid_t uid, gid_t gid)
{
    std::vector<char> buffer(16384);
    struct passwd user {};
    struct passwd* userFound = nullptr;
    ::getpwuid_r(uid, &user, buffer.data(), buffer.size(), &userFound);
    QString text = userFound ? QFile::decodeName(userFound->pw_name) : QString::number(uid);
    struct group group {};
    struct group* groupFound = nullptr;
    ::getgrgid_r(gid, &group, buffer.data(), buffer.size(), &groupFound);
    return text + QLatin1Char(':') + (groupFound ? QFile::decodeName(groupFound->gr_name) : QString::number(gid));
}

// "rwxr-x--- (0750)", with set-id and sticky bits the way ls shows them.
QString permissionText(mode_t mode)
{
    QString rwx;
    auto triple = [&](mode_t read, mode_t write, mode_t exec, mode_t special, char set, char unset) {
        rwx += QLatin1Char(mode & read ? 'r' : '-');
        rwx += QLatin1Char(mode & write ? 'w' : '-');
        if (mode & special)
            rwx += QLatin1Char(mode & exec ? set : unset);
        else
            rwx += QLatin1Char(mode & exec ? 'x' : '-');
    };
    triple(S_IRUSR, S_IWUSR, S_IXUSR, S_ISUID, 's', 'S');
    triple(S_IRGRP, S_IWGRP, S_IXGRP, S_ISGID, 's', 'S');
    triple(S_IROTH, S_IWOTH, S_IXOTH, S_ISVTX, 't', 'T');
    return rwx + QStringLiteral(" (%1)").arg(mode & 07777, 4, 8, QLatin1Char('0'));
}

QString linkTarget(const std::string& path, std::size_t size)
{
    std::vector<char> target(std::max<std::size_t>(size, 255) + 1);
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    return length < 0 ? QString() : QFile::decodeName(QByteArray(target.data(), static_cast<qsizetype>(length)));
}

}  // namespace

FilePropertiesDialog::FilePropertiesDialog(const std::string& path, QWidget* parent) : QDialog(parent)
{
    std::string clean = path;
    while (clean.size() > 1 && clean.back() == '/')
        clean.pop_back();
    const std::size_t slash = clean.rfind('/');
    const std::string name = slash == std::string::npos || clean == "/" ? clean : clean.substr(slash + 1);
    const std::string folder = slash == std::string::npos || clean == "/" ? std::string() : clean.substr(0, slash + 1);
    setWindowTitle(text::qs(text::PropertiesOf).arg(QFile::decodeName(name.c_str())));

    auto* layout = new QVBoxLayout(this);
    form_ = new QFormLayout;
    form_->setLabelAlignment(Qt::AlignLeft);
    layout->addLayout(form_);
    addPathRow(Field::Name, text::PropName, QFile::decodeName(name.c_str()));
    addPathRow(Field::Folder, text::PropFolder, QFile::decodeName(folder.c_str()));

    struct stat st {};
    if (::lstat(clean.c_str(), &st) != 0) {
        form_->addRow(new QLabel(text::qs(text::PropUnreadable), this));
    } else {
        addRow(Field::Type, text::PropType, typeText(clean, st.st_mode));
        if (S_ISLNK(st.st_mode))
            addPathRow(Field::LinkTarget, text::PropLinkTarget,
                       linkTarget(clean, static_cast<std::size_t>(st.st_size)));
        if (!S_ISDIR(st.st_mode)) {
            addRow(Field::Size, text::PropSize, sizeText(static_cast<std::uint64_t>(st.st_size)));
            addRow(Field::SizeOnDisk, text::PropSizeOnDisk, sizeText(static_cast<std::uint64_t>(st.st_blocks) * 512));
        }
        addRow(Field::Accessed, text::PropAccessed, timeText(st.st_atim));
        addRow(Field::Modified, text::PropModified, timeText(st.st_mtim));
        addRow(Field::Owner, text::PropOwner, ownerText(st.st_uid, st.st_gid));
        addRow(Field::Permissions, text::PropPermissions, permissionText(st.st_mode));
        // The program's meaning of read-only: the owner may not write.
        addRow(Field::ReadOnly, text::PropReadOnly, text::qs(st.st_mode & S_IWUSR ? text::PropNo : text::PropYes));
    }

    auto* ok = new QPushButton(text::qs(text::Ok), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    layout->addStretch(1);
    layout->addLayout(buttons);
    ok->setFocus();
}

void FilePropertiesDialog::addRow(Field field, const char* label, const QString& value)
{
    auto* shown = new QLabel(value, this);
    shown->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    form_->addRow(text::qs(label), shown);
    values_[field] = value;
}

void FilePropertiesDialog::addPathRow(Field field, const char* label, const QString& value)
{
    // A long path scrolls in its field instead of stretching the window.
    auto* shown = new QLineEdit(value, this);
    shown->setReadOnly(true);
    shown->setFrame(false);
    shown->setCursorPosition(0);
    shown->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    QPalette palette = shown->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    shown->setPalette(palette);
    form_->addRow(text::qs(label), shown);
    values_[field] = value;
}

QString FilePropertiesDialog::value(Field field) const
{
    const auto found = values_.find(field);
    return found == values_.end() ? QString() : found->second;
}

}  // namespace dw::ui
