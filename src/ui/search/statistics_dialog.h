#pragma once

#include "engine/search/search_driver.h"

#include <QDialog>

namespace dw::ui {

// "Статистика": what a search found, how much it analysed and how long it took.
class StatisticsDialog : public QDialog {
    Q_OBJECT
public:
    StatisticsDialog(const dw::SearchStatistics& stats, QWidget* parent);
};

}  // namespace dw::ui
