#include "ui/settings/number_field.h"

#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace dw::ui {

QLineEdit* makeNumberEdit(int id, QWidget* parent)
{
    auto* edit = withId(new QLineEdit(parent), id);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), edit));
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

std::optional<std::uint32_t> numberIn(const QLineEdit* edit, std::uint32_t max)
{
    bool ok = false;
    const qulonglong value = edit->text().trimmed().toULongLong(&ok);
    if (!ok || value > max)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

bool checkNumber(QLineEdit* edit, std::uint32_t min, std::uint32_t max)
{
    const std::optional<std::uint32_t> value = numberIn(edit, max);
    if (value && *value >= min)
        return true;
    const QString message = max == std::numeric_limits<std::uint32_t>::max()
                                ? text::qs(text::EnterWholeNumber)
                                : text::qs(text::EnterNumberInRange).arg(min).arg(max);
    QMessageBox::warning(edit->window(), text::qs(text::ProgramName), message);
    edit->setFocus();
    edit->selectAll();
    return false;
}

SpinArrows::SpinArrows(int id, QLineEdit* buddy, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), buddy_(buddy), minimum_(minimum), maximum_(maximum)
{
    withId(this, id);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    const int half = std::max(8, buddy->sizeHint().height() / 2);
    for (Qt::ArrowType arrow : {Qt::UpArrow, Qt::DownArrow}) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setFixedSize(half + 4, half);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        connect(button, &QToolButton::clicked, this, [this, arrow] { step(arrow == Qt::UpArrow ? 1 : -1); });
        column->addWidget(button);
    }
    // The arrow keys in the edit step like the buttons.
    buddy_->installEventFilter(this);
}

void SpinArrows::step(int delta)
{
    bool ok = false;
    const qlonglong typed = buddy_->text().trimmed().toLongLong(&ok);
    long long next = ok ? typed + delta : minimum_;
    if (next > maximum_)
        next = minimum_;
    else if (next < minimum_)
        next = maximum_;
    buddy_->setText(QString::number(next));
}

bool SpinArrows::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == buddy_ && event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace dw::ui
