#include "db/TDataModule6.h"
#include "db/DbError.h"
#include "ledger/DayPosting.h"
#include "tests/journal/JournalFixture.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <thread>

namespace {

class DayPostingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        addSmallWorkshop(t.database);
        dm.ADO_DB.setConnectionText(t.database.db().connectionText());
        dm.ADO_DB.open();
    }

    // The timesheet rows of a key as "d<day>=<hours>" lists, NULL days left out.
    QStringList rows(const QString& where)
    {
        Dataset q(t.database.db());
        q.setSql("select * from accounts_dep.h_tabel where " + where + " order by id");
        q.open();
        QStringList out;
        for (int r = 0; r < q.recordCount(); ++r) {
            QStringList days;
            for (int d = 1; d <= 31; ++d) {
                const QVariant v = q.valueAt(r, QStringLiteral("d%1").arg(d));
                if (!v.isNull())
                    days << QStringLiteral("d%1=%2").arg(d).arg(v.toInt());
            }
            out << days.join(' ');
        }
        return out;
    }

    TestContext t;
    TDataModule6 dm{t.dialogs};
};

} // namespace

TEST_F(DayPostingTest, ShiftKeyedPostingAfterSave)
{
    struct Record {
        int worker, shift;
        QDate date;
        int hours;
    };
    struct Case {
        const char* what;
        QVector<Record> records;   // each is saved and posted in turn
        QString key;
        QStringList expected;
    };
    const Case cases[] = {
        {"first record creates a row with one day", {{1, 1, {2026, 3, 5}, 8}}, "w_id=1 and smena=1 and month=3 and year=2026",
         {"d5=8"}},
        {"a second record sums", {{1, 1, {2026, 3, 5}, 8}, {1, 1, {2026, 3, 5}, 3}}, "w_id=1 and smena=1", {"d5=11"}},
        {"0 hours posts 0", {{1, 2, {2026, 3, 5}, 0}}, "w_id=1 and smena=2", {"d5=0"}},
        {"day 31", {{1, 1, {2026, 1, 31}, 7}}, "w_id=1 and month=1", {"d31=7"}},
        {"1 March", {{1, 1, {2026, 3, 1}, 6}}, "w_id=1 and month=3 and year=2026", {"d1=6"}},
        {"days of one month share the row", {{1, 4, {2026, 3, 1}, 2}, {1, 4, {2026, 3, 2}, 3}}, "w_id=1 and smena=4",
         {"d1=2 d2=3"}},
        {"shifts and workers apart", {{1, 1, {2026, 3, 2}, 8}, {1, 3, {2026, 3, 2}, 4}, {2, 1, {2026, 3, 2}, 5}},
         "month=3 and year=2026", {"d2=8", "d2=4", "d2=5"}},
    };
    for (const Case& c : cases) {
        t.database.exec("delete from accounts_dep.smena");
        t.database.exec("delete from accounts_dep.h_tabel");
        for (const Record& r : c.records) {
            addRecord(t.database, r.worker, r.shift, r.date, r.hours);
            DayPosting::shiftAfterSave(dm, r.worker, r.shift, r.date);
        }
        EXPECT_EQ(rows(c.key), c.expected) << c.what;
        // Shift-keyed rows keep the defaults of the typed columns.
        EXPECT_EQ(t.database.count("select count(*) from accounts_dep.h_tabel where i_type<>0 or i_night<>0"), 0) << c.what;
    }
}

TEST_F(DayPostingTest, ShiftKeyedPostingAfterDelete)
{
    const QDate day(2026, 3, 5);
    // Deleting one of two leaves the other's hours.
    addRecord(t.database, 1, 1, day.addDays(-1), 8);
    DayPosting::shiftAfterSave(dm, 1, 1, day.addDays(-1));
    const int a = addRecord(t.database, 1, 1, day, 8);
    addRecord(t.database, 1, 1, day, 3);
    DayPosting::shiftAfterSave(dm, 1, 1, day);
    EXPECT_EQ(rows("w_id=1"), QStringList{"d4=8 d5=11"});
    t.database.exec(QStringLiteral("delete from accounts_dep.smena where id=%1").arg(a));
    DayPosting::shiftAfterDelete(dm, 1, 1, day);
    EXPECT_EQ(rows("w_id=1"), QStringList{"d4=8 d5=3"});

    // Deleting the last record of the day empties the day and keeps the row's other days.
    t.database.exec("delete from accounts_dep.smena where data='05.03.2026'");
    DayPosting::shiftAfterDelete(dm, 1, 1, day);
    EXPECT_EQ(rows("w_id=1"), QStringList{"d4=8"});
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.h_tabel where w_id=1"), 1);

    // A worker without a row of that key and month gets none.
    DayPosting::shiftAfterDelete(dm, 2, 1, day);
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.h_tabel where w_id=2"), 0);
}

