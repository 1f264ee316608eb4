#pragma once

#include "engine/settings/search_settings.h"
#include "ui/settings/general_pages.h"
#include "ui/settings/search_pages.h"

#include <QString>

class QWidget;

namespace dw::ui {

class PreferencesDialog;

// The six pages of the "Параметры" command in tree order, each holding a
// copy of the settings it edits.
class PreferencePages {
public:
    PreferencePages(const SearchSettings& settings, const SystemColours& system);

    // Adds the pages to `frame` under their titles.
    void addTo(PreferencesDialog& frame);
    // Copies every page's values into `settings`.
    void copyInto(SearchSettings& settings) const;
    // Where the exclusion lists' folder chooser keeps its recent folders.
    void setFolderStore(SettingsStore* store);

    MaskPage mask;
    DuplicatesPage duplicates;
    SizePage size;
    DatePage date;
    AppearancePage appearance;
    GeneralPage general;
};

// The desktop colours behind the colour defaults, as `widget` shows them.
SystemColours systemColoursOf(const QWidget& widget);

// Where the "Параметры" command keeps things; the defaults are the user's.
struct PreferencesPlaces {
    QString helpFile;
    SettingsStore* recentFolders = nullptr;
};

// The "Параметры" command: the frame over `settings`; on OK the values go
// back into `settings` and are saved to `store` (a failed write is reported).
// Returns true on OK; after Cancel neither `settings` nor `store` changed.
bool editPreferences(SearchSettings& settings, SettingsStore& store, QWidget* parent,
                     const PreferencesPlaces& places = {});

}  // namespace dw::ui
