#include "platform/file_status.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

namespace dw::platform {

std::int64_t toNanoseconds(const struct timespec& ts)
{
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

static uid_t readUidMin()
{
    std::ifstream in("/etc/login.defs");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key;
        long value = 0;
        if (words >> key && key == "UID_MIN" && words >> value && value > 0)
            return static_cast<uid_t>(value);
    }
    return 1000;
}

uid_t systemUidLimit()
{
    static const uid_t limit = readUidMin();
    return limit;
}

namespace {

bool isOperatingSystemPlace(std::string_view folder, std::string_view name)
{
    if (folder.empty() || folder.front() != '/')
        return false;
    // The first two components of folder + name, without building the path.
    std::string_view first = name;
    std::string_view second;
    if (folder.size() > 1) {
        std::string_view rest = folder.substr(1);
        std::size_t slash = rest.find('/');
        first = rest.substr(0, slash);
        std::string_view after = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        second = after.empty() ? name : after.substr(0, after.find('/'));
    }
    for (std::string_view own : {"bin", "boot", "etc", "opt", "sbin", "usr"})
        if (first == own)
            return true;
    if (first.substr(0, 3) == "lib")
        return true;
    return first == "var" && second != "tmp";
}

}  // namespace

bool isSystemFile(const struct stat& st, std::string_view folder, std::string_view name)
{
    return isSystemFile(st, folder, name, ::geteuid());
}

bool isSystemFile(const struct stat& st, std::string_view folder, std::string_view name, uid_t user)
{
    if (isOperatingSystemPlace(folder, name))
        return true;
    return st.st_uid < systemUidLimit() && st.st_uid != user;
}

std::uint8_t attributesFrom(const struct stat& st, std::string_view folder, std::string_view name)
{
    return attributesFrom(st, folder, name, ::geteuid());
}

std::uint8_t attributesFrom(const struct stat& st, std::string_view folder, std::string_view name,
                            uid_t user)
{
    std::uint8_t bits = 0;
    if (S_ISDIR(st.st_mode))
        bits |= attr::Folder;
    else if (S_ISREG(st.st_mode))
        bits |= attr::Archive;
    if ((st.st_mode & S_IWUSR) == 0)
        bits |= attr::ReadOnly;
    if (!name.empty() && name.front() == '.')
        bits |= attr::Hidden;
    if (isSystemFile(st, folder, name, user))
        bits |= attr::System;
    return bits;
}

FileStatus statusFrom(const struct stat& st, std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    std::string_view name = fileNameOf(path);
    std::string_view folder = path.substr(0, path.size() - name.size());
    FileStatus status;
    status.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    status.accessNs = toNanoseconds(st.st_atim);
    status.modifyNs = toNanoseconds(st.st_mtim);
    status.device = st.st_dev;
    status.inode = st.st_ino;
    status.allocated = static_cast<std::uint64_t>(st.st_blocks) * 512;
    status.mode = st.st_mode;
    status.owner = st.st_uid;
    status.attributes = attributesFrom(st, folder, name);
    return status;
}

std::optional<FileStatus> statPath(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return std::nullopt;
    return statusFrom(st, path);
}

}  // namespace dw::platform
