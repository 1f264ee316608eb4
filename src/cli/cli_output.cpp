#include "cli/cli_output.h"

#include "engine/results/marking.h"

#include <cstdio>

namespace dw::cli {

namespace {

const char* kindTitle(ResultKind kind)
{
    switch (kind) {
    case ResultKind::ByMask:
        return "По маске";
    case ResultKind::BySize:
        return "По размеру";
    case ResultKind::Duplicates:
        return "Одинаковые";
    case ResultKind::Old:
        return "По дате";
    }
    return "";
}

const char* kindKey(ResultKind kind)
{
    switch (kind) {
    case ResultKind::ByMask:
        return "mask";
    case ResultKind::BySize:
        return "size";
    case ResultKind::Duplicates:
        return "duplicates";
    case ResultKind::Old:
        return "old";
    }
    return "";
}

// Length of the valid UTF-8 sequence starting at `i`, or 0.
std::size_t utf8Length(std::string_view text, std::size_t i)
{
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    if (length == 2 && lead < 0xC2)
        return 0;  // overlong
    if (length == 3) {
        unsigned code = ((lead & 0x0Fu) << 12) | ((byte(i + 1) & 0x3Fu) << 6) | (byte(i + 2) & 0x3Fu);
        if (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))
            return 0;
    }
    if (length == 4) {
        unsigned code = ((lead & 0x07u) << 18) | ((byte(i + 1) & 0x3Fu) << 12);
        if (code < 0x10000 || code > 0x10FFFF)
            return 0;
    }
    return length;
}

}  // namespace

std::string escapedLine(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02x", byte);
            out += buffer;
        } else {
            out += c;
        }
    }
    return out;
}

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        char buffer[16];
        std::size_t length = utf8Length(text, i);
        if (length == 0) {
            std::snprintf(buffer, sizeof buffer, "\\udc%02x", byte);
            out += buffer;
            ++i;
            continue;
        }
        if (length == 1) {
            if (byte == '"')
                out += "\\\"";
            else if (byte == '\\')
                out += "\\\\";
            else if (byte == '\n')
                out += "\\n";
            else if (byte == '\t')
                out += "\\t";
            else if (byte == '\r')
                out += "\\r";
            else if (byte < 0x20 || byte == 0x7F) {
                std::snprintf(buffer, sizeof buffer, "\\u%04x", byte);
                out += buffer;
            } else
                out += static_cast<char>(byte);
        } else {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    out += '"';
    return out;
}

void printText(std::ostream& out, const ResultSet& results, const KindList& kinds)
{
    bool first = true;
    for (ResultKind kind : kinds) {
        const ResultList& list = results.list(kind);
        if (!first)
            out << '\n';
        first = false;
        out << "== " << kindTitle(kind) << " (" << list.size() << ") ==\n";
        for (std::size_t i = 0; i < list.size(); ++i) {
            const ResultRow& row = list.row(i);
            if (kind == ResultKind::Duplicates && i > 0 && startsCopyGroup(list, i))
                out << '\n';
            std::string size = row.isFolder() ? "<папка>" : list.columnText(i, ColSize);
            out << size << '\t' << list.columnText(i, ColAccessed) << '\t' << escapedLine(row.path) << '\n';
        }
    }
}

void printFdupes(std::ostream& out, const ResultSet& results, bool nullSeparated)
{
    const char end = nullSeparated ? '\0' : '\n';
    const ResultList& list = results.list(ResultKind::Duplicates);
    for (std::size_t i = 0; i < list.size(); ++i) {
        out << list.row(i).path << end;
        if (i + 1 == list.size() || startsCopyGroup(list, i + 1))
            out << end;
    }
}

void printJson(std::ostream& out, const ResultSet& results, const KindList& kinds,
               const SearchStatistics& stats)
{
    out << "{\n  \"kinds\": [";
    bool firstKind = true;
    for (ResultKind kind : kinds) {
        const ResultList& list = results.list(kind);
        out << (firstKind ? "\n" : ",\n") << "    {\"kind\": " << jsonString(kindKey(kind))
            << ", \"title\": " << jsonString(kindTitle(kind)) << ", \"count\": " << list.totalCount()
            << ", \"sizeOnDisk\": " << list.totalSizeOnDisk() << ", \"rows\": [";
        firstKind = false;
        // Rows read from a session carry no group number; count the groups
        // as the list shows them.
        std::uint32_t group = 0;
        for (std::size_t i = 0; i < list.size(); ++i) {
            const ResultRow& row = list.row(i);
            if (kind == ResultKind::Duplicates && startsCopyGroup(list, i))
                ++group;
            out << (i == 0 ? "\n" : ",\n") << "      {\"path\": " << jsonString(row.path)
                << ", \"name\": " << jsonString(list.columnText(i, ColName))
                << ", \"size\": " << row.size << ", \"sizeOnDisk\": " << row.sizeOnDisk
                << ", \"attributes\": " << static_cast<int>(row.attributes)
                << ", \"folder\": " << (row.isFolder() ? "true" : "false")
                << ", \"checked\": " << (row.checked ? "true" : "false")
                << ", \"lastAccessNs\": " << row.lastAccessNs
                << ", \"accessed\": " << jsonString(rowDateText(row))
                << ", \"type\": " << jsonString(list.columnText(i, ColType))
                << ", \"textColour\": " << row.textColour << ", \"backColour\": " << row.backColour
                << ", \"group\": " << (row.group != 0 ? row.group : group) << "}";
        }
        out << (list.empty() ? "]}" : "\n    ]}");
    }
    out << (kinds.empty() ? "],\n" : "\n  ],\n");
    out << "  \"statistics\": {\"analysed\": " << stats.analysed << ", \"seconds\": " << stats.seconds
        << ", \"cancelled\": " << (stats.cancelled ? "true" : "false") << ", \"skipped\": " << stats.skipped
        << "}\n}\n";
}

void printStatistics(std::ostream& out, const SearchStatistics& stats)
{
    auto line = [&](const char* label, ResultKind kind) {
        auto k = static_cast<std::size_t>(kind);
        out << label << ": " << statisticsLine(stats.rows[k], stats.sizeOnDisk[k]) << '\n';
    };
    line("Одинаковых файлов", ResultKind::Duplicates);
    line("Файлов по размеру", ResultKind::BySize);
    line("Файлов по маске", ResultKind::ByMask);
    line("Старых файлов", ResultKind::Old);
    out << "Всего проанализировано: " << analysedText(stats.analysed) << '\n';
    out << "Время: " << elapsedText(static_cast<std::uint64_t>(stats.seconds)) << '\n';
    if (stats.skipped > 0)
        out << "Предупреждение: не удалось прочитать папок и файлов: " << stats.skipped << '\n';
    if (stats.protectedLeftOut > 0)
        out << "Пропущено уровнем безопасности: " << stats.protectedLeftOut << '\n';
    if (stats.cancelled)
        out << "Поиск прерван.\n";
}

}  // namespace dw::cli
