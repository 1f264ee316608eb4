#pragma once

#include "engine/search/file_entry.h"
#include "engine/search/fingerprint.h"
#include "engine/search/progress.h"
#include "engine/search/reader_pool.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dw {

// How candidate sets are proved. The digest only splits large sets before
// the byte proof, so that every file is compared with one other file instead
// of all of them; it never decides on its own that files are equal.
struct ProofSettings {
    using Digest = bool (*)(const FileEntry& file, char* buffer, std::size_t bufferSize,
                            FolderCache* folders, const Progress* progress, ContentDigest& digest);
    // Sets of at least this many files are split by digest first; in smaller
    // ones, files that differ from the first are compared among themselves.
    std::size_t digestFrom = 16;
    Digest digest = digestContents;
};

// Each set: files of one size, in list order, taken to be candidates (equal
// prefix fingerprints). For every set, returns the groups of two or more
// files whose whole contents are equal, each proved byte by byte against the
// group's first file (the first file of what is left, for files that
// differed from it); groups in the order of their first file, files as
// ascending positions in their set. Memory is the pool's buffers plus a few
// words a file; at most two files are open per pool thread. Files that cannot
// be read drop out and are counted in `unreadable`. Returns false on a cancel.
bool proveCandidateSets(const std::vector<std::vector<const FileEntry*>>& sets, ReaderPool& pool,
                        Progress* progress, const ProofSettings& settings,
                        std::vector<std::vector<std::vector<std::size_t>>>& groups,
                        std::uint64_t& unreadable);

}  // namespace dw
