// The catalogs' logic that needs no window: the keys of the filter fields
// and of the decimal field, the delete cascade's questions and date, and
// the statements the editors run.
#include "db/TDataModule6.h"
#include "ledger/CatalogSql.h"
#include "catalogs/DecimalKeys.h"
#include "catalogs/FilterKeys.h"
#include "widgets/LookupCombo.h"
#include "ledger/ProductDelete.h"
#include "db/Command.h"
#include "db/DbError.h"
#include "ledger/DayPosting.h"
#include "ledger/RecordEntry.h"
#include "tests/journal/JournalFixture.h"
#include "tests/support/TestApp.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <gtest/gtest.h>

TEST(FilterKeys, ArrowsMoveTheListAndEditingKeysDoNothingWhereTheListSaysSo)
{
    using A = FilterKeyAction;
    struct Case {
        int key;
        QString text;
        A arrowsOnly;
        A noEditingKeys;
    };
    const Case cases[] = {
        {Qt::Key_Up, "", A::Prior, A::Prior},
        {Qt::Key_Down, "", A::Next, A::Next},
        {Qt::Key_Left, "", A::Pass, A::Swallow},
        {Qt::Key_Right, "", A::Pass, A::Swallow},
        {Qt::Key_Home, "", A::Pass, A::Swallow},
        {Qt::Key_End, "", A::Pass, A::Swallow},
        {Qt::Key_Delete, "\x7f", A::Pass, A::Swallow},
        {Qt::Key_Backspace, "\b", A::Pass, A::Pass},
        {Qt::Key_A, "a", A::Pass, A::Pass},
        {Qt::Key_unknown, "Ж", A::Pass, A::Pass},
        {Qt::Key_Percent, "%", A::Pass, A::Pass},
        {Qt::Key_Return, "\r", A::Pass, A::Pass},   // the dialog's default button
        {Qt::Key_Escape, "\x1b", A::Pass, A::Pass}, // the dialog's cancel
    };
    for (const Case& c : cases) {
        EXPECT_EQ(filterKeyAction(c.key, c.text, FilterKeyPolicy::ArrowsOnly), c.arrowsOnly) << c.key;
        EXPECT_EQ(filterKeyAction(c.key, c.text, FilterKeyPolicy::ArrowsAndNoEditingKeys), c.noEditingKeys) << c.key;
    }
}

TEST(DecimalKeys, DigitsPassCommaAndPointBecomePointOthersAreRefused)
{
    EXPECT_EQ(decimalKeyChar(u'0'), QChar(u'0'));
    EXPECT_EQ(decimalKeyChar(u'9'), QChar(u'9'));
    EXPECT_EQ(decimalKeyChar(u','), QChar(u'.'));
    EXPECT_EQ(decimalKeyChar(u'.'), QChar(u'.'));
    for (const QChar c : QStringLiteral("a-+ e'%_\\б٣"))
        EXPECT_FALSE(decimalKeyChar(c)) << QString(c).toStdString();

    // Typed into a field: "1,5" arrives as "1.5"; letters never arrive;
    // Backspace still deletes.
    QLineEdit field;
    new DecimalKeyFilter(&field);
    const struct {
        int key;
        QString text;
    } keys[] = {{Qt::Key_1, "1"}, {Qt::Key_Comma, ","}, {Qt::Key_A, "a"}, {Qt::Key_5, "5"},
                {Qt::Key_Minus, "-"}, {Qt::Key_2, "2"}, {Qt::Key_Backspace, "\b"}};
    for (const auto& k : keys) {
        QKeyEvent e(QEvent::KeyPress, k.key, Qt::NoModifier, k.text);
        QApplication::sendEvent(&field, &e);
    }
    EXPECT_EQ(field.text(), "1.5");
}

