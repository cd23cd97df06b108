#include "widgets/VersionCheck.h"
#include "widgets/AppContext.h"
#include "widgets/AppLifetime.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "db/DbError.h"

#include <QTimer>
#include <optional>

VersionVerdict checkVersion(TDataModule6& dm, const BuildStamp& build)
{
    Dataset ver(dm.ADO_DB, QStringLiteral("ver"));
    ver.setSql(QStringLiteral("select d, t, delim from accounts_dep.ver"));
    ver.setUpdateTable(QStringLiteral("accounts_dep.ver"), QString());
    ver.open();
    if (ver.isEmpty())
        throw DbError(QStringLiteral("Таблица accounts_dep.ver пуста"));
    ver.first();
    dm.decimalSeparator = ver.field(QStringLiteral("delim")).asString();
    const int d = ver.field(QStringLiteral("d")).asInt();
    const int t = ver.field(QStringLiteral("t")).asInt();

    if (d < build.date || (d == build.date && t < build.time)) {
        ver.edit();
        ver.setValue(QStringLiteral("d"), build.date);
        ver.setValue(QStringLiteral("t"), build.time);
        ver.post();
        return VersionVerdict::Stamped;
    }
    if (d > build.date || (d == build.date && t > build.time))
        return VersionVerdict::Outdated;
    return VersionVerdict::Equal;
}

void runVersionCheck(TDataModule6& dm, const AppContext& context, QWidget* parent, QTimer* loginTimer)
{
    // One check at a time: the box of an earlier one may still be open.
    // A transaction under way is never interrupted by opening the
    // connection again.
    if (dm.versionCheckRunning || dm.ADO_DB.inTransaction())
        return;
    dm.versionCheckRunning = true;
    struct Running {
        TDataModule6& dm;
        ~Running() { dm.versionCheckRunning = false; }
    } running{dm};

    std::optional<VersionVerdict> verdict;
    try {
        if (dm.connectionLost)
            dm.reopenConnection();
        verdict = checkVersion(dm, context.build);
    } catch (const std::exception& e) {
        if (!dm.connectionLost && dm.connectionAnswers()) {
            context.dialogs.showException(parent, e);
            return;
        }
        // The server went away, or came back and no longer knows this
        // session: open the connection again at once, else say so once.
        try {
            dm.reopenConnection();
            verdict = checkVersion(dm, context.build);
        } catch (const std::exception&) {
            if (!dm.connectionLost) {
                dm.connectionLost = true;
                context.dialogs.error(parent, QString::fromUtf8(kNoConnectionMessage));
            }
            return;
        }
    }
    dm.connectionLost = false;
    if (*verdict == VersionVerdict::Outdated) {
        if (loginTimer)
            loginTimer->start();
        context.dialogs.error(parent, QString::fromUtf8(kOutdatedMessage));
        context.lifetime.requestTerminate();
    }
}
