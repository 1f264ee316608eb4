#include "engine/search/finders.h"

#include "engine/search/content_proof.h"
#include "engine/search/fingerprint.h"
#include "engine/search/folder_walker.h"
#include "engine/search/prefix_reader.h"
#include "engine/search/reader_pool.h"
#include "engine/texts.h"

#include <algorithm>
#include <array>
#include <set>
#include <utility>

namespace dw {

namespace {

// Bytes of each of a reader thread's two buffers: large enough for a long
// sequential read, small enough that the pool's buffers stay a few MiB.
constexpr std::size_t kReadBuffer = 32u << 10;
// Files a reader thread fingerprints in one go, and how many of them may
// wait for the disk at once: with the pool's threads, a few hundred reads in
// flight and as many descriptors open.
constexpr std::size_t kFingerprintBatch = 128;
constexpr std::size_t kWaitingPerThread = 24;
// Files fingerprinted and proved together before their rows are reported:
// enough to keep the pool busy and the reads sorted by place, few enough that
// rows keep arriving while a large tree is searched.
constexpr std::size_t kWindowFiles = 8192;

// The candidates of one size: files outside the excluded folders, one path
// per inode, as list indices in list order.
using SizeRun = std::vector<std::size_t>;

class DuplicateSearch {
public:
    DuplicateSearch(ScanList& list, const DuplicateOptions& options, Progress& progress, RowSink& rows)
        : list_(list), options_(options), progress_(progress), rows_(rows),
          pool_(options.readerThreads, std::max<std::size_t>(kReadBuffer, options.prefixLength))
    {
    }

    FinderResult run()
    {
        const std::size_t n = list_.slots();
        std::size_t runStart = 0;
        while (runStart < n && !progress_.cancelled()) {
            std::vector<SizeRun> window;
            std::size_t files = 0;
            while (runStart < n && files < kWindowFiles) {
                std::size_t runEnd = runStart + 1;
                while (runEnd < n && list_[runEnd].size == list_[runStart].size)
                    ++runEnd;
                SizeRun run = candidatesOf(runStart, runEnd);
                if (run.size() >= 2) {
                    progress_.step(runEnd - runStart - run.size());
                    files += run.size();
                    window.push_back(std::move(run));
                } else {
                    progress_.step(runEnd - runStart);
                }
                runStart = runEnd;
            }
            if (!searchWindow(window))
                break;
        }
        list_.compact();
        return result_;
    }

private:
    SizeRun candidatesOf(std::size_t runStart, std::size_t runEnd)
    {
        SizeRun run;
        if (runEnd - runStart < 2 || list_[runStart].size == 0)
            return run;
        std::set<std::pair<std::uint64_t, std::uint64_t>> inodes;
        for (std::size_t i = runStart; i < runEnd; ++i) {
            const FileEntry& entry = list_[i];
            if (entry.isFolder() || isInExcludedFolder(options_.excludeDirs, entry.path()) ||
                !inodes.emplace(entry.device, entry.inode).second)
                continue;
            run.push_back(i);
        }
        return run;
    }

    // Fingerprints the window's files that the walk did not: folder by
    // folder, so that each thread opens a folder once for its files, with
    // many reads in flight. Unreadable files drop out of their runs.
    bool fingerprintWindow(std::vector<SizeRun>& window)
    {
        std::vector<std::size_t> unread;
        for (const SizeRun& run : window) {
            for (std::size_t index : run) {
                if (list_[index].prefixRead)
                    progress_.step();
                else
                    unread.push_back(index);
            }
        }
        std::stable_sort(unread.begin(), unread.end(), [&](std::size_t a, std::size_t b) {
            return list_[a].folder < list_[b].folder;
        });
        const std::size_t batches = (unread.size() + kFingerprintBatch - 1) / kFingerprintBatch;
        pool_.forEach(batches, [&](std::size_t batch, ReaderPool::Buffers& buffers) {
            std::array<WaitingFile, kWaitingPerThread> slots;
            PrefixReader reader(options_.prefixLength, buffers.first, buffers.folders, slots);
            const std::size_t end = std::min(unread.size(), (batch + 1) * kFingerprintBatch);
            for (std::size_t k = batch * kFingerprintBatch; k < end && !progress_.cancelled(); ++k) {
                reader.add(list_[unread[k]], true);
                progress_.step();
            }
            reader.finish(!progress_.cancelled());
        });
        if (progress_.cancelled())
            return false;

        for (SizeRun& run : window) {
            SizeRun readable;
            for (std::size_t index : run) {
                if (list_[index].prefixRead)
                    readable.push_back(index);
                else
                    ++result_.unreadable;
            }
            run = std::move(readable);
        }
        return true;
    }

    bool searchWindow(std::vector<SizeRun>& window)
    {
        if (window.empty())
            return true;
        if (!fingerprintWindow(window))
            return false;

        // Equal prefix fingerprints within a size make a candidate set, in
        // ascending fingerprint order; only the byte proof makes a group.
        std::vector<std::vector<std::size_t>> setIndices;
        std::vector<std::vector<const FileEntry*>> sets;
        for (SizeRun& run : window) {
            std::stable_sort(run.begin(), run.end(),
                             [&](std::size_t a, std::size_t b) { return list_[a].hash < list_[b].hash; });
            for (std::size_t i = 0; i < run.size();) {
                std::size_t j = i + 1;
                while (j < run.size() && list_[run[j]].hash == list_[run[i]].hash)
                    ++j;
                if (j - i >= 2) {
                    setIndices.emplace_back(run.begin() + static_cast<std::ptrdiff_t>(i),
                                            run.begin() + static_cast<std::ptrdiff_t>(j));
                    sets.emplace_back();
                    for (std::size_t index : setIndices.back())
                        sets.back().push_back(&list_[index]);
                }
                i = j;
            }
        }
        std::vector<std::vector<std::vector<std::size_t>>> groups;
        if (!proveCandidateSets(sets, pool_, &progress_, ProofSettings{}, groups, result_.unreadable))
            return false;

        for (std::size_t s = 0; s < sets.size(); ++s) {
            for (const auto& group : groups[s]) {
                if (progress_.cancelled())
                    return false;
                report(setIndices[s], group);
            }
        }
        return true;
    }

    void report(const std::vector<std::size_t>& indices, const std::vector<std::size_t>& group)
    {
        colouredGroup_ = !colouredGroup_;
        ++groupNumber_;
        const Colour back = colouredGroup_ ? options_.duplicatesColour : 0;
        const Colour text = colouredGroup_ ? options_.defaultColour : 0;
        for (std::size_t position : group) {
            const std::size_t index = indices[position];
            rows_.addRow(ResultKind::Duplicates, list_[index], back, text, groupNumber_);
            result_.reportedBytes += list_[index].size;
            list_.take(index);
        }
    }

    ScanList& list_;
    const DuplicateOptions& options_;
    Progress& progress_;
    RowSink& rows_;
    ReaderPool pool_;
    FinderResult result_;
    bool colouredGroup_ = false;
    std::uint32_t groupNumber_ = 0;
};

}  // namespace

FinderResult findDuplicates(ScanList& list, const DuplicateOptions& options, Progress& progress,
                            RowSink& rows)
{
    progress.setPhase(text::SearchDuplicates);
    progress.setAnimation(false);
    progress.setRange(0, list.count());
    list.sortBySize();
    return DuplicateSearch(list, options, progress, rows).run();
}

}  // namespace dw
