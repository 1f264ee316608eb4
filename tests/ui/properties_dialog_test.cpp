#include "ui/results/file_properties_dialog.h"
#include "engine/results/type_description.h"
#include "support/temp_tree.h"

#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

using dw::ui::FilePropertiesDialog;
using Field = FilePropertiesDialog::Field;

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

void setModified(const std::string& path, std::time_t seconds)
{
    const struct timespec times[2] = {{seconds - 60, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

QString localTime(std::time_t seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds).toString("dd.MM.yyyy HH:mm:ss");
}

TEST(FileProperties, AFileShowsItsNameFolderTypeSizesTimesAndRights)
{
    dwtest::TempTree temp;
    const std::string file = temp.write("Отчёты/итог.txt", std::string(1536, 'x'));
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    setModified(file, 1'700'000'000);

    FilePropertiesDialog dialog(file);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Свойства: итог.txt");
    EXPECT_EQ(dialog.value(Field::Name), "итог.txt");
    EXPECT_EQ(dialog.value(Field::Folder), q(temp.path("Отчёты/")));
    EXPECT_EQ(dialog.value(Field::Type), q(dw::typeDescription(file, false)));
    EXPECT_FALSE(dialog.value(Field::Type).isEmpty());
    EXPECT_EQ(dialog.value(Field::Size), "1.5 KB (" + QLocale().toString(1536) + " байт)");
    EXPECT_TRUE(dialog.value(Field::SizeOnDisk).endsWith(" байт)"));
    EXPECT_EQ(dialog.value(Field::Modified), localTime(1'700'000'000));
    EXPECT_EQ(dialog.value(Field::Accessed), localTime(1'700'000'000 - 60));
    EXPECT_EQ(dialog.value(Field::Permissions), "rw-r----- (0640)");
    EXPECT_EQ(dialog.value(Field::ReadOnly), "Нет");
    EXPECT_FALSE(dialog.value(Field::Owner).isEmpty());
    EXPECT_TRUE(dialog.value(Field::LinkTarget).isEmpty());

    // Every label and value is inside the window and whole.
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        EXPECT_TRUE(dialog.rect().contains(label->geometry())) << label->text().toStdString();
        EXPECT_GE(label->width(), label->minimumSizeHint().width()) << label->text().toStdString();
    }
    QDir().mkpath("/tmp/dwshots");
    dialog.grab().save("/tmp/dwshots/properties_file.png");

    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    FilePropertiesDialog readOnly(file);
    EXPECT_EQ(readOnly.value(Field::Permissions), "r--r--r-- (0444)");
    EXPECT_EQ(readOnly.value(Field::ReadOnly), "Да");
}

TEST(FileProperties, AFolderHasNoSizeAndItsPathMayEndWithASlash)
{
    dwtest::TempTree temp;
    temp.write("Фото/a.jpg", std::string(5000, 'x'));
    ASSERT_EQ(::chmod(temp.path("Фото").c_str(), 02775), 0);

    FilePropertiesDialog dialog(temp.path("Фото/"));
    EXPECT_EQ(dialog.value(Field::Name), "Фото");
    EXPECT_EQ(dialog.value(Field::Folder), q(temp.root()));
    EXPECT_EQ(dialog.value(Field::Type), q(dw::typeDescription(temp.path("Фото"), true)));
    EXPECT_TRUE(dialog.value(Field::Size).isEmpty());
    EXPECT_TRUE(dialog.value(Field::SizeOnDisk).isEmpty());
    EXPECT_EQ(dialog.value(Field::Permissions), "rwxrwsr-x (2775)");
}

TEST(FileProperties, ALinkIsDescribedAsTheLinkNotItsTarget)
{
    dwtest::TempTree temp;
    temp.write("big.txt", std::string(100000, 'x'));
    ASSERT_EQ(::symlink("big.txt", temp.path("link.txt").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", temp.path("dangling").c_str()), 0);

    FilePropertiesDialog dialog(temp.path("link.txt"));
    dialog.show();
    const QString linkType = QMimeDatabase().mimeTypeForName("inode/symlink").comment();
    EXPECT_EQ(dialog.value(Field::Type), linkType);
    EXPECT_NE(dialog.value(Field::Type), q(dw::typeDescription(temp.path("big.txt"), false)));
    EXPECT_EQ(dialog.value(Field::LinkTarget), "big.txt");
    EXPECT_EQ(dialog.value(Field::Size), "7 байт");
    EXPECT_EQ(dialog.value(Field::Permissions), "rwxrwxrwx (0777)");
    QDir().mkpath("/tmp/dwshots");
    dialog.grab().save("/tmp/dwshots/properties_link.png");

    FilePropertiesDialog dangling(temp.path("dangling"));
    EXPECT_EQ(dangling.value(Field::Type), linkType);
    EXPECT_EQ(dangling.value(Field::LinkTarget), "nowhere");

    FilePropertiesDialog missing(temp.path("gone.txt"));
    EXPECT_EQ(missing.value(Field::Name), "gone.txt");
    EXPECT_TRUE(missing.value(Field::Type).isEmpty());
    EXPECT_TRUE(missing.value(Field::Size).isEmpty());
}

}  // namespace
