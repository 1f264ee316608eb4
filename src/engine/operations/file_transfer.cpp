#include "engine/operations/file_transfer.h"

#include "engine/operations/file_operations_tree.h"
#include "engine/operations/own_delete.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
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

enum class Copied { Ok, Failed, Cancelled };

constexpr std::size_t kChunk = 8u << 20;

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Copies the rest of `in` to `out` in chunks, stopping at a cancel between them.
Copied copyData(int in, int out, const Progress* progress)
{
    bool kernelCopy = true;
    std::vector<char> buffer;
    for (;;) {
        if (progress && progress->cancelled())
            return Copied::Cancelled;
        if (kernelCopy) {
            ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
            if (n == 0)
                return Copied::Ok;
            if (n > 0 || errno == EINTR)
                continue;
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
                return Copied::Failed;
            kernelCopy = false;  // these two file systems need the plain way
            buffer.resize(1u << 20);
            continue;
        }
        ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n == 0)
            return Copied::Ok;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || !writeAll(out, buffer.data(), static_cast<std::size_t>(n)))
            return Copied::Failed;
    }
}

// Owner where we may (as cp -p), then mode, then times: chown clears set-id bits.
void keepAttributes(int fd, const struct stat& st)
{
    (void)::fchown(fd, st.st_uid, st.st_gid);
    (void)::fchmod(fd, st.st_mode & 07777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    (void)::futimens(fd, times);
}

void keepAttributesAt(int folderFd, const std::string& name, const struct stat& st, bool link)
{
    (void)::fchownat(folderFd, name.c_str(), st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW);
    if (!link)
        (void)::fchmodat(folderFd, name.c_str(), st.st_mode & 07777, 0);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    (void)::utimensat(folderFd, name.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

std::string temporaryName()
{
    static std::atomic<unsigned> counter{0};
    char name[64];
    std::snprintf(name, sizeof name, ".dw-part-%d-%u", static_cast<int>(::getpid()),
                  counter.fetch_add(1));
    return name;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Puts a finished temporary into place: over the target when replacing,
// otherwise only if the name is still free.
bool place(int folderFd, const std::string& temporary, const std::string& name, bool replace)
{
    if (replace)
        return ::renameat(folderFd, temporary.c_str(), folderFd, name.c_str()) == 0;
    if (::renameat2(folderFd, temporary.c_str(), folderFd, name.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL)
        return false;
    // No RENAME_NOREPLACE here: a hard link fails on an existing name just the same.
    if (::linkat(folderFd, temporary.c_str(), folderFd, name.c_str(), 0) != 0)
        return false;
    (void)::unlinkat(folderFd, temporary.c_str(), 0);
    return true;
}

// A folder being read from or written to: its descriptor for the work, its
// path for the questions and the progress line.
struct Folder {
    int fd;
    std::string path;
    std::string pathOf(const Entry& entry) const { return tree::joinPath(path, entry.name); }
};

class Transfer {
public:
    Transfer(bool move, ConflictResolver& conflicts, Progress* progress)
        : move_(move), conflicts_(conflicts), progress_(progress)
    {
    }

    TransferOutcome run(const std::string& source, const std::string& targetFolder);

private:
    enum class Slot { Free, Replace, Skip, Cancel, Mismatch, Same };

    bool cancelled() const { return progress_ && progress_->cancelled(); }
    void show(const std::string& path)
    {
        if (progress_)
            progress_->setFolder(path);
    }
    // Each step puts `entry` of folder `from` into folder `to` under its own name.
    Slot examine(const Folder& from, const Entry& entry, const Folder& to);
    TransferOutcome copyEntry(const Folder& from, const Entry& entry, const Folder& to);
    TransferOutcome copyExamined(const Folder& from, const Entry& entry, const Folder& to,
                                 bool exists);
    TransferOutcome copyFolder(const Folder& from, const Entry& entry, const Folder& to,
                               bool merge);
    TransferOutcome copyLeaf(const Folder& from, const Entry& entry, const Folder& to,
                             bool replace);
    TransferOutcome moveEntry(const Folder& from, const Entry& entry, const Folder& to);
    TransferOutcome mergeFolders(const Folder& from, const Entry& entry, const Folder& to);
    TransferOutcome moveAcross(const Folder& from, const Entry& entry, const Folder& to,
                               bool exists);
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
};

Transfer::Slot Transfer::examine(const Folder& from, const Entry& entry, const Folder& to)
{
    struct stat target {};
    if (::fstatat(to.fd, entry.name.c_str(), &target, AT_SYMLINK_NOFOLLOW) != 0)
        return Slot::Free;
    if (sameFile(target, entry.st))
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
    switch (examine(from, entry, to)) {
    case Slot::Free:
        return copyExamined(from, entry, to, false);
    case Slot::Replace:
        return copyExamined(from, entry, to, true);
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
                                       bool exists)
{
    if (S_ISDIR(entry.st.st_mode))
        return copyFolder(from, entry, to, exists);
    show(from.pathOf(entry));
    return copyLeaf(from, entry, to, exists);
}

Fd Transfer::openSource(const Folder& from, const Entry& entry)
{
    Fd source = tree::openFolder(from.fd, entry.name);
    struct stat st {};
    if (source.valid() && (::fstat(source.get(), &st) != 0 || !sameFile(st, entry.st)))
        return {};  // swapped since it was listed
    return source;
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
    for (const Entry& child : entries) {
        if (sameFile(child.st, guard_))
            continue;
        outcome = worse(outcome, copyEntry(inner, child, outer));
        if (outcome == TransferOutcome::Cancelled)
            break;
    }
    // A merged folder keeps its own mode and times; a new one gets the source's,
    // its times last because writing its contents changed them.
    if (!merge)
        keepAttributes(target.get(), entry.st);
    return outcome;
}

TransferOutcome Transfer::copyLeaf(const Folder& from, const Entry& entry, const Folder& to,
                                   bool replace)
{
    const std::string temporary = temporaryName();
    const mode_t type = entry.st.st_mode & S_IFMT;
    if (type == S_IFREG) {
        Fd in(::openat(from.fd, entry.name.c_str(),
                       O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat st {};
        if (!in.valid() || ::fstat(in.get(), &st) != 0 || !sameFile(st, entry.st))
            return TransferOutcome::Failed;
        Fd out(::openat(to.fd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                        S_IRUSR | S_IWUSR));
        if (!out.valid())
            return TransferOutcome::Failed;
        Copied copied = copyData(in.get(), out.get(), progress_);
        if (copied == Copied::Ok)
            keepAttributes(out.get(), st);
        if (copied != Copied::Ok || ::close(out.release()) != 0) {
            (void)::unlinkat(to.fd, temporary.c_str(), 0);
            return copied == Copied::Cancelled ? TransferOutcome::Cancelled
                                               : TransferOutcome::Failed;
        }
    } else if (type == S_IFLNK) {
        std::vector<char> target(static_cast<std::size_t>(entry.st.st_size) + 1);
        ssize_t n = ::readlinkat(from.fd, entry.name.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) >= target.size())
            return TransferOutcome::Failed;  // changed since it was listed
        target[static_cast<std::size_t>(n)] = '\0';
        if (::symlinkat(target.data(), to.fd, temporary.c_str()) != 0)
            return TransferOutcome::Failed;
        keepAttributesAt(to.fd, temporary, entry.st, true);
    } else if (type == S_IFIFO) {
        if (::mkfifoat(to.fd, temporary.c_str(), S_IRUSR | S_IWUSR) != 0)
            return TransferOutcome::Failed;
        keepAttributesAt(to.fd, temporary, entry.st, false);
    } else {
        return TransferOutcome::Failed;  // sockets and devices are not copied
    }
    if (!place(to.fd, temporary, entry.name, replace)) {
        (void)::unlinkat(to.fd, temporary.c_str(), 0);
        return TransferOutcome::Failed;
    }
    return TransferOutcome::Done;
}

TransferOutcome Transfer::moveEntry(const Folder& from, const Entry& entry, const Folder& to)
{
    if (cancelled())
        return TransferOutcome::Cancelled;
    const char* name = entry.name.c_str();
    switch (examine(from, entry, to)) {
    case Slot::Free:
        show(from.pathOf(entry));
        if (::renameat2(from.fd, name, to.fd, name, RENAME_NOREPLACE) == 0)
            return TransferOutcome::Done;
        if (errno == EXDEV)
            return moveAcross(from, entry, to, false);
        if (errno != EINVAL)
            return TransferOutcome::Failed;
        // No RENAME_NOREPLACE on this file system: a file is linked (which fails
        // on an existing name) and unlinked; a folder is renamed, which at worst
        // takes the place of an empty folder made since we looked.
        if (S_ISDIR(entry.st.st_mode)) {
            return ::renameat(from.fd, name, to.fd, name) == 0 ? TransferOutcome::Done
                                                               : TransferOutcome::Failed;
        }
        if (::linkat(from.fd, name, to.fd, name, 0) != 0)
            return TransferOutcome::Failed;
        (void)::unlinkat(from.fd, name, 0);
        return TransferOutcome::Done;
    case Slot::Replace:
        if (S_ISDIR(entry.st.st_mode))
            return mergeFolders(from, entry, to);
        show(from.pathOf(entry));
        if (::renameat(from.fd, name, to.fd, name) == 0)
            return TransferOutcome::Done;
        if (errno == EXDEV)
            return moveAcross(from, entry, to, true);
        return TransferOutcome::Failed;
    case Slot::Skip:
        return TransferOutcome::Skipped;
    case Slot::Cancel:
        return TransferOutcome::Cancelled;
    case Slot::Mismatch:
        return TransferOutcome::Failed;
    case Slot::Same:
        break;
    }
    return TransferOutcome::Skipped;  // already where it should go
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
        if (sameFile(child.st, guard_))
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
                                     bool exists)
{
    TransferOutcome copied = copyExamined(from, entry, to, exists);
    if (copied != TransferOutcome::Done)
        return copied;  // the source stays whole unless every part of it arrived
    if (!S_ISDIR(entry.st.st_mode))
        return ::unlinkat(from.fd, entry.name.c_str(), 0) == 0 ? TransferOutcome::Done
                                                               : TransferOutcome::Failed;
    switch (deletePermanently(from.pathOf(entry), progress_)) {
    case DeleteOutcome::Deleted:
        return TransferOutcome::Done;
    case DeleteOutcome::Cancelled:
        return TransferOutcome::Cancelled;
    case DeleteOutcome::Failed:
        break;
    }
    return TransferOutcome::Failed;
}

std::string resolved(const std::string& path)
{
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return {};
    std::string result(real);
    std::free(real);
    return result;
}

bool isSameOrBelow(const std::string& inner, const std::string& outer)
{
    if (inner.empty() || outer.empty())
        return false;
    if (inner == outer || outer == "/")
        return true;
    return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
           inner[outer.size()] == '/';
}

TransferOutcome Transfer::run(const std::string& sourcePath, const std::string& targetFolder)
{
    const std::string source = withoutTrailingSlash(sourcePath);
    Entry entry;
    Fd srcDir = tree::openParent(source, entry.name);
    if (!srcDir.valid() || entry.name.empty() ||
        ::fstatat(srcDir.get(), entry.name.c_str(), &entry.st, AT_SYMLINK_NOFOLLOW) != 0)
        return TransferOutcome::Failed;
    Fd dstDir(::open(targetFolder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!dstDir.valid())
        return TransferOutcome::Failed;
    if (S_ISDIR(entry.st.st_mode) && isSameOrBelow(resolved(targetFolder), resolved(source)))
        return TransferOutcome::Refused;
    // Moving a mounted file system would copy all of it and then fail to delete it.
    if (move_ && S_ISDIR(entry.st.st_mode) && isMountRoot(source))
        return TransferOutcome::Refused;
    const Folder from{srcDir.get(), source.substr(0, source.size() - entry.name.size())};
    const Folder to{dstDir.get(), withoutTrailingSlash(targetFolder)};
    return move_ ? moveEntry(from, entry, to) : copyEntry(from, entry, to);
}

}  // namespace

TransferOutcome transferPath(const std::string& source, const std::string& targetFolder,
                             OperationPrompts::Transfer transfer, ConflictResolver& conflicts,
                             Progress* progress)
{
    Transfer job(transfer == OperationPrompts::Transfer::Move, conflicts, progress);
    return job.run(source, targetFolder);
}

}  // namespace dw
