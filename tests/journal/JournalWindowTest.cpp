#include "widgets/DBGrid.h"
#include "db/TDataModule6.h"
#include "app/TForm23.h"
#include "app/WindowOwner.h"
#include "ledger/DayPosting.h"
#include "journal/JournalGrid.h"
#include "journal/TForm1.h"
#include "journal/TForm11.h"
#include "catalogs/TForm4.h"
#include <QLineEdit>
#include "tests/journal/JournalFixture.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QDateEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QDate kMonday(2026, 3, 2);
const QDate kSaturday(2026, 3, 7);

class JournalWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        addSmallWorkshop(t.database);
        ASSERT_TRUE(owner.start(t.database.arguments()));
        j().today = [] { return kMonday; };
        for (int shift = 1; shift <= 4; ++shift)
            dm().Smena(shift).setParam("ok", "ta");   // as every login sets it
    }

    TForm1& j() { return owner.form1(); }
    TDataModule6& dm() { return owner.dataModule(); }

    // The grid's rows as "fio|marka|summa|ok".
    QStringList gridRows()
    {
        QStringList out;
        DBGrid* grid = j().DBGrid2;
        auto column = [&](const char* field) {
            const auto& cols = grid->datasetModel()->columns();
            for (int c = 0; c < cols.size(); ++c)
                if (cols.at(c).field == QLatin1String(field))
                    return c;
            return -1;
        };
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            out << QStringList{grid->cellText(r, column("fio")), grid->cellText(r, column("marka")),
                               grid->cellText(r, column("summa")), grid->cellText(r, column("ok"))}
                       .join('|');
        return out;
    }

    QVariant okCell(int row, int role)
    {
        DatasetModel* m = j().DBGrid2->datasetModel();
        for (int c = 0; c < m->columnCount(); ++c)
            if (m->columns().at(c).field == "ok")
                return m->data(m->index(row, c), role);
        return {};
    }

    TestContext t;
    WindowOwner owner{t.context()};
};

} // namespace

TEST_F(JournalWindowTest, EachShiftShowsItsRecordsOfTheDay)
{
    addRecord(t.database, 1, 1, kMonday, 8, "ok", 10, 1, 1.23456);   // (10-1)*1.23456 = 11.11104
    addRecord(t.database, 2, 1, kMonday, 8, "ta");                   // never shown
    addRecord(t.database, 2, 1, kMonday, 8, QString());              // NULL mark: not shown either
    addRecord(t.database, 3, 1, kMonday, 8, "no", 3, 0, 0.005);      // 0.015 rounds to 0.02
    addRecord(t.database, 1, 1, kMonday.addDays(1), 8);              // another day
    addRecord(t.database, 2, 2, kMonday, 8, "OK", 4, 0, 2.5);
    addRecord(t.database, 1, 4, kMonday, 2, "да", 2, 0, 3.75);
    // A record whose worker is no person of the enterprise system stays hidden.
    t.database.exec("insert into accounts_dep.person (id, fio) values (50, 'Без персоны')");
    t.database.exec("delete from cmn_contractor.person where id=50");
    addRecord(t.database, 50, 1, kMonday, 8);

    j().FormActivate();
    EXPECT_EQ(j().DateT->date(), kMonday);
    EXPECT_EQ(gridRows(), (QStringList{"Иванов И.И.|СТ-100|11,11|ok", "Сидоров С.С.|СТ-100|0,02|no"}));
    j().RadioButton2->setChecked(true);
    EXPECT_EQ(j().currentShift, 2);
    EXPECT_EQ(gridRows(), QStringList{"Петров П.П.|СТ-100|10,00|OK"});
    j().RadioButton3->setChecked(true);
    EXPECT_TRUE(gridRows().isEmpty());
    j().RadioButton4->setChecked(true);
    EXPECT_EQ(j().currentShift, 4);
    EXPECT_EQ(gridRows(), QStringList{"Иванов И.И.|СТ-100|7,50|да"});

    // The chosen shift is green and bold; the others are not.
    EXPECT_TRUE(j().RadioButton4->font().bold());
    EXPECT_EQ(j().RadioButton4->palette().color(QPalette::Button), QColor(0, 128, 0));
    EXPECT_FALSE(j().RadioButton1->font().bold());

    // Choosing a shift does not re-read: a new record shows after "Обновить".
    addRecord(t.database, 3, 4, kMonday, 1, "ok");
    j().RadioButton1->setChecked(true);
    j().RadioButton4->setChecked(true);
    EXPECT_EQ(gridRows().size(), 1);
    j().Button8->click();
    EXPECT_EQ(gridRows().size(), 2);
}

