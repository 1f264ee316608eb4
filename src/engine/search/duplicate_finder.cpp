#include "engine/search/finders.h"

#include "engine/search/fingerprint.h"
#include "engine/search/folder_walker.h"
#include "engine/texts.h"

#include <algorithm>
#include <set>
#include <utility>

namespace dw {

namespace {

struct Candidate {
    std::size_t index;  // into the scan list
    std::uint32_t crc;
};

}  // namespace

FinderResult findDuplicates(ScanList& list, const DuplicateOptions& options, Progress& progress,
                            RowSink& rows)
{
    FinderResult result;
    progress.setPhase(text::SearchDuplicates);
    progress.setAnimation(false);
    progress.setRange(0, list.count());
    list.sortBySize();

    const std::size_t n = list.slots();
    bool colouredGroup = false;
    std::uint32_t groupNumber = 0;
    std::size_t runStart = 0;
    while (runStart < n) {
        if (progress.cancelled())
            break;
        std::size_t runEnd = runStart + 1;
        while (runEnd < n && list[runEnd].size == list[runStart].size)
            ++runEnd;
        const std::size_t runLength = runEnd - runStart;
        if (list[runStart].size == 0 || runLength < 2) {
            progress.step(runLength);
            runStart = runEnd;
            continue;
        }

        // Candidates: files outside the excluded folders, one path per inode.
        std::vector<Candidate> candidates;
        std::set<std::pair<std::uint64_t, std::uint64_t>> inodes;
        for (std::size_t i = runStart; i < runEnd; ++i) {
            const FileEntry& entry = list[i];
            if (entry.isFolder() || isInExcludedFolder(options.excludeDirs, entry.path()) ||
                !inodes.emplace(entry.device, entry.inode).second)
                continue;
            candidates.push_back({i, 0});
        }
        if (candidates.size() < 2) {
            progress.step(runLength);
            runStart = runEnd;
            continue;
        }

        // Prefix fingerprints; unreadable files drop out.
        std::vector<Candidate> hashed;
        for (Candidate& candidate : candidates) {
            if (progress.cancelled())
                break;
            FileEntry& entry = list[candidate.index];
            if (fingerprint(entry, options.prefixLength, candidate.crc) == 0) {
                entry.hash = candidate.crc;
                hashed.push_back(candidate);
            } else {
                ++result.unreadable;
            }
            progress.step();
        }
        progress.step(runLength - candidates.size());
        std::stable_sort(hashed.begin(), hashed.end(),
                         [](const Candidate& a, const Candidate& b) { return a.crc < b.crc; });

        // Equal fingerprints are only candidates: prove them by content.
        std::vector<FileEntry*> entries;
        for (std::size_t i = 0; i < hashed.size();) {
            std::size_t j = i + 1;
            while (j < hashed.size() && hashed[j].crc == hashed[i].crc)
                ++j;
            if (j - i >= 2) {
                entries.clear();
                std::vector<std::size_t> members;
                for (std::size_t k = i; k < j; ++k) {
                    members.push_back(entries.size());
                    entries.push_back(&list[hashed[k].index]);
                }
                for (const auto& group : splitByContent(entries, members, &progress, result.unreadable)) {
                    if (progress.cancelled())
                        break;
                    colouredGroup = !colouredGroup;
                    ++groupNumber;
                    Colour back = colouredGroup ? options.duplicatesColour : 0;
                    Colour textColour = colouredGroup ? options.defaultColour : 0;
                    for (std::size_t member : group) {
                        std::size_t index = hashed[i + member].index;
                        rows.addRow(ResultKind::Duplicates, list[index], back, textColour, groupNumber);
                        result.reportedBytes += list[index].size;
                        list.take(index);
                    }
                }
            }
            i = j;
        }
        runStart = runEnd;
    }
    list.compact();
    return result;
}

}  // namespace dw
