// The maintenance works journal: opening from the daily journal, the day's
// list, the day-off rule of the date picker, deletion with its posting, and
// what each role may use.
#include "app/TForm23.h"
#include "ledger/DayPosting.h"
#include "tests/journal/JournalFixture.h"
#include "tests/timesheets/MaintenanceFixture.h"
#include "ledger/MaintenanceEntry.h"
#include "ledger/MaintenanceJournal.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

const QDate kMonday(2026, 3, 2);
const QDate kSaturday(2026, 3, 7);
const QDate kSunday(2026, 3, 8);

using MaintenanceJournalTest = MaintenanceTest;

} // namespace

TEST_F(MaintenanceJournalTest, OpensOnTheJournalDateWithoutTheDayOffRuleAndListsTheDay)
{
    addFatigue(t.database, 2, 7777, 501, kSunday, 4, "100");
    addFatigue(t.database, 1, 7778, 502, kSunday, 3, "123.4567", 1, 1, 2);
    addFatigue(t.database, 1, 7777, 501, kSunday, 2, "100");
    addFatigue(t.database, 1, 7777, 501, kSaturday, 8, "100");
    main().role = LoginRole::Full;
    for (int shift = 1; shift <= 4; ++shift)
        dm().Smena(shift).setParam("ok", "ta");
    main().today = [] { return kSunday; };
    main().FormActivate();
    main().CBox1->setChecked(false);   // the foreman unticked it in the daily journal
    ASSERT_TRUE(main().Button5->isEnabled());
    EXPECT_EQ(main().Button5->text(), "Ср.сд./хоз. работы");
    j().CBox1->setChecked(false);
    t.dialogs.onModal("Form25", [&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Хоз. работы (25)");
        EXPECT_EQ(j().DTPcker1->date(), kSunday);
        // A Sunday reached by opening, not by picking, stays unticked.
        EXPECT_FALSE(j().CBox1->isChecked());
        QStringList titles;
        for (int c = 0; c < j().DBGrid1->model()->columnCount(); ++c)
            titles << j().DBGrid1->model()->headerData(c, Qt::Horizontal).toString();
        EXPECT_EQ(titles, (QStringList{"ФИО", "Номенклатура", "Работа", "Цена", "Кол-во", "Итого", "Вых.", "Ноч."}));
        // Every shift of the day, by worker and then by id; prices to 4
        // places, sums to kopecks.
        EXPECT_EQ(shownRows(), (QStringList{"Иванов И.И.|Столы|ср. сдельная|123,4567|3|370,37|+|+",
                                            "Иванов И.И.|Стулья|хоз. работы|100|2|200,00||",
                                            "Петров П.П.|Стулья|хоз. работы|100|4|400,00||"}));
        EXPECT_EQ(j().DBGrid1->model()->data(j().DBGrid1->model()->index(0, 6), Qt::TextAlignmentRole).toInt(),
                  int(Qt::AlignCenter));
        EXPECT_EQ(j().DBGrid1->horizontalHeader()->defaultAlignment(), Qt::AlignCenter);
        EXPECT_EQ(j().Button1->text(), "Расчитать ср.сд.");
        // Esc closes the journal.
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(j().DBGrid1, &esc);
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    main().Button5->click();
    EXPECT_EQ(t.dialogs.shownWindows(), QStringList{"Form25"});

    // The list keeps to the workshop's own records: without an operation of
    // the fixed kinds it shows nothing.
    t.database.exec("delete from accounts_dep.norm where o_id in (7001, 7002)");
    t.database.exec("delete from accounts_dep.oper where id in (7001, 7002)");
    j().FormActivate();
    EXPECT_TRUE(shownRows().isEmpty());
}

TEST_F(MaintenanceJournalTest, PickingADateTicksTheDayOffOnWeekendsInBoldRed)
{
    addFatigue(t.database, 1, 7777, 501, kSaturday, 8, "200", 1);
    openJournal(kMonday);
    EXPECT_TRUE(shownRows().isEmpty());
    struct Case {
        QDate day;
        bool dayOff;
        int rows;
    };
    for (const Case& c : {Case{kSaturday, true, 1}, Case{kMonday, false, 0}, Case{kSunday, true, 0},
                          Case{kSunday.addDays(1), false, 0}}) {
        j().DTPcker1->setDate(c.day);
        EXPECT_EQ(j().CBox1->isChecked(), c.dayOff) << c.day.toString().toStdString();
        EXPECT_EQ(j().CBox1->font().bold(), c.dayOff);
        EXPECT_EQ(j().CBox1->palette().color(QPalette::Button) == QColor(255, 0, 0), c.dayOff);
        EXPECT_EQ(int(shownRows().size()), c.rows);
    }
    // The user may untick it by hand; the editor reads it as it stands.
    j().DTPcker1->setDate(kSaturday);
    j().CBox1->setChecked(false);
    EXPECT_FALSE(j().CBox1->font().bold());
    add([&](QDialog&) {
        pickWorker(1);
        pickGroup(501);
        e().Edit6->setText("1");
        e().Button1->click();
    });
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.fatigue where d_date=date '2026-03-07' and "
                               "i_holiday=0 and price=100"),
              1);
}

