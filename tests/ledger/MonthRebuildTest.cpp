#include "db/TDataModule6.h"
#include "db/Command.h"
#include "db/DbError.h"
#include "ledger/DayPosting.h"
#include "tests/timesheets/TimesheetFixture.h"
#include "ledger/MonthRebuild.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

const QDate kMarch(2026, 3, 1);

// The month rebuilds step by step, one grouped query per day and one count
// and one insert or update per key and day, as the rebuilds were first
// described: the reference the set-based rebuilds must match row for row.
void referenceShiftRebuild(Database& db, int month, int year)
{
    Command(db, QStringLiteral("delete from accounts_dep.h_tabel where smena>0 and month=%1 and year=%2").arg(month).arg(year))
        .execute();
    for (int i = 1; i <= QDate(year, month, 1).daysInMonth(); ++i) {
        Dataset dt(db);
        dt.setSql("select smena, w_id, sum(time) as tim from accounts_dep.smena where data=:data group by smena,w_id;");
        dt.setParam("data", QDate(year, month, i));
        dt.open();
        for (int r = 0; r < dt.recordCount(); ++r) {
            const QString s = dt.valueAt(r, "smena").toString(), w = dt.valueAt(r, "w_id").toString(),
                          t = dt.valueAt(r, "tim").toString();
            const QString key = " where w_id=" + w + " and smena=" + s + " and month=" + QString::number(month)
                + " and year=" + QString::number(year);
            Dataset control(db);
            control.setSql("select count(w_id) as cnt from accounts_dep.h_tabel h_tabel" + key);
            control.open();
            if (control.field("cnt").asInt() != 0)
                Command(db, "update accounts_dep.h_tabel set d" + QString::number(i) + "='" + t + "'" + key).execute();
            else
                Command(db, QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, d%1) values(%2, %3, %4, %5, %6)")
                                .arg(i).arg(s, w).arg(month).arg(year).arg(t))
                    .execute();
        }
    }
}

void referenceTypedRebuild(Database& db, int month, int year)
{
    Command(db, QStringLiteral("delete from accounts_dep.h_tabel where smena=0 and month=%1 and year=%2").arg(month).arg(year))
        .execute();
    for (int i = 1; i <= QDate(year, month, 1).daysInMonth(); ++i) {
        Dataset dt(db);
        dt.setSql("select f.id_p, f.id_o, f.i_night, sum(f.cnt) as tim from accounts_dep.fatigue f where f.d_date =:data "
                  "group by f.id_p, f.id_o, f.i_night order by id_p;");
        dt.setParam("data", QDate(year, month, i));
        dt.open();
        for (int r = 0; r < dt.recordCount(); ++r) {
            const QString w = dt.valueAt(r, "id_p").toString(), k = dt.valueAt(r, "id_o").toString(),
                          n = dt.valueAt(r, "i_night").toString(), t = dt.valueAt(r, "tim").toString();
            const QString key = " where w_id=" + w + " and i_type=" + k + " and i_night=" + n
                + " and month=" + QString::number(month) + " and year=" + QString::number(year);
            Dataset control(db);
            control.setSql("select count(w_id) as cnt from accounts_dep.h_tabel h_tabel" + key);
            control.open();
            if (control.field("cnt").asInt() != 0)
                Command(db, "update accounts_dep.h_tabel set d" + QString::number(i) + "=" + t + key).execute();
            else
                Command(db, QStringLiteral("insert into accounts_dep.h_tabel(i_type, w_id, i_night, month, year, d%1) values(%2, %3, %4, %5, %6, %7)")
                                .arg(i).arg(k, w, n).arg(month).arg(year).arg(t))
                    .execute();
        }
    }
}

class MonthRebuildTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        addSmallWorkshop(t.database);
        dm.ADO_DB.setConnectionText(t.database.db().connectionText());
        dm.ADO_DB.open();
    }

    // A March with every kind of row the rebuilds meet: shift records of
    // all four shifts (two on one day, one with 0 hours, the first and the
    // last day), records of the months around it, a worker whose records
    // were deleted, stale days, duplicate rows of a key, typed rows and
    // maintenance records of both night marks and of an unusual kind.
    void addMarch()
    {
        addRecord(t.database, 1, 1, {2026, 3, 1}, 8);
        addRecord(t.database, 1, 1, {2026, 3, 2}, 5);
        addRecord(t.database, 1, 1, {2026, 3, 2}, 3);
        addRecord(t.database, 1, 1, {2026, 3, 31}, 12);
        addRecord(t.database, 1, 4, {2026, 3, 7}, 2);
        addRecord(t.database, 1, 2, {2026, 3, 15}, 0);
        addRecord(t.database, 2, 3, {2026, 3, 10}, 8);
        addRecord(t.database, 2, 3, {2026, 2, 28}, 7);
        addRecord(t.database, 2, 3, {2026, 4, 1}, 6);
        addTimesheetRow(t.database, 1, 1, 0, 0, 3, 2026, {{1, 8}, {20, 9}});      // day 20 has no record any more
        addTimesheetRow(t.database, 2, 3, 0, 0, 3, 2026, {{10, 8}});
        addTimesheetRow(t.database, 2, 3, 0, 0, 3, 2026, {{10, 8}});               // a duplicate of the key
        addTimesheetRow(t.database, 3, 1, 0, 0, 3, 2026, {{4, 8}});                // his records were deleted
        addTimesheetRow(t.database, 2, 3, 0, 0, 2, 2026, {{28, 7}});               // February stays

        addMaintenance(t.database, 1, 7777, {2026, 3, 3}, 4, 150);
        addMaintenance(t.database, 1, 7777, {2026, 3, 3}, 2, 150, 1);
        addMaintenance(t.database, 1, 7777, {2026, 3, 31}, 3, 150);
        addMaintenance(t.database, 1, 7778, {2026, 3, 9}, 9, 180);
        addMaintenance(t.database, 1, 7778, {2026, 3, 9}, 1, 180);
        addMaintenance(t.database, 2, 5, {2026, 3, 12}, 0, 100);
        addMaintenance(t.database, 2, 7777, {2026, 4, 2}, 5, 150);
        addTimesheetRow(t.database, 1, 0, 7777, 0, 3, 2026, {{3, 4}, {25, 6}});   // day 25 has no record any more
        addTimesheetRow(t.database, 3, 0, 7778, 0, 3, 2026, {{6, 8}});            // his records were deleted
    }

    // Records that fit no timesheet key, as imported data and other programs
    // leave them: shift records of shift 0 (on a day its worker has
    // maintenance work) and of no shift, of no worker, and without hours
    // (beside records with hours, and alone on a day); maintenance records of
    // no worker, no kind and no night mark, and without hours (beside
    // records with hours, and alone on a day).
    void addRecordsWithoutAFullKey()
    {
        const char* shiftRecords[] = {
            "'03.03.2026', 0, 1, 6",
            "'03.03.2026', NULL, 1, 6",
            "'01.03.2026', 1, NULL, 6",
            "'02.03.2026', 1, 1, NULL",
            "'05.03.2026', 2, 3, NULL",
        };
        for (const char* r : shiftRecords)
            t.database.exec(QStringLiteral("insert into accounts_dep.smena (data, smena, w_id, time, i_id, o_id, cena, "
                                           "kol_vo, brak, ok) values (%1, 10, 100, 2.5, 10, 0, 'ok')")
                                .arg(QLatin1String(r)));
        const char* maintenance[] = {
            "NULL, 7777, '03.03.2026', 5, 0",
            "1, NULL, '03.03.2026', 5, 0",
            "1, 7777, '03.03.2026', 5, NULL",
            "1, 7777, '31.03.2026', NULL, 0",
            "3, 7778, '20.03.2026', NULL, 0",
        };
        for (const char* r : maintenance)
            t.database.exec(QStringLiteral("insert into accounts_dep.fatigue (id_p, id_o, d_date, cnt, i_night, id_nom, "
                                           "price) values (%1, 1, 150)")
                                .arg(QLatin1String(r)));
    }

    // The rows `reference` leaves, undone again afterwards.
    QStringList referenceRows(void (*reference)(Database&, int, int))
    {
        Transaction tx(t.database.db());
        reference(t.database.db(), 3, 2026);
        return monthRows(t.database.db(), 3, 2026);
    }

    TestContext t;
    TDataModule6 dm{t.dialogs};
};

} // namespace

