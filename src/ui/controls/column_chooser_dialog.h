#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QListWidget;

namespace dw::ui {

// "Столбцы": which columns a list export writes. One checked row per title;
// OK keeps the titles left checked, in their order. There is no Cancel:
// closed any other way (Esc, the close box) it keeps every title, and the
// export goes on with all columns.
class ColumnChooserDialog : public QDialog {
    Q_OBJECT
public:
    // Titles are UTF-8, as columnTitles() gives them.
    explicit ColumnChooserDialog(std::vector<std::string> titles, QWidget* parent = nullptr);

    // The titles offered; after OK, the checked ones.
    const std::vector<std::string>& titles() const { return titles_; }

    void accept() override;

private:
    std::vector<std::string> titles_;
    QListWidget* list_;
};

}  // namespace dw::ui
