// diskwright: the desktop program.
#include "engine/results/type_description.h"
#include "platform/qsettings_store.h"
#include "ui/app/main_dialog.h"
#include "ui/app/session_commands.h"
#include "ui/app/splash_window.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QString::fromLatin1(dw::platform::SettingsOrganisation));
    QApplication::setApplicationName(QString::fromStdString(dw::platform::executableBaseName()));
    QApplication::setDesktopFileName(QStringLiteral("diskwright"));
    dw::useRussianLocale();
    // Outside a desktop session Qt reports "hicolor", which has no action icons.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));

    // Qt's own buttons and dialogs in Russian where the translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    dw::ui::SplashWindow splash;
    splash.show();
    app.processEvents();

    dw::ui::MainDialog window;
    window.show();
    splash.finish(&window);
    // A session file named on the command line: what a file manager runs to open one.
    const QString session = dw::ui::SessionCommands::fileFromArguments(QApplication::arguments());
    if (!session.isEmpty())
        window.sessions()->loadFile(session);
    return app.exec();
}
