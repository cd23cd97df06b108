#pragma once
#include "widgets/DBGrid.h"
#include "db/TDataModule6.h"
#include "app/WindowOwner.h"
#include "catalogs/TForm26.h"
#include "catalogs/TForm5.h"
#include "db/Command.h"
#include "db/DbError.h"
#include "journal/TForm1.h"
#include "tests/support/TestApp.h"
#include "timesheets/TForm24.h"
#include "timesheets/TForm25.h"

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QPushButton>
#include <gtest/gtest.h>

// A small workshop for maintenance records: three workers, two groups, the
// kinds 7777 and 7778 with their operations and hourly norms (7777 has a
// norm row without a price and one of 0 beside its prices 100 and 120), a
// cutting operation on a product of each group for shift records.
inline void addMaintenanceWorkshop(TestDatabase& db)
{
    db.exec("insert into accounts_dep.person (id, fio) values (1, 'Иванов И.И.'), (2, 'Петров П.П.'), "
            "(3, 'Сидоров С.С.')");
    db.exec("insert into cmn_classifier.item (id, id_classifier, id_level, s_caption) values "
            "(501, 1, 2, 'Стулья'), (502, 1, 2, 'Столы')");
    db.exec("insert into accounts_dep.vid_oper (id, vid) values (1, 'Резка'), (7777, 'хоз. работы'), "
            "(7778, 'ср. сдельная')");
    db.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa, id_class_item) values "
            "(7777, 'Хоз. работы', 0, 501), (10, 'СТ-100', 0.5, 501), (11, 'ШК-200', 0.5, 502)");
    db.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values (7001, 7777, 7777, 0), "
            "(7002, 7778, 7777, 0), (100, 1, 10, 0), (101, 1, 11, 0)");
    db.exec("insert into accounts_dep.norm (o_id, norma, prize, price) values (7001, 1, 0, NULL), (7001, 2, 0, 120), "
            "(7001, 3, 0, 0), (7001, 4, 0, 100), (7002, 1, 0, 150), (100, 1, 0, 50), (101, 1, 0, 40)");
    db.exec("select setval(pg_get_serial_sequence('accounts_dep.person', 'id'), 100)");
}

// Inserts a maintenance record and answers its id.
inline int addFatigue(TestDatabase& db, int worker, int kind, int group, const QDate& date, int hours,
                      const QString& price, int holiday = 0, int night = 0, int shift = 1)
{
    return db.scalar(QStringLiteral("insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, "
                                    "i_smena, cnt, price, i_holiday, i_night) values (%1, %2, %3, date '%4', %5, %6, "
                                    "%7, %8, %9, %10, %11) returning id")
                         .arg(worker)
                         .arg(kind)
                         .arg(group)
                         .arg(date.toString(Qt::ISODate))
                         .arg(date.month())
                         .arg(date.year())
                         .arg(shift)
                         .arg(hours)
                         .arg(price)
                         .arg(holiday)
                         .arg(night))
        .toInt();
}

// Inserts a shift record of operation `oper` (100: group 501, 101: group 502).
inline void addShiftRecord(TestDatabase& db, int worker, const QDate& date, int kolvo, int brak, const QString& cena,
                           int hours, int oper = 100)
{
    db.exec(QStringLiteral("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, "
                           "time, ok, prize) values (date '%1', 1, %2, %3, %4, %5, %6, %7, 0, %8, 'ok', 0)")
                .arg(date.toString(Qt::ISODate))
                .arg(worker)
                .arg(oper == 100 ? 10 : 11)
                .arg(oper)
                .arg(cena)
                .arg(kolvo)
                .arg(brak)
                .arg(hours));
}

