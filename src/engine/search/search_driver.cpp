#include "engine/search/search_driver.h"

#include "engine/search/finders.h"
#include "engine/search/folder_walker.h"
#include "engine/search/scan_list.h"
#include "engine/results/result_list.h"
#include "engine/texts.h"

#include <chrono>
#include <cstdio>
#include <optional>

namespace dw {

namespace {

std::int64_t monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void Stopwatch::start()
{
    startNs_ = stopNs_ = monotonicNs();
    running_ = true;
}

void Stopwatch::stop()
{
    if (running_)
        stopNs_ = monotonicNs();
    running_ = false;
}

double Stopwatch::elapsed() const
{
    std::int64_t end = running_ ? monotonicNs() : stopNs_;
    return static_cast<double>(end - startNs_) / 1e9;
}

std::uint32_t prefixLengthForMode(int fundDuplicatesMode)
{
    switch (fundDuplicatesMode) {
    case 0:
        return 4096;
    case 2:
        return 65535;
    default:
        return 8192;
    }
}

std::string statisticsLine(std::uint64_t rowCount, std::uint64_t sizeOnDisk)
{
    return std::string(text::Files) + ": " + std::to_string(rowCount) + "\t " + text::Size + ": " +
           FormatSize(sizeOnDisk, 3);
}

std::string analysedText(std::uint64_t analysed)
{
    return std::to_string(analysed) + " " + text::Files;
}

std::string elapsedText(std::uint64_t wholeSeconds)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.2d:%.2d:%.2d", static_cast<int>(wholeSeconds / 3600 % 24),
                  static_cast<int>(wholeSeconds / 60 % 60), static_cast<int>(wholeSeconds % 60));
    return buffer;
}

SearchDriver::SearchDriver(const SearchSettings& settings, Progress& progress, RowSink& rows)
    : settings_(settings), progress_(progress), rows_(rows)
{
}

SearchStatistics SearchDriver::runSearch(const SearchRequest& request)
{
    SearchStatistics stats;
    Stopwatch stopwatch;
    stopwatch.start();

    for (ResultKind kind : {ResultKind::Duplicates, ResultKind::ByMask, ResultKind::BySize, ResultKind::Old})
        rows_.clearRows(kind);

    progress_.setAnimation(true);
    progress_.cancel.store(false);
    progress_.show();
    progress_.setPhase(text::Analysing);

    // One walk feeds every finder; the walker never lists a folder twice.
    ScanList list;
    FolderWalker walker(&progress_);
    WalkOptions walkOptions;
    walkOptions.includeFolders = request.byMask;
    walkOptions.recurse = request.subfolders;
    walkOptions.highSecurity = settings_.securityLevel != 0;
    // The duplicate search's first reads begin while the walk is still going.
    std::optional<EarlyFingerprinter> fingerprinter;
    if (request.duplicates) {
        fingerprinter.emplace(prefixLengthForMode(settings_.fundDuplicatesMode), settings_.duplicatesExcludeDirs);
        walkOptions.fingerprinter = &*fingerprinter;
    }
    for (const std::string& folder : request.scope) {
        stats.analysed += walker.walk(folder, list, walkOptions);
        if (!walker.topFolderReadable())
            stats.unreadableScope.push_back(folder);
    }
    fingerprinter.reset();
    stats.skipped = walker.skipped();
    stats.protectedLeftOut = walker.protectedLeftOut();
    progress_.setFolder("");
    progress_.setAnimation(false);

    auto runFinder = [&](bool enabled, ResultKind kind, auto&& finder) {
        if (!enabled || progress_.cancelled())
            return;
        rows_.finderStarted(kind);
        stats.skipped += finder().unreadable;
    };
    runFinder(request.byMask, ResultKind::ByMask, [&] {
        return findByMask(list, {settings_.patterns, settings_.maskExcludeDirs}, progress_, rows_);
    });
    runFinder(request.bySize, ResultKind::BySize, [&] {
        SizeOptions options{settings_.findFiles, settings_.bySize, settings_.lessThen == 1, settings_.size};
        return findBySize(list, options, progress_, rows_);
    });
    runFinder(request.duplicates, ResultKind::Duplicates, [&] {
        DuplicateOptions options{prefixLengthForMode(settings_.fundDuplicatesMode),
                                 settings_.duplicatesExcludeDirs, settings_.view.duplicatesColor,
                                 settings_.view.defaultColor};
        return findDuplicates(list, options, progress_, rows_);
    });
    runFinder(request.old, ResultKind::Old, [&] {
        OldOptions options{settings_.byDays, settings_.days, settings_.months, settings_.oldExcludeDirs, 0};
        return findOld(list, options, progress_, rows_);
    });

    progress_.hide();
    stopwatch.stop();
    stats.seconds = stopwatch.elapsed();
    stats.cancelled = progress_.cancelled();
    for (int k = 0; k < kResultKindCount; ++k) {
        stats.rows[k] = rows_.rowCount(static_cast<ResultKind>(k));
        stats.sizeOnDisk[k] = rows_.totalSizeOnDisk(static_cast<ResultKind>(k));
    }
    return stats;
}

}  // namespace dw
