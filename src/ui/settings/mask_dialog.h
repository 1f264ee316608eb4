#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

namespace dw::ui {

// "Маска": one named mask, its name and its file masks. Both may stay
// empty. A tab in the name becomes a space, since the stored form puts a tab
// between the name and the masks.
class MaskDialog : public QDialog {
    Q_OBJECT
public:
    explicit MaskDialog(QWidget* parent = nullptr);

    void setName(const QString& name) { name_ = name; }
    void setPatterns(const QString& patterns) { patterns_ = patterns; }
    const QString& name() const { return name_; }
    const QString& patterns() const { return patterns_; }

    void setVisible(bool visible) override;
    void accept() override;

private:
    QLineEdit* nameEdit_;
    QLineEdit* patternsEdit_;
    QString name_;
    QString patterns_;
};

}  // namespace dw::ui
