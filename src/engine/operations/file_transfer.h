#pragma once

#include "engine/operations/operation_prompts.h"
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
// replaced file stays intact until its successor is complete. A move within
// one file system is a rename; across file systems the source is deleted only
// after all of it was copied. A folder is never copied or moved into itself.
TransferOutcome transferPath(const std::string& source, const std::string& targetFolder,
                             OperationPrompts::Transfer transfer, ConflictResolver& conflicts,
                             Progress* progress);

}  // namespace dw