TEST(DecimalKeys, ExactDecimalsShowWithAPointAndNoTrailingZeros)
{
    EXPECT_EQ(decimalEditText(QVariant("0.375000")), "0.375");
    EXPECT_EQ(decimalEditText(QVariant("2.000000")), "2");
    EXPECT_EQ(decimalEditText(QVariant("120")), "120");
    EXPECT_EQ(decimalEditText(QVariant("10.500000")), "10.5");
    EXPECT_EQ(decimalEditText(QVariant(1.25)), "1.25");
    EXPECT_EQ(decimalEditText(QVariant()), "");
}

TEST(ProductDelete, ShiftRecordsAreCountedFromThePreviousMonthOf2000)
{
    EXPECT_EQ(ProductDelete::shiftRecordsSince(QDate(2026, 1, 15)), QDate(2000, 12, 1));
    EXPECT_EQ(ProductDelete::shiftRecordsSince(QDate(2026, 3, 31)), QDate(2000, 2, 1));
    EXPECT_EQ(ProductDelete::shiftRecordsSince(QDate(2027, 12, 1)), QDate(2000, 11, 1));
}

TEST(ProductDelete, QuestionsFollowTheCountsAndTheAnswers)
{
    struct Case {
        const char* name;
        ProductDelete::Usage usage;
        QVector<bool> answers;
        QStringList asked;
        bool operations, shiftRecords, product;
    };
    using namespace ProductDelete;
    const Case cases[] = {
        {"neither, yes", {0, 0}, {true}, {kProductQuestion}, false, false, true},
        {"neither, no", {0, 0}, {false}, {kProductQuestion}, false, false, false},
        {"prices only, yes yes", {0, 3}, {true, true}, {kPricesQuestion, kProductQuestion}, true, false, true},
        {"prices only, no yes", {0, 3}, {false, true}, {kPricesQuestion, kProductQuestion}, false, false, true},
        {"records only, yes", {5, 0}, {true}, {kRecordsQuestion}, false, true, true},
        {"both, yes yes", {5, 3}, {true, true}, {kPricesQuestion, kRecordsQuestion}, true, true, true},
        {"both, no yes", {5, 3}, {false, true}, {kPricesQuestion, kRecordsQuestion}, false, true, true},
        {"both, yes no", {5, 3}, {true, false}, {kPricesQuestion, kRecordsQuestion}, true, false, false},
        {"both, no no", {5, 3}, {false, false}, {kPricesQuestion, kRecordsQuestion}, false, false, false},
    };
    for (const Case& c : cases) {
        QStringList asked;
        int next = 0;
        const Plan plan = ask(c.usage, [&](const QString& q) {
            asked << q;
            return c.answers.value(next++);
        });
        EXPECT_EQ(asked, c.asked) << c.name;
        EXPECT_EQ(plan.operations, c.operations) << c.name;
        EXPECT_EQ(plan.shiftRecords, c.shiftRecords) << c.name;
        EXPECT_EQ(plan.product, c.product) << c.name;
    }
}

namespace {

// A data module on the test's database, without windows.
struct Module {
    TestContext t;
    TDataModule6 dm{t.dialogs};
    Module()
    {
        dm.ADO_DB.setConnectionText(t.database.db().connectionText());
        dm.ADO_DB.open();
    }
};

} // namespace

