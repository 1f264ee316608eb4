#pragma once

#include "engine/results/result_list.h"

#include <QStyledItemDelegate>

namespace dw::ui {

// Draws the cells of a results list. Paths lose their middle when the column
// is narrow, so the start of the folder and the file name stay readable;
// other texts lose their end.
class ResultsDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = index.column() == ColPath ? Qt::ElideMiddle : Qt::ElideRight;
    }
};

}  // namespace dw::ui