TEST_F(MonthRebuildTest, ShiftRebuildLeavesExactlyTheRowsOfTheStepByStepRebuild)
{
    addMarch();
    const QStringList expected = referenceRows(referenceShiftRebuild);
    MonthRebuild::shiftRows(dm, MonthRange::of(kMarch));
    const QStringList rows = monthRows(t.database.db(), 3, 2026);
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(rows, (QStringList{
                        "1/0/7777/0: d3=4 d25=6",        // typed rows untouched
                        "1/1/0/0: d1=8 d2=8 d31=12",     // day 20 gone, two records summed
                        "1/2/0/0: d15=0",                // a record of 0 hours posts 0
                        "1/4/0/0: d7=2",                 // overtime rebuilt too
                        "2/3/0/0: d10=8",                // one row for the duplicated key
                        "3/0/7778/0: d6=8",
                    }));
    EXPECT_EQ(monthRows(t.database.db(), 2, 2026), QStringList{"2/3/0/0: d28=7"});
    EXPECT_FALSE(dm.ADO_DB.inTransaction());
}

TEST_F(MonthRebuildTest, TypedRebuildLeavesExactlyTheRowsOfTheStepByStepRebuild)
{
    addMarch();
    const QStringList expected = referenceRows(referenceTypedRebuild);
    MonthRebuild::typedRows(dm, MonthRange::of(kMarch));
    const QStringList rows = monthRows(t.database.db(), 3, 2026);
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(rows, (QStringList{
                        "1/0/7777/0: d3=4 d31=3",        // day 25 gone
                        "1/0/7777/1: d3=2",              // night work on a row of its own
                        "1/0/7778/0: d9=10",
                        "1/1/0/0: d1=8 d20=9",           // shift rows untouched
                        "2/0/5/0: d12=0",                // any kind found in the records
                        "2/3/0/0: d10=8",
                        "2/3/0/0: d10=8",
                        "3/1/0/0: d4=8",
                    }));
}

TEST_F(MonthRebuildTest, AFailureMidwayLeavesTheMonthAsItWas)
{
    addMarch();
    const QStringList before = monthRows(t.database.db(), 3, 2026);
    // The old rows are deleted first; writing the new ones then fails.
    ASSERT_FALSE(refuseNewTimesheetRows(t.database).isEmpty());
    for (auto rebuild : {&MonthRebuild::shiftRows, &MonthRebuild::typedRows}) {
        EXPECT_THROW(rebuild(dm, MonthRange::of(kMarch), {}), DbError);
        EXPECT_FALSE(dm.ADO_DB.inTransaction());
        EXPECT_EQ(monthRows(t.database.db(), 3, 2026), before);
    }
}

namespace {

using RebuildFn = void (*)(TDataModule6&, const MonthRange&, const MonthRebuild::Progress&);

// Waits until some connection waits for an advisory lock.
bool someoneWaitsForALock(TestDatabase& db)
{
    for (int i = 0; i < 5000; ++i)
        if (db.count("select count(*) from pg_locks where locktype='advisory' and not granted") > 0)
            return true;
    return false;
}

} // namespace

