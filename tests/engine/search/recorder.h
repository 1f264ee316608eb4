#pragma once

#include "engine/search/row_sink.h"

#include <array>
#include <string>
#include <vector>

namespace dwtest {

// Keeps what the finders report, per kind, in arrival order.
struct RecordedRow {
    std::string path;
    std::uint64_t size;
    dw::Colour back;
    dw::Colour text;
    std::uint32_t group;
};

class RowRecorder : public dw::RowSink {
public:
    void clearRows(dw::ResultKind kind) override { rows[index(kind)].clear(); }
    void addRow(dw::ResultKind kind, const dw::FileEntry& entry, dw::Colour back, dw::Colour text,
                std::uint32_t group) override
    {
        rows[index(kind)].push_back({entry.path(), entry.size, back, text, group});
    }
    void finderStarted(dw::ResultKind kind) override { started.push_back(kind); }
    std::uint64_t rowCount(dw::ResultKind kind) const override { return rows[index(kind)].size(); }
    std::uint64_t totalSizeOnDisk(dw::ResultKind kind) const override
    {
        std::uint64_t total = 0;
        for (const auto& row : rows[index(kind)])
            total += row.size;
        return total;
    }

    const std::vector<RecordedRow>& of(dw::ResultKind kind) const { return rows[index(kind)]; }
    std::vector<std::string> pathsOf(dw::ResultKind kind, const std::string& root = {}) const
    {
        std::vector<std::string> paths;
        for (const auto& row : of(kind))
            paths.push_back(row.path.substr(row.path.rfind(root, 0) == 0 ? root.size() : 0));
        return paths;
    }

    std::array<std::vector<RecordedRow>, dw::kResultKindCount> rows;
    std::vector<dw::ResultKind> started;

private:
    static std::size_t index(dw::ResultKind kind) { return static_cast<std::size_t>(kind); }
};

}  // namespace dwtest
