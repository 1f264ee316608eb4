#include "engine/search/finders.h"

#include "engine/texts.h"

namespace dw {

FinderResult findBySize(ScanList& list, const SizeOptions& options, Progress& progress,
                        RowSink& rows)
{
    FinderResult result;
    progress.setPhase(text::SearchBySize);
    progress.setAnimation(true);
    list.sortBySize();
    const std::size_t n = list.slots();

    auto report = [&](std::size_t i) {
        rows.addRow(ResultKind::BySize, list[i], 0, 0, 0);
        result.reportedBytes += list[i].size;
        list.take(i);
    };

    // Empty files first; folders and (with FindFiles off) empty files stay.
    std::size_t first = 0;
    for (; first < n && list[first].size == 0; ++first) {
        if (options.findEmpty && !list[first].isFolder())
            report(first);
        if (progress.cancelled()) {
            progress.hide();
            list.compact();
            return result;
        }
    }

    if (options.bySize) {
        const std::uint64_t threshold = options.thresholdKb * 1000;
        if (!options.smallerThan) {
            for (std::size_t i = n; i-- > 0 && list[i].size > threshold;) {
                if (!list.taken(i) && !list[i].isFolder())
                    report(i);
                if (progress.cancelled()) {
                    progress.hide();
                    break;
                }
            }
        } else {
            for (std::size_t i = 0; i < n && list[i].size < threshold; ++i) {
                if (!list.taken(i) && !list[i].isFolder())
                    report(i);
                if (progress.cancelled()) {
                    progress.hide();
                    break;
                }
            }
        }
    }
    list.compact();
    return result;
}

}  // namespace dw
