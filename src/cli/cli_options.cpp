#include "cli/cli_options.h"

#include <charconv>

namespace dw::cli {

namespace {

template <typename T>
bool parseNumber(const std::string& text, T& value)
{
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

std::optional<KeepRule> keepRuleNamed(const std::string& name)
{
    if (name == "first")
        return KeepRule::First;
    if (name == "oldest")
        return KeepRule::Oldest;
    if (name == "newest")
        return KeepRule::Newest;
    if (name == "shortest")
        return KeepRule::Shortest;
    return std::nullopt;
}

// Options that cannot go together or need another one.
bool checkCombinations(const CliOptions& options, std::string& error)
{
    if (options.larger && options.smaller)
        error = "Параметры --larger и --smaller нельзя задавать вместе.";
    else if (options.days && options.months)
        error = "Параметры --days и --months нельзя задавать вместе.";
    else if (options.markCopies && options.markAll)
        error = "Параметры --mark-copies и --mark-all нельзя задавать вместе.";
    else if (options.dryRun && options.action == RowAction::None)
        error = "Параметр --dry-run нужен вместе с --trash или --delete.";
    else if (options.nullSeparated && options.format != OutputFormat::Fdupes)
        error = "Параметр -0 действует только с --format fdupes.";
    else if (!options.help && !options.version && !options.loadSession && options.folders.empty())
        error = "Не указана папка для поиска.";
    return error.empty();
}

}  // namespace

std::string usageText()
{
    return "Использование: diskwright-cli [параметры] ПАПКА...\n"
           "       diskwright-cli --load-session ФАЙЛ [параметры]\n"
           "Ищет в папках одинаковые файлы, файлы по размеру, по маске и редко используемые.\n"
           "Без параметров поиска выполняются все четыре вида поиска.\n"
           "\n"
           "Виды поиска:\n"
           "  --duplicates          одинаковые файлы\n"
           "  --size                файлы по размеру\n"
           "  --mask                файлы по маске\n"
           "  --old                 редко используемые файлы\n"
           "\n"
           "Параметры:\n"
           "  --no-subfolders       не искать в подкаталогах\n"
           "  --mode РЕЖИМ          fast, normal или paranoid: длина сравниваемого начала файла\n"
           "  --empty               искать пустые файлы\n"
           "  --larger КБ           файлы больше КБ × 1000 байт\n"
           "  --smaller КБ          файлы меньше КБ × 1000 байт\n"
           "  --days N              не открывавшиеся N дней\n"
           "  --months N            не открывавшиеся N месяцев\n"
           "  --masks \"*.tmp;*.bak\" маски вместо заданных в настройках\n"
           "  --exclude ПАПКА       не искать в папке (можно повторять)\n"
           "  --security УРОВЕНЬ    high (системные файлы не показываются) или low\n"
           "  --settings ФАЙЛ       настройки из INI-файла вместо настроек программы\n"
           "  --format ФОРМАТ       text, fdupes или json; формат fdupes построчный: имя,\n"
           "                        содержащее перевод строки, разорвёт строку (см. -0)\n"
           "  -0, --null            в формате fdupes каждое имя заканчивается байтом NUL,\n"
           "                        каждая группа — ещё одним NUL\n"
           "  --save-session ФАЙЛ   сохранить найденное в файл результатов (.dwx)\n"
           "  --load-session ФАЙЛ   не искать, а показать списки из файла результатов\n"
           "                        (с текущими размерами и датами файлов)\n"
           "\n"
           "Отметки и действия (после поиска или --load-session; --save-session\n"
           "затем сохраняет то, что осталось; сообщения выводятся в stderr):\n"
           "  --mark-copies[=ПРАВИЛО]\n"
           "                        отметить все файлы каждой группы одинаковых, кроме\n"
           "                        одного: first — первого в списке (по умолчанию),\n"
           "                        oldest / newest — самого старого / нового по дате\n"
           "                        изменения, shortest — с самым коротким путём\n"
           "  --mark-all            отметить все строки показываемых списков\n"
           "  --trash               переместить отмеченные объекты в корзину\n"
           "  --delete              удалить отмеченные объекты безвозвратно\n"
           "  --dry-run             только показать, что было бы сделано\n"
           "  --yes                 не спрашивать подтверждения (без терминала на входе\n"
           "                        без --yes ничего не удаляется)\n"
           "  --allow-all-copies    удалять и группы, в которых отмечены все копии\n"
           "                        (без него такие группы не трогаются)\n"
           "\n"
           "  --help                эта справка\n"
           "  --version             версия программы\n"
           "\n"
           "Коды завершения: 0 — успешно, 1 — папку или файл результатов не удалось прочитать,\n"
           "файл результатов не удалось записать или отмеченный объект не удалён (каждый\n"
           "назван в stderr), 2 — ошибка в параметрах.\n" +
           toolsUsageText();
}

std::optional<CliOptions> parseCommandLine(const std::vector<std::string>& args, std::string& error)
{
    CliOptions options;
    bool onlyFolders = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyFolders || arg.empty() || arg[0] != '-' || arg == "-") {
            options.folders.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyFolders = true;
            continue;
        }
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = "Параметру " + arg + " нужно значение.";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto number = [&](auto& out) {
            std::string text;
            if (!value(text))
                return false;
            if (!parseNumber(text, out)) {
                error = "Параметр " + arg + ": \"" + text + "\" — не целое неотрицательное число.";
                return false;
            }
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--duplicates") {
            options.duplicates = true;
        } else if (arg == "--size") {
            options.size = true;
        } else if (arg == "--mask") {
            options.mask = true;
        } else if (arg == "--old") {
            options.old = true;
        } else if (arg == "--no-subfolders") {
            options.noSubfolders = true;
        } else if (arg == "--empty") {
            options.empty = true;
        } else if (arg == "--mode") {
            if (!value(text))
                return std::nullopt;
            if (text == "fast")
                options.mode = 0;
            else if (text == "normal")
                options.mode = 1;
            else if (text == "paranoid")
                options.mode = 2;
            else {
                error = "Неизвестный режим \"" + text + "\": допустимы fast, normal, paranoid.";
                return std::nullopt;
            }
        } else if (arg == "--larger" || arg == "--smaller") {
            std::uint32_t kb = 0;
            if (!number(kb))
                return std::nullopt;
            (arg == "--larger" ? options.larger : options.smaller) = kb;
        } else if (arg == "--days" || arg == "--months") {
            unsigned count = 0;
            if (!number(count))
                return std::nullopt;
            if (count > 100000) {
                error = "Параметр " + arg + ": слишком большое значение.";
                return std::nullopt;
            }
            (arg == "--days" ? options.days : options.months) = static_cast<int>(count);
        } else if (arg == "--masks") {
            if (!value(text))
                return std::nullopt;
            options.masks = text;
        } else if (arg == "--exclude") {
            if (!value(text))
                return std::nullopt;
            options.excludes.push_back(text);
        } else if (arg == "--security") {
            if (!value(text))
                return std::nullopt;
            if (text == "high")
                options.securityLevel = 1;
            else if (text == "low")
                options.securityLevel = 0;
            else {
                error = "Неизвестный уровень безопасности \"" + text + "\": допустимы high, low.";
                return std::nullopt;
            }
        } else if (arg == "--settings") {
            if (!value(text))
                return std::nullopt;
            options.settingsFile = text;
        } else if (arg == "--format") {
            if (!value(text))
                return std::nullopt;
            if (text == "text")
                options.format = OutputFormat::Text;
            else if (text == "fdupes")
                options.format = OutputFormat::Fdupes;
            else if (text == "json")
                options.format = OutputFormat::Json;
            else {
                error = "Неизвестный формат \"" + text + "\": допустимы text, fdupes, json.";
                return std::nullopt;
            }
        } else if (arg == "-0" || arg == "--null") {
            options.nullSeparated = true;
        } else if (arg == "--mark-copies" || arg.rfind("--mark-copies=", 0) == 0) {
            const std::string rule = arg.size() > 13 ? arg.substr(14) : "first";
            options.markCopies = keepRuleNamed(rule);
            if (!options.markCopies) {
                error = "Неизвестное правило \"" + rule + "\": допустимы first, oldest, newest, shortest.";
                return std::nullopt;
            }
        } else if (arg == "--mark-all") {
            options.markAll = true;
        } else if (arg == "--trash" || arg == "--delete") {
            const RowAction action = arg == "--trash" ? RowAction::Trash : RowAction::Delete;
            if (options.action != RowAction::None && options.action != action) {
                error = "Параметры --trash и --delete нельзя задавать вместе.";
                return std::nullopt;
            }
            options.action = action;
        } else if (arg == "--dry-run") {
            options.dryRun = true;
        } else if (arg == "--yes") {
            options.assumeYes = true;
        } else if (arg == "--allow-all-copies") {
            options.allowAllCopies = true;
        } else if (arg == "--save-session" || arg == "--load-session") {
            if (!value(text))
                return std::nullopt;
            (arg == "--save-session" ? options.saveSession : options.loadSession) = text;
        } else if (parseToolOption(arg, options.tools)) {
            continue;
        } else {
            error = "Неизвестный параметр " + arg + ".";
            return std::nullopt;
        }
        if (!error.empty())
            return std::nullopt;
    }
    if (options.tools.any()) {
        // A tool runs instead of a search; only --clean-temp takes folders.
        if (options.anyKind() || options.loadSession || options.saveSession || options.markCopies ||
            options.markAll || options.action != RowAction::None) {
            error = "Инструменты нельзя сочетать с поиском, отметками и файлами результатов.";
            return std::nullopt;
        }
        if (options.tools.cleanTemp == options.folders.empty()) {
            error = options.tools.cleanTemp ? "Параметру --clean-temp нужны папки временных файлов."
                                            : "Папки указываются только с --clean-temp.";
            return std::nullopt;
        }
        return options;
    }
    if (!checkCombinations(options, error))
        return std::nullopt;
    return options;
}

}  // namespace dw::cli
