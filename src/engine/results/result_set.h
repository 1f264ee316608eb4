#pragma once

#include "engine/results/result_list.h"
#include "engine/search/row_sink.h"

#include <array>

namespace dw {

// The four result lists of a search, one per ResultKind, as a RowSink the
// finders fill. The CLI and the tests keep their findings here.
class ResultSet : public RowSink {
public:
    explicit ResultSet(const ListAppearance& appearance = {});

    ResultList& list(ResultKind kind) { return lists_[index(kind)]; }
    const ResultList& list(ResultKind kind) const { return lists_[index(kind)]; }
    // Later rows of every list use the new colours.
    void setAppearance(const ListAppearance& appearance);

    void clearRows(ResultKind kind) override;
    void addRow(ResultKind kind, const FileEntry& entry, Colour backColour, Colour textColour,
                std::uint32_t group) override;
    std::uint64_t rowCount(ResultKind kind) const override;
    std::uint64_t totalSizeOnDisk(ResultKind kind) const override;

private:
    static std::size_t index(ResultKind kind) { return static_cast<std::size_t>(kind); }

    std::array<ResultList, kResultKindCount> lists_;
};

}  // namespace dw