TEST(CatalogSql, DuplicatesIgnoreLetterCaseCyrillicTooAndLeaveOutTheRowBeingChanged)
{
    Module m;
    m.t.database.exec("insert into accounts_dep.vid_oper (id, vid) values (1, 'Резка'), (2, 'ёлочная Сборка'), "
                      "(3, 'O''Brien\\%_')");
    m.t.database.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption) values (10, 'Шк-100'), (11, 'ab_1')");
    struct Case {
        BoundSql count;
        bool duplicate;
    };
    const Case cases[] = {
        {CatalogSql::kindDuplicate("РЕЗКА"), true},
        {CatalogSql::kindDuplicate("резка"), true},
        {CatalogSql::kindDuplicate("ЁЛОЧНАЯ сборка"), true},
        {CatalogSql::kindDuplicate("Резк"), false},
        {CatalogSql::kindDuplicate("резка", 1), false},   // the kind itself
        {CatalogSql::kindDuplicate("резка", 2), true},    // another kind
        {CatalogSql::kindDuplicate("o'brien\\%_"), true},
        {CatalogSql::kindDuplicate("O'Brien\\xx"), false},
        {CatalogSql::productDuplicate("шк-100"), true},
        {CatalogSql::productDuplicate("ШК-100", 10), false},
        {CatalogSql::productDuplicate("шк-100", 11), true},
        {CatalogSql::productDuplicate("AB%1"), false},   // no wildcards in an equality
        {CatalogSql::productDuplicate("AB_1"), true},
    };
    for (const Case& c : cases) {
        if (c.duplicate)
            m.t.dialogs.expectBox(MessageKind::Error, "Уже есть", QMessageBox::Ok, "Ошибка");
        EXPECT_EQ(CatalogSql::checkDuplicate(m.dm, c.count, "Уже есть"), c.duplicate)
            << c.count.sql.toStdString() << " " << c.count.params.value("name").toString().toStdString();
    }
}

TEST(CatalogSql, DuplicatesFollowTheDatabasesOwnCharacterRules)
{
    // A database whose rules give only Latin letters a case: there upper()
    // leaves Cyrillic as it is, so a mark upper-cased by the program would
    // never equal the server's upper-cased copy of the same mark.
    TestContext t;
    TestDatabase cLocale(QStringLiteral("C"));
    cLocale.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption) values (10, 'Шкаф-1'), (11, 'ab-2')");
    cLocale.exec("insert into accounts_dep.vid_oper (id, vid) values (1, 'Резка')");
    TDataModule6 dm(t.dialogs);
    dm.ADO_DB.setConnectionText(cLocale.db().connectionText());
    dm.ADO_DB.open();
    struct Case {
        BoundSql count;
        bool duplicate;
    };
    const Case cases[] = {
        {CatalogSql::productDuplicate("Шкаф-1"), true},     // the same mark
        {CatalogSql::productDuplicate("AB-2"), true},       // Latin letters have cases here
        {CatalogSql::productDuplicate("Шкаф-1", 10), false},
        {CatalogSql::kindDuplicate("Резка"), true},
        {CatalogSql::kindDuplicate("Резак"), false},
    };
    for (const Case& c : cases) {
        if (c.duplicate)
            t.dialogs.expectBox(MessageKind::Error, "Уже есть", QMessageBox::Ok, "Ошибка");
        EXPECT_EQ(CatalogSql::checkDuplicate(dm, c.count, "Уже есть"), c.duplicate)
            << c.count.params.value("name").toString().toStdString();
    }
}

TEST(CatalogSql, TypedTextIsStoredAsTyped)
{
    Module m;
    m.t.database.exec("insert into cmn_classifier.item (id, id_level, s_caption) values (5, 1, 'Корень')");
    const QString names[] = {"О'Брайен А.", "Back\\slash", "100% и _", "'); drop table accounts_dep.person; --"};
    for (const QString& name : names) {
        CatalogSql::run(m.dm.SQL_exec, CatalogSql::workerInsert(name, "Маляр's"));
        EXPECT_EQ(m.t.database.count(QStringLiteral("select count(*) from accounts_dep.person where fio = '%1' and "
                                                    "s_staffpos_hl = 'Маляр''s'")
                                         .arg(QString(name).replace("'", "''"))),
                  1)
            << name.toStdString();
        CatalogSql::run(m.dm.SQL_exec, CatalogSql::groupInsert(name));
        CatalogSql::run(m.dm.SQL_exec, CatalogSql::productInsert(name, "1.5", 5));
    }
    EXPECT_EQ(m.t.database.count("select count(*) from cmn_classifier.item where id_level = 2"), 4);
    EXPECT_EQ(m.t.database.count("select count(*) from accounts_dep.izdel where massa = 1.5"), 4);
    EXPECT_EQ(m.t.database.scalar("select marka from accounts_dep.izdel where marka like '100%'").toString(), "100% и _");
}

