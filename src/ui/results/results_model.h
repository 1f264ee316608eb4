#pragma once

#include "engine/results/result_list.h"
#include "ui/results/file_icons.h"

#include <QAbstractTableModel>

#include <functional>
#include <vector>

namespace dw::ui {

// The rows of one results list as a six-column table. The model owns the
// ResultList; every change of rows or marks goes through it so that views
// and totals follow.
class ResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultsModel(ResultKind kind, const ListAppearance& appearance = {},
                          QObject* parent = nullptr);

    const ResultList& list() const { return list_; }
    // Rows added later take the new colours; rows present keep theirs.
    void setAppearance(const ListAppearance& appearance);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Appends a batch of rows in one insertion, totals included.
    void appendRows(std::vector<ResultRow> rows);
    void clear();
    void setChecked(int row, bool checked);
    // Stable sort by a column; selection and current row follow their rows.
    void sortRows(int column, bool ascending);
    // Runs `change` over the list, which may only change check marks.
    void changeMarks(const std::function<void(ResultList&)>& change);
    // Runs `change` over a copy of the list, which it may remove or rewrite
    // rows of, and then takes the copy over: the views keep every row while
    // `change` asks its questions, and only the rows it removed or rewrote
    // change afterwards.
    void changeRows(const std::function<void(ResultList&)>& change);

Q_SIGNALS:
    // Any of the four totals may have changed.
    void totalsChanged();

private:
    void adoptChanged(ResultList changed);

    ResultList list_;
    mutable FileIcons icons_;
};

// A 0x00BBGGRR colour as a QColor.
QColor toQColor(Colour colour);
// The grey of a row whose file no longer exists.
QColor missingTextColour();

}  // namespace dw::ui
