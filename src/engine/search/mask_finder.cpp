#include "engine/search/finders.h"

#include "engine/search/folder_walker.h"
#include "engine/texts.h"

namespace dw {

namespace {

// The first pattern (in list order) that the entry's name matches, or -1.
int matchingPattern(const FileEntry& entry, const std::vector<std::string>& patterns,
                    Progress& progress)
{
    std::string_view name = entry.name;
    for (std::size_t p = 0; p < patterns.size(); ++p) {
        if (progress.cancelled())
            return -1;
        if (matchesMask(name, patterns[p]))
            return static_cast<int>(p);
    }
    return -1;
}

}  // namespace

FinderResult findByMask(ScanList& list, const MaskOptions& options, Progress& progress,
                        RowSink& rows)
{
    FinderResult result;
    progress.setPhase(text::SearchByMask);
    if (list.count() == 0 || options.patterns.empty())
        return result;
    progress.setAnimation(false);
    progress.setRange(0, list.count());
    list.sortByExtension();

    // Every entry is tested against every pattern: skipping the rest of an
    // extension after a miss would lose names such as "~draft.doc" next to
    // "report.doc". A run is a sequence of entries each matching the mask
    // its first entry matched; of a run only the last entry stays in the
    // list for the finders that follow.
    const std::size_t n = list.slots();
    int runPattern = -1;
    std::size_t previousIndex = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (progress.cancelled()) {
            progress.hide();
            break;
        }
        const bool continuesRun =
            runPattern >= 0 && matchesMask(list[i].name, options.patterns[static_cast<std::size_t>(runPattern)]);
        if (continuesRun)
            list.take(previousIndex);
        else
            runPattern = matchingPattern(list[i], options.patterns, progress);
        if (runPattern >= 0) {
            if (!isInExcludedFolder(options.excludeDirs, list[i].path())) {
                rows.addRow(ResultKind::ByMask, list[i], 0, 0, 0);
                result.reportedBytes += list[i].size;
            }
            previousIndex = i;
        }
        progress.step();
    }
    if (!progress.cancelled())
        progress.setPosition(n);
    list.compact();
    return result;
}

}  // namespace dw
