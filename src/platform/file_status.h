#pragma once

#include "engine/search/file_entry.h"

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dw::platform {

// What lstat() tells about one path, in the program's terms.
struct FileStatus {
    std::uint64_t size = 0;
    std::int64_t accessNs = 0;
    std::int64_t modifyNs = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t allocated = 0;  // st_blocks * 512
    mode_t mode = 0;
    uid_t owner = 0;
    std::uint8_t attributes = 0;

    bool isRegular() const { return S_ISREG(mode); }
    bool isFolder() const { return S_ISDIR(mode); }
    bool isSymlink() const { return S_ISLNK(mode); }
};

// lstat() of `path` (a symbolic link is described, never followed).
std::optional<FileStatus> statPath(const std::string& path);
// The status of a struct stat already read for the entry at `path`.
FileStatus statusFrom(const struct stat& st, std::string_view path);

// Attribute bits of the entry `name` in `folder` (ending with '/'): folder =
// a directory, read-only = owner write bit clear, hidden = the name begins
// with a dot, archive = every regular file, system = see isSystemFile.
std::uint8_t attributesFrom(const struct stat& st, std::string_view folder, std::string_view name);
// The same for a caller that knows the effective user already (a walk asks
// once, not once a file).
std::uint8_t attributesFrom(const struct stat& st, std::string_view folder, std::string_view name,
                            uid_t user);

// True for an entry under the operating system's own folders (/bin, /boot,
// /etc, /lib*, /opt, /sbin, /usr, /var but not /var/tmp), or owned by a
// system account other than the user running the program: root's own files
// elsewhere are ordinary files to root.
bool isSystemFile(const struct stat& st, std::string_view folder, std::string_view name);
bool isSystemFile(const struct stat& st, std::string_view folder, std::string_view name, uid_t user);

// Accounts below this uid are system accounts (UID_MIN of /etc/login.defs,
// 1000 when it is not given).
uid_t systemUidLimit();

std::int64_t toNanoseconds(const struct timespec& ts);

}  // namespace dw::platform
