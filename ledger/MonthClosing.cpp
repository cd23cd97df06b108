#include "ledger/MonthClosing.h"
#include "db/TDataModule6.h"
#include "db/Command.h"
#include "db/Database.h"
#include "ledger/DayPosting.h"

#include <QLocale>
#include <QSysInfo>

namespace {

const QString kReadSql = QStringLiteral(
    "select to_char(closed_at, 'DD.MM.YYYY HH24:MI') as closed_at, closed_by from accounts_dep.closed_month "
    "where year=:year and month=:month");

} // namespace

namespace MonthClosing {

QString monthText(int year, int month)
{
    return QLocale(QLocale::Russian, QLocale::Russia).standaloneMonthName(month, QLocale::LongFormat).toLower()
        + QStringLiteral(" ") + QString::number(year);
}

ClosedMonthError::ClosedMonthError(int year, int month, const Closure& closure)
    : DbError(refusalText(year, month, closure)), m_year(year), m_month(month)
{
}

QString refusalText(int year, int month, const Closure& closure)
{
    return QStringLiteral("Месяц %1 закрыт %2: его записи, табель и цены не изменяются.\n"
                          "Изменить их можно, только открыв месяц («Табель» — «Проверка месяца»).")
        .arg(monthText(year, month), closure.closedAt);
}

QString stateText(const Closure& closure)
{
    return QStringLiteral("Месяц закрыт %1").arg(closure.closedAt);
}

std::optional<Closure> closure(TDataModule6& dm, int year, int month)
{
    Dataset& q = dm.Control;
    q.close();
    q.setSql(kReadSql);
    q.setParam(QStringLiteral("year"), year);
    q.setParam(QStringLiteral("month"), month);
    std::optional<Closure> found;
    try {
        q.open();
        if (!q.isEmpty())
            found = Closure{q.field(QStringLiteral("closed_at")).asString(), q.field(QStringLiteral("closed_by")).asString()};
    } catch (...) {
        q.close();
        throw;
    }
    q.close();
    return found;
}

void ensureOpen(TDataModule6& dm, int year, int month)
{
    if (const std::optional<Closure> c = closure(dm, year, month))
        throw ClosedMonthError(year, month, *c);
}

bool mayClose(LoginRole role)
{
    return role == LoginRole::Full;
}

QString notAllowedText()
{
    return QStringLiteral("Закрывать и открывать месяц может только пользователь с полным доступом.");
}

Outcome close(TDataModule6& dm, int year, int month, LoginRole role)
{
    if (!mayClose(role))
        throw DbError(notAllowedText());
    return inTransaction(dm.ADO_DB, [&] {
        DayPosting::lockMonth(dm, year, month, DayPosting::MonthLock::Exclusive, DayPosting::ClosedMonth::Allow);
        if (closure(dm, year, month))
            return Outcome::Unchanged;
        Command insert(dm.ADO_DB, QStringLiteral("insert into accounts_dep.closed_month(year, month, closed_by) "
                                                 "values(:year, :month, :by)"));
        insert.setParam(QStringLiteral("year"), year);
        insert.setParam(QStringLiteral("month"), month);
        insert.setParam(QStringLiteral("by"), QSysInfo::machineHostName());
        insert.execute();
        dm.ADO_DB.forget(DayPosting::openMonthFact(year, month));
        return Outcome::Done;
    });
}

Outcome open(TDataModule6& dm, int year, int month, LoginRole role)
{
    if (!mayClose(role))
        throw DbError(notAllowedText());
    return inTransaction(dm.ADO_DB, [&] {
        DayPosting::lockMonth(dm, year, month, DayPosting::MonthLock::Exclusive, DayPosting::ClosedMonth::Allow);
        Command remove(dm.ADO_DB, QStringLiteral("delete from accounts_dep.closed_month where year=:year and month=:month"));
        remove.setParam(QStringLiteral("year"), year);
        remove.setParam(QStringLiteral("month"), month);
        return remove.execute() > 0 ? Outcome::Done : Outcome::Unchanged;
    });
}

} // namespace MonthClosing
