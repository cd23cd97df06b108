// Closed months: every writing path refuses a closed month and writes
// nothing, and works again once the month is open; the refusal is decided
// inside the writing transaction, so a month closed by another copy a
// moment ago is respected; only full access closes and opens.
#include "ledger/ProductDelete.h"
#include "ledger/DayPosting.h"
#include "ledger/MonthClosing.h"
#include "ledger/RecordEntry.h"
#include "journal/TForm11.h"
#include "catalogs/TForm4.h"
#include "catalogs/TForm5.h"
#include "ledger/MaintenanceEntry.h"
#include "ledger/MaintenanceJournal.h"
#include "ledger/MonthCheck.h"
#include "ledger/MonthRebuild.h"
#include "timesheets/MonthCheckWindow.h"
#include "tests/timesheets/MonthEndFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <atomic>

namespace {

const QDate kMarchDay(2026, 3, 9);
const QDate kAprilDay(2026, 4, 9);

class MonthClosingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        addMonthEndWorkshop(t.database);
        shiftRecord = addRecord(t.database, 1, 1, kMarchDay, 8, "no");
        aprilRecord = addRecord(t.database, 2, 1, kAprilDay, 8);
        addTimesheetRow(t.database, 1, 1, 0, 0, 3, 2026, {{9, 6}});   // posted wrong: a rebuild would change it
        maintenanceRecord = addMaintenance(t.database, 1, 7777, kMarchDay, 4, 100);
        addMaintenance(t.database, 2, 7778, kMarchDay, 3, 0);
        addTimesheetRow(t.database, 1, 0, 7777, 0, 3, 2026, {{9, 3}});
        ASSERT_TRUE(owner.start(t.database.arguments()));
        j().role = LoginRole::Full;
    }
    TForm1& j() { return owner.form1(); }
    TDataModule6& dm() { return owner.dataModule(); }

    RecordEntry::Values values(const QDate& date, int hours = 4, int shift = 2) const
    {
        RecordEntry::Values v;
        v.key = {1, 100, 10, date, shift, 0};
        v.price = 2.5;
        v.quantity = 5;
        v.hours = hours;
        v.entered = QDate(2026, 4, 10);
        return v;
    }
    MaintenanceEntry::Record maintenance(const QDate& date, int hours) const
    {
        MaintenanceEntry::Record r;
        r.group = 1;
        r.kind = 7777;
        r.worker = 2;
        r.date = date;
        r.hours = hours;
        r.priceUnits = 1000000;
        return r;
    }

    TestContext t;
    WindowOwner owner{t.context()};
    int shiftRecord = 0;
    int aprilRecord = 0;
    int maintenanceRecord = 0;
};

} // namespace

