#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace dw::platform {

enum class CompressStatus {
    Compressed,         // the flag is set and the data was rewritten compressed
    AlreadyCompressed,  // the flag was set before; nothing changed
    Unsupported,        // not a regular file, or its file system cannot compress
    Failed,             // it could not be opened or a request failed; nothing changed
};

struct CompressResult {
    CompressStatus status = CompressStatus::Failed;
    std::uint64_t allocated = 0;  // st_blocks * 512 after the work
    std::uint64_t blockSize = 0;  // the file system's fundamental block size
};

// Compresses the regular file `path` in place: sets its inode compression
// flag (FS_IOC_SETFLAGS, FS_COMPR_FL) and has btrfs rewrite the data
// (BTRFS_IOC_DEFRAG_RANGE with compression). Other file systems are left
// alone (some accept the flag without ever compressing). A link is never
// followed. A file without its owner write bit gets it for the work and
// its mode back afterwards, whatever happens.
CompressResult compressFile(const std::string& path);
// The same for the entry `name` of the open folder `folderFd`, which must
// still be the file `expected` describes (device and inode); Failed if not.
CompressResult compressFileAt(int folderFd, const std::string& name, const struct stat& expected);

}  // namespace dw::platform
