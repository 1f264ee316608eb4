#include "platform/mounts.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>
#include <string_view>

namespace dw::platform {

namespace {

// The kernel writes space, tab, newline and backslash as \ooo.
std::string unescape(const std::string& field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1], b = field[i + 2], c = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool isBlockDevice(const std::string& device)
{
    if (device.rfind("/dev/", 0) != 0)
        return false;
    // Some kernels name the root device /dev/root without a node for it.
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0)
        return true;
    return S_ISBLK(st.st_mode);
}

bool isFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::vector<MountEntry> parseMountTable(const std::string& text)
{
    std::vector<MountEntry> table;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        MountEntry entry;
        if (!(fields >> entry.device >> entry.mountPoint >> entry.fsType))
            continue;
        entry.device = unescape(entry.device);
        entry.mountPoint = unescape(entry.mountPoint);
        table.push_back(std::move(entry));
    }
    return table;
}

bool isExcludedFileSystemType(const std::string& fsType)
{
    static constexpr std::array<std::string_view, 38> excluded = {
        // kernel interfaces and memory-backed
        "proc", "sysfs", "devtmpfs", "devpts", "tmpfs", "ramfs", "cgroup", "cgroup2", "securityfs",
        "debugfs", "tracefs", "pstore", "bpf", "configfs", "fusectl", "mqueue", "hugetlbfs",
        "autofs", "binfmt_misc", "efivarfs", "selinuxfs", "nsfs", "rpc_pipefs",
        // layered views of other file systems
        "overlay", "aufs",
        // package images (snaps, live media)
        "squashfs",
        // network
        "nfs", "nfs4", "cifs", "smb3", "smbfs", "9p", "ceph", "glusterfs", "afs", "davfs", "sshfs",
        "virtiofs",
    };
    if (fsType.rfind("fuse.", 0) == 0)
        return true;  // user-space mounts: sshfs, gvfs, cloud drives (fuseblk is a disk)
    return std::find(excluded.begin(), excluded.end(), fsType) != excluded.end();
}

std::vector<std::string> diskMountPoints(const std::vector<MountEntry>& table)
{
    std::vector<std::string> points = {"/"};
    for (const MountEntry& entry : table) {
        if (entry.mountPoint.empty() || entry.mountPoint.front() != '/')
            continue;
        if (isExcludedFileSystemType(entry.fsType) || !isBlockDevice(entry.device))
            continue;
        if (!isFolder(entry.mountPoint))
            continue;
        std::string point = entry.mountPoint;
        if (point.back() != '/')
            point += '/';
        points.push_back(std::move(point));
    }
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    return points;
}

std::optional<std::vector<MountEntry>> readMountTable(const std::string& file)
{
    std::ifstream in(file);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return parseMountTable(text.str());
}

}  // namespace dw::platform
