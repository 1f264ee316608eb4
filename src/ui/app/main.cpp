// diskwright: the desktop program.
#include "engine/results/type_description.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Quillbay");
    dw::useRussianLocale();
    QLabel placeholder(QString::fromUtf8("Diskwright"));
    placeholder.show();
    return app.exec();
}
