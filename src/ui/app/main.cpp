// diskwright: the desktop program.
#include "engine/results/type_description.h"
#include "ui/app/splash_window.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    dw::useRussianLocale();
    dw::ui::SplashWindow splash;
    splash.show();
    return app.exec();
}
