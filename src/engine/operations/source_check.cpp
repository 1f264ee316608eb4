#include "engine/operations/source_check.h"

#include <fcntl.h>

#include <cerrno>

namespace dw {

SourceIdentity SourceIdentity::of(const ResultRow& row)
{
    SourceIdentity identity;
    identity.device = row.device;
    identity.inode = row.inode;
    identity.typeKnown = true;
    identity.folder = row.isFolder();
    identity.size = row.size;
    return identity;
}

SourceIdentity SourceIdentity::of(const struct stat& st)
{
    SourceIdentity identity;
    identity.device = st.st_dev;
    identity.inode = st.st_ino;
    identity.typeKnown = true;
    identity.folder = S_ISDIR(st.st_mode);
    identity.size = identity.folder ? 0 : static_cast<std::uint64_t>(st.st_size);
    return identity;
}

bool SourceIdentity::matches(const struct stat& st) const
{
    if (device != 0 || inode != 0)
        return static_cast<std::uint64_t>(st.st_dev) == device &&
               static_cast<std::uint64_t>(st.st_ino) == inode;
    if (!typeKnown)
        return true;
    if (S_ISDIR(st.st_mode) != folder)
        return false;
    return folder || static_cast<std::uint64_t>(st.st_size) == size;
}

SourceState findSource(const std::string& path, const SourceIdentity& expected,
                       SourceEntry& entry)
{
    if (!platform::isCleanAbsolutePath(path) || path == "/")
        return SourceState::Refused;
    platform::ParentAndLeaf found = platform::openParentNoFollow(path);
    if (!found.parent.valid())
        return found.error == ENOENT ? SourceState::Gone : SourceState::Refused;
    entry.folder = std::move(found.parent);
    entry.name = std::move(found.leaf);
    if (::fstatat(entry.folder.get(), entry.name.c_str(), &entry.st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? SourceState::Gone : SourceState::Refused;
    return expected.matches(entry.st) ? SourceState::Found : SourceState::Refused;
}

}  // namespace dw
