// The temporary-files page counts its folders' sizes on a worker thread.
#include "engine/results/result_list.h"
#include "support/temp_tree.h"
#include "ui/controls/ids.h"
#include "ui/controls/widget_ids.h"
#include "ui/tools/temp_files_page.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>

using dwtest::TempTree;
using dw::ui::TempFilesPage;

namespace {

const QString kCounting = QStringLiteral("Подсчёт...");

dw::CleanupEnvironment environmentIn(TempTree& tree)
{
    dw::CleanupEnvironment environment;
    environment.home = tree.path("home");
    environment.cacheHome = tree.path("cache");
    environment.dataHome = tree.path("data");
    environment.tmpdir = tree.mkdir("tmp");
    environment.systemTemp = {tree.path("system-tmp")};
    return environment;
}

// `count` files of 1 to 7 bytes spread over a hundred subfolders of `folder`;
// returns their total size.
std::uint64_t writeMany(TempTree& tree, const std::string& folder, int count)
{
    std::uint64_t total = 0;
    const std::string bytes = "1234567";
    for (int folderIndex = 0; folderIndex < 100; ++folderIndex)
        tree.mkdir(folder + "/d" + std::to_string(folderIndex));
    for (int i = 0; i < count; ++i) {
        const std::string path = tree.path(folder + "/d" + std::to_string(i % 100) + "/f" + std::to_string(i));
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const std::size_t size = static_cast<std::size_t>(i % 7 + 1);
        if (fd < 0 || ::write(fd, bytes.data(), size) != static_cast<ssize_t>(size))
            ADD_FAILURE() << "cannot write " << path;
        ::close(fd);
        total += size;
    }
    return total;
}

QString sizeText(std::uint64_t bytes) { return QString::fromStdString(dw::FormatSize(bytes, 3)); }

QStringList sizeColumn(const TempFilesPage& page)
{
    QStringList texts;
    for (int i = 0; i < page.list()->topLevelItemCount(); ++i)
        texts << page.list()->topLevelItem(i)->text(1);
    return texts;
}

}  // namespace

TEST(TempFilesCount, ThePageAnswersWhileALargeFolderIsCountedAndRefreshStartsAfresh)
{
    TempTree tree;
    const std::uint64_t temporary = writeMany(tree, "tmp", 20000) + 5000;
    tree.writeSized("system-tmp/big", 5000, 1);
    tree.writeSized("cache/app/blob", 1234, 2);

    TempFilesPage page;
    page.setEnvironment(environmentIn(tree));
    QSignalSpy counted(&page, &TempFilesPage::sizesCounted);
    page.show();

    // Shown with its rows before any folder has been walked.
    ASSERT_TRUE(page.isVisible());
    ASSERT_EQ(page.rows().size(), 2u);  // temporary files and the cache
    EXPECT_EQ(sizeColumn(page), (QStringList{kCounting, kCounting}));
    EXPECT_TRUE(page.isCounting());

    // The window's loop keeps turning while the worker walks.
    int ticksWhileCounting = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ticksWhileCounting += page.isCounting() ? 1 : 0; });
    ticker.start(0);
    ASSERT_TRUE(counted.wait(120000));
    ticker.stop();
    EXPECT_GT(ticksWhileCounting, 0);
    EXPECT_FALSE(page.isCounting());
    EXPECT_EQ(page.rows()[0].size, temporary);
    EXPECT_EQ(page.rows()[0].folderSizes, (std::vector<std::uint64_t>{temporary - 5000, 5000}));
    EXPECT_EQ(page.rows()[1].size, 1234u);
    EXPECT_EQ(sizeColumn(page), (QStringList{sizeText(temporary), sizeText(1234)}));

    // "Обновить" in the middle of a count drops it and counts again.
    counted.clear();
    page.refresh();
    tree.writeSized("tmp/late", 100, 3);
    findById<QPushButton>(&page, dw::ui::id::RefreshButton)->click();
    EXPECT_EQ(sizeColumn(page), (QStringList{kCounting, kCounting}));
    ASSERT_TRUE(counted.wait(120000));
    EXPECT_EQ(sizeColumn(page), (QStringList{sizeText(temporary + 100), sizeText(1234)}));
}

TEST(TempFilesCount, ResultsOfADroppedCountNeverReachTheList)
{
    TempTree tree;
    tree.writeSized("tmp/a", 10, 1);
    tree.writeSized("cache/b", 20, 2);
    TempFilesPage page;
    page.setEnvironment(environmentIn(tree));
    QSignalSpy counted(&page, &TempFilesPage::sizesCounted);
    page.refresh();
    // Small folders: the first count has most likely queued all it found by now.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    tree.writeSized("tmp/c", 300, 3);
    tree.writeSized("cache/d", 400, 4);
    page.refresh();

    QStringList seen;
    QObject::connect(page.list()->model(), &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& from, const QModelIndex&) {
                         if (from.column() == 1)
                             seen << from.data().toString();
                     });
    ASSERT_TRUE(counted.wait(20000));
    QApplication::processEvents();
    EXPECT_EQ(counted.size(), 1);
    EXPECT_EQ(seen, (QStringList{sizeText(310), sizeText(420)}));
}

TEST(TempFilesCount, ClosingThePageMidCountStopsTheWorker)
{
    TempTree tree;
    writeMany(tree, "tmp", 20000);
    {
        auto page = std::make_unique<TempFilesPage>();
        page->setEnvironment(environmentIn(tree));
        page->show();
        ASSERT_TRUE(page->isCounting());
        page.reset();
    }
    // Anything the worker queued for the page is gone with it.
    QApplication::processEvents();
}