TEST(LookupCombo, FifteenDigitKeysStayApart)
{
    // Read as 32-bit numbers these keys would all become one.
    Module m;
    m.t.database.exec("insert into cmn_department.department (id, s_caption) values "
                      "(3000000001, 'Цех №1'), (3000000002, 'Цех №2'), (999999999999999, 'Склад')");
    Dataset departments(m.dm.ADO_DB);
    departments.setSql("select * from cmn_department.department order by id");
    departments.open();
    QComboBox list;
    LookupCombo::fill(&list, departments, "id", "s_caption");
    ASSERT_EQ(list.count(), 3);
    for (const qlonglong key : {3000000002LL, 999999999999999LL, 3000000001LL}) {
        EXPECT_TRUE(LookupCombo::selectKey(&list, key));
        EXPECT_EQ(LookupCombo::key(&list), key);
    }
    EXPECT_EQ(list.currentText(), "Цех №1");
    // Read again, the list keeps the entry chosen.
    LookupCombo::selectKey(&list, 3000000002LL);
    departments.close();
    departments.open();
    LookupCombo::fill(&list, departments, "id", "s_caption");
    EXPECT_EQ(list.currentText(), "Цех №2");
    EXPECT_FALSE(LookupCombo::selectKey(&list, 3000000003LL));
    EXPECT_EQ(LookupCombo::key(&list), 0);
}

TEST(ProductDelete, ConfirmedDeletesRunTogetherOrNotAtAllAndThePostedDaysFollow)
{
    Module m;
    TestDatabase& db = m.t.database;
    db.exec("insert into accounts_dep.person (id, fio) values (1, 'Иванов И.И.'), (2, 'Петров П.П.')");
    db.exec("insert into accounts_dep.vid_oper (id, vid) values (1, 'Резка')");
    db.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption) values (10, 'СТ-100'), (20, 'ШК-200')");
    db.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values (100, 1, 10, 0), (200, 1, 20, 0)");
    // Worker 1 worked on product 10 and on another product on 2 March in
    // shift 1; worker 2 only on product 10, on 3 March in shift 2 and on
    // 3 April in shift 1. The timesheet holds the days as they were posted.
    db.exec("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) values "
            "('02.03.2026', 1, 1, 10, 100, 1, 5, 0, 8, 'ok'), ('02.03.2026', 1, 1, 20, 200, 1, 5, 0, 3, 'ok'), "
            "('03.03.2026', 2, 2, 10, 100, 1, 5, 0, 5, 'ok'), ('03.04.2026', 1, 2, 10, 100, 1, 5, 0, 4, 'ok')");
    db.exec("insert into accounts_dep.h_tabel (w_id, smena, month, year, d1, d2, d3) values "
            "(1, 1, 3, 2026, 7, 11, null), (2, 2, 3, 2026, null, null, 5)");
    db.exec("insert into accounts_dep.h_tabel (w_id, smena, month, year, d3, d4) values (2, 1, 4, 2026, 4, 6)");
    const QString days = "select w_id || '/' || smena || '/' || month || ':' || coalesce(d1::text, '-') || ',' || "
                         "coalesce(d2::text, '-') || ',' || coalesce(d3::text, '-') || ',' || coalesce(d4::text, '-') "
                         "from accounts_dep.h_tabel where w_id = %1 and smena = %2 and month = %3";
    auto day = [&](int w, int s, int month) { return db.scalar(days.arg(w).arg(s).arg(month)).toString(); };

    // The enterprise database refuses to delete goods that operations use.
    db.exec("create function refuse_goods_delete() returns trigger language plpgsql as $$ begin "
            "if exists (select 1 from accounts_dep.oper where i_id = old.id) then "
            "raise exception 'Изделие используется в операциях'; end if; return old; end $$");
    db.exec("create trigger refuse before delete on cmn_gds_and_srv.gds_and_srv for each row execute function refuse_goods_delete()");

    ProductDelete::Plan plan;
    plan.shiftRecords = plan.product = true;   // prices kept, records and product confirmed
    EXPECT_THROW(ProductDelete::run(m.dm, 10, plan), DbError);
    EXPECT_EQ(db.count("select count(*) from accounts_dep.smena"), 4);
    EXPECT_FALSE(m.dm.ADO_DB.inTransaction());
    // Nothing was deleted, so the timesheet keeps every hour.
    EXPECT_EQ(day(1, 1, 3), "1/1/3:7,11,-,-");
    EXPECT_EQ(day(2, 2, 3), "2/2/3:-,-,5,-");
    EXPECT_EQ(day(2, 1, 4), "2/1/4:-,-,4,6");

    plan.operations = true;
    ProductDelete::run(m.dm, 10, plan);
    EXPECT_EQ(db.count("select count(*) from accounts_dep.smena"), 1);
    EXPECT_EQ(db.count("select count(*) from accounts_dep.oper"), 1);
    EXPECT_EQ(db.count("select count(*) from cmn_gds_and_srv.gds_and_srv"), 1);
    // Each day the deleted records left holds what the remaining records
    // carry: the other product's 3 hours, or no hours; other days stay.
    EXPECT_EQ(day(1, 1, 3), "1/1/3:7,3,-,-");
    EXPECT_EQ(day(2, 2, 3), "2/2/3:-,-,-,-");
    EXPECT_EQ(day(2, 1, 4), "2/1/4:-,-,-,6");
    EXPECT_FALSE(m.dm.ADO_DB.inTransaction());
}

