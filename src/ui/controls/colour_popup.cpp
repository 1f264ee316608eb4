#include "ui/controls/colour_popup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <qdrawutil.h>

#include <algorithm>
#include <vector>

namespace dw::ui {

namespace {

constexpr Colour rgb(unsigned red, unsigned green, unsigned blue) { return red | (green << 8) | (blue << 16); }

constexpr int kColumns = 8;
constexpr int kCellCount = 40;
constexpr int kRows = (kCellCount + kColumns - 1) / kColumns;
// The raised or sunken edge of a cell, as the desktop draws a 3-D edge.
constexpr int kEdge = 2;

QColor qColour(Colour colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

Colour fromQColour(const QColor& colour)
{
    return rgb(static_cast<unsigned>(colour.red()), static_cast<unsigned>(colour.green()),
               static_cast<unsigned>(colour.blue()));
}

}  // namespace

const std::array<NamedColour, 40>& colourTable()
{
    static const std::array<NamedColour, 40> table = {{
        {rgb(0, 0, 0), "Black"},
        {rgb(165, 42, 0), "Brown"},
        {rgb(0, 64, 64), "Dark Olive Green"},
        {rgb(0, 85, 0), "Dark Green"},
        {rgb(0, 0, 94), "Dark Teal"},
        {rgb(0, 0, 139), "Dark blue"},
        {rgb(75, 0, 130), "Indigo"},
        {rgb(40, 40, 40), "Dark grey"},
        {rgb(139, 0, 0), "Dark red"},
        {rgb(255, 104, 32), "Orange"},
        {rgb(139, 139, 0), "Dark yellow"},
        {rgb(0, 147, 0), "Green"},
        {rgb(56, 142, 142), "Teal"},
        {rgb(0, 0, 255), "Blue"},
        {rgb(123, 123, 192), "Blue-grey"},
        {rgb(102, 102, 102), "Grey - 40"},
        {rgb(255, 0, 0), "Red"},
        {rgb(255, 173, 91), "Light orange"},
        {rgb(50, 205, 50), "Lime"},
        {rgb(60, 179, 113), "Sea green"},
        {rgb(127, 255, 212), "Aqua"},
        {rgb(125, 158, 192), "Light blue"},
        {rgb(128, 0, 128), "Violet"},
        {rgb(127, 127, 127), "Grey - 50"},
        {rgb(255, 192, 203), "Pink"},
        {rgb(255, 215, 0), "Gold"},
        {rgb(255, 255, 0), "Yellow"},
        {rgb(0, 255, 0), "Bright green"},
        {rgb(64, 224, 208), "Turquoise"},
        {rgb(192, 255, 255), "Skyblue"},
        {rgb(72, 0, 72), "Plum"},
        {rgb(192, 192, 192), "Light grey"},
        {rgb(255, 228, 225), "Rose"},
        {rgb(210, 180, 140), "Tan"},
        {rgb(255, 255, 224), "Light yellow"},
        {rgb(152, 251, 152), "Pale green "},
        {rgb(175, 238, 238), "Pale turquoise"},
        {rgb(104, 131, 139), "Pale blue"},
        {rgb(230, 230, 250), "Lavender"},
        {rgb(255, 255, 255), "White"},
    }};
    return table;
}

ColourPopup::ColourPopup(QWidget* below, Colour opening, const QString& defaultText, const QString& customText)
    : QWidget(below, Qt::Popup | Qt::FramelessWindowHint), opening_(opening), defaultText_(defaultText), customText_(customText)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    cellSize_ = std::max(18, 2 * kEdge + 7);
    margin_ = kEdge;

    if (opening_ == kDefaultColour && hasCell(DefaultCell)) {
        initial_ = DefaultCell;
    } else {
        const auto& table = colourTable();
        auto found = std::find_if(table.begin(), table.end(),
                                  [this](const NamedColour& entry) { return entry.colour == opening_; });
        if (found != table.end())
            initial_ = static_cast<int>(found - table.begin());
        else if (hasCell(CustomCell))
            initial_ = CustomCell;
    }
    current_ = initial_;
    layOut();
    placeBelow(below);
    // Switching to another program ends the choice like Escape.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive && isVisible())
            endCancelled();
    });
}

