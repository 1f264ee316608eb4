#include "ui/settings/preferences_command.h"

#include "platform/qsettings_store.h"
#include "ui/controls/ui_texts.h"
#include "ui/settings/preferences_dialog.h"

#include <QMessageBox>

namespace dw::ui {

namespace {

Colour fromQColour(const QColor& colour)
{
    return static_cast<Colour>(colour.red()) | (static_cast<Colour>(colour.green()) << 8) |
           (static_cast<Colour>(colour.blue()) << 16);
}

}  // namespace

PreferencePages::PreferencePages(const SearchSettings& settings, const SystemColours& system)
{
    mask.masks = settings.masks;
    mask.excludeDirs = settings.maskExcludeDirs;
    duplicates.mode = settings.fundDuplicatesMode;
    duplicates.excludeDirs = settings.duplicatesExcludeDirs;
    size.findFiles = settings.findFiles;
    size.bySize = settings.bySize;
    size.lessThen = settings.lessThen;
    size.size = settings.size;
    date.byDays = settings.byDays;
    date.days = settings.days;
    date.months = settings.months;
    date.excludeDirs = settings.oldExcludeDirs;
    appearance.appearance = settings.view;
    appearance.system = system;
    general.useSystemDiskOperations = settings.useSystemDiskOperations;
    general.removeToRecycleBin = settings.removeToRecycleBin;
    general.priority = settings.priority;
    general.securityLevel = settings.securityLevel;
}

void PreferencePages::addTo(PreferencesDialog& frame)
{
    frame.addPage(&mask, text::qs(text::PageByMask));
    frame.addPage(&duplicates, text::qs(text::PageDuplicates));
    frame.addPage(&size, text::qs(text::PageBySize));
    frame.addPage(&date, text::qs(text::PageOld));
    frame.addPage(&appearance, text::qs(text::PageAppearance));
    frame.addPage(&general, text::qs(text::PageGeneral));
}

void PreferencePages::copyInto(SearchSettings& settings) const
{
    settings.masks = mask.masks;
    settings.maskExcludeDirs = mask.excludeDirs;
    settings.fundDuplicatesMode = duplicates.mode;
    settings.duplicatesExcludeDirs = duplicates.excludeDirs;
    settings.findFiles = size.findFiles;
    settings.bySize = size.bySize;
    settings.lessThen = size.lessThen;
    settings.size = size.size;
    settings.byDays = date.byDays;
    settings.days = date.days;
    settings.months = date.months;
    settings.oldExcludeDirs = date.excludeDirs;
    settings.view = appearance.appearance;
    settings.useSystemDiskOperations = general.useSystemDiskOperations;
    settings.removeToRecycleBin = general.removeToRecycleBin;
    settings.priority = general.priority;
    settings.securityLevel = general.securityLevel;
}

void PreferencePages::setFolderStore(SettingsStore* store)
{
    mask.setFolderStore(store);
    duplicates.setFolderStore(store);
    date.setFolderStore(store);
}

SystemColours systemColoursOf(const QWidget& widget)
{
    SystemColours system;
    system.window = fromQColour(widget.palette().color(QPalette::Base));
    system.windowText = fromQColour(widget.palette().color(QPalette::Text));
    return system;
}

bool editPreferences(SearchSettings& settings, SettingsStore& store, QWidget* parent,
                     const PreferencesPlaces& places)
{
    PreferencePages pages(settings, parent ? systemColoursOf(*parent) : SystemColours{});
    pages.setFolderStore(places.recentFolders);
    PreferencesDialog frame(parent);
    frame.setTitle(text::qs(text::Preferences));
    frame.setConstantText(text::qs(text::ProgramName));
    frame.setHelpFile(places.helpFile);
    pages.addTo(frame);
    if (frame.exec() != QDialog::Accepted)
        return false;

    pages.copyInto(settings);
    settings.save(store);
    // The values are in use either way; say so when they will not survive a restart.
    if (!store.flush()) {
        const auto* file = dynamic_cast<const platform::QSettingsStore*>(&store);
        QMessageBox::critical(parent, text::qs(text::ProgramName),
                              text::qs(text::SettingsNotSaved)
                                  .arg(file ? QString::fromStdString(file->fileName()) : QString()));
    }
    return true;
}

}  // namespace dw::ui
