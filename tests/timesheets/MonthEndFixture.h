#pragma once
#include "db/TDataModule6.h"
#include "app/WindowOwner.h"
#include "journal/TForm1.h"
#include "tests/timesheets/TimesheetFixture.h"

#include <QDate>
#include <QStringList>
#include <gtest/gtest.h>

// The small workshop with the two maintenance kinds and the group the
// maintenance records name.
inline void addMonthEndWorkshop(TestDatabase& db)
{
    addSmallWorkshop(db);
    db.exec("insert into accounts_dep.vid_oper (id, vid) values (7777, 'хоз. работы'), (7778, 'ср. сдельная')");
    db.exec("insert into cmn_classifier.item (id, id_classifier, id_level, s_caption) values (1, 1, 2, 'Стулья')");
    // The maintenance journal lists its records beside the operations of its kinds.
    db.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa, id_class_item) values "
            "(7777, 'Хоз. работы', 0, 1)");
    db.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values (7001, 7777, 7777, 0), (7002, 7778, 7777, 0)");
    // An operation whose norms carry no price (its records were priced
    // before the price was taken away).
    db.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values (102, 1, 10, 1)");
    db.exec("insert into accounts_dep.norm (o_id, norma, prize, price) values (102, 1, 0, NULL)");
}

// March 2026 with one finding of each kind (two timesheet days that differ,
// one of shift rows and one of typed rows; two missing references, a
// shift record's product and a maintenance record's worker), every other
// day of it in order; April 2026 clean.
inline void addMonthEndFixture(TestDatabase& db)
{
    addMonthEndWorkshop(db);
    auto day = [](int d) { return QDate(2026, 3, d); };
    // Timesheet of shift 1 of Иванов: day 3 posted 6 for a record of 8,
    // day 4 holds 8 without any record, day 14 right.
    addRecord(db, 1, 1, day(3), 8);
    addRecord(db, 1, 1, day(14), 8, "no");                     // not accepted
    addTimesheetRow(db, 1, 1, 0, 0, 3, 2026, {{3, 6}, {4, 8}, {14, 8}});
    // Maintenance of Петров: day 5 posted 2 for 4 hours; day 12 right.
    addMaintenance(db, 2, 7777, day(5), 4, 100);
    addMaintenance(db, 2, 7777, day(12), 6, 100);
    addTimesheetRow(db, 2, 0, 7777, 0, 3, 2026, {{5, 2}, {12, 6}});
    // Петров: a record at price 0, and a day of 20 shift hours besides the 6
    // of maintenance.
    addRecord(db, 2, 2, day(6), 8, "ok", 10, 0, 0);
    addTimesheetRow(db, 2, 2, 0, 0, 3, 2026, {{6, 8}});
    addRecord(db, 2, 1, day(12), 20);
    addTimesheetRow(db, 2, 1, 0, 0, 3, 2026, {{12, 20}});
    // Сидоров: a record of the operation without a priced norm, and one with
    // rejects above the quantity (no hours).
    addRecord(db, 3, 1, day(9), 4, "ok", 10, 0, 1.5, 102);
    addRecord(db, 3, 1, day(10), 0, "ok", 5, 7);
    addTimesheetRow(db, 3, 1, 0, 0, 3, 2026, {{9, 4}});
    // Иванов in shift 3: hours and no good pieces.
    addRecord(db, 1, 3, day(13), 3, "ok", 4, 4);
    addTimesheetRow(db, 1, 3, 0, 0, 3, 2026, {{13, 3}});
    // Сидоров's average piecework, never calculated.
    addMaintenance(db, 3, 7778, day(16), 5, 100);
    addTimesheetRow(db, 3, 0, 7778, 0, 3, 2026, {{16, 5}});
    // A record of a product that is gone, and maintenance of a worker code
    // nobody has (no hours, so that their timesheet days agree).
    db.exec("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, time, ok, prize) "
            "values ('17.03.2026', 1, 1, 99, 100, 2.5, 10, 0, 0, 0, 'ok', 0)");
    addMaintenance(db, 55, 7777, day(18), 0, 100);

    // April: a record and its day, and average piecework priced by the calculation.
    addRecord(db, 1, 1, QDate(2026, 4, 1), 8);
    addTimesheetRow(db, 1, 1, 0, 0, 4, 2026, {{1, 8}});
    addMaintenance(db, 2, 7778, QDate(2026, 4, 2), 4, 0);
    addTimesheetRow(db, 2, 0, 7778, 0, 4, 2026, {{2, 4}});
    Transaction tx(db.db());
    Command(db.db(), "select set_config('pw.average_rates', 'on', true)").execute();
    Command(db.db(), "update accounts_dep.fatigue set price=0 where d_date='02.04.2026'").execute();
    tx.commit();
}

// What the month's records and timesheet rows hold, to show that something
// wrote nothing: every shift record, maintenance record, timesheet row,
// operation and product, one line each, sorted, joined by new lines.
inline QString monthData(TestDatabase& db)
{
    QStringList out;
    for (const char* sql : {"select concat_ws('|', 's', id, data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) "
                            "from accounts_dep.smena",
                            "select concat_ws('|', 'f', id, d_date, id_p, id_o, id_nom, cnt, price, i_night, "
                            "price_by_average) from accounts_dep.fatigue",
                            "select concat_ws('|', 'h', w_id, smena, i_type, i_night, month, year, d1, d2, d3, d4, d5, "
                            "d6, d7, d8, d9, d10, d11, d12, d13, d14, d15, d16, d17, d18, d19, d20, d21, d22, d23, d24, "
                            "d25, d26, d27, d28, d29, d30, d31) from accounts_dep.h_tabel",
                            "select concat_ws('|', 'o', id, vid, i_id) from accounts_dep.oper",
                            "select concat_ws('|', 'g', id, s_caption) from cmn_gds_and_srv.gds_and_srv"}) {
        Dataset q(db.db());
        q.setSql(QString::fromUtf8(sql));
        q.open();
        for (int r = 0; r < q.recordCount(); ++r)
            out << q.valueAt(r, 0).toString();
    }
    out.sort();
    return out.join('\n');
}
