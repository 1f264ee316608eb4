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
           "  --format ФОРМАТ       text, fdupes или json\n"
           "  --save-session ФАЙЛ   сохранить найденное в файл результатов (.dwx)\n"
           "  --load-session ФАЙЛ   не искать, а показать списки из файла результатов\n"
           "                        (с текущими размерами и датами файлов)\n"
           "  --help                эта справка\n"
           "  --version             версия программы\n"
           "\n"
           "Коды завершения: 0 — успешно, 1 — папку или файл результатов не удалось прочитать\n"
           "или файл результатов не удалось записать, 2 — ошибка в параметрах.\n" +
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
        } else if (arg == "--save-session" || arg == "--load-session") {
            if (!value(text))
                return std::nullopt;
            (arg == "--save-session" ? options.saveSession : options.loadSession) = text;
        } else if (arg == "--yes") {
            options.yes = true;
        } else if (parseToolOption(arg, options.tools)) {
            continue;
        } else {
            error = "Неизвестный параметр " + arg + ".";
            return std::nullopt;
        }
        if (!error.empty())
            return std::nullopt;
    }
    if (options.larger && options.smaller) {
        error = "Параметры --larger и --smaller нельзя задавать вместе.";
        return std::nullopt;
    }
    if (options.days && options.months) {
        error = "Параметры --days и --months нельзя задавать вместе.";
        return std::nullopt;
    }
    if (options.tools.any()) {
        // A tool runs instead of a search; only --clean-temp takes folders.
        if (options.anyKind() || options.loadSession || options.saveSession) {
            error = "Инструменты нельзя сочетать с поиском и файлами результатов.";
            return std::nullopt;
        }
        if (options.tools.cleanTemp == options.folders.empty()) {
            error = options.tools.cleanTemp ? "Параметру --clean-temp нужны папки временных файлов."
                                            : "Папки указываются только с --clean-temp.";
            return std::nullopt;
        }
        return options;
    }
    if (!options.help && !options.version && !options.loadSession && options.folders.empty()) {
        error = "Не указана папка для поиска.";
        return std::nullopt;
    }
    return options;
}

}  // namespace dw::cli
