#include "engine/search/finders.h"

#include "engine/search/folder_walker.h"
#include "engine/texts.h"

#include <algorithm>
#include <climits>

namespace dw {

std::time_t oldCutoff(const OldOptions& options)
{
    std::time_t now = options.now != 0 ? options.now : std::time(nullptr);
    std::tm fields {};
    ::localtime_r(&now, &fields);
    // Any stored age is taken; one beyond the calendar's reach gives a
    // cutoff mktime() cannot make (-1), before every file.
    auto minus = [](int field, int amount) {
        const long long value = static_cast<long long>(field) - amount;
        return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
    };
    if (options.byDays)
        fields.tm_mday = minus(fields.tm_mday, options.days);
    else
        fields.tm_mon = minus(fields.tm_mon, options.months);
    fields.tm_isdst = -1;  // let the library decide for the new date
    return std::mktime(&fields);
}

FinderResult findOld(ScanList& list, const OldOptions& options, Progress& progress, RowSink& rows)
{
    FinderResult result;
    progress.setPhase(text::SearchOld);
    progress.setAnimation(false);
    progress.setRange(0, list.count());
    list.sortByAccessTime();

    // Access times are compared in nanoseconds against the cutoff second, so
    // a file opened at 10:00:00.5 is not earlier than a 10:00:00 cutoff.
    const std::int64_t cutoffNs = static_cast<std::int64_t>(oldCutoff(options)) * 1'000'000'000;
    const std::size_t n = list.slots();
    for (std::size_t i = 0; i < n && list[i].lastAccessNs < cutoffNs; ++i) {
        if (!isInExcludedFolder(options.excludeDirs, list[i].path())) {
            rows.addRow(ResultKind::Old, list[i], 0, 0, 0);
            result.reportedBytes += list[i].size;
        }
        list.take(i);
        progress.step();
        if (progress.cancelled()) {
            progress.hide();
            break;
        }
    }
    if (!progress.cancelled())
        progress.setPosition(n);
    list.compact();
    return result;
}

}  // namespace dw
