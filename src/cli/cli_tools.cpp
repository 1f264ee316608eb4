// The tool options of diskwright-cli: the temporary-files, installed-programs,
// Trash and system-information pages, sharing their engine.
#include "cli/cli_tools.h"

#include "engine/operations/file_operations.h"
#include "engine/results/result_list.h"
#include "engine/texts.h"
#include "engine/tools/cleanup_targets.h"
#include "engine/tools/drive_info.h"
#include "engine/tools/installed_programs.h"
#include "engine/tools/os_version.h"
#include "engine/tools/processor_info.h"
#include "engine/tools/trash_emptying.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <iostream>

namespace dw::cli {

namespace {

// The one question was asked before the delete starts; the engine's own
// confirmation is that answer, and nothing else is asked.
class ConfirmedPrompts final : public OperationPrompts {
public:
    bool confirmPermanentDelete(std::size_t) override { return true; }
    bool confirmMoveToTrash(std::size_t) override { return true; }
    bool confirmDeleteAllCopies() override { return false; }
    NoTrash askDeleteWithoutTrash(const std::string&) override { return NoTrash::SkipAll; }
    Conflict askReplace(const std::string&, const std::string&) override { return Conflict::SkipAll; }
    std::optional<std::string> chooseFolder(Transfer) override { return std::nullopt; }
    Progress& progress() override { return progress_; }

private:
    Progress progress_;
};

// A question of the texts with its "%d" count.
std::string formatted(const char* format, std::size_t count)
{
    char text[512];
    std::snprintf(text, sizeof text, format, static_cast<int>(std::min<std::size_t>(count, INT_MAX)));
    return text;
}

// One question on the terminal, or `yes` when there is none to ask.
bool confirmed(const std::string& question, bool yes)
{
    if (yes)
        return true;
    if (::isatty(STDIN_FILENO) == 0) {
        std::cerr << "diskwright-cli: без терминала удаление выполняется только с параметром --yes.\n";
        return false;
    }
    std::cerr << question << " [д/н] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "д" || answer == "да" || answer == "Д" || answer == "Да" || answer == "y" || answer == "Y" ||
           answer == "yes";
}

std::string normalFolder(const std::string& folder)
{
    std::error_code error;
    std::string path = std::filesystem::absolute(folder, error).lexically_normal().string();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

void printSystemInfo()
{
    std::cout << text::OsLabel << ' ' << operatingSystemText() << '\n';
    ProcessorInfo processor = identifyThisProcessor();
    measureThisProcessorClock(processor, nullptr);
    std::cout << text::ProcessorLabel << ' ' << processor.name << ' ' << processor.speedText << '\n';
    for (const FixedDrive& drive : fixedDrives()) {
        std::cout << '\n' << drive.mountPoint;
        if (!drive.device.empty())
            std::cout << " (" << drive.device << ')';
        std::cout << '\n';
        const std::optional<DriveFigures> figures = driveFigures(drive);
        if (!figures)
            continue;
        auto line = [](const char* caption, const std::string& value, const std::string& scaled = {}) {
            std::cout << "  " << caption << ' ' << value;
            if (!scaled.empty())
                std::cout << " (" << scaled << ')';
            std::cout << '\n';
        };
        line(text::UsedLabel, groupedBytes(figures->used), scaledBytes(figures->used));
        line(text::FreeLabel, groupedBytes(figures->free), scaledBytes(figures->free));
        line(text::CapacityLabel, groupedBytes(figures->capacity), scaledBytes(figures->capacity));
        line(text::SectorsPerClusterLabel, std::to_string(figures->sectorsPerCluster));
        line(text::BytesPerSectorLabel, std::to_string(figures->bytesPerSector));
        line(text::FreeClustersLabel, std::to_string(figures->freeClusters));
        line(text::ClusterSizeLabel, bytesText(figures->clusterSize));
    }
}

void printTempFiles(const std::vector<CleanupTarget>& rows)
{
    for (const CleanupTarget& row : rows)
        for (std::size_t i = 0; i < row.folders.size(); ++i)
            std::cout << row.name << '\t' << row.folders[i] << '\t' << FormatSize(row.folderSizes[i], 3) << '\n';
}

void printPrograms()
{
    SystemOriginLookup lookup;
    for (const UninstallEntry& program : installedPrograms(platform::ApplicationFolders::fromEnvironment(), lookup))
        std::cout << program.displayName << '\t' << commandText(program.uninstallCommand) << '\n';
}

int cleanTemp(const std::vector<CleanupTarget>& rows, const std::vector<std::string>& named, bool yes)
{
    std::vector<std::string> folders;
    for (const std::string& name : named) {
        const std::string folder = normalFolder(name);
        const bool known = std::any_of(rows.begin(), rows.end(), [&](const CleanupTarget& row) {
            return std::find(row.folders.begin(), row.folders.end(), folder) != row.folders.end();
        });
        if (!known) {
            std::cerr << "diskwright-cli: " << name
                      << ": это не папка временных файлов (их список: diskwright-cli --temp-files).\n";
            return 2;
        }
        folders.push_back(folder);
    }
    const std::vector<std::string> paths = collectTargets(folders, CollectRules::forCurrentUser());
    if (paths.empty()) {
        std::cerr << "diskwright-cli: удалять нечего.\n";
        return 0;
    }
    if (!confirmed(formatted(text::DeleteConfirm, paths.size()), yes))
        return 1;
    ConfirmedPrompts prompts;
    FileOperations operations(prompts);
    for (const std::string& path : paths)
        operations.addSource(path);
    const OperationReport report = operations.deletePaths(false, false);
    for (const std::string& path : report.left)
        std::cerr << "diskwright-cli: не удалось удалить: " << path << '\n';
    std::cerr << "diskwright-cli: удалено объектов: " << report.done << ".\n";
    return report.left.empty() ? 0 : 1;
}

int emptyTrash(bool yes)
{
    const std::vector<std::string> folders = currentUserTrashFolders();
    const std::size_t items = countTrashItems(folders);
    if (items == 0) {
        std::cerr << "diskwright-cli: " << text::TrashIsEmpty << '\n';
        return 0;
    }
    if (!confirmed(formatted(text::EmptyTrashQuestion, items), yes))
        return 1;
    const TrashEmptyingReport report = emptyTrashFolders(folders, nullptr);
    if (report.left > 0) {
        std::cerr << "diskwright-cli: не удалось удалить из корзины объектов: " << report.left << ".\n";
        return 1;
    }
    return 0;
}

}  // namespace

bool parseToolOption(const std::string& arg, ToolOptions& tools)
{
    if (arg == "--system-info")
        tools.systemInfo = true;
    else if (arg == "--temp-files")
        tools.tempFiles = true;
    else if (arg == "--clean-temp")
        tools.cleanTemp = true;
    else if (arg == "--programs")
        tools.programs = true;
    else if (arg == "--empty-trash")
        tools.emptyTrash = true;
    else
        return false;
    return true;
}

std::string toolsUsageText()
{
    return "\n"
           "Инструменты (вместо поиска):\n"
           "  --system-info         операционная система, процессор с частотой и диски\n"
           "  --temp-files          папки временных файлов: название, папка, размер\n"
           "  --clean-temp ПАПКА... удалить содержимое названных папок временных файлов\n"
           "                        (скрытые, чужие и изменённые за последние сутки\n"
           "                        объекты остаются)\n"
           "  --programs            установленные программы: название и команда удаления\n"
           "  --empty-trash         очистить все корзины пользователя\n"
           "  --yes                 удалять без вопроса (без терминала обязателен)\n";
}

int runTools(const ToolOptions& tools, const std::vector<std::string>& folders, bool yes)
{
    int exitCode = 0;
    if (tools.systemInfo)
        printSystemInfo();
    std::vector<CleanupTarget> rows;
    if (tools.tempFiles || tools.cleanTemp)
        rows = cleanupTargets(CleanupEnvironment::fromProcess(), tools.tempFiles);
    if (tools.tempFiles)
        printTempFiles(rows);
    if (tools.programs)
        printPrograms();
    std::cout.flush();
    if (tools.cleanTemp)
        exitCode = std::max(exitCode, cleanTemp(rows, folders, yes));
    if (tools.emptyTrash && exitCode != 2)
        exitCode = std::max(exitCode, emptyTrash(yes));
    return exitCode;
}

}  // namespace dw::cli
