#include "engine/tools/trash_emptying.h"

#include "engine/operations/file_operations_tree.h"
#include "engine/operations/own_delete.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace dw {

namespace {

constexpr std::string_view kInfoSuffix = ".trashinfo";

// A real folder (not a link) of `uid`.
bool isOwnFolder(const std::string& path, uid_t uid)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == uid;
}

std::vector<std::string> entryNames(const std::string& folder)
{
    const tree::Fd fd = tree::openFolder(AT_FDCWD, folder);
    std::vector<std::string> names = fd.valid() ? tree::readNames(fd.get()) : std::vector<std::string>();
    std::sort(names.begin(), names.end());
    return names;
}

bool isLink(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// files/ or info/ of a Trash, or "" when it is missing or a link.
std::string trashPart(const std::string& trash, const char* part)
{
    const std::string path = trash + "/" + part;
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? path : std::string();
}

class TrashEmptier {
public:
    TrashEmptier(Progress* progress, TrashEmptyingReport& report) : progress_(progress), report_(report) {}

    // Deletes one entry; false when the user cancelled.
    bool remove(const std::string& path)
    {
        if (progress_ && progress_->cancelled()) {
            report_.cancelled = true;
            return false;
        }
        if (progress_)
            progress_->setFolder(path);
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            return true;  // went with its pair or before we came
        switch (deletePermanently(path, progress_)) {
        case DeleteOutcome::Deleted:
            ++report_.removed;
            break;
        case DeleteOutcome::Failed:
            ++report_.left;
            break;
        case DeleteOutcome::Cancelled:
            report_.cancelled = true;
            return false;
        }
        if (progress_)
            progress_->step();
        return true;
    }

    // Each item goes with its description, so a cut-short run leaves no
    // description of a deleted item; then what is left in either folder.
    bool emptyTrash(const std::string& trash)
    {
        const std::string files = trashPart(trash, "files");
        const std::string info = trashPart(trash, "info");
        if (!info.empty()) {
            for (const std::string& name : entryNames(info)) {
                const bool described = name.size() > kInfoSuffix.size() &&
                                       name.compare(name.size() - kInfoSuffix.size(), kInfoSuffix.size(),
                                                    kInfoSuffix) == 0;
                if (described && !files.empty() &&
                    !remove(files + "/" + name.substr(0, name.size() - kInfoSuffix.size())))
                    return false;
                if (!remove(info + "/" + name))
                    return false;
            }
        }
        if (!files.empty())
            for (const std::string& name : entryNames(files))
                if (!remove(files + "/" + name))
                    return false;
        const std::string sizes = trash + "/directorysizes";
        struct stat st {};
        if (::lstat(sizes.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
            return remove(sizes);
        return true;
    }

private:
    Progress* progress_;
    TrashEmptyingReport& report_;
};

}  // namespace

std::vector<std::string> userTrashFolders(const std::string& homeTrash,
                                          const std::vector<platform::MountEntry>& mounts, uid_t uid)
{
    std::vector<std::string> folders;
    auto add = [&](const std::string& folder) {
        if (isOwnFolder(folder, uid) && std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    };
    add(homeTrash);
    std::vector<std::string> tops = {"/"};
    for (const platform::MountEntry& mount : mounts) {
        // Network and user-space mounts can hang a stat; memory-backed ones may hold a Trash.
        if (mount.mountPoint.empty() || mount.mountPoint[0] != '/' ||
            (platform::isExcludedFileSystemType(mount.fsType) && mount.fsType != "tmpfs"))
            continue;
        tops.push_back(mount.mountPoint);
    }
    const std::string uidText = std::to_string(uid);
    for (std::string top : tops) {
        if (top.size() > 1 && top.back() == '/')
            top.pop_back();
        const std::string base = top == "/" ? std::string() : top;
        const std::string shared = base + "/.Trash";
        struct stat st {};
        // A shared .Trash counts only when it is a real sticky folder.
        if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) != 0)
            add(shared + "/" + uidText);
        add(base + "/.Trash-" + uidText);
    }
    return folders;
}

std::vector<std::string> currentUserTrashFolders()
{
    std::string dataHome;
    if (const char* value = std::getenv("XDG_DATA_HOME"); value && value[0] == '/')
        dataHome = value;
    else
        dataHome = std::string(std::getenv("HOME") ? std::getenv("HOME") : "") + "/.local/share";
    const auto mounts = platform::readMountTable();
    return userTrashFolders(dataHome + "/Trash", mounts ? *mounts : std::vector<platform::MountEntry>{},
                            ::geteuid());
}

std::size_t countTrashItems(const std::vector<std::string>& trashFolders)
{
    std::size_t count = 0;
    for (const std::string& trash : trashFolders) {
        const std::string files = trashPart(trash, "files");
        if (!files.empty())
            count += entryNames(files).size();
    }
    return count;
}

TrashEmptyingReport emptyTrashFolders(const std::vector<std::string>& trashFolders, Progress* progress)
{
    TrashEmptyingReport report;
    TrashEmptier emptier(progress, report);
    for (const std::string& trash : trashFolders)
        if (!isLink(trash) && !emptier.emptyTrash(trash))
            break;
    return report;
}

}  // namespace dw