// Makes the database refuse `events` ("insert or update") on `table` for
// the rows where `condition` holds, as a closed month would; answers the
// error text the program then shows.
inline QString refuseWrites(TestDatabase& db, const QString& table, const QString& events,
                            const QString& condition = "true")
{
    db.exec(QStringLiteral("create function accounts_dep.refused() returns trigger language plpgsql as $$ begin if %1 "
                           "then raise exception 'Табель месяца закрыт'; end if; return new; end $$")
                .arg(condition));
    db.exec(QStringLiteral("create trigger refused before %1 on %2 for each row execute function accounts_dep.refused()")
                .arg(events, table));
    try {
        Command(db.db(), QStringLiteral("update %1 set id=id").arg(table)).execute();
        Command(db.db(), QStringLiteral("insert into %1 (id) values (-1)").arg(table)).execute();
    } catch (const DbError& error) {
        return error.text();
    }
    ADD_FAILURE() << "the trigger refused nothing";
    return QString();
}

// The application against a maintenance workshop, with the journal of
// maintenance works at hand.
class MaintenanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        addMaintenanceWorkshop(t.database);
        ASSERT_TRUE(owner.start(t.database.arguments()));
    }

    TForm1& main() { return owner.form1(); }
    TForm24& e() { return owner.form24(); }
    TForm25& j() { return owner.form25(); }
    TDataModule6& dm() { return owner.dataModule(); }

    // The journal on `day`, as the daily journal's button opens it, for a
    // user with full access.
    void openJournal(const QDate& day, LoginRole role = LoginRole::Full)
    {
        j().prepareOpen(day, role);
        j().FormActivate();
    }

    // The workers list, as the editor's picker, hands back worker `id`.
    void pickWorker(int id)
    {
        t.dialogs.onModal("Form5", [this, id](QDialog& d) {
            EXPECT_EQ(owner.form5().Tag, 24);
            EXPECT_EQ(owner.form5().Button2->text(), "Выбрать");
            EXPECT_TRUE(dm().Workers.locate("id", id));
            owner.form5().Button2->click();
            return d.result();
        });
        e().Button3->click();
    }
    // The groups list, as the editor's picker, hands back group `id`.
    void pickGroup(qlonglong id)
    {
        t.dialogs.onModal("Form26", [this, id](QDialog& d) {
            EXPECT_EQ(owner.form26().Tag, 24);
            EXPECT_EQ(owner.form26().Button3->text(), "Выбрать");
            EXPECT_FALSE(owner.form26().Button2->isVisible());
            EXPECT_TRUE(owner.form26().item.locate("id", id));
            owner.form26().Button3->click();
            return d.result();
        });
        e().Button4->click();
    }
    // Runs `inside` in the editor opened by the journal's "Добавить".
    void add(const std::function<void(QDialog&)>& inside)
    {
        t.dialogs.onModal("Form24", [inside](QDialog& d) {
            inside(d);
            return d.result();
        });
        j().Button5->click();
    }

    // A stored record as "id_p|id_o|id_nom|date|month|year|shift|cnt|price|holiday|night".
    QString record(int id)
    {
        return t.database
            .scalar(QStringLiteral("select concat_ws('|', id_p, id_o, id_nom, to_char(d_date, 'DD.MM.YYYY'), i_mnth, "
                                   "i_year, i_smena, cnt, price::float8, i_holiday, i_night) from accounts_dep.fatigue "
                                   "where id=%1")
                        .arg(id))
            .toString();
    }
    int lastId() { return t.database.scalar("select max(id) from accounts_dep.fatigue").toInt(); }
    int records() { return t.database.count("select count(*) from accounts_dep.fatigue"); }
    // The hours of a day in a worker's typed timesheet row (NULL when none).
    QVariant hours(int worker, int kind, int night, const QDate& day)
    {
        return t.database.scalar(QStringLiteral("select d%1 from accounts_dep.h_tabel where w_id=%2 and i_type=%3 and "
                                                "i_night=%4 and month=%5 and year=%6")
                                     .arg(day.day())
                                     .arg(worker)
                                     .arg(kind)
                                     .arg(night)
                                     .arg(day.month())
                                     .arg(day.year()));
    }
    // The journal's grid as the user reads it, one "|"-joined line a row.
    QStringList shownRows()
    {
        QStringList out;
        const int columns = j().DBGrid1->model()->columnCount();
        for (int r = 0; r < j().DBGrid1->model()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < columns; ++c)
                cells << j().DBGrid1->cellText(r, c);
            out << cells.join('|');
        }
        return out;
    }

    TestContext t;
    WindowOwner owner{t.context()};
};
