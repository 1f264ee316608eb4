#include "ui/settings/prefs_sub_dlg.h"

#include "ui/controls/widget_ids.h"

namespace dw::ui {

CSAPrefsSubDlg::~CSAPrefsSubDlg() { destroyWindow(); }

QWidget* CSAPrefsSubDlg::create(QWidget* area)
{
    if (window_)
        return window_;
    window_ = withId(new QWidget(area), templateId_);
    buildControls(window_);
    return window_;
}

void CSAPrefsSubDlg::ok()
{
    if (!window_)
        return;
    commit();
    destroyWindow();
}

void CSAPrefsSubDlg::cancel() { destroyWindow(); }

void CSAPrefsSubDlg::destroyWindow()
{
    // The frame may already have taken its children with it.
    delete window_.data();
    window_ = nullptr;
}

}  // namespace dw::ui
