#include "cli/cli_actions.h"

#include "cli/terminal_prompts.h"
#include "engine/operations/file_operations.h"
#include "engine/results/marking.h"
#include "engine/operations/own_delete.h"
#include "engine/texts.h"
#include "platform/file_status.h"

#include <algorithm>
#include <iterator>
#include <unordered_set>

namespace dw::cli {

namespace {

constexpr const char* kPrefix = "diskwright-cli: ";

bool shows(const KindList& kinds, ResultKind kind)
{
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

// The checked paths of the shown lists, each once, in list order.
std::vector<std::string> markedPaths(const ResultSet& results, const KindList& kinds)
{
    std::vector<std::string> paths;
    std::unordered_set<std::string> seen;
    for (ResultKind kind : kinds)
        for (const ResultRow& row : results.list(kind).rows())
            if (row.checked && seen.insert(row.path).second)
                paths.push_back(row.path);
    return paths;
}

// Leaves whole every duplicate group whose files are all marked (in any list
// shown: a session may hold a path in two lists) and names it. True when
// some group was refused.
bool refuseWholeGroups(ResultSet& results, const KindList& kinds, std::ostream& err)
{
    const std::vector<std::string> marked = markedPaths(results, kinds);
    const std::unordered_set<std::string> isMarked(marked.begin(), marked.end());
    std::unordered_set<std::string> refusedPaths;
    const ResultList& copies = results.list(ResultKind::Duplicates);
    for (std::size_t begin = 0; begin < copies.size();) {
        std::size_t end = begin + 1;
        while (end < copies.size() && !startsCopyGroup(copies, end))
            ++end;
        bool all = true;
        for (std::size_t i = begin; i < end && all; ++i)
            all = isMarked.count(copies.row(i).path) != 0;
        if (all) {
            err << kPrefix << "отмечены все копии, группа не тронута (разрешает --allow-all-copies):\n";
            for (std::size_t i = begin; i < end; ++i) {
                err << "  " << escapedLine(copies.row(i).path) << '\n';
                refusedPaths.insert(copies.row(i).path);
            }
        }
        begin = end;
    }
    for (ResultKind kind : kinds) {
        ResultList& list = results.list(kind);
        for (std::size_t i = 0; i < list.size(); ++i)
            if (refusedPaths.count(list.row(i).path))
                list.setChecked(i, false);
    }
    return !refusedPaths.empty();
}

const char* verbOf(RowAction action)
{
    return action == RowAction::Trash ? "в корзину: " : "удалить: ";
}

// Prints what the action would take, in the order it would take it (what the
// engine collects: files before folders, unusable rows left out), and names
// the marked rows it would leave. True when it would take every marked row.
bool printPlan(RowAction action, const ResultSet& results, const KindList& kinds, std::ostream& err)
{
    TerminalPrompts prompts(false);
    prompts.finish();
    bool whole = true;
    std::unordered_set<std::string> seen;
    for (ResultKind kind : kinds) {
        ResultList list = results.list(kind);  // a copy: collecting colours unusable rows
        FileOperations operations(prompts);
        operations.collectCheckedRows(list);
        for (const std::string& path : operations.sources())
            if (seen.insert(path).second)
                err << verbOf(action) << escapedLine(path) << '\n';
        for (const ResultRow& row : list.rows()) {
            if (!row.checked || seen.count(row.path) || !platform::statPath(row.path))
                continue;
            seen.insert(row.path);
            whole = false;
            err << kPrefix << "не может быть удалён (нет прав или системный): " << escapedLine(row.path) << '\n';
        }
    }
    return whole;
}

std::string question(RowAction action, std::size_t count)
{
    const std::string number = std::to_string(count);
    const std::string word = text::objectsWord(count);
    if (action == RowAction::Delete)
        return "Удалить " + number + ' ' + word + '?';
    std::string trash = text::TrashConfirm;
    trash.replace(trash.find("%d"), 2, number);
    trash.replace(trash.find("%s"), 2, word);
    return trash;
}

// True when `path` or a folder above it is among `tops`.
bool atOrBelow(const std::string& path, const std::unordered_set<std::string>& tops)
{
    if (tops.count(path))
        return true;
    for (auto slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        if (tops.count(path.substr(0, slash)))
            return true;
    return false;
}

// Drops from every list (shown or not) the rows of files that went with the
// action: a marked path that is gone, or anything below one.
void dropRowsThatWent(ResultSet& results, const std::unordered_set<std::string>& gone)
{
    for (std::size_t k = 0; k < kResultKindCount; ++k)
        results.list(static_cast<ResultKind>(k)).removeRows([&](const ResultRow& row) {
            return atOrBelow(withoutTrailingSlash(row.path), gone) && !platform::statPath(row.path);
        });
}

// Names every row still checked after the operations: its file stayed.
bool reportLeft(RowAction action, const TerminalPrompts& prompts, const ResultSet& results,
                const KindList& kinds, std::ostream& err)
{
    const std::unordered_set<std::string> noTrash(prompts.withoutTrash().begin(), prompts.withoutTrash().end());
    bool none = true;
    for (const std::string& path : markedPaths(results, kinds)) {
        if (!platform::statPath(path))
            continue;
        none = false;
        err << kPrefix;
        if (noTrash.count(path))
            err << "на диске нет корзины, не перемещён: ";
        else
            err << (action == RowAction::Trash ? "не удалось переместить в корзину: " : "не удалось удалить: ");
        err << escapedLine(path) << '\n';
    }
    return none;
}

}  // namespace

void applyMarks(const CliOptions& options, ResultSet& results, const KindList& kinds)
{
    if (options.markCopies && shows(kinds, ResultKind::Duplicates))
        markCopies(results.list(ResultKind::Duplicates), *options.markCopies);
    if (options.markAll)
        for (ResultKind kind : kinds)
            markAll(results.list(kind));
}

bool runRowAction(const CliOptions& options, const SearchSettings& settings, ResultSet& results,
                  const KindList& kinds, const ActionConsole& console)
{
    std::ostream& err = console.err;
    bool ok = true;
    if (shows(kinds, ResultKind::Duplicates) && !options.allowAllCopies)
        ok = !refuseWholeGroups(results, kinds, err);
    const std::vector<std::string> marked = markedPaths(results, kinds);
    if (marked.empty()) {
        err << kPrefix << "отмеченных объектов нет, ничего не сделано.\n";
        return ok;
    }
    if (options.dryRun)
        return printPlan(options.action, results, kinds, err) && ok;

    const std::string ask = question(options.action, marked.size());
    if (!options.assumeYes) {
        if (!console.inputIsTerminal) {
            err << kPrefix << "нет терминала, чтобы спросить «" << ask
                << "»: ничего не удалено. Без вопроса удаляет --yes.\n";
            return false;
        }
        printPlan(options.action, results, kinds, err);
        if (!askYes(ask, console.in, err)) {
            err << kPrefix << "ничего не удалено.\n";
            return false;
        }
    }

    std::vector<std::string> present;  // what the summary may count as gone
    std::copy_if(marked.begin(), marked.end(), std::back_inserter(present),
                 [](const std::string& path) { return platform::statPath(path).has_value(); });
    TerminalPrompts prompts(options.allowAllCopies);
    SearchSettings how = settings;
    how.useSystemDiskOperations = options.action == RowAction::Trash;
    how.removeToRecycleBin = true;
    bool cancelled = false;
    {
        InterruptCancels interrupt(prompts.progress());
        for (ResultKind kind : kinds) {
            FileOperations operations(prompts);
            cancelled = operations.deleteChecked(results.list(kind), how).cancelled || cancelled;
            if (cancelled)
                break;
        }
        prompts.finish();
    }
    std::unordered_set<std::string> gone;
    for (const std::string& path : marked)
        if (!platform::statPath(path))
            gone.insert(withoutTrailingSlash(path));
    dropRowsThatWent(results, gone);
    const auto went = std::count_if(present.begin(), present.end(),
                                    [](const std::string& path) { return !platform::statPath(path); });
    if (cancelled)
        err << kPrefix << "прервано.\n";
    ok = reportLeft(options.action, prompts, results, kinds, err) && ok;
    err << (options.action == RowAction::Trash ? "Перемещено в корзину объектов: " : "Удалено объектов: ")
        << went << '\n';
    return ok;
}

}  // namespace dw::cli