TEST(ProductDelete, TheCascadeLocksTheDaysBeforeItsRecordsSoAShiftEditorChangingOneOfThemFinishesFirst)
{
    // Two copies: this one changes a record of product 10 in the shift
    // editor, the other deletes the product with its records. The editor
    // holds the record's days and then writes the record; the cascade must
    // wait for the day before it touches the record, or each waits for the
    // other.
    Module m;
    TestDatabase& db = m.t.database;
    addSmallWorkshop(db);
    const QDate monday(2026, 3, 2);
    const int record = addRecord(db, 1, 1, monday, 8);
    DayPosting::shiftAfterSave(m.dm, 1, 1, monday);

    RecordEntry::Values moved;
    moved.key = {2, 100, 10, monday, 1, 0};   // to worker 2, a day the cascade did not see at first
    moved.price = 2.5;
    moved.quantity = 10;
    moved.hours = 5;
    moved.entered = monday;
    std::string cascadeError;
    std::string editorError;
    std::thread cascade;
    {
        Transaction editor(m.dm.ADO_DB);
        DayPosting::lockShiftKeys(m.dm, {{1, 1, monday}, {2, 1, monday}});
        cascade = otherCopy(db.db().connectionText(), cascadeError, [](TDataModule6& copy) {
            ProductDelete::Plan plan;
            plan.shiftRecords = plan.product = true;
            ProductDelete::run(copy, 10, plan);
        });
        EXPECT_TRUE(lockWaiters(db, 1));   // the cascade waits for a day the editor holds
        try {
            Command command(m.dm.ADO_DB);
            EXPECT_EQ(RecordEntry::saveRecord(m.dm, command, moved, record), RecordEntry::Outcome::Written);
            editor.commit();
        } catch (const std::exception& e) {
            editorError = e.what();
        }
    }   // a refused editor lets go of its days here
    cascade.join();
    EXPECT_EQ(editorError, "");
    EXPECT_EQ(cascadeError, "");
    // The cascade deleted the record where the editor had put it and posted
    // that day as well as the one the editor left.
    EXPECT_EQ(db.count("select count(*) from accounts_dep.smena"), 0);
    EXPECT_EQ(db.count("select count(*) from cmn_gds_and_srv.gds_and_srv where id=10"), 0);
    EXPECT_EQ(db.count("select count(*) from accounts_dep.h_tabel where d2 is not null"), 0);
    EXPECT_EQ(db.count("select count(*) from accounts_dep.h_tabel"), 2);
}
