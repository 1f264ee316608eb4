#include "ui/settings/page_parts.h"

#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QSlider>

namespace dw::ui {

QSlider* addThreeWaySlider(QBoxLayout* column, int id, int position, const char* left, const char* middle,
                           const char* right)
{
    QWidget* owner = column->parentWidget();
    auto* slider = withId(new QSlider(Qt::Horizontal, owner), id);
    slider->setRange(0, 2);
    slider->setPageStep(1);
    slider->setTickInterval(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setValue(position);
    column->addWidget(slider);

    // Three equal columns keep the middle caption under the middle tick.
    auto* captions = new QGridLayout;
    captions->setContentsMargins(0, 0, 0, 0);
    const char* texts[] = {left, middle, right};
    const Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(text::qs(texts[i]), owner);
        captions->addWidget(label, 0, i, aligns[i] | Qt::AlignTop);
        captions->setColumnStretch(i, 1);
    }
    column->addLayout(captions);
    return slider;
}

}  // namespace dw::ui
