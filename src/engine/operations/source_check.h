#pragma once

// Finding a source of a file operation again, safely: its path is walked one
// component at a time from "/" without following a link, and the entry found
// must still be the file the row was made for.

#include "engine/results/result_list.h"
#include "platform/safe_path.h"

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace dw {

// What is known about the file a path should name. The search records its
// device and inode; a row read from a session has none, then its type and
// size have to do. Nothing known (a path handed in by other code) accepts
// whatever entry the path names, and a delete takes that entry alone.
struct SourceIdentity {
    std::uint64_t device = 0;  // 0 with inode 0: unknown
    std::uint64_t inode = 0;
    bool typeKnown = false;
    bool folder = false;
    std::uint64_t size = 0;    // compared for files when device and inode are unknown

    static SourceIdentity of(const ResultRow& row);
    static SourceIdentity of(const struct stat& st);
    // True when `st` (an lstat) describes the file this identity names.
    bool matches(const struct stat& st) const;
    bool known() const { return device != 0 || inode != 0 || typeKnown; }
};

enum class SourceState {
    Found,    // `entry` holds the open folder, the name and the entry's status
    Gone,     // nothing has the name any more (it went, or never came)
    Refused,  // not a clean absolute path, a link or a non-folder on the way,
              // another file under the name, or unreadable: never act on it
};

// A source found again: its folder opened without following links, its name
// in that folder, and its status (not followed).
struct SourceEntry {
    platform::UniqueFd folder;
    std::string name;
    struct stat st {};
};

// Looks `path` up as described above and checks the entry against
// `expected`. Never follows a link, never changes anything.
SourceState findSource(const std::string& path, const SourceIdentity& expected,
                       SourceEntry& entry);

}  // namespace dw
