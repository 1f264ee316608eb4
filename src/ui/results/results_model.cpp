#include "ui/results/results_model.h"

#include "engine/texts.h"
#include "ui/controls/ui_texts.h"

#include <QColor>

#include <string>

namespace dw::ui {

namespace {

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The titles the text export uses too.
const char* const kTitles[kColumnCount] = {
    dw::text::ColumnName,       dw::text::ColumnPath,     dw::text::ColumnSize,
    dw::text::ColumnSizeOnDisk, dw::text::ColumnAccessed, dw::text::ColumnType,
};

}  // namespace

QColor missingTextColour() { return QColor(0x80, 0x80, 0x80); }

QColor toQColor(Colour colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

ResultsModel::ResultsModel(ResultKind kind, const ListAppearance& appearance, QObject* parent)
    : QAbstractTableModel(parent), list_(kind, appearance)
{
}

void ResultsModel::setAppearance(const ListAppearance& appearance)
{
    list_.setAppearance(appearance);
}

int ResultsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(list_.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= list_.size())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    const ResultRow& item = list_.row(row);
    switch (role) {
    case Qt::DisplayRole:
        return fromUtf8(list_.columnText(row, index.column()));
    case Qt::CheckStateRole:
        if (index.column() == ColName)
            return item.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::DecorationRole:
        if (index.column() == ColName)
            return icons_.icon(item.path, item.isFolder(), item.hidden());
        return {};
    case Qt::ForegroundRole:
        return item.missing ? missingTextColour() : toQColor(item.textColour);
    case Qt::BackgroundRole:
        return toQColor(item.backColour);
    default:
        return {};
    }
}

bool ResultsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != ColName || !index.isValid())
        return false;
    setChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == ColName)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return text::qs(kTitles[section]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

void ResultsModel::appendRows(std::vector<ResultRow> rows)
{
    if (rows.empty())
        return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    list_.appendRows(std::move(rows));
    endInsertRows();
    Q_EMIT totalsChanged();
}

void ResultsModel::clear()
{
    beginResetModel();
    list_.deleteAllRows();
    endResetModel();
    Q_EMIT totalsChanged();
}

void ResultsModel::setChecked(int row, bool checked)
{
    if (row < 0 || static_cast<std::size_t>(row) >= list_.size())
        return;
    const auto index = static_cast<std::size_t>(row);
    if (list_.row(index).checked == checked)
        return;
    list_.setChecked(index, checked);
    const QModelIndex cell = this->index(row, ColName);
    Q_EMIT dataChanged(cell, cell, {Qt::CheckStateRole});
    Q_EMIT totalsChanged();
}

void ResultsModel::sortRows(int column, bool ascending)
{
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::uint32_t> movedTo;
    list_.sortByColumn(column, ascending, before.isEmpty() ? nullptr : &movedTo);
    // The selection and the current row follow their rows.
    if (!movedTo.empty()) {
        QModelIndexList after;
        after.reserve(before.size());
        for (const QModelIndex& index : before) {
            const auto row = static_cast<std::size_t>(index.row());
            after.push_back(row < movedTo.size()
                                ? this->index(static_cast<int>(movedTo[row]), index.column())
                                : QModelIndex());
        }
        changePersistentIndexList(before, after);
    }
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    Q_EMIT totalsChanged();
}

void ResultsModel::changeMarks(const std::function<void(ResultList&)>& change)
{
    change(list_);
    if (!list_.empty())
        Q_EMIT dataChanged(index(0, ColName), index(rowCount() - 1, ColName), {Qt::CheckStateRole});
    Q_EMIT totalsChanged();
}

void ResultsModel::changeRows(const std::function<void(ResultList&)>& change)
{
    ResultList changed = list_;
    change(changed);
    adoptChanged(std::move(changed));
    Q_EMIT totalsChanged();
}

void ResultsModel::adoptChanged(ResultList changed)
{
    // Operations only remove rows and rewrite those that stay, so the kept
    // rows are the changed list in order; anything else starts afresh.
    std::vector<std::size_t> removed;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < list_.size(); ++i) {
        if (kept < changed.size() && list_.row(i).path == changed.row(kept).path)
            ++kept;
        else
            removed.push_back(i);
    }
    // A removal per run keeps the rest of the view in place; very many runs
    // cost more than drawing the list again.
    constexpr std::size_t kMostRuns = 32;
    std::vector<std::pair<std::size_t, std::size_t>> runs;  // first, last
    for (std::size_t at : removed) {
        if (!runs.empty() && runs.back().second + 1 == at)
            runs.back().second = at;
        else
            runs.emplace_back(at, at);
    }
    if (kept != changed.size() || runs.size() > kMostRuns) {
        beginResetModel();
        list_ = std::move(changed);
        endResetModel();
        return;
    }
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        beginRemoveRows(QModelIndex(), static_cast<int>(run->first), static_cast<int>(run->second));
        std::size_t at = 0;
        list_.removeRows([&at, run](const ResultRow&) {
            const bool inRun = at >= run->first && at <= run->second;
            ++at;
            return inRun;
        });
        endRemoveRows();
    }
    auto same = [](const ResultRow& a, const ResultRow& b) {
        return a.checked == b.checked && a.textColour == b.textColour &&
               a.backColour == b.backColour && a.sizeOnDisk == b.sizeOnDisk &&
               a.size == b.size && a.attributes == b.attributes &&
               a.lastAccessNs == b.lastAccessNs && a.missing == b.missing;
    };
    std::vector<std::size_t> rewritten;
    for (std::size_t i = 0; i < changed.size(); ++i)
        if (!same(list_.row(i), changed.row(i)))
            rewritten.push_back(i);
    list_ = std::move(changed);
    for (std::size_t first = 0; first < rewritten.size();) {
        std::size_t last = first;
        while (last + 1 < rewritten.size() && rewritten[last + 1] == rewritten[last] + 1)
            ++last;
        Q_EMIT dataChanged(index(static_cast<int>(rewritten[first]), 0),
                           index(static_cast<int>(rewritten[last]), kColumnCount - 1));
        first = last + 1;
    }
}

}  // namespace dw::ui
