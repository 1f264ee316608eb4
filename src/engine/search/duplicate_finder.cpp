#include "engine/search/finders.h"

#include "engine/search/content_proof.h"
#include "engine/search/fingerprint.h"
#include "engine/search/folder_walker.h"
#include "engine/search/read_order.h"
#include "engine/search/reader_pool.h"
#include "engine/texts.h"

#include <algorithm>
#include <numeric>
#include <set>
#include <utility>

namespace dw {

namespace {

// Bytes of each of a reader thread's two buffers: large enough for a long
// sequential read, small enough that the pool's buffers stay a few MiB.
constexpr std::size_t kReadBuffer = 32u << 10;
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

    // Fingerprints the window's files: first those already in the page
    // cache, folder by folder, so that each thread opens a folder once for
    // its files; then the others, several at a time in the order of their
    // places on disk. Unreadable files drop out of their runs.
    bool fingerprintWindow(std::vector<SizeRun>& window)
    {
        std::vector<std::size_t> indices;
        for (const SizeRun& run : window)
            indices.insert(indices.end(), run.begin(), run.end());
        enum : std::uint8_t { Unreadable, Read, NotCached };
        std::vector<std::uint8_t> state(indices.size(), Unreadable);
        std::vector<std::uint64_t> positions(indices.size(), 0);

        std::vector<std::size_t> byFolder(indices.size());
        std::iota(byFolder.begin(), byFolder.end(), 0);
        std::stable_sort(byFolder.begin(), byFolder.end(), [&](std::size_t a, std::size_t b) {
            return list_[indices[a]].folder < list_[indices[b]].folder;
        });
        std::vector<std::size_t> batchStarts;
        for (std::size_t k = 0; k < byFolder.size(); ++k) {
            if (k == 0 || list_[indices[byFolder[k]]].folder != list_[indices[byFolder[k - 1]]].folder)
                batchStarts.push_back(k);
        }
        batchStarts.push_back(byFolder.size());
        pool_.forEach(batchStarts.size() - 1, [&](std::size_t batch, ReaderPool::Buffers& buffers) {
            for (std::size_t k = batchStarts[batch]; k < batchStarts[batch + 1]; ++k) {
                if (progress_.cancelled())
                    return;
                const std::size_t i = byFolder[k];
                FileEntry& entry = list_[indices[i]];
                std::uint32_t crc = 0;
                switch (fingerprintIfCached(entry, options_.prefixLength, buffers.first, buffers.folders,
                                            crc, positions[i])) {
                case FirstLook::Fingerprinted:
                    entry.hash = crc;
                    state[i] = Read;
                    progress_.step();
                    break;
                case FirstLook::NotCached:
                    state[i] = NotCached;
                    break;
                case FirstLook::Unreadable:
                    progress_.step();
                    break;
                }
            }
        });
        if (progress_.cancelled())
            return false;

        std::vector<std::size_t> cold;
        std::vector<std::uint64_t> coldDevices, coldPositions;
        for (std::size_t i = 0; i < indices.size(); ++i) {
            if (state[i] == NotCached) {
                cold.push_back(i);
                coldDevices.push_back(list_[indices[i]].device);
                coldPositions.push_back(positions[i]);
            }
        }
        const std::vector<std::size_t> order = diskOrder(coldDevices, coldPositions);
        pool_.forEach(order.size(), [&](std::size_t k, ReaderPool::Buffers& buffers) {
            if (progress_.cancelled())
                return;
            const std::size_t i = cold[order[k]];
            FileEntry& entry = list_[indices[i]];
            std::uint32_t crc = 0;
            const bool read = fingerprint(entry, options_.prefixLength, buffers.first, crc, buffers.folders) == 0;
            if (read)
                entry.hash = crc;
            state[i] = read ? Read : Unreadable;
            progress_.step();
        });
        if (progress_.cancelled())
            return false;

        std::size_t i = 0;
        for (SizeRun& run : window) {
            SizeRun readable;
            for (std::size_t index : run) {
                if (state[i++] == Read)
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