TEST_F(MaintenanceJournalTest, DeletingAsksThenRepostsTheDayOfTheRecord)
{
    const int first = addFatigue(t.database, 1, 7777, 501, kMonday, 5, "100");
    const int second = addFatigue(t.database, 1, 7777, 502, kMonday, 3, "100");
    addFatigue(t.database, 1, 7777, 501, kMonday.addDays(1), 7, "100");
    addFatigue(t.database, 2, 7777, 501, kMonday, 2, "100");
    for (const QDate& day : {kMonday, kMonday.addDays(1)})
        DayPosting::typedAfterSave(dm(), 1, 7777, 0, day);
    DayPosting::typedAfterSave(dm(), 2, 7777, 0, kMonday);
    ASSERT_EQ(hours(1, 7777, 0, kMonday).toInt(), 8);
    openJournal(kMonday);

    // No: nothing changes.
    ASSERT_TRUE(j().fatigue.locate("id", second));
    t.dialogs.expectBox(MessageKind::Question, "Удалить позицию из списка?", QMessageBox::No, "Удаление");
    j().Button7->click();
    EXPECT_EQ(records(), 4);

    // One of two: the other's hours stay; the list stays on the row number.
    t.dialogs.expectBox(MessageKind::Question, "Удалить позицию из списка?", QMessageBox::Yes, "Удаление");
    j().Button7->click();
    EXPECT_EQ(records(), 3);
    EXPECT_EQ(hours(1, 7777, 0, kMonday).toInt(), 5);
    EXPECT_EQ(j().fatigue.recNo(), 2);
    EXPECT_EQ(j().fatigue.field("id").asInt(), t.database.scalar("select id from accounts_dep.fatigue where id_p=2").toInt());

    // The last one of the key: the day has no hours, the row and its other days stay.
    ASSERT_TRUE(j().fatigue.locate("id", first));
    t.dialogs.expectBox(MessageKind::Question, "Удалить позицию из списка?", QMessageBox::Yes, "Удаление");
    j().Button7->click();
    EXPECT_TRUE(hours(1, 7777, 0, kMonday).isNull());
    EXPECT_EQ(hours(1, 7777, 0, kMonday.addDays(1)).toInt(), 7);
    EXPECT_EQ(hours(2, 7777, 0, kMonday).toInt(), 2);
    EXPECT_EQ(shownRows(), QStringList{"Петров П.П.|Стулья|хоз. работы|100|2|200,00||"});

    // A deletion whose posting fails keeps the record and its hours.
    const QString refused = refuseWrites(t.database, "accounts_dep.h_tabel", "update");
    ASSERT_FALSE(refused.isEmpty());
    t.dialogs.expectBox(MessageKind::Question, "Удалить позицию из списка?", QMessageBox::Yes, "Удаление");
    t.dialogs.expectBox(MessageKind::Error, refused);
    j().Button7->click();
    EXPECT_EQ(records(), 2);
    EXPECT_EQ(hours(2, 7777, 0, kMonday).toInt(), 2);
    EXPECT_EQ(shownRows().size(), 1);

    // An empty day: nothing is asked.
    j().DTPcker1->setDate(kSunday);
    j().Button7->click();
}

TEST_F(MaintenanceJournalTest, DeletingRepostsTheDayTheRecordStandsOnNowNotTheOneTheListShowed)
{
    const int moved = addFatigue(t.database, 1, 7777, 501, kMonday, 5, "100");
    const int kept = addFatigue(t.database, 1, 7777, 501, kMonday, 2, "100");
    DayPosting::typedAfterSave(dm(), 1, 7777, 0, kMonday);
    openJournal(kMonday);
    ASSERT_TRUE(j().fatigue.locate("id", moved));
    // Another copy gives the record to Петров meanwhile; this list still
    // shows it as Иванов's.
    MaintenanceEntry::Record r;
    r.group = 501;
    r.kind = 7777;
    r.worker = 2;
    r.date = kMonday;
    r.hours = 5;
    r.priceUnits = 1000000;
    MaintenanceEntry::save(dm(), r, moved);
    ASSERT_EQ(hours(1, 7777, 0, kMonday).toInt(), 2);
    ASSERT_EQ(hours(2, 7777, 0, kMonday).toInt(), 5);
    ASSERT_EQ(j().fatigue.field("id_p").asInt(), 1);

    t.dialogs.expectBox(MessageKind::Question, "Удалить позицию из списка?", QMessageBox::Yes, "Удаление");
    j().Button7->click();
    EXPECT_EQ(records(), 1);
    // Петров keeps no hours without a record; Иванов's day is as it was.
    EXPECT_TRUE(hours(2, 7777, 0, kMonday).isNull());
    EXPECT_EQ(hours(1, 7777, 0, kMonday).toInt(), 2);

    // A record another copy deleted meanwhile: nothing to do, the list is read again.
    ASSERT_TRUE(j().fatigue.locate("id", kept));
    t.database.exec(QStringLiteral("delete from accounts_dep.fatigue where id=%1").arg(kept));
    t.dialogs.expectBox(MessageKind::Question, "Удалить позицию из списка?", QMessageBox::Yes, "Удаление");
    j().Button7->click();
    EXPECT_TRUE(shownRows().isEmpty());
    EXPECT_EQ(hours(1, 7777, 0, kMonday).toInt(), 2);
    EXPECT_FALSE(dm().ADO_DB.inTransaction());
}

