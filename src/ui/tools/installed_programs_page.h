#pragma once

#include "engine/tools/installed_programs.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QListWidget;

namespace dw::ui {

class AnchorLayout;

// "Установленные программы": one row per desktop entry whose origin names a
// removal command. "Удалить программу" runs the command and waits with the
// window still painted, dropping the row when the entry is gone; "Удалить
// ссылку из реестра" takes the entry off the desktop's list.
class InstalledProgramsPage : public QWidget {
    Q_OBJECT
public:
    // A Yes/No question with the question icon; true for Yes.
    using Question = std::function<bool(const QString& text)>;

    explicit InstalledProgramsPage(QWidget* parent = nullptr);
    ~InstalledProgramsPage() override;

    // Where the entries are and how their origin is found (tests give their
    // own); by default the environment's folders and the package managers.
    void setFolders(const platform::ApplicationFolders& folders) { folders_ = folders; }
    void setOriginLookup(std::unique_ptr<OriginLookup> lookup);
    void setQuestion(Question question) { question_ = std::move(question); }

    void refresh();
    // The first selected row's uninstaller; nothing without a selection.
    void uninstallSelected();
    // Asks, then takes the first selected row's entry off the list.
    void removeSelectedEntry();

    const std::vector<UninstallEntry>& programs() const { return programs_; }
    QListWidget* list() const { return list_; }
    // True while an uninstaller runs.
    bool waiting() const { return waiting_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::optional<int> selectedRow() const;
    void dropRow(int row);
    const platform::ApplicationFolders& folders();
    // Waits for the uninstaller while the event loop keeps the window alive.
    void waitFor(pid_t pid);

    QListWidget* list_;
    AnchorLayout* anchors_;
    std::vector<UninstallEntry> programs_;
    std::optional<platform::ApplicationFolders> folders_;
    std::unique_ptr<OriginLookup> lookup_;
    Question question_;
    bool shown_ = false;
    bool waiting_ = false;
};

}  // namespace dw::ui
