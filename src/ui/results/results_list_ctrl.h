#pragma once

#include "engine/results/result_list.h"

#include <QHash>
#include <QTreeView>

#include <cstddef>
#include <optional>
#include <vector>

class QAction;
class QMenu;

namespace dw::ui {

class ResultsModel;
class SortHeader;

// The check-box list of one results page: six columns, row colours from the
// rows, sorting by a header click, columns fitted to the width, the totals
// written into the page's labels and the row commands of the context menu
// and the page's buttons. Commands carry their ids as objectNames; those
// whose operations are not connected yet stay disabled.
class ResultsListCtrl : public QTreeView {
    Q_OBJECT
public:
    explicit ResultsListCtrl(ResultKind kind, const ListAppearance& appearance = {},
                             QWidget* parent = nullptr);

    ResultsModel* resultsModel() const { return model_; }
    SortHeader* sortHeader() const { return header_; }

    // Off for the duplicates list, whose groups keep the order they came in.
    void setSortEnabled(bool enabled) { sortEnabled_ = enabled; }
    bool sortEnabled() const { return sortEnabled_; }
    int sortColumn() const { return sortColumn_; }
    bool sortAscending() const { return sortAscending_; }
    // What a header click does: a new column sorts ascending, the same
    // column again reverses. Nothing while sorting is off.
    void sortBy(int column);

    // Colours and column fitting from the preferences.
    void reloadAppearance(const ListAppearance& appearance);
    const ListAppearance& appearance() const { return appearance_; }

    // Writes the totals into the labels of the parent page (missing ones skipped).
    void refreshTotals();
    void refreshCheckedTotals();

    // The command with this id (for the page's buttons and for wiring).
    QAction* command(int id) const;
    // Selected rows, ascending.
    std::vector<std::size_t> selectedRowIndexes() const;
    std::optional<std::size_t> firstSelectedRow() const;
    // The context menu for the current selection, or nullptr without one.
    // The caller owns it.
    QMenu* createContextMenu(QWidget* parent);

    void markAll();
    void clearAll();
    void markSelected();
    void clearSelected();
    void invertMarks();
    void removeChecked();
    void openRow(std::size_t row);
    void openSelected();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QAction* addCommand(int id, const char* text);
    void createCommands();

    ResultsModel* model_;
    SortHeader* header_;
    ListAppearance appearance_;
    QHash<int, QAction*> commands_;
    int sortColumn_ = -1;
    bool sortAscending_ = false;
    bool sortEnabled_ = true;
};

}  // namespace dw::ui
