#pragma once

#include <QDialog>

namespace dw::ui {

// "О программе...": the program's name and version and where to write.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent);

    static QString mailTarget();
    static QString homePage();
};

}  // namespace dw::ui
