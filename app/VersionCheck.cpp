#include "app/VersionCheck.h"
#include "app/TDataModule6.h"
#include "db/DbError.h"

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
