#pragma once
#include "db/Command.h"
#include "db/Dataset.h"
#include "db/DbError.h"
#include "tests/journal/JournalFixture.h"

#include <QDate>
#include <QStringList>

// Inserts a maintenance record (kind 7777 or 7778) and answers its id.
inline int addMaintenance(TestDatabase& db, int worker, int kind, const QDate& date, int hours, double price,
                          int night = 0)
{
    return db.scalar(QStringLiteral("insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, cnt, "
                                    "price, i_holiday, i_night) values (%1, %2, 1, '%3', %4, %5, %6, %7, 0, %8) returning id")
                         .arg(worker)
                         .arg(kind)
                         .arg(date.toString("dd.MM.yyyy"))
                         .arg(date.month())
                         .arg(date.year())
                         .arg(hours)
                         .arg(price, 0, 'f', 4)
                         .arg(night))
        .toInt();
}

// A timesheet row written directly: key columns, then "day=hours" pairs.
inline void addTimesheetRow(TestDatabase& db, int worker, int shift, int kind, int night, int month, int year,
                            const QList<QPair<int, int>>& days)
{
    QString columns = "w_id, smena, i_type, i_night, month, year";
    QString values = QStringLiteral("%1, %2, %3, %4, %5, %6").arg(worker).arg(shift).arg(kind).arg(night).arg(month).arg(year);
    for (const auto& [day, hours] : days) {
        columns += QStringLiteral(", d%1").arg(day);
        values += QStringLiteral(", %1").arg(hours);
    }
    db.exec(QStringLiteral("insert into accounts_dep.h_tabel (%1) values (%2)").arg(columns, values));
}

// Every timesheet row of a month, one line each, sorted:
// "w_id/smena/i_type/i_night: d1=8 d5=0 ..." (NULL days left out).
inline QStringList monthRows(Database& db, int month, int year)
{
    Dataset q(db);
    q.setSql(QStringLiteral("select * from accounts_dep.h_tabel where month=%1 and year=%2").arg(month).arg(year));
    q.open();
    QStringList out;
    for (int r = 0; r < q.recordCount(); ++r) {
        QString line = QStringLiteral("%1/%2/%3/%4:")
                           .arg(q.valueAt(r, "w_id").toInt())
                           .arg(q.valueAt(r, "smena").toInt())
                           .arg(q.valueAt(r, "i_type").toInt())
                           .arg(q.valueAt(r, "i_night").toInt());
        for (int d = 1; d <= 31; ++d) {
            const QVariant v = q.valueAt(r, QStringLiteral("d%1").arg(d));
            if (!v.isNull())
                line += QStringLiteral(" d%1=%2").arg(d).arg(v.toInt());
        }
        out << line;
    }
    out.sort();
    return out;
}

// From now on every new timesheet row is refused by the database; answers
// the refusal's text as the user is shown it.
inline QString refuseNewTimesheetRows(TestDatabase& db)
{
    db.exec("create function accounts_dep.refuse() returns trigger language plpgsql as "
            "$$ begin raise exception 'Запись табеля запрещена'; end $$");
    db.exec("create trigger refuse before insert on accounts_dep.h_tabel "
            "for each row execute function accounts_dep.refuse()");
    try {
        Command(db.db(), "insert into accounts_dep.h_tabel (w_id) values (1)").execute();
    } catch (const DbError& e) {
        return e.text();
    }
    return QString();
}
