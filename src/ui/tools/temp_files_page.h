#pragma once

#include "engine/operations/operation_prompts.h"
#include "engine/search/progress.h"
#include "engine/settings/search_settings.h"
#include "engine/tools/cleanup_targets.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <thread>
#include <vector>

class QTreeWidget;

namespace dw {
class SettingsStore;
}

namespace dw::ui {

class AnchorLayout;

// "Временные файлы": the well-known folders whose contents can go, their
// sizes, and "Удалить Содержимое" for the checked ones through the engine's
// delete with the user's delete settings. The folders themselves stay.
// The rows appear at once; their sizes are counted on a worker thread (a
// large /tmp takes seconds) and fill in row by row.
class TempFilesPage : public QWidget {
    Q_OBJECT
public:
    explicit TempFilesPage(QWidget* parent = nullptr);
    ~TempFilesPage() override;

    // The settings whose UseSystemDiskOperations and RemoveToRecycleBin the
    // delete follows (defaults when not set).
    void setSettings(const SearchSettings* settings) { settings_ = settings; }
    // Answers the delete's questions instead of dialogs (tests).
    void setPrompts(OperationPrompts* prompts) { prompts_ = prompts; }
    // Where the folders are instead of the program's environment (tests).
    void setEnvironment(const CleanupEnvironment& environment) { environment_ = environment; }

    // Rebuilds the rows from the environment, every check box cleared, and
    // starts counting their sizes anew (a count still running is dropped).
    void refresh();
    // Empties the checked rows' folders, then refreshes.
    void emptyChecked();

    // Sizes are 0 in rows whose count has not come in yet.
    const std::vector<CleanupTarget>& rows() const { return rows_; }
    QTreeWidget* list() const { return list_; }
    // True from refresh() until every row's size is shown.
    bool isCounting() const { return counting_; }

Q_SIGNALS:
    // Every row's size is shown.
    void sizesCounted();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void startCount();
    // Stops the count's worker and waits for it; what it has queued is ignored.
    void stopCount();
    void showSize(unsigned generation, std::size_t row, const CleanupTarget& counted);
    void finishCount(unsigned generation);

    QTreeWidget* list_;
    AnchorLayout* anchors_;
    std::vector<CleanupTarget> rows_;
    std::optional<CleanupEnvironment> environment_;
    const SearchSettings* settings_ = nullptr;
    OperationPrompts* prompts_ = nullptr;
    std::unique_ptr<SettingsStore> store_;
    bool shown_ = false;
    // The count: its worker, the cancel flag the walk reads, and which
    // refresh it belongs to, so that results queued by a stopped count are dropped.
    std::thread counter_;
    Progress countProgress_;
    unsigned generation_ = 0;
    bool counting_ = false;
};

}  // namespace dw::ui