TEST_F(MaintenanceJournalTest, ADeleteAndAChangeOfOneRecordFromTwoCopiesNeverWaitForEachOther)
{
    const int id = addFatigue(t.database, 1, 7777, 501, kMonday, 5, "100");
    DayPosting::typedAfterSave(dm(), 1, 7777, 0, kMonday);
    MaintenanceEntry::Record r;
    r.group = 501;
    r.kind = 7777;
    r.worker = 3;
    r.date = kMonday;
    r.hours = 6;
    r.priceUnits = 1000000;
    // This copy deletes the record and holds its day a moment before it
    // does; the other changes the record meanwhile. Each takes the day's
    // lock before it touches the record, so the change waits and then
    // finds the record gone.
    std::string changeError;
    std::thread change;
    bool removed = false;
    std::string removeError;
    {
        Transaction remover(dm().ADO_DB);
        DayPosting::lockTypedKeys(dm(), {{1, 7777, 0, kMonday}});
        change = otherCopy(t.database.db().connectionText(), changeError,
                           [&](TDataModule6& copy) { MaintenanceEntry::save(copy, r, id); });
        EXPECT_TRUE(lockWaiters(t.database, 1));
        try {
            removed = MaintenanceJournal::remove(dm(), id);
            remover.commit();
        } catch (const std::exception& e) {
            removeError = e.what();
        }
    }   // a refused delete lets go of the day here
    change.join();
    EXPECT_EQ(removeError, "");
    EXPECT_TRUE(removed);
    EXPECT_EQ(changeError, "Запись не найдена: она удалена из журнала.");
    EXPECT_EQ(records(), 0);
    EXPECT_TRUE(hours(1, 7777, 0, kMonday).isNull());
    EXPECT_TRUE(hours(3, 7777, 0, kMonday).isNull());
}

TEST(MaintenanceJournalRoles, EachRoleGetsTheDailyJournalsLimitsAndOnlyFullAccessCalculates)
{
    struct Case {
        const char* code;
        bool add, change, remove, calculate;
    };
    const Case cases[] = {
        {"2857", true, true, true, true},
        {"kalber", false, false, false, false},
        {"brigade", true, false, false, false},
        {"depot", false, false, false, false},
    };
    for (const Case& c : cases) {
        TestContext t;
        addMaintenanceWorkshop(t.database);
        addFatigue(t.database, 1, 7777, 501, QDate::currentDate(), 8, "100");
        WindowOwner owner(t.context());
        ASSERT_TRUE(owner.start(t.database.arguments()));
        TForm25& j = owner.form25();
        t.dialogs.onModal("Form1", [&](QDialog&) {
            EXPECT_TRUE(owner.form1().Button5->isEnabled()) << c.code;
            owner.form1().Button5->click();
            return int(QDialog::Rejected);
        });
        t.dialogs.onModal("Form25", [&](QDialog&) {
            EXPECT_EQ(j.Button5->isEnabled(), c.add) << c.code;
            EXPECT_EQ(j.Button6->isEnabled(), c.change) << c.code;
            EXPECT_EQ(j.Button7->isEnabled(), c.remove) << c.code;
            EXPECT_EQ(j.Button1->isEnabled(), c.calculate) << c.code;
            EXPECT_TRUE(j.DTPcker1->isEnabled() && j.CBox1->isEnabled() && j.Button8->isEnabled());
            EXPECT_EQ(j.fatigue.recordCount(), 1);
            // A double click changes only where "Изменить" may be used.
            if (c.change)
                t.dialogs.onModal("Form24", [](QDialog& d) { return d.result(); });
            j.DBGrid1->doubleClicked(j.DBGrid1->model()->index(0, 0));
            return int(QDialog::Rejected);
        });
        owner.form23().Edit1->setText(c.code);
        owner.form23().Button1->click();
        EXPECT_EQ(t.dialogs.shownWindows().contains("Form24"), c.change) << c.code;
    }
}