TEST_F(MonthClosingTest, EveryWritingPathRefusesAClosedMonthWritesNothingAndWorksOnceItIsOpen)
{
    const MonthCheck::Result findings = MonthCheck::run(dm(), MonthRange(2026, 3));
    ASSERT_GT(findings.count(MonthCheck::Kind::TimesheetDiffers), 0);
    struct Case {
        const char* name;
        std::function<void()> write;
        bool changes = true;   // in the open month (the fixes come early and leave the later ones nothing)
    };
    const std::vector<Case> cases{
        {"a new shift record", [&] { Command c(dm().ADO_DB); RecordEntry::saveRecord(dm(), c, values(kMarchDay)); }},
        {"a changed shift record",
         [&] { Command c(dm().ADO_DB); RecordEntry::saveRecord(dm(), c, values(kMarchDay, 5, 3), shiftRecord); }},
        {"a record moved from an open month into it",
         [&] { Command c(dm().ADO_DB); RecordEntry::saveRecord(dm(), c, values(kMarchDay.addDays(1)), aprilRecord); }},
        {"accepting a shift record", [&] { RecordEntry::setAcceptance(dm(), shiftRecord, "ok"); }},
        {"the day posting", [&] { DayPosting::shiftAfterSave(dm(), 1, 1, kMarchDay); }, false},
        {"a new maintenance record", [&] { MaintenanceEntry::save(dm(), maintenance(kMarchDay, 2)); }},
        {"a changed maintenance record",
         [&] { MaintenanceEntry::save(dm(), maintenance(kMarchDay, 6), maintenanceRecord); }},
        {"the shift rebuild", [&] { MonthRebuild::shiftRows(dm(), MonthRange(2026, 3), {}); }, false},
        {"the typed rebuild", [&] { MonthRebuild::typedRows(dm(), MonthRange(2026, 3), {}); }, false},
        {"the average piece rates", [&] { MaintenanceJournal::calculateAverageRates(dm(), kMarchDay); }},
        {"the check's mend", [&] { MonthCheck::repostTimesheetDays(dm(), findings); }, false},
        {"deleting a maintenance record",
         [&] { MaintenanceJournal::remove(dm(), maintenanceRecord); }},
        {"deleting a shift record", [&] { RecordEntry::deleteRecord(dm(), shiftRecord); }},
        {"the product delete cascade",
         [&] { ProductDelete::run(dm(), 10, ProductDelete::Plan{true, true, true}); }},
    };

    ASSERT_EQ(MonthClosing::close(dm(), 2026, 3, LoginRole::Full), MonthClosing::Outcome::Done);
    EXPECT_EQ(MonthClosing::close(dm(), 2026, 3, LoginRole::Full), MonthClosing::Outcome::Unchanged);
    const QString refusal = MonthClosing::refusalText(2026, 3, *MonthClosing::closure(dm(), 2026, 3));
    const QString before = monthData(t.database);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.write();
            ADD_FAILURE() << "not refused";
        } catch (const MonthClosing::ClosedMonthError& e) {
            EXPECT_EQ(e.text(), refusal);
            EXPECT_EQ(e.year(), 2026);
            EXPECT_EQ(e.month(), 3);
        }
        EXPECT_FALSE(dm().ADO_DB.inTransaction());
        EXPECT_EQ(monthData(t.database).toStdString(), before.toStdString());
    }
    // The month beside it takes changes.
    {
        Command c(dm().ADO_DB);
        EXPECT_EQ(RecordEntry::saveRecord(dm(), c, values(kAprilDay)), RecordEntry::Outcome::Written);
    }

    ASSERT_EQ(MonthClosing::open(dm(), 2026, 3, LoginRole::Full), MonthClosing::Outcome::Done);
    EXPECT_EQ(MonthClosing::open(dm(), 2026, 3, LoginRole::Full), MonthClosing::Outcome::Unchanged);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString was = monthData(t.database);
        EXPECT_NO_THROW(c.write());
        if (c.changes)
            EXPECT_NE(monthData(t.database).toStdString(), was.toStdString());
    }
    EXPECT_EQ(t.database.count("select count(*) from cmn_gds_and_srv.gds_and_srv where id=10"), 0);
}

TEST_F(MonthClosingTest, AMonthClosedByAnotherCopyWhileAWriterWaitsIsRefusedInsideTheWritersTransaction)
{
    const QString connection = t.database.db().connectionText();
    const QString before = monthData(t.database);
    std::atomic<bool> closing{false};
    std::string otherError;
    // The other copy closes March and holds its transaction open until this
    // copy's save waits on the month's lock.
    std::thread other = otherCopy(connection, otherError, [&](TDataModule6& copy) {
        Transaction tx(copy.ADO_DB);
        MonthClosing::close(copy, 2026, 3, LoginRole::Full);
        closing = true;
        // Until this copy's save waits for the month (seen on this copy's own connection).
        Dataset waiting(copy.ADO_DB);
        waiting.setSql("select count(*) as n from pg_locks where locktype='advisory' and not granted");
        bool waited = false;
        for (int i = 0; i < 500 && !waited; ++i) {
            waiting.close();
            waiting.open();
            waited = waiting.field("n").asInt() > 0;
            if (!waited)
                QThread::msleep(20);
        }
        EXPECT_TRUE(waited);
        tx.commit();
    });
    while (!closing)
        QThread::msleep(5);
    Command c(dm().ADO_DB);
    EXPECT_THROW(RecordEntry::saveRecord(dm(), c, values(kMarchDay)), MonthClosing::ClosedMonthError);
    other.join();
    EXPECT_EQ(otherError, "");
    EXPECT_EQ(monthData(t.database).toStdString(), before.toStdString());

    // A writer that holds the month first finishes before the closing does.
    ASSERT_EQ(MonthClosing::open(dm(), 2026, 3, LoginRole::Full), MonthClosing::Outcome::Done);
    {
        Transaction tx(dm().ADO_DB);
        RecordEntry::saveRecord(dm(), c, values(kMarchDay));
        std::thread closer = otherCopy(connection, otherError, [&](TDataModule6& copy) {
            MonthClosing::close(copy, 2026, 3, LoginRole::Full);
        });
        EXPECT_TRUE(lockWaiters(t.database, 1));
        tx.commit();
        closer.join();
    }
    EXPECT_EQ(otherError, "");
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.smena where data='09.03.2026' and smena=2"), 1);
    EXPECT_TRUE(MonthClosing::closure(dm(), 2026, 3).has_value());
}

