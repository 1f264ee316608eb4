#pragma once

#include "engine/search/progress.h"

#include <cstddef>
#include <optional>
#include <string>

namespace dw {

// What the file operations ask the user. The GUI answers with dialogs, the
// CLI with its own questions, tests with scripted answers; the engine never
// shows anything itself. The texts to show are in engine/texts.h.
class OperationPrompts {
public:
    // The answers to "the target already exists" and "no Trash here".
    enum class Conflict { Replace, Skip, ReplaceAll, SkipAll, Cancel };
    enum class NoTrash { Delete, Skip, DeleteAll, SkipAll, Cancel };
    enum class Transfer { Copy, Move };

    virtual ~OperationPrompts() = default;

    // text::DeleteConfirm with `count`, caption text::DeleteCaption, Yes/No.
    virtual bool confirmPermanentDelete(std::size_t count) = 0;
    // text::TrashConfirm with `count`, caption text::DeleteCaption, Yes/No.
    virtual bool confirmMoveToTrash(std::size_t count) = 0;
    // text::DeleteAllCopies, Yes/No: every copy of some duplicate is checked.
    virtual bool confirmDeleteAllCopies() = 0;
    // text::NoTrashQuestion for `path`: its file system has no Trash.
    virtual NoTrash askDeleteWithoutTrash(const std::string& path) = 0;
    // text::ReplaceQuestion: `target` exists; `source` would take its place.
    virtual Conflict askReplace(const std::string& source, const std::string& target) = 0;
    // The folder chooser; nullopt or "" when the user cancels.
    virtual std::optional<std::string> chooseFolder(Transfer transfer) = 0;
    // The progress window for long work; the operations set its range and
    // texts, show and hide it, step it and read its cancel flag.
    virtual Progress& progress() = 0;
};

}  // namespace dw
