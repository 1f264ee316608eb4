#pragma once

#include "engine/results/list_filter.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace dw {
class SettingsStore;
}

namespace dw::ui {

// "Фильтр": what to do with the rows of a results list (mark, clear, remove,
// remove all others) and which rows: those whose path contains a folder text,
// those whose name matches a mask, or both. The dialog only edits the request;
// the list applies it. "..." picks the folder text with the folder chooser,
// which keeps its recent folders in `recentStore`.
class FilterDialog : public QDialog {
    Q_OBJECT
public:
    explicit FilterDialog(SettingsStore& recentStore, QWidget* parent = nullptr);

    // The values shown when the dialog opens (see filterPrefill); after OK,
    // the values the user left. Cancel leaves them as set.
    void setRequest(const FilterRequest& request);
    const FilterRequest& request() const { return request_; }

    void accept() override;

private:
    QRadioButton* addRadio(int id, const char* label);
    void updateEnabled();
    void chooseFolder();

    SettingsStore& store_;
    FilterRequest request_;
    QRadioButton* mark_;
    QRadioButton* clear_;
    QRadioButton* remove_;
    QRadioButton* removeExcept_;
    QCheckBox* byFolder_;
    QLineEdit* folderEdit_;
    QPushButton* chooseButton_;
    QCheckBox* byMask_;
    QLineEdit* maskEdit_;
};

}  // namespace dw::ui
