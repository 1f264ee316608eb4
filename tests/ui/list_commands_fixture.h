#pragma once

// The list command tests: a results page over real files, and a script that
// answers the windows a command opens.

#include "platform/file_status.h"
#include "platform/qsettings_store.h"
#include "support/temp_tree.h"
#include "ui/controls/ids.h"
#include "ui/controls/widget_ids.h"
#include "ui/results/results_list_ctrl.h"
#include "ui/results/results_model.h"
#include "ui/results/results_page.h"

#include <QAbstractButton>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace dwtest {

namespace id = dw::ui::id;
using Paths = std::vector<std::string>;

inline QString q(const std::string& text) { return QString::fromStdString(text); }

// Runs its steps in order from a timer, inside whatever modal loop runs; a
// step returns false until its window is there. A modal window no step
// expects is rejected, so a test fails instead of hanging.
class ModalScript {
public:
    using Step = std::function<bool()>;
    explicit ModalScript(std::deque<Step> steps) : steps_(std::move(steps))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (!steps_.empty() && steps_.front()())
                steps_.pop_front();
            else if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                     dialog && steps_.empty())
                dialog->reject();
        });
        timer_.start(0);
    }
    bool done() const { return steps_.empty(); }

private:
    std::deque<Step> steps_;
    QTimer timer_;
};

struct BoxSeen {
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;  // without the '&' marks, sorted
};

// A step: clicks the button showing `button` in the open message box.
inline ModalScript::Step answerBox(const QString& button, BoxSeen* seen = nullptr)
{
    return [button, seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return false;
        BoxSeen shown{box->windowTitle(), box->text(), box->icon(), {}};
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* candidate : box->buttons()) {
            shown.buttons.push_back(candidate->text().remove(QLatin1Char('&')));
            chosen = shown.buttons.back() == button ? candidate : chosen;
        }
        shown.buttons.sort();
        if (seen)
            *seen = shown;
        if (chosen)
            chosen->click();
        return chosen != nullptr;
    };
}

// A step: acts on the open modal window carrying `windowId`.
inline ModalScript::Step onDialog(int windowId, std::function<void(QWidget*)> act)
{
    return [windowId, act = std::move(act)] {
        QWidget* window = QApplication::activeModalWidget();
        if (!window || window->objectName() != QString::number(windowId))
            return false;
        act(window);
        return true;
    };
}

class ListCommandsTest : public ::testing::Test {
protected:
    explicit ListCommandsTest(dw::ResultKind kind = dw::ResultKind::ByMask) : page(kind)
    {
        list().setSettings(&settings);
        list().setFolderStore(&folders);
    }

    dw::ui::ResultsListCtrl& list() { return *page.list(); }
    const dw::ResultList& rows() { return page.list()->resultsModel()->list(); }

    void addRows(const Paths& paths, bool checked = true, std::uint32_t group = 0)
    {
        dw::ResultList scratch(rows().kind());
        for (const std::string& path : paths) {
            auto status = dw::platform::statPath(path);
            scratch.addRow(path, status->attributes, status->isFolder() ? 0 : status->size, 0, 0,
                           group);
            scratch.setChecked(scratch.size() - 1, checked);
        }
        list().resultsModel()->appendRows(scratch.takeAllRows());
    }
    void select(int row)
    {
        list().selectionModel()->select(
            list().resultsModel()->index(row, 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    void click(int buttonId) { dw::ui::findById<QAbstractButton>(&page, buttonId)->click(); }
    Paths paths()
    {
        Paths result;
        for (const dw::ResultRow& row : rows().rows())
            result.push_back(row.path);
        return result;
    }
    // The page's four totals agree with the list.
    void expectTotals()
    {
        auto label = [this](int id) { return dw::ui::findById<QLabel>(&page, id)->text(); };
        EXPECT_EQ(label(id::TotalCount), QString::number(rows().totalCount()));
        EXPECT_EQ(label(id::TotalSize), q(dw::FormatSize(rows().totalSizeOnDisk(), 3)));
        EXPECT_EQ(label(id::CheckedCount), QString::number(rows().checkedCount()));
        EXPECT_EQ(label(id::CheckedSize), q(dw::FormatSize(rows().checkedSizeOnDisk(), 3)));
    }

    TempTree tree;
    dw::platform::QSettingsStore folders =
        dw::platform::QSettingsStore::fromIniFile(tree.path("recent.ini"));
    dw::SearchSettings settings;
    dw::ui::ResultsPage page;
};

}  // namespace dwtest