TEST_F(DayPostingTest, AnEditThatMovesARecordRepostsBothDays)
{
    const QDate from(2026, 3, 5), to(2026, 3, 6);
    const int id = addRecord(t.database, 1, 1, from, 8);
    DayPosting::shiftAfterSave(dm, 1, 1, from);
    // Moved to the next day and to another worker.
    t.database.exec(QStringLiteral("update accounts_dep.smena set data='06.03.2026', w_id=2 where id=%1").arg(id));
    DayPosting::shiftAfterEdit(dm, 1, 1, from, 2, 1, to);
    EXPECT_EQ(rows("w_id=1"), QStringList{""});     // the left day holds no hours
    EXPECT_EQ(rows("w_id=2"), QStringList{"d6=8"});

    // Changing only the hours re-posts the same key.
    t.database.exec(QStringLiteral("update accounts_dep.smena set time=5 where id=%1").arg(id));
    DayPosting::shiftAfterEdit(dm, 2, 1, to, 2, 1, to);
    EXPECT_EQ(rows("w_id=2"), QStringList{"d6=5"});
}

TEST_F(DayPostingTest, TypedPostingKeepsNightAndDayApart)
{
    const QDate day(2026, 3, 9);
    auto addFatigue = [&](int worker, int kind, int night, int hours) {
        t.database.exec(QStringLiteral("insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, "
                                       "cnt, price, i_holiday, i_night) values (%1, %2, 1, '09.03.2026', 3, 2026, 1, %3, 200, 0, %4)")
                            .arg(worker)
                            .arg(kind)
                            .arg(hours)
                            .arg(night));
    };
    addFatigue(1, 7777, 0, 3);
    DayPosting::typedAfterSave(dm, 1, 7777, 0, day);
    addFatigue(1, 7777, 1, 2);
    DayPosting::typedAfterSave(dm, 1, 7777, 1, day);
    addFatigue(1, 7778, 0, 4);
    DayPosting::typedAfterSave(dm, 1, 7778, 0, day);
    addFatigue(1, 7777, 0, 1);
    DayPosting::typedAfterSave(dm, 1, 7777, 0, day);

    EXPECT_EQ(rows("i_type=7777 and i_night=0"), QStringList{"d9=4"});
    EXPECT_EQ(rows("i_type=7777 and i_night=1"), QStringList{"d9=2"});
    EXPECT_EQ(rows("i_type=7778"), QStringList{"d9=4"});
    // Typed rows are inserted without smena and read back 0.
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.h_tabel where smena<>0"), 0);

    t.database.exec("delete from accounts_dep.fatigue where i_night=1");
    DayPosting::typedAfterDelete(dm, 1, 7777, 1, day);
    EXPECT_EQ(rows("i_type=7777 and i_night=1"), QStringList{""});
    EXPECT_EQ(rows("i_type=7777 and i_night=0"), QStringList{"d9=4"});
}

TEST_F(DayPostingTest, ARecordAndItsPostingCommitOrFailTogether)
{
    const QDate day(2026, 3, 5);
    // The posting fails (its table is gone): the record is not kept either.
    t.database.exec("alter table accounts_dep.h_tabel rename to h_tabel_away");
    try {
        Transaction tx(dm.ADO_DB);
        dm.SQL_exec.setText("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) "
                            "values ('05.03.2026', 1, 1, 10, 100, 2.5, 10, 0, 8, 'ok')");
        dm.SQL_exec.execute();
        DayPosting::shiftAfterSave(dm, 1, 1, day);
        tx.commit();
        FAIL() << "the posting should have failed";
    } catch (const DbError&) {
    }
    t.database.exec("alter table accounts_dep.h_tabel_away rename to h_tabel");
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.smena"), 0);
    EXPECT_FALSE(dm.ADO_DB.inTransaction());
}

TEST_F(DayPostingTest, TwoCopiesPostingTheFirstHoursOfAKeyLeaveOneRow)
{
    const QDate day(2026, 3, 5);
    Transaction first(dm.ADO_DB);
    dm.SQL_exec.setText("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) "
                        "values ('05.03.2026', 1, 1, 10, 100, 2.5, 10, 0, 8, 'ok')");
    dm.SQL_exec.execute();
    DayPosting::shiftAfterSave(dm, 1, 1, day);   // holds the key's lock until commit

    // The second copy, on its own connection and thread, posts the same key.
    const QString connection = t.database.db().connectionText();
    std::string secondError;
    std::thread second = otherCopy(connection, secondError, [&](TDataModule6& other) {
        Transaction tx(other.ADO_DB);
        other.SQL_exec.setText("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) "
                               "values ('05.03.2026', 1, 1, 10, 100, 2.5, 10, 0, 3, 'ok')");
        other.SQL_exec.execute();
        DayPosting::shiftAfterSave(other, 1, 1, day);
        tx.commit();
    });
    // Wait until the second copy is blocked on the key's lock.
    EXPECT_TRUE(lockWaiters(t.database, 1));
    first.commit();
    second.join();
    EXPECT_EQ(secondError, "");
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.h_tabel where w_id=1 and smena=1"), 1);
    EXPECT_EQ(t.database.scalar("select d5 from accounts_dep.h_tabel where w_id=1 and smena=1").toInt(), 11);
}

