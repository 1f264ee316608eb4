#pragma once

#include <QIcon>

namespace dw::ui {

// The program's icon, drawn at the usual sizes.
QIcon appIcon();

}  // namespace dw::ui