TEST_F(MonthRebuildTest, ARebuildAndAPostingOfTheMonthFromAnotherCopyCountTheHoursOnce)
{
    const QString connection = t.database.db().connectionText();
    const QDate day(2026, 3, 5);
    // A record of 3 more hours on a day that already has 8, and its posting.
    struct Kind {
        const char* name;
        QString insertRecord;
        void (*post)(TDataModule6&, const QDate&);
        RebuildFn rebuild;
        QString expected;
    } kinds[] = {
        {"shift rows",
         "insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) "
         "values ('05.03.2026', 1, 1, 10, 100, 2.5, 10, 0, 3, 'ok')",
         [](TDataModule6& dm, const QDate& d) { DayPosting::shiftAfterSave(dm, 1, 1, d); }, &MonthRebuild::shiftRows,
         "1/1/0/0: d5=11"},
        {"typed rows",
         "insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, cnt, price, i_night) "
         "values (1, 7777, 1, '05.03.2026', 3, 150, 0)",
         [](TDataModule6& dm, const QDate& d) { DayPosting::typedAfterSave(dm, 1, 7777, 0, d); }, &MonthRebuild::typedRows,
         "1/0/7777/0: d5=11"},
    };
    for (const Kind& kind : kinds) {
        for (const bool rebuildFirst : {false, true}) {
            SCOPED_TRACE(std::string(kind.name) + (rebuildFirst ? ": the rebuild starts first" : ": the posting starts first"));
            for (const char* table : {"smena", "fatigue", "h_tabel"})
                t.database.exec(QStringLiteral("delete from accounts_dep.%1").arg(table));
            addRecord(t.database, 1, 1, day, 8);
            addMaintenance(t.database, 1, 7777, day, 8, 150);
            addTimesheetRow(t.database, 1, 1, 0, 0, 3, 2026, {{5, 8}});
            addTimesheetRow(t.database, 1, 0, 7777, 0, 3, 2026, {{5, 8}});
            const QString untouched = kind.expected.startsWith("1/1/") ? "1/0/7777/0: d5=8" : "1/1/0/0: d5=8";

            // This copy holds its transaction open; the other copy's work waits on it.
            auto record = [&](TDataModule6& on) {
                on.SQL_exec.setText(kind.insertRecord);
                on.SQL_exec.execute();
                kind.post(on, day);
            };
            Transaction first(dm.ADO_DB);
            if (rebuildFirst)
                kind.rebuild(dm, MonthRange::of(kMarch), {});
            else
                record(dm);
            std::string secondError;
            std::thread second([&] {
                try {
                    ScriptedDialogs dialogs;
                    TDataModule6 other(dialogs);
                    other.ADO_DB.setConnectionText(connection);
                    other.ADO_DB.open();
                    Transaction tx(other.ADO_DB);
                    if (rebuildFirst)
                        record(other);
                    else
                        kind.rebuild(other, MonthRange::of(kMarch), {});
                    tx.commit();
                } catch (const std::exception& e) {
                    secondError = e.what();
                }
            });
            EXPECT_TRUE(someoneWaitsForALock(t.database));
            first.commit();
            second.join();
            EXPECT_EQ(secondError, "");
            QStringList expected{kind.expected, untouched};
            expected.sort();
            EXPECT_EQ(monthRows(t.database.db(), 3, 2026), expected);
        }
    }
}

TEST_F(MonthRebuildTest, RecordsWithoutAFullKeyAreLeftOutAndRecordsWithoutHoursCountNone)
{
    addMarch();
    // The rows each rebuild leaves without them, undone again afterwards.
    auto rowsAfter = [&](RebuildFn rebuild) {
        Transaction tx(dm.ADO_DB);
        rebuild(dm, MonthRange::of(kMarch), {});
        return monthRows(dm.ADO_DB, 3, 2026);
    };
    struct Case {
        const char* name;
        RebuildFn rebuild;
        QStringList withoutThem;
        QString added;   // the day of a record without hours and no other record
    } cases[] = {
        {"shift rows", &MonthRebuild::shiftRows, rowsAfter(&MonthRebuild::shiftRows), "3/2/0/0: d5=0"},
        {"typed rows", &MonthRebuild::typedRows, rowsAfter(&MonthRebuild::typedRows), "3/0/7778/0: d20=0"},
    };
    addRecordsWithoutAFullKey();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Neither a shift-0 record's hours in its worker's maintenance rows
        // nor rows for records of no shift, worker, kind or night mark; a
        // record without hours counts none, as the day posting counts it.
        Transaction tx(dm.ADO_DB);
        c.rebuild(dm, MonthRange::of(kMarch), {});
        QStringList expected = c.withoutThem;
        expected << c.added;
        expected.sort();
        EXPECT_EQ(monthRows(dm.ADO_DB, 3, 2026), expected);
    }
}
