#pragma once

#include "engine/settings/settings_store.h"
#include "ui/settings/prefs_sub_dlg.h"

#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSlider;
class QVBoxLayout;

namespace dw::ui {

class ExcludeListBox;
class MaskListEditor;
class SpinArrows;

// A page with an exclusion list: the caption, the list and its button strip.
class ExclusionPage : public CSAPrefsSubDlg {
public:
    using CSAPrefsSubDlg::CSAPrefsSubDlg;
    std::vector<std::string> excludeDirs;
    // Where the folder chooser keeps its recent folders; the user's settings by default.
    void setFolderStore(SettingsStore* store) { folderStore_ = store; }

protected:
    void addExclusions(QVBoxLayout* column, int stripId);
    ExcludeListBox* exclusions_ = nullptr;

private:
    SettingsStore* folderStore_ = nullptr;
};

// "По маске": the named masks and the folders the mask search skips.
class MaskPage : public ExclusionPage {
public:
    MaskPage();
    std::vector<std::string> masks;

protected:
    void buildControls(QWidget* window) override;
    void commit() override;

private:
    MaskListEditor* maskList_ = nullptr;
};

// "Одинаковые": the thoroughness of the duplicate search and its exclusions.
class DuplicatesPage : public ExclusionPage {
public:
    DuplicatesPage();
    int mode = 1;

protected:
    void buildControls(QWidget* window) override;
    void commit() override;

private:
    QSlider* slider_ = nullptr;
};

// "По размеру": empty files and the size threshold.
class SizePage : public CSAPrefsSubDlg {
public:
    SizePage();
    bool findFiles = true;
    bool bySize = true;
    int lessThen = 1;
    std::uint32_t size = 1;

    bool validate() override;

protected:
    void buildControls(QWidget* window) override;
    void commit() override;

private:
    void applyEnabling();

    QCheckBox* emptyBox_ = nullptr;
    QCheckBox* bySizeBox_ = nullptr;
    QComboBox* compare_ = nullptr;
    QLineEdit* sizeEdit_ = nullptr;
};

// "По дате": the age limit in days or months and the exclusions.
class DatePage : public ExclusionPage {
public:
    DatePage();
    bool byDays = false;
    int days = 0;
    int months = 1;

    bool validate() override;

protected:
    void buildControls(QWidget* window) override;
    void commit() override;

private:
    void applyEnabling();

    QRadioButton* daysRadio_ = nullptr;
    QRadioButton* monthsRadio_ = nullptr;
    QLineEdit* daysEdit_ = nullptr;
    QLineEdit* monthsEdit_ = nullptr;
    SpinArrows* daysSpin_ = nullptr;
    SpinArrows* monthsSpin_ = nullptr;
};

}  // namespace dw::ui
