#pragma once

#include "engine/search/progress.h"
#include "engine/search/row_sink.h"
#include "engine/settings/search_settings.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace dw {

// What one search run is asked to do.
struct SearchRequest {
    std::vector<std::string> scope;  // folders, each ending with '/'
    bool byMask = true;
    bool bySize = true;
    bool duplicates = true;
    bool old = true;
    bool subfolders = true;          // "Искать в подкаталогах"
};

// What a run reports at its end.
struct SearchStatistics {
    std::uint64_t analysed = 0;                       // entries the walk recorded
    std::array<std::uint64_t, kResultKindCount> rows{};   // by ResultKind
    std::array<std::uint64_t, kResultKindCount> sizeOnDisk{};
    double seconds = 0;                               // elapsed, from the stopwatch
    bool cancelled = false;
    std::uint64_t skipped = 0;   // folders and files that could not be read
    std::uint64_t protectedLeftOut = 0;  // entries the security level left out
    std::vector<std::string> unreadableScope;  // scope folders that could not be listed
};

// A monotonic stopwatch; elapsed() is 0 before start().
class Stopwatch {
public:
    void start();
    void stop();
    double elapsed() const;  // seconds between start and stop (or now, while running)

private:
    std::int64_t startNs_ = 0;
    std::int64_t stopNs_ = 0;
    bool running_ = false;
};

// Runs a whole search: clears the four lists, walks every scope folder once
// into one scan list, runs the enabled finders in kind order and returns the
// statistics. A cancel stops the walk or the finder in progress, skips the
// rest and keeps every row found so far. Never changes a file.
class SearchDriver {
public:
    SearchDriver(const SearchSettings& settings, Progress& progress, RowSink& rows);
    SearchStatistics runSearch(const SearchRequest& request);

private:
    const SearchSettings& settings_;
    Progress& progress_;
    RowSink& rows_;
};

// "Файлов: %d\t Размер: %s" for a kind's line in the statistics.
std::string statisticsLine(std::uint64_t rowCount, std::uint64_t sizeOnDisk);
// "%d Файлов" for the entries analysed.
std::string analysedText(std::uint64_t analysed);
// "%.2d:%.2d:%.2d" from whole seconds (hours modulo 24).
std::string elapsedText(std::uint64_t wholeSeconds);

// The prefix length of the fingerprint for a FundDuplicatesMode value.
std::uint32_t prefixLengthForMode(int fundDuplicatesMode);

}  // namespace dw
