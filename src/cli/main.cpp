// diskwright-cli: the search engine of Diskwright in a terminal.
#include "cli/cli_actions.h"
#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "cli/cli_paths.h"
#include "cli/terminal_progress.h"
#include "engine/results/result_set.h"
#include "engine/results/session_file.h"
#include "engine/results/type_description.h"
#include "engine/search/search_driver.h"
#include "engine/settings/search_settings.h"
#include "platform/qsettings_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <iostream>

using namespace dw;

namespace {

bool isReadableFolder(const std::string& folder)
{
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(folder.c_str(), R_OK | X_OK) == 0;
}

void applyOptions(const cli::CliOptions& options, SearchSettings& settings)
{
    if (options.mode)
        settings.fundDuplicatesMode = *options.mode;
    if (options.sizeGiven()) {
        settings.findFiles = options.empty;
        settings.bySize = options.larger || options.smaller;
        if (options.larger) {
            settings.lessThen = 0;
            settings.size = *options.larger;
        } else if (options.smaller) {
            settings.lessThen = 1;
            settings.size = *options.smaller;
        }
    }
    if (options.days) {
        settings.byDays = true;
        settings.days = *options.days;
    } else if (options.months) {
        settings.byDays = false;
        settings.months = *options.months;
    }
    if (options.masks) {
        settings.masks = {"diskwright-cli\t" + *options.masks};
        settings.rebuildPatterns();
    }
    for (const std::string& exclude : options.excludes) {
        std::string folder = cli::absoluteFolder(exclude);
        for (auto* list : {&settings.duplicatesExcludeDirs, &settings.maskExcludeDirs, &settings.oldExcludeDirs})
            list->push_back(folder);
    }
    if (options.securityLevel)
        settings.securityLevel = *options.securityLevel;
}

// Runs one long job with a terminal progress line; Ctrl+C cancels it, and
// what was found so far is still printed.
template <typename Job>
auto runJob(Job job)
{
    cli::TerminalProgress progress(::isatty(STDERR_FILENO) != 0);
    cli::InterruptCancels interrupt(progress);
    auto result = job(progress);
    progress.finish();
    return result;
}

// Prints the message of a failed session job; false when it did not complete.
bool reportSession(SessionStatus status, const std::string& path)
{
    if (status == SessionStatus::Ok)
        return true;
    if (status == SessionStatus::Cancelled)
        std::cerr << "diskwright-cli: " << path << ": прервано.\n";
    else
        std::cerr << "diskwright-cli: " << path << ": " << sessionMessage(status) << '\n';
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    auto parsed = cli::parseCommandLine(args, error);
    if (!parsed) {
        std::cerr << "diskwright-cli: " << error << "\nСправка: diskwright-cli --help\n";
        return 2;
    }
    const cli::CliOptions& options = *parsed;
    if (options.help) {
        std::cout << cli::usageText();
        return 0;
    }
    if (options.version) {
        std::cout << "diskwright-cli " << DW_VERSION << '\n';
        return 0;
    }
    if (options.tools.any())
        return cli::runTools(options.tools, options.folders, options.assumeYes);

    SearchSettings settings;
    if (options.settingsFile) {
        struct stat st {};
        if (::stat(options.settingsFile->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            std::cerr << "diskwright-cli: файл настроек не найден: " << *options.settingsFile << '\n';
            return 2;
        }
        auto store = platform::QSettingsStore::fromIniFile(*options.settingsFile);
        settings.load(store);
    } else {
        auto store = platform::QSettingsStore::forUser("diskwright");
        settings.load(store);
    }
    applyOptions(options, settings);
    useRussianLocale();

    if (options.loadSession && !options.folders.empty())
        std::cerr << "diskwright-cli: папки не просматриваются: списки берутся из файла результатов\n";

    int exitCode = 0;
    SearchRequest request;
    for (const std::string& folder : options.loadSession ? std::vector<std::string>() : options.folders) {
        std::string absolute = cli::absoluteFolder(folder);
        if (!isReadableFolder(absolute)) {
            std::cerr << "diskwright-cli: не удалось прочитать папку: " << folder << '\n';
            exitCode = 1;
            continue;
        }
        request.scope.push_back(absolute);
    }
    bool all = !options.anyKind();
    request.duplicates = all || options.duplicates;
    request.bySize = all || options.size;
    request.byMask = all || options.mask;
    request.old = all || options.old;
    request.subfolders = !options.noSubfolders;

    cli::KindList kinds;
    if (request.byMask)
        kinds.push_back(ResultKind::ByMask);
    if (request.bySize)
        kinds.push_back(ResultKind::BySize);
    if (request.duplicates)
        kinds.push_back(ResultKind::Duplicates);
    if (request.old)
        kinds.push_back(ResultKind::Old);

    ResultSet results(settings.view);
    SearchStatistics stats;
    // Only complete lists replace a session file: a cut-short search or
    // load would overwrite a good file with part of it.
    bool complete = true;
    if (options.loadSession) {
        SessionStatus status = runJob([&](Progress& progress) {
            return loadSession(*options.loadSession, results, progress);
        });
        if (!reportSession(status, *options.loadSession))
            exitCode = 1;
        if (status == SessionStatus::CannotOpen)
            return exitCode;  // nothing was read, nothing to print or save
        complete = status == SessionStatus::Ok;
    } else {
        stats = runJob([&](Progress& progress) {
            SearchDriver driver(settings, progress, results);
            return driver.runSearch(request);
        });
        for (const std::string& folder : stats.unreadableScope) {
            std::cerr << "diskwright-cli: не удалось прочитать папку: " << folder << '\n';
            exitCode = 1;
        }
        complete = !stats.cancelled;
    }
    cli::applyMarks(options, results, kinds);
    if (options.action != cli::RowAction::None) {
        if (!complete) {
            // Never act on lists cut short: a group may be missing copies.
            std::cerr << "diskwright-cli: списки неполные, ничего не удалено.\n";
            exitCode = 1;
        } else if (!cli::runRowAction(options, settings, results, kinds,
                                      {std::cin, ::isatty(STDIN_FILENO) != 0, std::cerr})) {
            exitCode = 1;
        }
    }
    if (options.saveSession && !complete) {
        std::cerr << "diskwright-cli: " << *options.saveSession << ": не записан, списки неполные.\n";
        exitCode = 1;
    } else if (options.saveSession) {
        SessionStatus status = runJob([&](Progress& progress) {
            return saveSession(*options.saveSession, results, progress);
        });
        if (!reportSession(status, *options.saveSession))
            exitCode = 1;
    }

    std::ios::sync_with_stdio(false);
    switch (options.format) {
    case cli::OutputFormat::Text:
        cli::printText(std::cout, results, kinds);
        break;
    case cli::OutputFormat::Fdupes:
        cli::printFdupes(std::cout, results, options.nullSeparated);
        break;
    case cli::OutputFormat::Json:
        cli::printJson(std::cout, results, kinds, stats);
        break;
    }
    std::cout.flush();
    if (!options.loadSession)
        cli::printStatistics(std::cerr, stats);
    if (!std::cout)
        return 1;
    return exitCode;
}
