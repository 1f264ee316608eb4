#pragma once

#include "engine/operations/operation_prompts.h"
#include "engine/operations/source_check.h"
#include "engine/search/progress.h"

#include <string>

namespace dw {

enum class TransferOutcome {
    Done,       // everything is at the target (and gone from the source after a move)
    Skipped,    // the user kept an existing target for this path or part of it
    Refused,    // the target lies in the source, or is the source itself
    Failed,     // something could not be read, written or removed
    Cancelled,  // the user stopped the whole operation
};

// Asks about existing targets and remembers "replace all" and "skip all".
class ConflictResolver {
public:
    enum class Decision { Replace, Skip, Cancel };
    explicit ConflictResolver(OperationPrompts& prompts) : prompts_(prompts) {}
    Decision decide(const std::string& source, const std::string& target);

private:
    OperationPrompts& prompts_;
    bool replaceAll_ = false;
    bool skipAll_ = false;
};

// Copies or moves `source` (a file, link or folder) into the existing folder
// `targetFolder` under its own name. Times and permissions are kept (and the
// owner where we may); links are copied as links, never followed. An
// existing target is replaced only after a "replace" answer, and then only by
// something of its kind (a file for a file, a folder merges into a folder); a
// replaced file stays intact until its successor is complete, and a name
// taken by another file since the question is never written over. A move
// within one file system is a rename; across file systems nothing of the
// source is deleted unless all of it was copied, and then only the entries
// copied, each while it is still the one copied and unchanged: what came in
// meanwhile stays with its folder, and the move is reported failed. A
// folder is never copied or moved into itself. `source` must be a clean
// absolute path naming `expected`, found without following links.
TransferOutcome transferPath(const std::string& source, const std::string& targetFolder,
                             OperationPrompts::Transfer transfer, ConflictResolver& conflicts,
                             Progress* progress, const SourceIdentity& expected = {});

}  // namespace dw
