#pragma once

#include <QDialog>
#include <QString>

#include <map>
#include <vector>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace dw::ui {

class CSAPrefsSubDlg;
class PreferencesCaption;

// The preferences frame: a tree of page titles, the caption band, the page
// area and OK, "Отмена", "Помощь". A page's window is made the first time it
// is shown. OK asks every made page to validate (a page that refuses is
// shown and the frame stays), then lets each store its controls; Cancel and
// the close box end every made page without storing. Escape does nothing.
class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    explicit PreferencesDialog(QWidget* parent = nullptr);
    ~PreferencesDialog() override;

    // Only before the frame is first shown; false afterwards.
    bool addPage(CSAPrefsSubDlg* page, const QString& title, CSAPrefsSubDlg* parentPage = nullptr);
    void setTitle(const QString& title) { title_ = title; }
    void setConstantText(const QString& text) { constantText_ = text; }
    void setStartPage(CSAPrefsSubDlg* page) { startPage_ = page; }
    // The page "Помощь" opens; nothing when empty.
    void setHelpFile(const QString& file) { helpFile_ = file; }

    int currentPage() const { return current_; }
    // Shows the page at `index` (making its window on first display).
    bool showPage(int index);

    PreferencesCaption* caption() const { return caption_; }
    QTreeWidget* tree() const { return tree_; }
    // The rectangle page windows take inside the frame.
    QRect pageRect() const;

    void setVisible(bool visible) override;
    void accept() override;
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Record {
        CSAPrefsSubDlg* page;
        QString title;
        CSAPrefsSubDlg* parent;
    };

    void placeControls();
    void initialise();
    void onTreeSelection(QTreeWidgetItem* item);
    void fitPage(QWidget* window);
    void growPageArea(int byX, int byY);
    void openHelp();

    QTreeWidget* tree_;
    QWidget* pageArea_;
    PreferencesCaption* caption_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
    QPushButton* helpButton_;
    std::vector<Record> records_;
    std::map<CSAPrefsSubDlg*, QTreeWidgetItem*> items_;
    int current_ = -1;
    CSAPrefsSubDlg* startPage_ = nullptr;
    QString title_;
    QString constantText_;
    QString helpFile_;
    bool initialised_ = false;
};

}  // namespace dw::ui
