#pragma once

#include "engine/settings/recent_folders.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QPushButton;

namespace dw::ui {

class AnchorLayout;
class ScopeTree;

// "Выбор директории": the one way the program asks for a folder. The user
// picks it in the folder tree or types it (a path not starting with '/' is
// taken from the home folder); the drop-down offers the recently accepted
// folders. On OK a missing folder may be created, all missing levels at once,
// and the accepted folder heads the recent folders in `recentStore`.
class FolderChooserDialog : public QDialog {
    Q_OBJECT
public:
    explicit FolderChooserDialog(SettingsStore& recentStore, QWidget* parent = nullptr);

    // The folder shown and selected when the dialog opens; may be empty.
    void setInitialPath(const QString& path) { initialPath_ = path; }
    // The folder the tree lists; empty (the default) for the home folder and the disks.
    void setTreeRoot(const QString& root) { treeRoot_ = root; }
    // The accepted folder, ending with '/'; empty until the dialog closes with OK.
    const QString& resultPath() const { return resultPath_; }

    void setVisible(bool visible) override;
    void accept() override;

private:
    void placeControls();
    void onTreeSelection();
    void onHistoryChosen(int index);
    // Asks whether to create `folder`; true for Yes.
    bool askToCreate();
    // Creates every missing level of `folder` from the top down; on a failure
    // says which level and returns false.
    bool createMissing(const QString& folder);

    SettingsStore& store_;
    RecentFolders history_;
    ScopeTree* tree_;
    QComboBox* combo_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
    AnchorLayout* anchors_;
    QString initialPath_;
    QString treeRoot_;
    QString resultPath_;
    // Set while the tree follows a choice from the history, so the tree's
    // nearest existing folder does not overwrite the chosen text.
    bool followingCombo_ = false;
};

}  // namespace dw::ui
