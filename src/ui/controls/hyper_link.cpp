#include "ui/controls/hyper_link.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QUrl>

namespace dw::ui {

HyperLink::HyperLink(const QString& text, const QString& target, QWidget* parent)
    : QLabel(text.isEmpty() ? target : text, parent), target_(target.isEmpty() ? text : target)
{
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(target_);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    updateColour();
}

void HyperLink::setTarget(const QString& target)
{
    target_ = target;
    setToolTip(target);
    adjustSize();
}

QString HyperLink::failureText(int code)
{
    switch (code) {
    case 0:
        return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26:
        return QStringLiteral("A sharing violation occurred. ");
    case 27:
        return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28:
        return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral("The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.");
    case 31:
        return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QStringLiteral("Unknown Error (%1) occurred.").arg(code);
    }
}

bool HyperLink::open()
{
    if (QDesktopServices::openUrl(QUrl(target_))) {
        visited_ = true;
        updateColour();
        return true;
    }
    // The desktop has no program for this kind of link.
    QMessageBox::warning(window(), QString(), QStringLiteral("Can't open link:\n\n") + failureText(31));
    return false;
}

void HyperLink::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        pressed_ = true;
    }
}

void HyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        if (rect().contains(event->position().toPoint()))
            open();
    }
}

void HyperLink::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space) {
        open();
        return;
    }
    QLabel::keyPressEvent(event);
}

void HyperLink::focusInEvent(QFocusEvent* event)
{
    QLabel::focusInEvent(event);
    updateColour();
}

void HyperLink::focusOutEvent(QFocusEvent* event)
{
    QLabel::focusOutEvent(event);
    pressed_ = false;
    updateColour();
}

void HyperLink::updateColour()
{
    QColor colour = hasFocus() ? QColor(0, 128, 128) : visited_ ? QColor(128, 0, 128) : QColor(0, 0, 255);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
}

}  // namespace dw::ui
