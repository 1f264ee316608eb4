#pragma once

#include "engine/results/result_list.h"

#include <QHash>
#include <QPointer>
#include <QTableView>

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace dw {
enum class KeepRule;
class FileOperations;
class OperationPrompts;
class Progress;
class SettingsStore;
}  // namespace dw

namespace dw::ui {

class FileManagerLink;
class ProgressDialog;
class ResultsModel;
class SortHeader;

// The check-box list of one results page: six columns, row colours from the
// rows, sorting by a header click, columns fitted to the width, the totals
// written into the page's labels and the row commands of the context menu
// and the page's buttons. Commands carry their ids as objectNames. A flat
// table of uniform rows: a million rows cost the view nothing per row.
class ResultsListCtrl : public QTableView {
    Q_OBJECT
public:
    explicit ResultsListCtrl(ResultKind kind, const ListAppearance& appearance = {},
                             QWidget* parent = nullptr);
    ~ResultsListCtrl() override;

    // The settings the file operations read when they run (UseSystemDiskOperations,
    // RemoveToRecycleBin); the defaults until the main window hands its own over.
    void setSettings(const SearchSettings* settings) { settings_ = settings; }
    // The shared progress window: compression then runs on a worker thread
    // behind it. Without one it runs here behind a pumped progress window.
    void setProgressWindow(ProgressDialog* window);
    // Answers the file operations' questions instead of the dialogs.
    void setPrompts(OperationPrompts* prompts) { prompts_ = prompts; }
    // Where the folder chooser keeps its recent folders; the user's settings by default.
    void setFolderStore(SettingsStore* store) { folderStore_ = store; }
    // Asks for the file an export writes; an empty name cancels.
    using SaveFileAsker = std::function<QString(QWidget* parent)>;
    void setSaveFileAsker(SaveFileAsker asker) { askSaveFile_ = std::move(asker); }
    FileManagerLink* fileManager() const { return fileManager_; }

    ResultsModel* resultsModel() const { return model_; }
    SortHeader* sortHeader() const { return header_; }

    // Off for the duplicates list, whose groups keep the order they came in.
    void setSortEnabled(bool enabled) { sortEnabled_ = enabled; }
    bool sortEnabled() const { return sortEnabled_; }
    int sortColumn() const { return sortColumn_; }
    bool sortAscending() const { return sortAscending_; }
    // What a header click does: a new column sorts ascending, the same
    // column again reverses. Nothing while sorting is off.
    void sortBy(int column);

    // Colours and column fitting from the preferences.
    void reloadAppearance(const ListAppearance& appearance);
    const ListAppearance& appearance() const { return appearance_; }

    // Writes the totals into the labels of the parent page (missing ones skipped).
    void refreshTotals();
    void refreshCheckedTotals();

    // The command with this id (for the page's buttons and for wiring).
    QAction* command(int id) const;
    // Selected rows, ascending.
    std::vector<std::size_t> selectedRowIndexes() const;
    std::optional<std::size_t> firstSelectedRow() const;
    // The context menu for the current selection, or nullptr without one.
    // The caller owns it.
    QMenu* createContextMenu(QWidget* parent);

    void markAll();
    void clearAll();
    void markSelected();
    void clearSelected();
    void invertMarks();
    void removeChecked();
    // Checks every copy but the one `keep` picks (duplicates list only).
    void markCopies(KeepRule keep);
    // "Отметить копии" with its four choices; nullptr outside the duplicates list.
    QMenu* markCopiesMenu() const { return markCopiesMenu_; }
    void runFilter();
    void openRow(std::size_t row);
    void openSelected();
    void openSelectedFolder();
    void showSelectedProperties();

    // The file operations on the checked rows (see FileOperations).
    void deleteChecked();
    void deleteFolderContents();
    void copyChecked();
    void moveChecked();
    void compressChecked();
    // "Обновить": drops the rows whose files are gone.
    void dropVanishedRows();
    void exportToText();

Q_SIGNALS:
    // Compression ended; `compressed` files were compressed.
    void compressionFinished(std::size_t compressed);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Home and End go to the first and last row, as in any list.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    class CompressJob;

    using IconNames = std::array<const char*, 3>;
    QAction* addCommand(int id, const char* text, const IconNames& icons, int fallbackIcon);
    void createCommands();
    void createMarkCopiesMenu();
    const SearchSettings& currentSettings() const;
    SettingsStore& folderStore();
    std::optional<std::string> selectedPath() const;
    // True when rows are checked and none of their files exists any more.
    bool checkedFilesAllGone() const;
    // Runs `work` with a FileOperations whose questions go to the injected
    // prompts or to dialogs in the given delete style; rows may change.
    using OperationWork = std::function<void(FileOperations&, OperationPrompts&, ResultList&)>;
    void runOperation(bool ownDeleteStyle, const OperationWork& work);
    // The model starts afresh after `change`; rows still there stay selected.
    void changeRowsKeepingSelection(const std::function<void(ResultList&)>& change);
    void compressOnWorker();
    void relayProgress(void (Progress::*set)(const std::string&), const std::string& text);
    void finishCompression();

    ResultsModel* model_;
    SortHeader* header_;
    ListAppearance appearance_;
    QHash<int, QAction*> commands_;
    QMenu* markCopiesMenu_ = nullptr;
    int sortColumn_ = -1;
    bool sortAscending_ = false;
    bool sortEnabled_ = true;

    const SearchSettings* settings_ = nullptr;
    QPointer<ProgressDialog> progressWindow_;
    OperationPrompts* prompts_ = nullptr;
    SettingsStore* folderStore_ = nullptr;
    std::unique_ptr<SettingsStore> userStore_;
    SaveFileAsker askSaveFile_;
    FileManagerLink* fileManager_;
    std::unique_ptr<CompressJob> compressJob_;
};

}  // namespace dw::ui
