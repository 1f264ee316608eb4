#pragma once

#include "engine/operations/operation_prompts.h"
#include "engine/settings/search_settings.h"
#include "engine/tools/cleanup_targets.h"

#include <QWidget>

#include <memory>
#include <optional>
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

    // Rebuilds the rows from the environment: every check box cleared, sizes new.
    void refresh();
    // Empties the checked rows' folders, then refreshes.
    void emptyChecked();

    const std::vector<CleanupTarget>& rows() const { return rows_; }
    QTreeWidget* list() const { return list_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QTreeWidget* list_;
    AnchorLayout* anchors_;
    std::vector<CleanupTarget> rows_;
    std::optional<CleanupEnvironment> environment_;
    const SearchSettings* settings_ = nullptr;
    OperationPrompts* prompts_ = nullptr;
    std::unique_ptr<SettingsStore> store_;
    bool shown_ = false;
};

}  // namespace dw::ui
