#pragma once

#include <QPointer>
#include <QWidget>

namespace dw::ui {

// The base of every preference page. The page object belongs to the caller
// and holds its own copy of the values it edits; its window is made inside
// the preferences frame the first time the page is shown, filled from the
// copy, and ended by the frame: OK stores the controls into the copy, Cancel
// leaves the copy as it was. A page never shown keeps its copy untouched.
class CSAPrefsSubDlg {
public:
    explicit CSAPrefsSubDlg(int templateId) : templateId_(templateId) {}
    virtual ~CSAPrefsSubDlg();
    CSAPrefsSubDlg(const CSAPrefsSubDlg&) = delete;
    CSAPrefsSubDlg& operator=(const CSAPrefsSubDlg&) = delete;

    int templateId() const { return templateId_; }
    // The page window while it exists.
    QWidget* window() const { return window_; }
    // Builds the window inside `area`, its controls showing the copy.
    QWidget* create(QWidget* area);

    // The width the page's widest line needs in `font`, known before its
    // window exists, so that the frame opens wide enough for every page.
    virtual int widthNeeded(const QFont&) const { return 0; }
    // Checks the controls before OK; on a refusal the page has told the user why.
    virtual bool validate() { return true; }
    // Stores the controls into the copy and ends the window.
    void ok();
    // Ends the window; the copy stays as it was.
    void cancel();

protected:
    // Creates the controls of `window` and fills them from the copy.
    virtual void buildControls(QWidget* window) = 0;
    // Writes the controls into the copy.
    virtual void commit() = 0;

private:
    void destroyWindow();

    int templateId_;
    QPointer<QWidget> window_;
};

}  // namespace dw::ui
