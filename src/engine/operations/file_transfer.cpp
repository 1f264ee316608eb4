#include "engine/operations/file_transfer.h"

#include "engine/operations/copy_steps.h"
#include "engine/operations/file_operations_tree.h"
#include "engine/operations/own_delete.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace dw {

ConflictResolver::Decision ConflictResolver::decide(const std::string& source,
                                                    const std::string& target)
{
    if (replaceAll_)
        return Decision::Replace;
    if (skipAll_)
        return Decision::Skip;
    switch (prompts_.askReplace(source, target)) {
    case OperationPrompts::Conflict::ReplaceAll:
        replaceAll_ = true;
        return Decision::Replace;
    case OperationPrompts::Conflict::Replace:
        return Decision::Replace;
    case OperationPrompts::Conflict::SkipAll:
        skipAll_ = true;
        return Decision::Skip;
    case OperationPrompts::Conflict::Skip:
        return Decision::Skip;
    case OperationPrompts::Conflict::Cancel:
        break;
    }
    return Decision::Cancel;
}

namespace {

using tree::Entry;
using tree::Fd;

// The worse of two outcomes: a cancel beats a failure beats a skip beats done.
TransferOutcome worse(TransferOutcome a, TransferOutcome b)
{
    auto rank = [](TransferOutcome o) {
        switch (o) {
        case TransferOutcome::Done: return 0;
        case TransferOutcome::Skipped: return 1;
        case TransferOutcome::Refused: return 2;
        case TransferOutcome::Failed: return 3;
        case TransferOutcome::Cancelled: return 4;
        }
        return 3;
    };
    return rank(a) >= rank(b) ? a : b;
}

// A folder being read from or written to: its descriptor for the work, its
// path for the questions and the progress line.
struct Folder {
    int fd;
    std::string path;
    std::string pathOf(const Entry& entry) const { return tree::joinPath(path, entry.name); }
};

// What a move across file systems has copied, to delete exactly that at
// the source: each entry as it was listed, kept only once its copy is
// complete and has the size the source still has.
struct CopiedNode {
    std::string name;
    struct stat st;
    std::vector<CopiedNode> children;
};

// True when the folder `innerFd` is the folder `outer` or lies inside it,
// found by walking ".." up to the root: links and bind mounts on the way
// to either cannot hide it.
bool folderHolds(const struct stat& outer, int innerFd)
{
    Fd current(::fcntl(innerFd, F_DUPFD_CLOEXEC, 0));
    for (int depth = 0; current.valid() && depth < 100000; ++depth) {
        struct stat st {};
        if (::fstat(current.get(), &st) != 0)
            return true;
        if (copy::sameFile(st, outer))
            return true;
        Fd up(::openat(current.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat upSt {};
        if (!up.valid() || ::fstat(up.get(), &upSt) != 0)
            return true;  // cannot tell: assume the worst
        if (copy::sameFile(upSt, st))
            return false;  // the root
        current = std::move(up);
    }
    return true;
}

class Transfer {
public:
    Transfer(bool move, ConflictResolver& conflicts, Progress* progress)
        : move_(move), conflicts_(conflicts), progress_(progress)
    {
    }

    TransferOutcome run(const std::string& source, const std::string& targetFolder,
                        const SourceIdentity& expected);

private:
    enum class Slot { Free, Replace, Skip, Cancel, Mismatch, Same };

    bool cancelled() const { return progress_ && progress_->cancelled(); }
    void show(const std::string& path)
    {
        if (progress_)
            progress_->setFolder(path);
    }
    // Each step puts `entry` of folder `from` into folder `to` under its own
    // name. `target` gets what examine found under that name.
    Slot examine(const Folder& from, const Entry& entry, const Folder& to, struct stat& target);
    TransferOutcome copyEntry(const Folder& from, const Entry& entry, const Folder& to);
    TransferOutcome copyExamined(const Folder& from, const Entry& entry, const Folder& to,
                                 const struct stat* replacing);
    TransferOutcome copyFolder(const Folder& from, const Entry& entry, const Folder& to,
                               bool merge);
    TransferOutcome copyLeaf(const Folder& from, const Entry& entry, const Folder& to,
                             const struct stat* replacing);
    TransferOutcome moveEntry(const Folder& from, const Entry& entry, const Folder& to);
    TransferOutcome mergeFolders(const Folder& from, const Entry& entry, const Folder& to);
    TransferOutcome moveAcross(const Folder& from, const Entry& entry, const Folder& to,
                               const struct stat* replacing);
    // Deletes at the source what `node` recorded, each entry only while it
    // is still the one copied; false when anything stays.
    bool deleteCopied(int folderFd, const CopiedNode& node);
    // Records a finished copy of `entry` for a move across file systems.
    void record(const Entry& entry)
    {
        if (record_)
            record_->push_back({entry.name, entry.st, {}});
    }
    // The folder `entry` of `from`, invalid if it is not what was listed.
    Fd openSource(const Folder& from, const Entry& entry);
    // The folder of the entry's name in `to`; the first one becomes the guard.
    Fd openTarget(const Folder& to, const Entry& entry);

    bool move_;
    ConflictResolver& conflicts_;
    Progress* progress_;
    // The top folder written at the target: never copied into itself even
    // when it is reachable inside the source (a bind mount).
    bool haveGuard_ = false;
    struct stat guard_ {};
    // While a move across file systems copies: where finished copies are
    // recorded, and the source's mount, which the copy does not leave.
    std::vector<CopiedNode>* record_ = nullptr;
    tree::MountKey sourceMount_;
};

Transfer::Slot Transfer::examine(const Folder& from, const Entry& entry, const Folder& to,
                                 struct stat& target)
{
    if (::fstatat(to.fd, entry.name.c_str(), &target, AT_SYMLINK_NOFOLLOW) != 0)
        return Slot::Free;
    if (copy::sameFile(target, entry.st))
        return Slot::Same;
    if (S_ISDIR(target.st_mode) != S_ISDIR(entry.st.st_mode))
        return Slot::Mismatch;
    switch (conflicts_.decide(from.pathOf(entry), to.pathOf(entry))) {
    case ConflictResolver::Decision::Replace:
        return Slot::Replace;
    case ConflictResolver::Decision::Skip:
        return Slot::Skip;
    case ConflictResolver::Decision::Cancel:
        break;
    }
    return Slot::Cancel;
}

TransferOutcome Transfer::copyEntry(const Folder& from, const Entry& entry, const Folder& to)
{
    if (cancelled())
        return TransferOutcome::Cancelled;
    struct stat target {};
    switch (examine(from, entry, to, target)) {
    case Slot::Free:
        return copyExamined(from, entry, to, nullptr);
    case Slot::Replace:
        return copyExamined(from, entry, to, &target);
    case Slot::Skip:
        return TransferOutcome::Skipped;
    case Slot::Cancel:
        return TransferOutcome::Cancelled;
    case Slot::Mismatch:
        return TransferOutcome::Failed;
    case Slot::Same:
        break;
    }
    return TransferOutcome::Refused;
}

TransferOutcome Transfer::copyExamined(const Folder& from, const Entry& entry, const Folder& to,
                                       const struct stat* replacing)
{
    if (S_ISDIR(entry.st.st_mode))
        return copyFolder(from, entry, to, replacing != nullptr);
    show(from.pathOf(entry));
    return copyLeaf(from, entry, to, replacing);
}

Fd Transfer::openSource(const Folder& from, const Entry& entry)
{
    return tree::openSameFolder(from.fd, entry.name, entry.st);
}

Fd Transfer::openTarget(const Folder& to, const Entry& entry)
{
    Fd target = tree::openFolder(to.fd, entry.name);
    if (target.valid() && !haveGuard_ && ::fstat(target.get(), &guard_) == 0)
        haveGuard_ = true;
    return target;
}

TransferOutcome Transfer::copyFolder(const Folder& from, const Entry& entry, const Folder& to,
                                     bool merge)
{
    Fd source = openSource(from, entry);
    if (!source.valid() || (!merge && ::mkdirat(to.fd, entry.name.c_str(), S_IRWXU) != 0))
        return TransferOutcome::Failed;
    Fd target = openTarget(to, entry);
    if (!target.valid())
        return TransferOutcome::Failed;
    std::vector<Entry> entries;
    TransferOutcome outcome = tree::readEntries(source.get(), entries) ? TransferOutcome::Done
                                                                        : TransferOutcome::Failed;
    const Folder inner{source.get(), from.pathOf(entry)};
    const Folder outer{target.get(), to.pathOf(entry)};
    std::vector<CopiedNode>* parentRecord = record_;
    CopiedNode node{entry.name, entry.st, {}};
    if (parentRecord)
        record_ = &node.children;
    for (const Entry& child : entries) {
        if (copy::sameFile(child.st, guard_))
            continue;
        tree::MountKey key;
        if (parentRecord && S_ISDIR(child.st.st_mode) &&
            (!tree::mountKeyOf(source.get(), child.name, key) ||
             tree::crossesMount(sourceMount_, key))) {
            outcome = worse(outcome, TransferOutcome::Failed);  // a mount inside is never moved
            continue;
        }
        outcome = worse(outcome, copyEntry(inner, child, outer));
        if (outcome == TransferOutcome::Cancelled)
            break;
    }
    record_ = parentRecord;
    if (record_ && outcome == TransferOutcome::Done)
        record_->push_back(std::move(node));
    // A merged folder keeps its own mode and times; a new one gets the source's,
    // its times last because writing its contents changed them.
    if (!merge)
        copy::keepAttributes(target.get(), entry.st);
    return outcome;
}

TransferOutcome Transfer::copyLeaf(const Folder& from, const Entry& entry, const Folder& to,
                                   const struct stat* replacing)
{
    const std::string temporary = copy::temporaryName();
    const mode_t type = entry.st.st_mode & S_IFMT;
    if (type == S_IFREG) {
        Fd in(::openat(from.fd, entry.name.c_str(),
                       O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat st {};
        if (!in.valid() || ::fstat(in.get(), &st) != 0 || !copy::sameFile(st, entry.st))
            return TransferOutcome::Failed;
        Fd out(::openat(to.fd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                        S_IRUSR | S_IWUSR));
        if (!out.valid())
            return TransferOutcome::Failed;
        copy::Copied copied = copy::copyData(in.get(), out.get(), progress_);
        // The copy is complete when it has every byte the source has now; a
        // source written meanwhile is copied but not taken for a move.
        struct stat after {};
        struct stat written {};
        if (copied == copy::Copied::Ok &&
            (::fstat(in.get(), &after) != 0 || ::fstat(out.get(), &written) != 0 ||
             written.st_size != after.st_size))
            copied = copy::Copied::Failed;
        if (copied == copy::Copied::Ok)
            copy::keepAttributes(out.get(), st);
        if (copied != copy::Copied::Ok || ::close(out.release()) != 0) {
            (void)::unlinkat(to.fd, temporary.c_str(), 0);
            return copied == copy::Copied::Cancelled ? TransferOutcome::Cancelled
                                                     : TransferOutcome::Failed;
        }
        if (copy::placeEntry(to.fd, temporary, to.fd, entry.name, replacing) !=
            copy::Placed::Done) {
            (void)::unlinkat(to.fd, temporary.c_str(), 0);
            return TransferOutcome::Failed;
        }
        if (after.st_size == entry.st.st_size && after.st_mtim.tv_sec == entry.st.st_mtim.tv_sec &&
            after.st_mtim.tv_nsec == entry.st.st_mtim.tv_nsec)
            record(entry);
        return TransferOutcome::Done;
    }
    if (type == S_IFLNK) {
        std::vector<char> target(static_cast<std::size_t>(entry.st.st_size) + 1);
        ssize_t n = ::readlinkat(from.fd, entry.name.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) >= target.size())
            return TransferOutcome::Failed;  // changed since it was listed
        target[static_cast<std::size_t>(n)] = '\0';
        if (::symlinkat(target.data(), to.fd, temporary.c_str()) != 0)
            return TransferOutcome::Failed;
        copy::keepAttributesAt(to.fd, temporary, entry.st, true);
    } else if (type == S_IFIFO) {
        if (::mkfifoat(to.fd, temporary.c_str(), S_IRUSR | S_IWUSR) != 0)
            return TransferOutcome::Failed;
        copy::keepAttributesAt(to.fd, temporary, entry.st, false);
    } else {
        return TransferOutcome::Failed;  // sockets and devices are not copied
    }
    if (copy::placeEntry(to.fd, temporary, to.fd, entry.name, replacing) != copy::Placed::Done) {
        (void)::unlinkat(to.fd, temporary.c_str(), 0);
        return TransferOutcome::Failed;
    }
    record(entry);
    return TransferOutcome::Done;
}

TransferOutcome Transfer::moveEntry(const Folder& from, const Entry& entry, const Folder& to)
{
    if (cancelled())
        return TransferOutcome::Cancelled;
    struct stat target {};
    const struct stat* replacing = &target;
    switch (examine(from, entry, to, target)) {
    case Slot::Free:
        replacing = nullptr;
        break;
    case Slot::Replace:
        if (S_ISDIR(entry.st.st_mode))
            return mergeFolders(from, entry, to);
        break;
    case Slot::Skip:
        return TransferOutcome::Skipped;
    case Slot::Cancel:
        return TransferOutcome::Cancelled;
    case Slot::Mismatch:
        return TransferOutcome::Failed;
    case Slot::Same:
        return TransferOutcome::Skipped;  // already where it should go
    }
    show(from.pathOf(entry));
    // Still the entry listed? A rename moves whatever has the name now.
    struct stat now {};
    if (::fstatat(from.fd, entry.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
        !copy::sameFile(now, entry.st))
        return TransferOutcome::Failed;
    switch (copy::placeEntry(from.fd, entry.name, to.fd, entry.name, replacing)) {
    case copy::Placed::Done:
        return TransferOutcome::Done;
    case copy::Placed::CrossDevice:
        return moveAcross(from, entry, to, replacing);
    case copy::Placed::Failed:
        break;
    }
    return TransferOutcome::Failed;
}

TransferOutcome Transfer::mergeFolders(const Folder& from, const Entry& entry, const Folder& to)
{
    Fd source = openSource(from, entry);
    Fd target = openTarget(to, entry);
    std::vector<Entry> entries;
    if (!source.valid() || !target.valid() || !tree::readEntries(source.get(), entries))
        return TransferOutcome::Failed;
    const Folder inner{source.get(), from.pathOf(entry)};
    const Folder outer{target.get(), to.pathOf(entry)};
    TransferOutcome outcome = TransferOutcome::Done;
    for (const Entry& child : entries) {
        if (copy::sameFile(child.st, guard_))
            continue;
        outcome = worse(outcome, moveEntry(inner, child, outer));
        if (outcome == TransferOutcome::Cancelled)
            return outcome;
    }
    // Whatever was skipped keeps the source folder alive; otherwise it is empty now.
    if (outcome == TransferOutcome::Done &&
        ::unlinkat(from.fd, entry.name.c_str(), AT_REMOVEDIR) != 0)
        outcome = TransferOutcome::Failed;
    return outcome;
}

TransferOutcome Transfer::moveAcross(const Folder& from, const Entry& entry, const Folder& to,
                                     const struct stat* replacing)
{
    std::vector<CopiedNode> copied;
    if (!tree::mountKeyOf(from.fd, entry.name, sourceMount_))
        return TransferOutcome::Failed;
    sourceMount_.mountRoot = false;
    record_ = &copied;
    TransferOutcome outcome = copyExamined(from, entry, to, replacing);
    record_ = nullptr;
    if (outcome != TransferOutcome::Done)
        return outcome;  // the source stays whole unless every part of it arrived
    // Only what was copied goes; what came into the source meanwhile stays,
    // and so does its folder, which then was not moved whole.
    if (copied.size() != 1 || !deleteCopied(from.fd, copied.front()))
        return TransferOutcome::Failed;
    return TransferOutcome::Done;
}

bool Transfer::deleteCopied(int folderFd, const CopiedNode& node)
{
    struct stat now {};
    if (::fstatat(folderFd, node.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!copy::sameFile(now, node.st))
        return false;
    if (!S_ISDIR(node.st.st_mode))
        return ::unlinkat(folderFd, node.name.c_str(), 0) == 0 || errno == ENOENT;
    Fd folder = tree::openSameFolder(folderFd, node.name, node.st);
    if (!folder.valid())
        return false;
    bool all = true;
    for (const CopiedNode& child : node.children)
        all = deleteCopied(folder.get(), child) && all;
    return all && ::unlinkat(folderFd, node.name.c_str(), AT_REMOVEDIR) == 0;
}

TransferOutcome Transfer::run(const std::string& sourcePath, const std::string& targetFolder,
                              const SourceIdentity& expected)
{
    SourceEntry found;
    if (findSource(sourcePath, expected, found) != SourceState::Found)
        return TransferOutcome::Failed;
    const Entry entry{found.name, found.st};
    Fd dstDir(::open(targetFolder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!dstDir.valid())
        return TransferOutcome::Failed;
    if (S_ISDIR(entry.st.st_mode) && folderHolds(entry.st, dstDir.get()))
        return TransferOutcome::Refused;
    // Moving a mounted file system would copy all of it and then fail to delete it.
    if (move_ && S_ISDIR(entry.st.st_mode) && tree::isMountRootAt(found.folder.get(), entry.name))
        return TransferOutcome::Refused;
    const std::string source = withoutTrailingSlash(sourcePath);
    const Folder from{found.folder.get(), source.substr(0, source.size() - entry.name.size())};
    const Folder to{dstDir.get(), withoutTrailingSlash(targetFolder)};
    return move_ ? moveEntry(from, entry, to) : copyEntry(from, entry, to);
}

}  // namespace

TransferOutcome transferPath(const std::string& source, const std::string& targetFolder,
                             OperationPrompts::Transfer transfer, ConflictResolver& conflicts,
                             Progress* progress, const SourceIdentity& expected)
{
    Transfer job(transfer == OperationPrompts::Transfer::Move, conflicts, progress);
    return job.run(source, targetFolder, expected);
}

}  // namespace dw
