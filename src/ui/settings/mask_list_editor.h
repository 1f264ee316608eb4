#pragma once

#include <QTreeWidget>

#include <string>
#include <vector>

class QMenu;

namespace dw::ui {

// The named masks as a two-column list ("Название маски", "Маска"), one row
// per mask in stored order. "Добавить" appends a row from the mask dialog,
// "Изменить" replaces the selected row at its place, "Удалить" removes it
// without asking; the right-click menu and the button strip send them.
class MaskListEditor : public QTreeWidget {
    Q_OBJECT
public:
    explicit MaskListEditor(QWidget* parent = nullptr);

    // Each stored mask is "name<TAB>masks"; one without a tab has an empty name.
    void setMasks(const std::vector<std::string>& masks);
    std::vector<std::string> masks() const;

    // 32770 add, 32773 edit, 32780 remove.
    void runCommand(int command);
    // The context menu; the caller owns it.
    QMenu* buildMenu();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void addMask();
    void editSelected();
    void removeSelected();
    QTreeWidgetItem* firstSelected() const;
    void fitColumns();
};

}  // namespace dw::ui
