#pragma once

#include "engine/results/result_list.h"

#include <QWidget>

namespace dw::ui {

class AnchorLayout;
class ResultsListCtrl;

// One results tab: the list with its command buttons on the left and the
// totals along the bottom. The page holds no logic of its own; each button
// triggers the list's command of the same meaning.
class ResultsPage : public QWidget {
    Q_OBJECT
public:
    explicit ResultsPage(ResultKind kind, const ListAppearance& appearance = {},
                         QWidget* parent = nullptr);

    ResultsListCtrl* list() const { return list_; }
    void setSortEnabled(bool enabled);

private:
    ResultsListCtrl* list_;
    AnchorLayout* anchors_;
};

}  // namespace dw::ui
