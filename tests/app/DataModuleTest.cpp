#include "db/TDataModule6.h"
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

TEST(SharedQueries, ReadAFixtureWithKnownAnswers)
{
    TestContext t;
    TestDatabase& db = t.database;
    db.exec("insert into accounts_dep.person (id, fio, s_staffpos_hl) values (1, 'Яковлев Я.Я.', 'Маляр'), "
            "(2, 'Алексеев А.А.', 'Станочник'), (3, 'Борисов Б.Б.', '')");
    db.exec("insert into cmn_classifier.item (id, id_level, s_caption) values (1, 2, 'Стулья')");
    db.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa, id_class_item) values "
            "(10, 'СТ-100', 0.5, 1), (11, 'АБ-1', 2, null)");
    db.exec("insert into accounts_dep.vid_oper (id, vid) values (1, 'Резка'), (2, 'Покраска'), (7777, 'хоз. работы')");
    // Operation 100 has two norms, 101 one, 102 none.
    db.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values (100, 1, 10, 0), (101, 2, 10, 1), "
            "(102, 1, 11, 0)");
    db.exec("insert into accounts_dep.norm (o_id, norma, prize, price) values (100, 1, 0, 2.5), (100, 2, 0, 1.75), "
            "(101, 1, 0, 3)");
    // 2 November: two records in shift 1 (and one marked 'ta'), one in
    // shift 2, one of overtime; one record of 31 October.
    db.exec("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) values "
            "('02.11.2026', 1, 1, 10, 100, 1.75, 10, 2, 8, 'ok'), ('02.11.2026', 1, 2, 10, 101, 3, 5, 0, 4, 'no'), "
            "('02.11.2026', 1, 1, 10, 100, 1, 1, 0, 0, 'ta'), ('02.11.2026', 2, 3, 10, 100, 2, 4, 0, 6, 'ok'), "
            "('02.11.2026', 4, 3, 10, 101, 3, 1, 0, 2, 'ok'), ('31.10.2026', 1, 1, 10, 100, 1, 100, 0, 8, 'ok')");
    db.exec("insert into accounts_dep.h_tabel (w_id, smena, month, year, d2) values (1, 1, 11, 2026, 8), "
            "(2, 1, 11, 2026, 4), (3, 2, 11, 2026, 6)");

    TDataModule6 dm(t.dialogs);
    dm.ADO_DB.setConnectionText(db.db().connectionText());
    dm.ADO_DB.open();
    auto column = [](Dataset& q, const QString& field) {
        QStringList out;
        for (int r = 0; r < q.recordCount(); ++r)
            out << q.valueAt(r, field).toString().trimmed();
        return out;
    };

    dm.Workers.open();
    EXPECT_EQ(column(dm.Workers, "fio"), (QStringList{"Алексеев А.А.", "Борисов Б.Б.", "Яковлев Я.Я."}));
    dm.Izdel.open();
    EXPECT_EQ(column(dm.Izdel, "marka"), (QStringList{"АБ-1", "СТ-100"}));
    EXPECT_EQ(column(dm.Izdel, "nom"), (QStringList{"", "Стулья"}));
    dm.Vid_oper.open();
    EXPECT_EQ(column(dm.Vid_oper, "VID"), (QStringList{"Покраска", "Резка", "хоз. работы"}));
    // Only operations with norms, at their lowest price.
    dm.Oper.open();
    EXPECT_EQ(column(dm.Oper, "id"), (QStringList{"101", "100"}));
    EXPECT_EQ(column(dm.Oper, "norma"), (QStringList{"1", "2"}));
    EXPECT_EQ(column(dm.Oper, "nmn"), (QStringList{"Заготовки", "Готовая продукция"}));
    ASSERT_TRUE(dm.Oper.locate("id", 100));
    EXPECT_DOUBLE_EQ(dm.Oper.field("cena").asFloat(), 1.75);

    const struct {
        int shift;
        QStringList names;
    } journal[] = {
        {1, {"Алексеев А.А.", "Яковлев Я.Я."}},   // the 'ta' record and 31 October left out
        {2, {"Борисов Б.Б."}},
        {3, {}},
        {4, {"Борисов Б.Б."}},
    };
    for (const auto& j : journal) {
        Dataset& q = dm.Smena(j.shift);
        q.setParam("data", QDate(2026, 11, 2));
        q.setParam("ok", "ta");
        q.open();
        EXPECT_EQ(column(q, "fio"), j.names) << j.shift;
    }
    ASSERT_TRUE(dm.Smena1.locate("w_id", 1));
    EXPECT_DOUBLE_EQ(dm.Smena1.field("summa").asFloat(), 14.0);   // (10 - 2) × 1.75

    // The timesheet rows with the month's amounts of each worker (of every
    // shift and acceptance mark, within the month).
    const struct {
        int shift;
        QStringList names, hours, amounts, averages;
    } timesheets[] = {
        {1, {"Алексеев А.А.", "Яковлев Я.Я."}, {"4", "8"}, {"15.00", "15.00"}, {"3.75", "1.88"}},
        {2, {"Борисов Б.Б."}, {"6"}, {"11.00"}, {"1.83"}},
        {3, {}, {}, {}, {}},
    };
    for (const auto& h : timesheets) {
        Dataset& q = dm.H_Tabel(h.shift);
        q.setParam("mnth", 11);
        q.setParam("yea", 2026);
        q.setParam("date1", QDate(2026, 11, 1));
        q.setParam("date2", QDate(2026, 12, 1));
        q.open();
        EXPECT_EQ(column(q, "fio"), h.names) << h.shift;
        EXPECT_EQ(column(q, "summ"), h.hours) << h.shift;
        EXPECT_EQ(column(q, "cena_all"), h.amounts) << h.shift;
        EXPECT_EQ(column(q, "average_price"), h.averages) << h.shift;
    }
}
