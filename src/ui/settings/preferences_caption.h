#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace dw::ui {

// The band above a preference page: black at the left fading quadratically
// into the button face at the right, the product name embossed on the right
// and the page title on the left.
class PreferencesCaption : public QWidget {
    Q_OBJECT
public:
    explicit PreferencesCaption(QWidget* parent = nullptr);

    void setConstantText(const QString& text);
    const QString& constantText() const { return constantText_; }
    void setFaceName(const QString& face) { faceName_ = face; }
    void setTextColour(const QColor& colour) { textColour_ = colour; }
    // The page title; changing it repaints the band.
    void setTitle(const QString& title);
    const QString& title() const { return title_; }

    // The background for a band of `size`: fade, black and embossed name.
    QPixmap background(const QSize& size) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString constantText_;
    QString faceName_ = QStringLiteral("Verdana");
    QColor textColour_;
    QString title_;
    QPixmap cached_;
};

}  // namespace dw::ui