TEST_F(JournalWindowTest, AcceptanceMarkColouringIsExactAndCaseSensitive)
{
    const char* marks[] = {"ok", "да", "OK", "no", "", "Да"};
    const bool green[] = {true, true, false, false, false, false};
    int worker = 1;
    for (const char* m : marks) {
        t.database.exec(QStringLiteral("insert into accounts_dep.person (fio) values ('Работник %1')").arg(worker++));
        const int id = t.database.scalar("select max(id) from accounts_dep.person").toInt();
        addRecord(t.database, id, 2, kMonday, 8, QString::fromUtf8(m));
    }
    j().FormActivate();
    j().RadioButton2->setChecked(true);
    ASSERT_EQ(j().DBGrid2->model()->rowCount(), 6);
    for (int r = 0; r < 6; ++r) {
        const QString mark = j().DBGrid2->dataset()->valueAt(r, "ok").toString();
        const int index = int(std::find_if(std::begin(marks), std::end(marks), [&](const char* m) { return mark == QString::fromUtf8(m); })
                              - std::begin(marks));
        EXPECT_EQ(okCell(r, Qt::ForegroundRole).value<QColor>(), green[index] ? QColor(0, 128, 0) : QColor(255, 0, 0))
            << mark.toStdString();
        EXPECT_TRUE(okCell(r, Qt::FontRole).value<QFont>().bold());
    }
}

TEST_F(JournalWindowTest, DoubleClickTogglesAcceptanceAndKeepsTheRow)
{
    const int a = addRecord(t.database, 1, 1, kMonday, 8, "ok");
    const int b = addRecord(t.database, 2, 1, kMonday, 8, "да");
    const int c = addRecord(t.database, 3, 1, kMonday, 8, "OK");
    j().FormActivate();
    auto mark = [&](int id) {
        return t.database.scalar(QStringLiteral("select ok from accounts_dep.smena where id=%1").arg(id)).toString();
    };
    struct Step {
        int row, id;
        const char* after;
    };
    const Step steps[] = {{1, a, "no"}, {1, a, "ok"}, {2, b, "no"}, {3, c, "ok"}};
    for (const Step& s : steps) {
        j().DBGrid2->dataset()->setRecNo(s.row);
        j().DBGrid2DblClick();
        EXPECT_EQ(mark(s.id), QString::fromUtf8(s.after));
        EXPECT_EQ(j().DBGrid2->dataset()->recNo(), s.row);
        EXPECT_EQ(j().DBGrid2->selectionModel()->currentIndex().row(), s.row - 1);
    }
    // The shift master's double click changes nothing.
    j().role = LoginRole::ShiftMaster;
    j().DBGrid2->dataset()->setRecNo(1);
    j().DBGrid2DblClick();
    EXPECT_EQ(mark(a), "ok");
    // An empty shift: nothing happens, no message.
    j().role = LoginRole::Full;
    j().RadioButton3->setChecked(true);
    j().DBGrid2DblClick();
    EXPECT_TRUE(t.dialogs.shownBoxes().isEmpty());
}

