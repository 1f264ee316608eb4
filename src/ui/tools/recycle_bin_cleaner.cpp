#include "ui/tools/recycle_bin_cleaner.h"

#include "engine/texts.h"
#include "engine/tools/trash_emptying.h"
#include "ui/controls/ui_texts.h"
#include "ui/search/pumped_progress_dialog.h"

#include <QMessageBox>
#include <QWidget>

#include <algorithm>
#include <climits>

namespace dw::ui {

RecycleBinCleaner::RecycleBinCleaner(QWidget* window) : QObject(window), window_(window)
{
    question_ = [this](const QString& text) {
        return QMessageBox::question(window_, text::qs(text::EmptyTrash), text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    };
    notice_ = [this](const QString& text) { QMessageBox::information(window_, text::qs(text::EmptyTrash), text); };
}

void RecycleBinCleaner::empty()
{
    const std::vector<std::string> folders = folders_ ? *folders_ : currentUserTrashFolders();
    const std::size_t items = countTrashItems(folders);
    if (items == 0) {
        notice_(text::qs(dw::text::TrashIsEmpty));
        return;
    }
    if (!question_(QString::asprintf(dw::text::EmptyTrashQuestion, static_cast<int>(std::min<std::size_t>(items, INT_MAX)))))
        return;
    TrashEmptyingReport report;
    {
        PumpedProgressDialog progress(window_, text::qs(text::EmptyTrash));
        progress.setText(text::qs(text::EmptyingTrash));
        // Each item goes with its description in info/.
        progress.setRange(0, static_cast<int>(std::min<std::size_t>(items * 2, INT_MAX)));
        report = emptyTrashFolders(folders, &progress.progress());
    }
    if (report.left > 0)
        notice_(text::qs(text::TrashItemsLeft).arg(report.left));
}

}  // namespace dw::ui
