#pragma once

#include <QString>
#include <QWidget>

namespace dw::ui {

// Gives `widget` its id as objectName and returns it, for one-line set-ups.
template <typename W>
W* withId(W* widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

// The child of `parent` that carries `id`, or nullptr.
template <typename W = QWidget>
W* findById(const QObject* parent, int id)
{
    return parent->findChild<W*>(QString::number(id));
}

}  // namespace dw::ui