TEST_F(JournalWindowTest, DeletionAsksAndRepostsTheDay)
{
    addRecord(t.database, 1, 1, kMonday, 8);
    const int second = addRecord(t.database, 1, 1, kMonday, 3);
    DayPosting::shiftAfterSave(dm(), 1, 1, kMonday);
    j().FormActivate();
    const auto day = [&] { return t.database.scalar("select d2 from accounts_dep.h_tabel where w_id=1 and smena=1"); };
    ASSERT_EQ(day().toInt(), 11);

    j().DBGrid2->dataset()->locate("id", second);
    t.dialogs.expectBox(MessageKind::Question, "Удалить позицию из списка?", QMessageBox::No, "Удаление");
    j().Button3->click();
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.smena"), 2);
    EXPECT_EQ(day().toInt(), 11);

    j().DBGrid2->dataset()->locate("id", second);
    t.dialogs.expectBox(MessageKind::Question, "Удалить позицию из списка?", QMessageBox::Yes, "Удаление");
    j().Button3->click();
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.smena"), 1);
    EXPECT_EQ(day().toInt(), 8);
    EXPECT_EQ(j().DBGrid2->model()->rowCount(), 1);

    // The last record of the day: the day is left without hours, the row stays.
    t.database.exec("update accounts_dep.h_tabel set d3=5 where w_id=1 and smena=1");
    t.dialogs.expectBox(MessageKind::Question, "Удалить позицию из списка?", QMessageBox::Yes, "Удаление");
    j().Button3->click();
    EXPECT_TRUE(day().isNull());
    EXPECT_EQ(t.database.scalar("select d3 from accounts_dep.h_tabel where w_id=1 and smena=1").toInt(), 5);

    // An empty shift asks nothing.
    j().Button3->click();
}

