#include "ui/results/sort_header.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QStyleOptionHeader>

#include <algorithm>
#include <vector>

namespace dw::ui {

SortHeader::SortHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setSortIndicatorShown(false);
    setStretchLastSection(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(this, &QHeaderView::sectionResized, this,
            [this](int logicalIndex, int, int) { noteResize(logicalIndex); });
}

void SortHeader::setSortState(int column, bool ascending)
{
    sortColumn_ = column;
    sortAscending_ = ascending;
    viewport()->update();
}

std::vector<int> SortHeader::share(const std::vector<int>& wants, int available)
{
    long long sum = 0;
    for (int want : wants)
        sum += std::max(want, 1);
    // Integer shares leave a few pixels over; they go one each to the first
    // columns, so the widths add up exactly and a second fit changes nothing.
    std::vector<int> widths;
    int given = 0;
    for (int want : wants) {
        const long long share = static_cast<long long>(available) * std::max(want, 1) / sum;
        widths.push_back(static_cast<int>(share));
        given += widths.back();
    }
    for (std::size_t n = 0; given < available; n = (n + 1) % widths.size(), ++given)
        ++widths[n];
    return widths;
}

int SortHeader::titleWidth(int column) const
{
    const int space = qMax(1, fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    const QString title =
        model() ? model()->headerData(column, orientation()).toString() : QString();
    return fontMetrics().horizontalAdvance(title) + 10 * space;
}

int SortHeader::naturalWidth(int column) const
{
    const int space = qMax(1, fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    int width = titleWidth(column);
    if (auto* view = qobject_cast<const QAbstractItemView*>(parentWidget()))
        width = std::max(width, view->sizeHintForColumn(column) + 2 * space);
    return width;
}

void SortHeader::apply(const std::vector<int>& columns, const std::vector<int>& widths)
{
    fitting_ = true;
    setUpdatesEnabled(false);
    for (std::size_t n = 0; n < columns.size(); ++n)
        resizeSection(columns[n], widths[n]);
    setUpdatesEnabled(true);
    fitting_ = false;
    viewport()->update();
}

void SortHeader::fit(int keep)
{
    if (!fitColumns_ || count() == 0 || fitting_)
        return;
    int available = viewport()->width() - kScrollBarRoom;
    if (keep >= 0 && keep < count())
        available -= sectionSize(keep);
    else
        keep = -1;
    std::vector<int> others;
    std::vector<int> sizes;
    long long sum = 0;
    for (int i = 0; i < count(); ++i) {
        if (i == keep || isSectionHidden(i))
            continue;
        others.push_back(i);
        sizes.push_back(sectionSize(i));
        sum += sectionSize(i);
    }
    // A header narrower than the room left leaves the columns as they are.
    if (others.empty() || sum <= 0 || available <= 0)
        return;
    const auto stretch = std::find(others.begin(), others.end(), stretchColumn_);
    if (stretch == others.end()) {
        if (sum != available)
            apply(others, share(sizes, available));
        return;
    }
    // The stretch column gets what the others leave, but never less than a
    // third of the room: a narrow window squeezes every column alike.
    const auto stretchAt = static_cast<std::size_t>(stretch - others.begin());
    std::vector<int> wants;
    int wanted = 0;
    for (std::size_t n = 0; n < others.size(); ++n) {
        wants.push_back(n == stretchAt ? 0 : naturalWidth(others[n]));
        wanted += wants.back();
    }
    const int least = std::min(available, std::max(titleWidth(stretchColumn_), available / 3));
    std::vector<int> widths = wants;
    // What a title needs to be drawn whole: its margins, and the arrow's room
    // only in the sorted column.
    const int space = qMax(1, fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    auto wholeTitle = [&](int column) {
        const QString title = model() ? model()->headerData(column, orientation()).toString() : QString();
        return fontMetrics().horizontalAdvance(title) + (column == sortColumn_ ? 10 : 4) * space;
    };
    int titles = 0;
    for (std::size_t n = 0; n < others.size(); ++n)
        titles += n == stretchAt ? 0 : wholeTitle(others[n]);
    if (available - wanted >= least) {
        widths[stretchAt] = available - wanted;
    } else if (available - titles >= wholeTitle(stretchColumn_)) {
        // Every title still fits whole: the others keep at least their titles
        // and the path takes up to a third, then they share what is left by
        // how much more their contents want.
        const int path = std::min(available / 3, available - titles);
        std::vector<int> more;
        for (std::size_t n = 0; n < others.size(); ++n)
            if (n != stretchAt)
                more.push_back(std::max(0, wants[n] - wholeTitle(others[n])));
        const std::vector<int> extra = share(more, available - path - titles);
        for (std::size_t n = 0, k = 0; n < others.size(); ++n)
            widths[n] = n == stretchAt ? path : wholeTitle(others[n]) + extra[k++];
    } else {
        wants.erase(wants.begin() + static_cast<std::ptrdiff_t>(stretchAt));
        widths = wants.empty() ? std::vector<int>() : share(wants, available - least);
        widths.insert(widths.begin() + static_cast<std::ptrdiff_t>(stretchAt),
                      wants.empty() ? available : least);
    }
    apply(others, widths);
}

void SortHeader::resizeEvent(QResizeEvent* event)
{
    QHeaderView::resizeEvent(event);
    fit();
}

void SortHeader::mousePressEvent(QMouseEvent* event)
{
    mouseDown_ = true;
    resizedByUser_ = -1;
    QHeaderView::mousePressEvent(event);
}

void SortHeader::mouseReleaseEvent(QMouseEvent* event)
{
    QHeaderView::mouseReleaseEvent(event);
    mouseDown_ = false;
    const int resized = resizedByUser_;
    resizedByUser_ = -1;
    if (resized >= 0)
        fit(resized);
}

void SortHeader::noteResize(int logicalIndex)
{
    if (mouseDown_ && !fitting_)
        resizedByUser_ = logicalIndex;
}

void SortHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    QStyleOptionHeader option;
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    option.text.clear();
    option.icon = QIcon();
    option.sortIndicator = QStyleOptionHeader::None;
    painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);

    const int space = qMax(1, fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    const bool sorted = logicalIndex == sortColumn_;
    QRect textRect = rect.adjusted(2 * space, 0, -2 * space - (sorted ? 6 * space : 0), 0);
    if (option.state & QStyle::State_Sunken)
        textRect.translate(1, 2);
    if (textRect.width() > 0) {
        const QString title =
            model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
        const QVariant alignment =
            model() ? model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole)
                    : QVariant();
        const Qt::Alignment horizontal =
            (alignment.isValid() ? alignment.value<Qt::Alignment>() : defaultAlignment()) &
            Qt::AlignHorizontal_Mask;
        painter->setPen(palette().color(QPalette::ButtonText));
        painter->drawText(textRect, int(horizontal | Qt::AlignVCenter | Qt::TextSingleLine),
                          fontMetrics().elidedText(title, Qt::ElideRight, textRect.width()));
    }
    if (sorted)
        drawArrow(painter, rect, space);
    painter->restore();
}

void SortHeader::drawArrow(QPainter* painter, const QRect& rect, int space) const
{
    // About two spaces wide, in the room kept right of the title, from two
    // spaces below the top to two above the bottom.
    const int right = rect.right() - 2 * space;
    const int left = right - 2 * space;
    int top = rect.top() + 2 * space;
    int bottom = rect.bottom() - 2 * space;
    if (bottom - top < space) {
        top = rect.center().y() - space / 2;
        bottom = top + space;
    }
    const int middle = (left + right) / 2;
    const QPoint apex(middle, sortAscending_ ? top : bottom);
    const QPoint baseLeft(left, sortAscending_ ? bottom : top);
    const QPoint baseRight(right, sortAscending_ ? bottom : top);
    const QPolygon triangle({apex, baseLeft, baseRight});
    painter->setRenderHint(QPainter::Antialiasing, false);
    // Embossed: a highlight copy one pixel down and right, the shape in the
    // shadow colours over it.
    painter->setPen(palette().color(QPalette::Light));
    painter->setBrush(palette().color(QPalette::Light));
    painter->drawPolygon(triangle.translated(1, 1));
    painter->setPen(palette().color(QPalette::Shadow));
    painter->setBrush(palette().color(QPalette::Dark));
    painter->drawPolygon(triangle);
}

}  // namespace dw::ui