// Copy A moves a record from March to April, copy B another one from April
// to March, while a third copy posting April holds that key: once it
// commits, A and B each need both keys. Taken in the order of the edit, A
// would hold April waiting for March and B March waiting for April.
TEST_F(DayPostingTest, TwoCopiesMovingRecordsBetweenTwoKeysInOppositeDirectionsDoNotDeadlock)
{
    const QDate march(2026, 3, 5), april(2026, 4, 7);
    const QString connection = t.database.db().connectionText();
    struct Case {
        const char* what;
        std::function<void(TestDatabase&)> prepare;
        // An edit moving `from` to `to` by copy `dm` (the record update and its posting).
        std::function<void(TDataModule6&, const QDate& from, const QDate& to)> move;
        // The third copy's posting of April.
        std::function<void(TDataModule6&)> holdApril;
        QString key;   // where the timesheet rows of the case are
        QStringList expected;
    };
    const Case cases[] = {
        {"shift-keyed rows",
         [&](TestDatabase& db) {
             db.exec("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) values "
                     "('05.03.2026', 1, 1, 10, 100, 2.5, 1, 0, 8, 'ok'), ('07.04.2026', 1, 1, 10, 100, 2.5, 1, 0, 3, 'ok')");
         },
         [](TDataModule6& copy, const QDate& from, const QDate& to) {
             Command(copy.ADO_DB, QStringLiteral("update accounts_dep.smena set data='%1' where data='%2'")
                                      .arg(to.toString("dd.MM.yyyy"), from.toString("dd.MM.yyyy")))
                 .execute();
             DayPosting::shiftAfterEdit(copy, 1, 1, from, 1, 1, to);
         },
         [&](TDataModule6& copy) { DayPosting::shiftAfterSave(copy, 1, 1, april); },
         "w_id=1 and smena=1",
         {"d6=8", "d8=3"}},
        {"typed rows",
         [&](TestDatabase& db) {
             db.exec("insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, cnt, price, "
                     "i_holiday, i_night) values (1, 7777, 1, '05.03.2026', 3, 2026, 1, 8, 200, 0, 0), "
                     "(1, 7777, 1, '07.04.2026', 4, 2026, 1, 3, 200, 0, 0)");
         },
         [](TDataModule6& copy, const QDate& from, const QDate& to) {
             Command(copy.ADO_DB, QStringLiteral("update accounts_dep.fatigue set d_date='%1' where d_date='%2'")
                                      .arg(to.toString("dd.MM.yyyy"), from.toString("dd.MM.yyyy")))
                 .execute();
             DayPosting::typedAfterEdit(copy, 1, 7777, 0, from, 1, 7777, 0, to);
         },
         [&](TDataModule6& copy) { DayPosting::typedAfterSave(copy, 1, 7777, 0, april); },
         "w_id=1 and i_type=7777",
         {"d6=8", "d8=3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        t.database.exec("delete from accounts_dep.smena");
        t.database.exec("delete from accounts_dep.fatigue");
        t.database.exec("delete from accounts_dep.h_tabel");
        c.prepare(t.database);

        Transaction third(dm.ADO_DB);
        c.holdApril(dm);   // holds April's key until it commits

        std::string errors[2];
        auto copy = [&](int which, QDate from, QDate to) {
            return otherCopy(connection, errors[which], [&c, from, to](TDataModule6& other) {
                Transaction tx(other.ADO_DB);
                c.move(other, from, to);
                tx.commit();
            });
        };
        std::thread a = copy(0, march, QDate(2026, 4, 6));
        EXPECT_TRUE(lockWaiters(t.database, 1));
        std::thread b = copy(1, april, QDate(2026, 3, 8));
        EXPECT_TRUE(lockWaiters(t.database, 2));
        third.commit();
        a.join();
        b.join();
        EXPECT_EQ(errors[0], "");
        EXPECT_EQ(errors[1], "");
        // April's row (the third copy made it) and March's each hold the day
        // its record went to; the days they left hold nothing.
        EXPECT_EQ(rows(c.key), c.expected);
    }
}
