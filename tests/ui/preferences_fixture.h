#pragma once

// The preference tests: the six pages in a frame shown without a modal loop,
// controls found by id inside the page that owns them.

#include "list_commands_fixture.h"
#include "ui/settings/preferences_command.h"
#include "ui/settings/preferences_dialog.h"

#include <QKeyEvent>
#include <QPushButton>

#include <array>
#include <memory>

namespace dwtest {

// The window of page `templateId` inside `frame`, once it was shown.
inline QWidget* pageWindow(const QWidget* frame, int templateId)
{
    return dw::ui::findById(frame, templateId);
}

template <typename W = QWidget>
W* control(const QWidget* frame, int templateId, int controlId)
{
    const QWidget* page = pageWindow(frame, templateId);
    return page ? dw::ui::findById<W>(page, controlId) : nullptr;
}

inline void pressKey(QWidget* target, int key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

class PreferencesTest : public ::testing::Test {
protected:
    // Builds the pages from `settings` and shows the frame (the first page).
    void open()
    {
        pages = std::make_unique<dw::ui::PreferencePages>(settings, system);
        pages->setFolderStore(&folders);
        frame = std::make_unique<dw::ui::PreferencesDialog>();
        frame->setTitle(QStringLiteral("Параметры"));
        frame->setConstantText(QStringLiteral("Diskwright"));
        pages->addTo(*frame);
        frame->show();
    }
    // Shows the page at `index` and returns its window.
    QWidget* show(int index)
    {
        frame->showPage(index);
        return pageWindow(frame.get(), pageIds[static_cast<std::size_t>(index)]);
    }
    template <typename W = QWidget>
    W* at(int templateId, int controlId)
    {
        return control<W>(frame.get(), templateId, controlId);
    }
    void ok() { dw::ui::findById<QPushButton>(frame.get(), id::Ok)->click(); }

    static constexpr std::array<int, 6> pageIds = {117, 114, 115, 118, 205, 116};
    TempTree temp;
    dw::platform::QSettingsStore folders = dw::platform::QSettingsStore::fromIniFile(temp.path("recent.ini"));
    dw::SearchSettings settings;
    dw::SystemColours system{0xF0F0F0, 0x101010};
    std::unique_ptr<dw::ui::PreferencePages> pages;
    std::unique_ptr<dw::ui::PreferencesDialog> frame;
};

}  // namespace dwtest
