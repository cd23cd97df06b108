// Saving and deleting shift records apart from the editor window: what is
// refused before anything is written, and two copies of the program
// writing at the same moment.
#include "db/TDataModule6.h"
#include "ledger/RecordEntry.h"
#include "tests/journal/JournalFixture.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

const QDate kMonday(2026, 3, 2);

RecordEntry::Values record(int worker, int hours)
{
    RecordEntry::Values v;
    v.key = {worker, 100, 10, kMonday, 1, 0};
    v.price = 2.5;
    v.quantity = 10;
    v.hours = hours;
    v.entered = kMonday;
    return v;
}

class RecordEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        addSmallWorkshop(t.database);
        dm.ADO_DB.setConnectionText(t.database.db().connectionText());
        dm.ADO_DB.open();
    }

    TestContext t;
    TDataModule6 dm{t.dialogs};
    Command smenaIU{dm.ADO_DB};
};

} // namespace

TEST(RecordEntryRefusal, WhatCannotBeRightIsRefusedWithItsReason)
{
    struct Case {
        const char* what;
        std::function<void(RecordEntry::Values&)> change;
        QString refusal;
    };
    const Case cases[] = {
        {"a complete record", [](RecordEntry::Values&) {}, ""},
        {"rejects equal to the quantity", [](RecordEntry::Values& v) { v.rejects = 10; }, ""},
        {"rejects above the quantity", [](RecordEntry::Values& v) { v.rejects = 11; }, "Брак больше количества!"},
        {"a whole day", [](RecordEntry::Values& v) { v.hours = 24; }, ""},
        {"more hours than a day has", [](RecordEntry::Values& v) { v.hours = 25; }, "Время больше 24 часов!"},
        {"an operation without a price", [](RecordEntry::Values& v) { v.priced = false; },
         "У операции «СТ-100; Сверловка; Готовая продукция» нет цены!"},
        {"a price of 0 that is one", [](RecordEntry::Values& v) { v.price = 0; }, ""},
        {"a sum past the exact range", [](RecordEntry::Values& v) { v.quantity = 999999999999; v.price = 1000; },
         "Сумма позиции слишком велика!"},
        {"a price another program wrote past it", [](RecordEntry::Values& v) { v.price = 1e15; v.quantity = 0; },
         "Сумма позиции слишком велика!"},
        {"a large but exact sum", [](RecordEntry::Values& v) { v.quantity = 99999999; v.price = 999.9999; }, ""},
    };
    for (const Case& c : cases) {
        RecordEntry::Values v = record(1, 8);
        c.change(v);
        EXPECT_EQ(RecordEntry::refusal(v, " СТ-100; Сверловка; Готовая продукция "), c.refusal) << c.what;
    }
}

TEST(RecordEntryRefusal, StoredQuantitiesOpenAsWholeNumbers)
{
    const struct {
        QVariant stored;
        const char* shown;
    } cases[] = {
        {QString("10.000"), "10"}, {QString("10"), "10"}, {QString("0.00"), "0"}, {QString("1200.0"), "1200"},
        {QString("10.500"), "10.500"},   // no whole number: shown as stored, the save refuses it
        {QVariant(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RecordEntry::quantityText(c.stored), QString::fromUtf8(c.shown)) << c.stored.toString().toStdString();
}

TEST_F(RecordEntryTest, TwoCopiesSavingTheSameRecordAtOnceWriteItOnce)
{
    // The first copy has written the record and holds its transaction open.
    Transaction first(dm.ADO_DB);
    ASSERT_EQ(RecordEntry::saveRecord(dm, smenaIU, record(1, 8)), RecordEntry::Outcome::Written);

    const QString connection = t.database.db().connectionText();
    std::optional<RecordEntry::Outcome> second;
    std::string secondError;
    std::thread other = otherCopy(connection, secondError, [&](TDataModule6& copy) {
        Command command(copy.ADO_DB);
        second = RecordEntry::saveRecord(copy, command, record(1, 8));
    });
    // The second copy waits for the key before it counts duplicates.
    EXPECT_TRUE(lockWaiters(t.database, 1));
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.smena"), 0);   // nothing seen yet
    first.commit();
    other.join();
    EXPECT_EQ(secondError, "");
    EXPECT_EQ(second, RecordEntry::Outcome::Duplicate);
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.smena"), 1);
    EXPECT_EQ(t.database.scalar("select d2 from accounts_dep.h_tabel where w_id=1 and smena=1").toInt(), 8);
    // The refused copy left no transaction open.
    EXPECT_EQ(t.database.count("select count(*) from pg_stat_activity where datname=current_database() and "
                               "state like 'idle in transaction%'"),
              0);
}

TEST_F(RecordEntryTest, DeletingPostsTheDayTheRecordStoodOn)
{
    const int a = addRecord(t.database, 1, 2, kMonday, 8);
    addRecord(t.database, 1, 2, kMonday, 3);
    t.database.exec("insert into accounts_dep.h_tabel (w_id, smena, month, year, d2, d3) values (1, 2, 3, 2026, 11, 4)");
    EXPECT_EQ(RecordEntry::deleteRecord(dm, a), RecordEntry::Outcome::Written);
    EXPECT_EQ(t.database.scalar("select concat_ws('/', d2, d3) from accounts_dep.h_tabel where w_id=1 and smena=2").toString(),
              "3/4");
    // A record another copy deleted already: nothing to do, nothing posted.
    EXPECT_EQ(RecordEntry::deleteRecord(dm, a), RecordEntry::Outcome::Gone);
    EXPECT_FALSE(dm.ADO_DB.inTransaction());
}
