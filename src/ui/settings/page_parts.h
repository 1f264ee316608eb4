#pragma once

// Small builders shared by the preference pages.
#include <QString>

class QBoxLayout;
class QSlider;
class QWidget;

namespace dw::ui {

// A three-position slider with a tick at every position and its three
// captions under it (left, middle, right), added to `column`.
QSlider* addThreeWaySlider(QBoxLayout* column, int id, int position, const char* left, const char* middle,
                           const char* right);

}  // namespace dw::ui