bool ColourPopup::hasCell(int cell) const
{
    if (cell == DefaultCell)
        return !defaultText_.isEmpty();
    if (cell == CustomCell)
        return !customText_.isEmpty();
    return cell >= 0 && cell < kCellCount;
}

void ColourPopup::layOut()
{
    const QFontMetrics metrics(font());
    const int boxHeight = metrics.height() + 4 * margin_ + 2;
    int width = kColumns * cellSize_ + 2 * margin_;
    for (const QString& text : {defaultText_, customText_})
        if (!text.isEmpty())
            width = std::max(width, metrics.horizontalAdvance(text) + 8 * margin_);
    int y = margin_;
    if (hasCell(DefaultCell)) {
        defaultRect_ = QRect(margin_, y, width - 2 * margin_, boxHeight);
        y += boxHeight + margin_;
    }
    gridTop_ = y;
    y += kRows * cellSize_;
    if (hasCell(CustomCell)) {
        y += margin_;
        customRect_ = QRect(margin_, y, width - 2 * margin_, boxHeight);
        y += boxHeight;
    }
    setFixedSize(width, y + margin_);
}

void ColourPopup::placeBelow(QWidget* below)
{
    QPoint place = below->mapToGlobal(QPoint(0, below->height()));
    const QScreen* screen = below->screen();
    if (!screen) {
        move(place);
        return;
    }
    const QRect area = screen->availableGeometry();
    if (place.x() + width() > area.x() + area.width())
        place.setX(area.x() + area.width() - width());
    if (place.x() < area.x())
        place.setX(area.x());
    if (place.y() + height() > area.y() + area.height())
        place.setY(below->mapToGlobal(QPoint(0, 0)).y() - height());
    move(place);
}

QRect ColourPopup::cellRect(int cell) const
{
    if (!hasCell(cell))
        return {};
    if (cell == DefaultCell)
        return defaultRect_;
    if (cell == CustomCell)
        return customRect_;
    const int gridLeft = (width() - kColumns * cellSize_) / 2;
    return QRect(gridLeft + (cell % kColumns) * cellSize_, gridTop_ + (cell / kColumns) * cellSize_, cellSize_,
                 cellSize_);
}

int ColourPopup::cellAt(const QPoint& point) const
{
    for (int cell : {DefaultCell, CustomCell})
        if (hasCell(cell) && cellRect(cell).contains(point))
            return cell;
    const int gridLeft = (width() - kColumns * cellSize_) / 2;
    const int x = point.x() - gridLeft;
    const int y = point.y() - gridTop_;
    if (x < 0 || y < 0 || x >= kColumns * cellSize_ || y >= kRows * cellSize_)
        return NoCell;
    const int cell = (y / cellSize_) * kColumns + x / cellSize_;
    return cell < kCellCount ? cell : NoCell;
}

Colour ColourPopup::colourOf(int cell) const
{
    if (cell == DefaultCell)
        return kDefaultColour;
    if (cell == CustomCell || cell == NoCell)
        return opening_;
    return colourTable()[static_cast<std::size_t>(cell)].colour;
}

void ColourPopup::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& colours = palette();
    painter.fillRect(rect(), colours.button());
    qDrawShadePanel(&painter, rect(), colours, false, 1);

    auto drawCell = [&](int cell) {
        const QRect box = cellRect(cell);
        if (cell == initial_)
            painter.fillRect(box, colours.midlight());
        if (cell == current_)
            qDrawShadePanel(&painter, box, colours, false, 1);
        else if (cell == initial_)
            qDrawShadePanel(&painter, box, colours, true, 1);
        if (cell < 0) {
            painter.setPen(colours.color(QPalette::ButtonText));
            painter.drawText(box, Qt::AlignCenter, cell == DefaultCell ? defaultText_ : customText_);
            return;
        }
        const QRect swatch = box.adjusted(margin_ + 1, margin_ + 1, -margin_ - 1, -margin_ - 1);
        painter.fillRect(swatch, qColour(colourOf(cell)));
        painter.setPen(colours.color(QPalette::Dark));
        painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    };
    for (int cell = 0; cell < kCellCount; ++cell)
        drawCell(cell);
    for (int cell : {DefaultCell, CustomCell})
        if (hasCell(cell))
            drawCell(cell);
}

