#pragma once

#include "engine/search/search_driver.h"

#include <QDialog>
#include <QString>

#include <string>
#include <vector>

class QCheckBox;
class QPushButton;

namespace dw::ui {

class AnchorLayout;
class ScopeTree;

// "Параметры поиска": where the next search looks (the scope tree), which of
// the four result kinds it produces and whether it descends into subfolders.
// The caller sets the current scope, runs the dialog and, on OK, reads back
// the folders and flags; after Cancel they are as the caller left them.
class SearchParametersDialog : public QDialog {
    Q_OBJECT
public:
    explicit SearchParametersDialog(QWidget* parent = nullptr);

    // Folders (each ending with '/') marked in the tree when the dialog
    // opens; after OK, the folders checked there, in tree order.
    void setScope(const std::vector<std::string>& folders) { scope_ = folders; }
    const std::vector<std::string>& scope() const { return scope_; }
    // The folder the tree lists; empty (the default) for the home folder and the disks.
    void setTreeRoot(const QString& root) { treeRoot_ = root; }

    // All false for a new dialog; subfolders is set again every time it opens.
    bool findDuplicates() const { return duplicates_; }
    bool findBySize() const { return bySize_; }
    bool findByMask() const { return byMask_; }
    bool findOld() const { return old_; }
    bool searchSubfolders() const { return subfolders_; }
    void setFindDuplicates(bool on) { duplicates_ = on; }
    void setFindBySize(bool on) { bySize_ = on; }
    void setFindByMask(bool on) { byMask_ = on; }
    void setFindOld(bool on) { old_ = on; }
    void setSearchSubfolders(bool on) { subfolders_ = on; }

    // The scope and flags as a search request.
    dw::SearchRequest request() const;

    // "Параметры" stays disabled until the owner can show the preferences.
    void setPreferencesEnabled(bool enabled);

    void setVisible(bool visible) override;
    void accept() override;

Q_SIGNALS:
    void preferencesRequested();

private:
    QCheckBox* addBox(int id, const char* text);
    QPushButton* addButton(int id, const char* text);
    void placeControls();

    ScopeTree* tree_;
    QCheckBox* subfoldersBox_;
    QCheckBox* duplicatesBox_;
    QCheckBox* bySizeBox_;
    QCheckBox* oldBox_;
    QCheckBox* byMaskBox_;
    QPushButton* okButton_;
    QPushButton* preferencesButton_;
    QPushButton* cancelButton_;
    AnchorLayout* anchors_;

    std::vector<std::string> scope_;
    QString treeRoot_;
    bool duplicates_ = false;
    bool bySize_ = false;
    bool byMask_ = false;
    bool old_ = false;
    bool subfolders_ = false;
};

}  // namespace dw::ui
