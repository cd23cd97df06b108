#include "app/TDataModule6.h"
#include "db/DbError.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

TEST(ReplaceDecimalSeparator, FirstCommaElseFirstPoint)
{
    struct Case {
        QString text, separator, expected;
    };
    const Case cases[] = {
        {"12,5", ".", "12.5"},
        {"12.5", ".", "12.5"},
        {"12", ".", "12"},
        {"12.5", ",", "12,5"},
        {"1,2.5", ".", "1.2.5"},   // only the first comma
        {"", ".", ""},
        {"0,125", "", "0125"},     // before the first version check the separator is empty
    };
    for (const Case& c : cases)
        EXPECT_EQ(replaceDecimalSeparator(c.text, c.separator), c.expected) << c.text.toStdString();
}

TEST(CheckDuplicate, CountsShowsTheMessageAndClosesControl)
{
    TestContext t;
    t.database.exec("insert into accounts_dep.vid_oper (vid) values ('Резка')");
    TDataModule6 dm(t.dialogs);
    dm.ADO_DB.setConnectionText(t.database.db().connectionText());
    dm.ADO_DB.open();

    EXPECT_FALSE(dm.CheckDuplicate("select count(*) as cnt from accounts_dep.vid_oper where id < 0", "Уже есть"));
    EXPECT_FALSE(dm.Control.isOpen());
    EXPECT_TRUE(t.dialogs.shownBoxes().isEmpty());

    t.dialogs.expectBox(MessageKind::Error, "Такая операция уже есть", QMessageBox::Ok, "Ошибка");
    EXPECT_TRUE(dm.CheckDuplicate("select count(*) as cnt from accounts_dep.vid_oper", "Такая операция уже есть"));
    EXPECT_FALSE(dm.Control.isOpen());

    t.dialogs.expectBox(MessageKind::Error, "");
    EXPECT_TRUE(dm.CheckDuplicate("select count(*) as cnt from accounts_dep.vid_oper", ""));

    EXPECT_THROW(dm.CheckDuplicate("select count(*) as cnt from no_such_table", "x"), DbError);
    EXPECT_FALSE(dm.Control.isOpen());
}

TEST(SharedQueries, OpenOverDemoData)
{
    TestContext t;
    t.database.exec("select demo.generate(12, date '2026-11-01')");
    TDataModule6 dm(t.dialogs);
    dm.ADO_DB.setConnectionText(t.database.db().connectionText());
    dm.ADO_DB.open();

    for (Dataset* q : {&dm.Workers, &dm.Izdel, &dm.Oper, &dm.Vid_oper}) {
        q->open();
        EXPECT_GT(q->recordCount(), 0) << q->name().toStdString();
    }
    EXPECT_TRUE(dm.Vid_oper.locate("id", 7777));
    EXPECT_EQ(dm.Vid_oper.field("VID").asTrimmed(), "хоз. работы");
    // Every operation in the list has at least one norm and its lowest price.
    dm.Oper.first();
    EXPECT_GE(dm.Oper.field("norma").asInt(), 1);
    EXPECT_GT(dm.Oper.field("cena").asFloat(), 0.0);

    const QDate day(2026, 11, 2);   // a Monday with records in every shift
    for (int shift = 1; shift <= 4; ++shift) {
        Dataset& s = dm.Smena(shift);
        s.setParam("data", day);
        s.setParam("ok", "ta");
        s.open();
        for (int r = 0; r < s.recordCount(); ++r) {
            EXPECT_EQ(s.valueAt(r, "smena").toInt(), shift);
            EXPECT_NE(s.valueAt(r, "ok").toString(), "ta");
        }
    }
    EXPECT_GT(dm.Smena1.recordCount() + dm.Smena2.recordCount() + dm.Smena3.recordCount(), 0);

    for (int shift = 1; shift <= 3; ++shift) {
        Dataset& h = dm.H_Tabel(shift);
        h.setParam("mnth", 11);
        h.setParam("yea", 2026);
        h.setParam("date1", QDate(2026, 11, 1));
        h.setParam("date2", QDate(2026, 12, 1));
        h.open();
        EXPECT_GT(h.recordCount(), 0);
        EXPECT_EQ(h.field("smena").asInt(), shift);
    }
}