void ColourPopup::moveTo(int cell)
{
    if (cell == current_)
        return;
    current_ = cell;
    update();
    if (cell != NoCell)
        Q_EMIT selectionChanged(colourOf(cell));
}

void ColourPopup::mouseMoveEvent(QMouseEvent* event) { moveTo(cellAt(event->position().toPoint())); }

void ColourPopup::mousePressEvent(QMouseEvent* event)
{
    // A press elsewhere on the screen ends the popup; inside, the release decides.
    if (!rect().contains(event->position().toPoint()))
        endCancelled();
}

void ColourPopup::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (rect().contains(event->position().toPoint()))
        endOk();
    else
        endCancelled();
}

void ColourPopup::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        endOk();
        return;
    case Qt::Key_Escape:
        endCancelled();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        moveTo(stepFrom(current_, event->key()));
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

int ColourPopup::stepFrom(int cell, int key) const
{
    const bool hasDefault = hasCell(DefaultCell);
    const bool hasCustom = hasCell(CustomCell);
    if (cell == NoCell)
        return hasDefault ? DefaultCell : 0;
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        // One ring: the default cell, the grid row by row, the other-colour cell.
        std::vector<int> ring;
        if (hasDefault)
            ring.push_back(DefaultCell);
        for (int i = 0; i < kCellCount; ++i)
            ring.push_back(i);
        if (hasCustom)
            ring.push_back(CustomCell);
        const auto at = std::find(ring.begin(), ring.end(), cell) - ring.begin();
        const auto size = static_cast<std::ptrdiff_t>(ring.size());
        const std::ptrdiff_t next = (at + (key == Qt::Key_Right ? 1 : size - 1)) % size;
        return ring[static_cast<std::size_t>(next)];
    }
    const int lastRow = (kRows - 1) * kColumns;
    if (key == Qt::Key_Down) {
        if (cell == DefaultCell)
            return 0;
        if (cell == CustomCell)
            return hasDefault ? DefaultCell : 0;
        if (cell + kColumns < kCellCount)
            return cell + kColumns;
        return hasCustom ? CustomCell : (hasDefault ? DefaultCell : cell % kColumns);
    }
    if (cell == DefaultCell)
        return hasCustom ? CustomCell : lastRow;
    if (cell == CustomCell)
        return lastRow;
    if (cell >= kColumns)
        return cell - kColumns;
    return hasDefault ? DefaultCell : (hasCustom ? CustomCell : lastRow + cell);
}

void ColourPopup::endOk()
{
    if (ended_)
        return;
    if (current_ != CustomCell) {
        finish(true, colourOf(current_));
        return;
    }
    // The system dialog takes over the input; the popup's grab must go first.
    ended_ = true;
    hide();
    QColorDialog dialog(opening_ == kDefaultColour ? QColor(Qt::black) : qColour(opening_), parentWidget());
    if (dialog.exec() == QDialog::Accepted)
        finish(true, fromQColour(dialog.selectedColor()));
    else
        finish(false, opening_);
}

void ColourPopup::endCancelled()
{
    if (!ended_)
        finish(false, opening_);
}

void ColourPopup::finish(bool ok, Colour result)
{
    ended_ = true;
    if (ok)
        Q_EMIT selectionEndedOk(result);
    else
        Q_EMIT selectionCancelled(result);
    close();
}

void ColourPopup::closeEvent(QCloseEvent* event)
{
    // Closed from outside (another popup, the window system): a cancel.
    if (!ended_) {
        ended_ = true;
        Q_EMIT selectionCancelled(opening_);
    }
    QWidget::closeEvent(event);
}

bool ColourPopup::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int cell = cellAt(help->pos());
        if (cell >= 0)
            QToolTip::showText(help->globalPos(), QString::fromLatin1(colourTable()[static_cast<std::size_t>(cell)].name),
                               this, cellRect(cell));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

}  // namespace dw::ui
