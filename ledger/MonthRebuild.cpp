#include "ledger/MonthRebuild.h"
#include "db/TDataModule6.h"
#include "ledger/DayPosting.h"

#include <QStringList>

namespace {

// "d1, d2, ..., d31".
QString dayColumns()
{
    QStringList names;
    for (int d = 1; d <= 31; ++d)
        names << QStringLiteral("d%1").arg(d);
    return names.join(QStringLiteral(", "));
}

// Per day of the month the total of `hours` over the records of that day,
// NULL on days without records; a record without hours counts 0.
QString dayTotals(const QString& hours, const QString& date)
{
    QStringList sums;
    for (int d = 1; d <= 31; ++d)
        sums << QStringLiteral("sum(coalesce(%1,0)) filter (where extract(day from %2)=%3)").arg(hours, date).arg(d);
    return sums.join(QStringLiteral(", "));
}

void run(Command& command, const QString& sql, const MonthRange& month)
{
    command.clearParams();
    command.setText(sql);
    command.setParam(QStringLiteral("month"), month.month);
    command.setParam(QStringLiteral("year"), month.year);
    command.setParam(QStringLiteral("first"), month.first());
    command.setParam(QStringLiteral("next"), month.next());
    command.execute();
    command.clearParams();
}

void rebuild(TDataModule6& dm, const MonthRange& month, const QString& deleteSql, const QString& insertSql,
             const MonthRebuild::Progress& progress)
{
    auto step = [&](int n) {
        if (progress)
            progress(n, 3);
    };
    inTransaction(dm.ADO_DB, [&] {
        DayPosting::lockMonth(dm, month.year, month.month, DayPosting::MonthLock::Exclusive);
        step(1);
        run(dm.DelSmena, deleteSql, month);
        step(2);
        run(dm.H_Tabel_ins, insertSql, month);
        step(3);
    });
}

} // namespace

namespace MonthRebuild {

QString shiftDeleteSql()
{
    return QStringLiteral("delete from accounts_dep.h_tabel where smena>0 and month=:month and year=:year");
}

QString shiftInsertSql()
{
    return QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, ") + dayColumns()
        + QStringLiteral(") select s.smena, s.w_id, :month, :year, ") + dayTotals(QStringLiteral("s.time"), QStringLiteral("s.data"))
        + QStringLiteral(" from accounts_dep.smena s where s.data>=:first and s.data<:next and s.smena>0 "
                         "and s.w_id is not null group by s.smena, s.w_id");
}

QString typedDeleteSql()
{
    return QStringLiteral("delete from accounts_dep.h_tabel where smena=0 and month=:month and year=:year");
}

QString typedInsertSql()
{
    return QStringLiteral("insert into accounts_dep.h_tabel(i_type, w_id, i_night, month, year, ") + dayColumns()
        + QStringLiteral(") select f.id_o, f.id_p, f.i_night, :month, :year, ")
        + dayTotals(QStringLiteral("f.cnt"), QStringLiteral("f.d_date"))
        + QStringLiteral(" from accounts_dep.fatigue f where f.d_date>=:first and f.d_date<:next "
                         "and f.id_p is not null and f.id_o is not null and f.i_night is not null "
                         "group by f.id_p, f.id_o, f.i_night");
}

void shiftRows(TDataModule6& dm, const MonthRange& month, const Progress& progress)
{
    rebuild(dm, month, shiftDeleteSql(), shiftInsertSql(), progress);
}

void typedRows(TDataModule6& dm, const MonthRange& month, const Progress& progress)
{
    rebuild(dm, month, typedDeleteSql(), typedInsertSql(), progress);
}

} // namespace MonthRebuild
