#pragma once

#include <QPixmap>
#include <QSplashScreen>

namespace dw::ui {

// The picture shown while the main window starts: closes itself after two
// seconds and is closed at the latest when the main window is ready.
class SplashWindow : public QSplashScreen {
    Q_OBJECT
public:
    SplashWindow();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace dw::ui
