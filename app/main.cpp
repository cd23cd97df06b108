#include "db/ProcessLocale.h"
#include "widgets/AppLifetime.h"
#include "widgets/BuildStamp.h"
#include "widgets/DialogService.h"
#include "app/TForm23.h"
#include "app/WindowOwner.h"
#include "app/ImportCommand.h"
#include "app/CommandLine.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <cstdio>
#include <cstring>
#include <QTranslator>

namespace {

// The last line of defence: an exception that escapes a handler is shown
// like every other error instead of ending the program silently.
class Application : public QApplication {
public:
    Application(int& argc, char** argv, DialogService& dialogs) : QApplication(argc, argv), m_dialogs(dialogs) {}

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            m_dialogs.showException(nullptr, e);
        } catch (...) {
            m_dialogs.message(nullptr, MessageKind::Error, QStringLiteral("Ошибка"), QString(), QMessageBox::Ok);
        }
        return false;
    }

private:
    DialogService& m_dialogs;
};

} // namespace

int main(int argc, char* argv[])
{
    // piecework --import-legacy [database server]: the legacy import for an
    // administrator, without a window.
    if (argc > 1 && std::strcmp(argv[1], ImportCommand::kOption) == 0) {
        QCoreApplication app(argc, argv);
        // The driver's own warnings repeat what the failure message says.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        });
        ProcessLocale::apply();
        QTextStream out(stdout);
        QTextStream err(stderr);
        return ImportCommand::run(app.arguments().mid(2), out, err);
    }
    // piecework --check-month, --report, --timesheet, --help: the month's
    // work without a window (see CommandLine).
    if (argc > 1 && CommandLine::isCommand(QString::fromLocal8Bit(argv[1])))
        return CommandLine::main(argc, argv);
    WidgetDialogService dialogs;
    Application app(argc, argv, dialogs);
    ProcessLocale::apply();
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTranslator);

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