TEST_F(MonthClosingTest, AMonthClosedBetweenOpeningTheEditorAndSavingRefusesTheSaveAndKeepsTheInput)
{
    j().today = [] { return kMarchDay; };
    for (int shift = 1; shift <= 4; ++shift)
        dm().Smena(shift).setParam("ok", "ta");
    j().FormActivate();
    const QString connection = t.database.db().connectionText();
    TForm11& e = owner.form11();
    t.dialogs.onModal("Form11", [&](QDialog& d) {
        t.dialogs.onModal("Form5", [&](QDialog& list) {
            EXPECT_TRUE(dm().Workers.locate("id", 2));
            owner.form5().Button2->click();
            return list.result();
        });
        e.Button3->click();
        t.dialogs.onModal("Form4", [&](QDialog& list) {
            EXPECT_TRUE(dm().Oper.locate("id", 100));
            owner.form4().Button2->click();
            return list.result();
        });
        e.Button4->click();
        e.Edit3->setText("3");
        std::string error;
        otherCopy(connection, error, [](TDataModule6& copy) { MonthClosing::close(copy, 2026, 3, LoginRole::Full); }).join();
        EXPECT_EQ(error, "");
        const QString refusal = MonthClosing::refusalText(2026, 3, *MonthClosing::closure(dm(), 2026, 3));
        t.dialogs.expectBox(MessageKind::Error, refusal);
        e.Button1->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(e.Edit3->text(), "3");
        EXPECT_FALSE(e.Edit1->text().isEmpty());
        d.reject();
        return d.result();
    });
    const QString before = monthData(t.database);
    j().Button1->click();
    EXPECT_EQ(monthData(t.database).toStdString(), before.toStdString());
}

TEST_F(MonthClosingTest, OnlyFullAccessClosesAndOpensAMonth)
{
    for (const LoginRole role : {LoginRole::ViewOnly, LoginRole::ShiftMaster, LoginRole::Warehouse, LoginRole::None}) {
        SCOPED_TRACE(int(role));
        try {
            MonthClosing::close(dm(), 2026, 3, role);
            ADD_FAILURE() << "closed";
        } catch (const DbError& e) {
            EXPECT_EQ(e.text(), MonthClosing::notAllowedText());
        }
        EXPECT_EQ(t.database.count("select count(*) from accounts_dep.closed_month"), 0);
        owner.monthCheckWindow().prepare(kMarchDay, role);
        EXPECT_FALSE(owner.monthCheckWindow().Button3->isEnabled());
        EXPECT_FALSE(owner.monthCheckWindow().Button4->isEnabled());
        t.dialogs.expectBox(MessageKind::Error, MonthClosing::notAllowedText());
        owner.monthCheckWindow().Button3Click();
    }
    MonthClosing::close(dm(), 2026, 3, LoginRole::Full);
    for (const LoginRole role : {LoginRole::ViewOnly, LoginRole::ShiftMaster, LoginRole::Warehouse, LoginRole::None}) {
        SCOPED_TRACE(int(role));
        EXPECT_THROW(MonthClosing::open(dm(), 2026, 3, role), DbError);
        owner.monthCheckWindow().prepare(kMarchDay, role);
        EXPECT_FALSE(owner.monthCheckWindow().Button4->isEnabled());
        t.dialogs.expectBox(MessageKind::Error, MonthClosing::notAllowedText());
        owner.monthCheckWindow().Button4Click();
    }
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.closed_month"), 1);
}
