#pragma once

#include <QHeaderView>

#include <vector>

namespace dw::ui {

// The header of a results list: draws an arrow on the column the list was
// last sorted by and, while fitting is on, keeps the columns fitted to its
// width (less room for a vertical scroll bar). With a stretch column, the
// others get the width of their titles and of the rows in view and the
// stretch column takes the rest; without one (or when the stretch column is
// the one kept) they are scaled in proportion. A column the user has just
// resized keeps the width the user gave it.
class SortHeader : public QHeaderView {
    Q_OBJECT
public:
    // Room kept free at the right for a vertical scroll bar.
    static constexpr int kScrollBarRoom = 16;

    explicit SortHeader(QWidget* parent = nullptr);

    // The list tells the header which column it sorted by (-1: none yet).
    void setSortState(int column, bool ascending);
    int sortColumn() const { return sortColumn_; }
    bool sortAscending() const { return sortAscending_; }

    // The column that takes the spare width (-1: none).
    void setStretchColumn(int column) { stretchColumn_ = column; }
    int stretchColumn() const { return stretchColumn_; }
    void setFitColumns(bool fit) { fitColumns_ = fit; }
    bool fitColumns() const { return fitColumns_; }
    // Scales the columns to the available width; `keep` (a logical column
    // or -1) keeps its width and the others share what is left.
    void fit(int keep = -1);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void drawArrow(QPainter* painter, const QRect& rect, int space) const;
    // Widths for `columns` summing to `available`, in proportion to `wants`.
    static std::vector<int> share(const std::vector<int>& wants, int available);
    // What a column's title needs, with room for the arrow.
    int titleWidth(int column) const;
    // What a column needs: its title and the rows in view.
    int naturalWidth(int column) const;
    void apply(const std::vector<int>& columns, const std::vector<int>& widths);
    void noteResize(int logicalIndex);

    int sortColumn_ = -1;
    int stretchColumn_ = -1;
    bool sortAscending_ = false;
    bool fitColumns_ = true;
    bool fitting_ = false;
    bool mouseDown_ = false;
    int resizedByUser_ = -1;
};

}  // namespace dw::ui
