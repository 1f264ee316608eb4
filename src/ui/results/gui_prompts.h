#pragma once

#include "engine/operations/operation_prompts.h"

#include <memory>

class QWidget;

namespace dw {
class SettingsStore;
}

namespace dw::ui {

class PumpedProgressDialog;

// The file operations' questions as the program's own message boxes and the
// folder chooser, and a progress window that keeps the event loop running
// while an operation works on the GUI thread. One object serves one
// operation; questions asked while the progress window is open belong to it,
// since it disables `window` until it closes.
class GuiPrompts : public dw::OperationPrompts {
public:
    // How the delete questions look: the program's own "Удаление..." Yes/No
    // question, or the desktop's usual form with buttons named after the act.
    enum class DeleteStyle { Own, Desktop };

    GuiPrompts(QWidget* window, SettingsStore& recentFolders, DeleteStyle style);
    ~GuiPrompts() override;

    bool confirmPermanentDelete(std::size_t count) override;
    bool confirmMoveToTrash(std::size_t count) override;
    bool confirmDeleteAllCopies() override;
    NoTrash askDeleteWithoutTrash(const std::string& path) override;
    Conflict askReplace(const std::string& source, const std::string& target) override;
    std::optional<std::string> chooseFolder(Transfer transfer) override;
    dw::Progress& progress() override;

    // The progress window while it is open, else nullptr.
    PumpedProgressDialog* progressWindow() const;

private:
    class PumpedProgress;
    QWidget* questionParent() const;

    QWidget* window_;
    SettingsStore& recentFolders_;
    DeleteStyle style_;
    Transfer transfer_ = Transfer::Copy;
    std::unique_ptr<PumpedProgress> progress_;
};

}  // namespace dw::ui
