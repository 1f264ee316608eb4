#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>

class QTextBrowser;

namespace dw::ui {

// The help page in the program's own window, for a desktop where no web
// browser starts: a text browser over the same HTML, its links working
// (the page's own anchors here, other addresses through the desktop).
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(const QString& file, QWidget* parent = nullptr);

    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

// "Помощь": the help page in the desktop's web browser, or in a HelpWindow
// when no browser starts. xdg-open tells whether it found one by its exit
// code; without it, the desktop services say whether they started anything.
class HelpLauncher : public QObject {
    Q_OBJECT
public:
    explicit HelpLauncher(QWidget* window);

    void open(const QString& file);
    // The program's own help window while it is open, else nullptr.
    HelpWindow* helpWindow() const { return helpWindow_; }

Q_SIGNALS:
    // The page went to the program's own window.
    void shownInOwnWindow();

private:
    void showOwnWindow(const QString& file);

    QWidget* window_;
    QPointer<HelpWindow> helpWindow_;
};

}  // namespace dw::ui
