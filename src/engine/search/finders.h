#pragma once

#include "engine/search/progress.h"
#include "engine/search/row_sink.h"
#include "engine/search/scan_list.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace dw {

// What a finder did: the bytes it reported and the files it could not read.
struct FinderResult {
    std::uint64_t reportedBytes = 0;
    std::uint64_t unreadable = 0;
};

struct DuplicateOptions {
    std::uint32_t prefixLength = 8192;        // bytes of the candidate fingerprint
    std::vector<std::string> excludeDirs;
    Colour duplicatesColour = 0x8E8E8E;       // background of every second group
    Colour defaultColour = 0;
    // Files read at once. Sized for the disk's queue, not the processor: the
    // threads mostly wait for their reads. 1 reads one file at a time.
    std::size_t readerThreads = 8;
};

// Reports groups of files with equal contents: equal size and prefix CRC-32
// make candidates, a whole-content comparison proves them. Empty files,
// folders, files in excluded folders and second paths of one inode never take
// part. Groups come in ascending size, within a size in ascending CRC and then
// in walk order, whatever readerThreads is; each reported entry leaves the
// list. Buffers and open files are bounded by readerThreads, never by the tree.
FinderResult findDuplicates(ScanList& list, const DuplicateOptions& options, Progress& progress,
                            RowSink& rows);

struct MaskOptions {
    std::vector<std::string> patterns;  // flattened, sorted mask patterns
    std::vector<std::string> excludeDirs;
};

// Reports entries whose name matches one of the patterns, in extension order.
// A run is an entry and the entries after it that match the pattern it
// matched first; of each run all but the last entry leave the list.
FinderResult findByMask(ScanList& list, const MaskOptions& options, Progress& progress,
                        RowSink& rows);

struct SizeOptions {
    bool findEmpty = true;          // FindFiles
    bool bySize = true;             // BySize
    bool smallerThan = true;        // LessThen == 1
    std::uint64_t thresholdKb = 1;  // Size, in units of 1000 bytes
};

// Reports empty files, then files strictly larger (descending) or strictly
// smaller (ascending) than the threshold; reported entries leave the list.
FinderResult findBySize(ScanList& list, const SizeOptions& options, Progress& progress,
                        RowSink& rows);

struct OldOptions {
    bool byDays = false;
    int days = 0;
    int months = 1;
    std::vector<std::string> excludeDirs;
    std::time_t now = 0;  // 0: the current time
};

// The cutoff: now minus the days or months, by local calendar arithmetic.
std::time_t oldCutoff(const OldOptions& options);

// Reports entries last opened strictly before the cutoff, oldest first. Every
// such entry leaves the list, reported or excluded.
FinderResult findOld(ScanList& list, const OldOptions& options, Progress& progress, RowSink& rows);

}  // namespace dw
