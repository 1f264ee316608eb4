#pragma once

#include "cli/terminal_progress.h"
#include "engine/operations/operation_prompts.h"

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace dw::cli {

// The file operations' questions in a terminal run. The one question the
// run asks ("delete N objects?") comes before the operations start, so the
// engine's own confirmations are answered yes here; a path whose file system
// has no Trash is skipped, never deleted for good behind the user's back;
// nothing is copied or moved.
class TerminalPrompts : public OperationPrompts {
public:
    explicit TerminalPrompts(bool allowAllCopies);

    bool confirmPermanentDelete(std::size_t count) override;
    bool confirmMoveToTrash(std::size_t count) override;
    bool confirmDeleteAllCopies() override;
    NoTrash askDeleteWithoutTrash(const std::string& path) override;
    Conflict askReplace(const std::string& source, const std::string& target) override;
    std::optional<std::string> chooseFolder(Transfer transfer) override;
    Progress& progress() override { return progress_; }

    // The paths skipped because their file system has no Trash.
    const std::vector<std::string>& withoutTrash() const { return withoutTrash_; }
    // Stops the progress line (before anything else is printed).
    void finish() { progress_.finish(); }

private:
    bool allowAllCopies_;
    TerminalProgress progress_;
    std::vector<std::string> withoutTrash_;
};

// Asks `question` on `out` and reads one line from `in`: true for an answer
// beginning with y or д (either case), false for anything else or none.
bool askYes(const std::string& question, std::istream& in, std::ostream& out);

}  // namespace dw::cli
