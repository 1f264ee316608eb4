#pragma once

#include "engine/settings/search_settings.h"
#include "ui/settings/prefs_sub_dlg.h"

#include <array>

class QCheckBox;
class QRadioButton;
class QSlider;

namespace dw::ui {

class CColourPicker;

// "Внешний вид": the eight list colours and the column fitting. A colour
// set to "По умолчанию" is stored as that colour's own default, the one a
// new user starts with.
class AppearancePage : public CSAPrefsSubDlg {
public:
    AppearancePage();
    ListAppearance appearance;
    // The desktop's colours behind the defaults of the background and texts.
    SystemColours system;

protected:
    void buildControls(QWidget* window) override;
    void commit() override;

private:
    std::array<CColourPicker*, 8> pickers_{};
    QCheckBox* autoArrange_ = nullptr;
};

// "Основные": how files are deleted, the search priority and the security level.
class GeneralPage : public CSAPrefsSubDlg {
public:
    GeneralPage();
    bool useSystemDiskOperations = true;
    bool removeToRecycleBin = true;
    int priority = 1;
    int securityLevel = 1;

    int widthNeeded(const QFont& font) const override;

protected:
    void buildControls(QWidget* window) override;
    void commit() override;

private:
    QCheckBox* systemDelete_ = nullptr;
    QCheckBox* recycleBin_ = nullptr;
    QSlider* priority_ = nullptr;
    QRadioButton* high_ = nullptr;
};

}  // namespace dw::ui
