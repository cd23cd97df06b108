#include "app/AppLifetime.h"
#include "app/BuildStamp.h"
#include "app/DialogService.h"
#include "app/TForm23.h"
#include "app/WindowOwner.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTranslator);

    WidgetDialogService dialogs;
    QtAppLifetime lifetime;
    try {
        WindowOwner owner(AppContext{dialogs, lifetime, programBuildStamp()});
        if (!owner.start(app.arguments().mid(1)))
            return 1;
        owner.form23().show();
        if (lifetime.terminateRequested())
            return 0;
        return app.exec();
    } catch (const std::exception& e) {
        dialogs.showException(nullptr, e);
    } catch (...) {
        dialogs.message(nullptr, MessageKind::Error, QStringLiteral("Ошибка"), QString(), QMessageBox::Ok);
    }
    return 1;
}