TEST_F(JournalWindowTest, DayOffFollowsTheChosenDateAndADateActivationMovesTo)
{
    j().FormActivate();   // shown on a Monday
    EXPECT_FALSE(j().CBox1->isChecked());
    j().DateT->setDate(kSaturday);
    j().DateTChange();
    EXPECT_TRUE(j().CBox1->isChecked());
    EXPECT_TRUE(j().CBox1->font().bold());
    EXPECT_EQ(j().CBox1->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(dm().Smena1.param("data").toDate(), kSaturday);

    j().DateT->setDate(kMonday.addDays(1));
    j().DateTChange();
    EXPECT_FALSE(j().CBox1->isChecked());
    EXPECT_FALSE(j().CBox1->font().bold());

    // Activation: moved to today the box follows today; on the same day it
    // keeps what the user set.
    struct Case {
        const char* what;
        QDate shown;      // the journal's date before
        bool ticked;      // the box as the user left it
        QDate today;
        bool after;
    };
    const Case cases[] = {
        {"Saturday's records entered on a Monday", kSaturday, true, kMonday, false},
        {"a working day's records entered on a Sunday", kMonday, false, kSaturday.addDays(1), true},
        {"a Saturday worked as a working day", kSaturday, false, kSaturday, false},
        {"a Monday that is a holiday", kMonday, true, kMonday, true},
        {"from one working day to another", kMonday, true, kMonday.addDays(2), false},
    };
    for (const Case& c : cases) {
        j().DateT->setDate(c.shown);
        j().DateTChange();
        j().CBox1->setChecked(c.ticked);
        j().today = [&c] { return c.today; };
        j().FormActivate();
        EXPECT_EQ(j().DateT->date(), c.today) << c.what;
        EXPECT_EQ(j().CBox1->isChecked(), c.after) << c.what;
    }
}

TEST_F(JournalWindowTest, ARecordOfSaturdayEnteredOnMondayLeavesTheNextRecordAtTheWorkingDayPrice)
{
    j().FormActivate();   // Monday
    j().DateT->setDate(kSaturday);
    j().DateTChange();
    ASSERT_TRUE(j().CBox1->isChecked());
    // The editor shown and closed: the journal is active again, on Monday.
    t.dialogs.onModal("Form11", [](QDialog& d) { return d.result(); });
    j().Button1->click();
    EXPECT_EQ(j().DateT->date(), kMonday);
    EXPECT_FALSE(j().CBox1->isChecked());
    t.dialogs.onModal("Form11", [&](QDialog& d) {
        EXPECT_EQ(owner.form11().DTimeP->date(), kMonday);
        t.dialogs.onModal("Form4", [&](QDialog& list) {
            EXPECT_TRUE(dm().Oper.locate("id", 100));
            owner.form4().Button2->click();
            return list.result();
        });
        owner.form11().Button4->click();
        EXPECT_EQ(owner.form11().Edit7->text(), "2,5");   // the list price, not doubled
        return d.result();
    });
    j().Button1->click();
}

TEST_F(JournalWindowTest, DeletingRepostsTheDayTheRecordStoodOnNotTheDateShown)
{
    const int id = addRecord(t.database, 1, 1, kMonday, 8);
    addRecord(t.database, 1, 1, kMonday.addDays(1), 5);
    DayPosting::shiftAfterSave(dm(), 1, 1, kMonday);
    DayPosting::shiftAfterSave(dm(), 1, 1, kMonday.addDays(1));
    j().FormActivate();
    // The user turns the date picker to Tuesday but the grid is not read again.
    j().DateT->setDate(kMonday.addDays(1));
    ASSERT_TRUE(j().DBGrid2->dataset()->locate("id", id));
    t.dialogs.expectBox(MessageKind::Question, "Удалить позицию из списка?", QMessageBox::Yes, "Удаление");
    j().Button3->click();
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.smena"), 1);
    EXPECT_EQ(t.database.scalar("select concat_ws('/', coalesce(d2::text, '-'), d3) from accounts_dep.h_tabel "
                                "where w_id=1 and smena=1")
                  .toString(),
              "-/5");
}

TEST_F(JournalWindowTest, RestoringTheMinimisedJournalKeepsItsDayAndRows)
{
    // Shown as the login shows it: activation reads today.
    j().show();
    QCoreApplication::processEvents();
    EXPECT_EQ(j().DateT->date(), kMonday);
    j().DateT->setDate(kSaturday);
    j().DateTChange();
    j().CBox1->setChecked(false);   // a Saturday worked as a working day
    addRecord(t.database, 1, 1, kSaturday, 8);
    j().Button8->click();
    ASSERT_EQ(j().DBGrid2->model()->rowCount(), 1);
    j().DBGrid2->dataset()->first();

    j().showMinimized();
    QCoreApplication::processEvents();
    j().showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(j().DateT->date(), kSaturday);
    EXPECT_FALSE(j().CBox1->isChecked());
    EXPECT_EQ(dm().Smena1.param("data").toDate(), kSaturday);
    EXPECT_EQ(j().DBGrid2->model()->rowCount(), 1);
    j().hide();
}

TEST_F(JournalWindowTest, MenuAndControlsAsTheUserMeetsThem)
{
    EXPECT_EQ(j().windowTitle(), "Табель");
    EXPECT_FALSE(j().ActImport->isVisible());
    EXPECT_FALSE(j().ActDbStructure->isVisible());
    QStringList menus;
    for (QAction* a : j().MainMenu->actions())
        if (a->isVisible())
            menus << a->text();
    EXPECT_EQ(menus, (QStringList{"Справочники", "Табель", "Отчеты", "Выход"}));
    QStringList items;
    for (QAction* a : j().MenuCatalogs->actions())
        items << a->text();
    EXPECT_EQ(items, (QStringList{"Рабочие", "Изделия", "Цены", "Операции", "Ном. группы"}));
    items.clear();
    for (QAction* a : j().MenuTimesheets->actions())
        items << a->text();
    // The month check follows the timesheets, after a separator.
    EXPECT_EQ(items, (QStringList{"Табель сделка", "Табель по сменам", "Табель хоз. работ", "Табель ср. сдельная",
                                  "Общий табель", "", "Проверка месяца"}));
    EXPECT_TRUE(j().RadioButton1->isChecked());
    EXPECT_TRUE(j().RadioButton1->font().bold());

    QStringList titles;
    for (const GridColumn& c : JournalGrid::columns())
        if (c.visible)
            titles << c.title;
    EXPECT_EQ(titles, (QStringList{"Фамилия И.О.", "Марка изделия", "Операция", "Вид", "Цвет", "Часы", "Кол-во", "Брак",
                                   "Итого (р.)", "OK", "Заведен"}));
}
