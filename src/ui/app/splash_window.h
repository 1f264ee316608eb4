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
    // The splash artwork, drawn rather than shipped so it scales with the screen.
    static QPixmap artwork(const QSize& size, qreal devicePixelRatio);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace dw::ui
