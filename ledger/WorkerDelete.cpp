#include "ledger/WorkerDelete.h"
#include "db/TDataModule6.h"
#include "ledger/CatalogSql.h"
#include "db/Command.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "ledger/DayPosting.h"

#include <QStringList>
#include <optional>

namespace WorkerDelete {

namespace {

// The first day of every month the worker has a shift record, a
// maintenance record or a timesheet row in.
QVector<QDate> monthsOf(TDataModule6& dm, int id)
{
    Dataset& q = dm.Control;
    q.close();
    q.setSql(QStringLiteral(
        "select distinct y, m from ("
        "select extract(year from data)::int as y, extract(month from data)::int as m from accounts_dep.smena "
        "where w_id=:id and data is not null "
        "union all select extract(year from d_date)::int, extract(month from d_date)::int from accounts_dep.fatigue "
        "where id_p=:id and d_date is not null "
        "union all select year, month from accounts_dep.h_tabel where w_id=:id and year is not null and month is not null"
        ") months order by y, m"));
    q.setParam(QStringLiteral("id"), id);
    QVector<QDate> months;
    try {
        q.open();
        for (q.first(); !q.eof(); q.next()) {
            const QDate first(q.field(QStringLiteral("y")).asInt(), q.field(QStringLiteral("m")).asInt(), 1);
            if (first.isValid())
                months << first;
        }
    } catch (...) {
        q.close();
        throw;
    }
    q.close();
    return months;
}

struct Worker {
    QString fio;
    Usage usage;
};

std::optional<Worker> read(TDataModule6& dm, int id)
{
    Dataset& q = dm.Control;
    q.close();
    q.setSql(QStringLiteral(
        "select p.fio, (select count(*) from accounts_dep.smena where w_id=p.id) as shift_records, "
        "(select count(*) from accounts_dep.fatigue where id_p=p.id) as maintenance_records, "
        "(select count(*) from accounts_dep.h_tabel where w_id=p.id) as timesheet_rows "
        "from accounts_dep.person p where p.id=:id"));
    q.setParam(QStringLiteral("id"), id);
    std::optional<Worker> worker;
    try {
        q.open();
        if (!q.isEmpty())
            worker = Worker{q.field(QStringLiteral("fio")).asTrimmed(),
                            {q.field(QStringLiteral("shift_records")).asLongLong(),
                             q.field(QStringLiteral("maintenance_records")).asLongLong(),
                             q.field(QStringLiteral("timesheet_rows")).asLongLong()}};
    } catch (...) {
        q.close();
        throw;
    }
    q.close();
    return worker;
}

} // namespace

QString refusalText(const QString& fio, const Usage& usage)
{
    QStringList held;
    if (usage.shiftRecords > 0)
        held << QStringLiteral("сменных записей — %1").arg(usage.shiftRecords);
    if (usage.maintenanceRecords > 0)
        held << QStringLiteral("записей хоз. работ и ср. сдельной — %1").arg(usage.maintenanceRecords);
    if (usage.timesheetRows > 0)
        held << QStringLiteral("строк табеля — %1").arg(usage.timesheetRows);
    return QStringLiteral("Работника «%1» удалить нельзя, за ним числятся: %2.").arg(fio, held.join(QStringLiteral(", ")));
}

void run(TDataModule6& dm, Command& command, int id)
{
    inTransaction(dm.ADO_DB, [&] {
        // His months first: a closed one refuses before anything is decided.
        DayPosting::lockMonths(dm, monthsOf(dm, id));
        if (const std::optional<Worker> worker = read(dm, id)) {
            if (worker->usage.maintenanceRecords > 0 || worker->usage.timesheetRows > 0)
                throw DbError(refusalText(worker->fio, worker->usage));
        }
        CatalogSql::run(command, CatalogSql::workerDelete(id));
    });
}

} // namespace WorkerDelete
