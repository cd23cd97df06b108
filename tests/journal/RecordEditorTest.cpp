// The shift record editor opened from the journal: pickers, the price, the
// checks, the insert or update with its posting, and the journal re-read.
#include "widgets/DBGrid.h"
#include "db/TDataModule6.h"
#include "app/WindowOwner.h"
#include "catalogs/TForm4.h"
#include "catalogs/TForm5.h"
#include "db/DbError.h"
#include "ledger/DayPosting.h"
#include "journal/TForm1.h"
#include "journal/TForm11.h"
#include "tests/journal/JournalFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

const QDate kMonday(2026, 3, 2);
const QDate kEntered(2026, 3, 4);   // the day the foreman types the records in
const QString kIncomplete = "Все поля должны быть заполнены!";
const QString kDuplicate = "Позиция с такими параметрами уже заведена!";

class RecordEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        addSmallWorkshop(t.database);
        ASSERT_TRUE(owner.start(t.database.arguments()));
        j().today = [] { return kMonday; };
        e().today = [] { return kEntered; };
        for (int shift = 1; shift <= 4; ++shift)
            dm().Smena(shift).setParam("ok", "ta");
    }

    TForm1& j() { return owner.form1(); }
    TForm11& e() { return owner.form11(); }
    TDataModule6& dm() { return owner.dataModule(); }

    // The workers list, as a picker, hands back worker `id`.
    void pickWorker(int id)
    {
        t.dialogs.onModal("Form5", [this, id](QDialog& d) {
            EXPECT_TRUE(dm().Workers.locate("id", id));
            owner.form5().Button2->click();
            return d.result();
        });
        e().Button3->click();
    }
    // The operations list, as a picker, hands back operation `id`.
    void pickOperation(int id)
    {
        t.dialogs.onModal("Form4", [this, id](QDialog& d) {
            EXPECT_EQ(owner.form4().Button2->text(), "Выбрать");
            EXPECT_TRUE(dm().Oper.locate("id", id));
            owner.form4().Button2->click();
            return d.result();
        });
        e().Button4->click();
    }
    static void press(QWidget* w, int key, const QString& text = QString())
    {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(w, &down);
    }
    static void leave(QWidget* w)
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(w, &out);
    }

    // A stored record as "w_id|i_id|o_id|cena|kol_vo|brak|data|smena|color|time|ok|vvod".
    QString record(int id)
    {
        return t.database
            .scalar(QStringLiteral("select concat_ws('|', w_id, i_id, o_id, cena, kol_vo, brak, to_char(data, 'DD.MM.YYYY'), "
                                   "smena, color, time, ok, to_char(vvod, 'DD.MM.YYYY')) from accounts_dep.smena where id=%1")
                        .arg(id))
            .toString();
    }
    int lastId() { return t.database.scalar("select max(id) from accounts_dep.smena").toInt(); }
    int records() { return t.database.count("select count(*) from accounts_dep.smena"); }
    // The hours of a day in a worker's timesheet row (NULL when none).
    QVariant hours(int worker, int shift, const QDate& day)
    {
        return t.database.scalar(QStringLiteral("select d%1 from accounts_dep.h_tabel where w_id=%2 and smena=%3 and "
                                                "month=%4 and year=%5")
                                     .arg(day.day())
                                     .arg(worker)
                                     .arg(shift)
                                     .arg(day.month())
                                     .arg(day.year()));
    }
    // The journal's rows of the current shift as "fio|summa|ok".
    QStringList journalRows()
    {
        QStringList out;
        Dataset* q = j().DBGrid2->dataset();
        for (int r = 0; r < q->recordCount(); ++r)
            out << QStringList{q->valueAt(r, "fio").toString().trimmed(),
                               QLocale().toString(q->valueAt(r, "summa").toDouble(), 'f', 2), q->valueAt(r, "ok").toString()}
                       .join('|');
        return out;
    }

    TestContext t;
    WindowOwner owner{t.context()};
};

} // namespace

TEST_F(RecordEditorTest, AddingFromTheJournalPricesWritesAndPostsTheDay)
{
    j().FormActivate();
    j().RadioButton3->setChecked(true);
    j().CBox1->setChecked(true);   // a day off in shift 3: 2 x 1.2
    ASSERT_TRUE(j().Button1->isEnabled());
    t.dialogs.onModal("Form11", [&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Заведение новой позиции (11)");
        EXPECT_EQ(e().Tag, 1);
        EXPECT_EQ(e().DTimeP->date(), kMonday);
        EXPECT_EQ(e().Edit4->text(), "0");
        EXPECT_EQ(e().Edit6->text(), "0");
        pickWorker(2);
        EXPECT_EQ(e().Edit1->text(), "Петров П.П.");
        pickOperation(100);
        EXPECT_EQ(e().Edit2->text(), "СТ-100; Резка; Готовая продукция");
        EXPECT_EQ(e().Edit7->text(), "6");     // 2.5 x 2 x 1.2
        EXPECT_EQ(e().Edit8->text(), "2,5");   // the list price
        EXPECT_FALSE(e().Edit5->isEnabled());
        e().Edit3->setText("7");
        leave(e().Edit3);
        EXPECT_EQ(e().Edit9->text(), "42");
        e().Edit6->setText("8");
        e().Edit4->setText("1");
        e().Button1->click();
        EXPECT_FALSE(d.isVisible());
        for (QLineEdit* f : {e().Edit1, e().Edit2, e().Edit3, e().Edit7, e().Edit9})
            EXPECT_TRUE(f->text().isEmpty());
        return d.result();
    });
    j().Button1->click();

    ASSERT_EQ(records(), 1);
    EXPECT_EQ(record(lastId()), "2|10|100|6|7|1|02.03.2026|3|0|8|no|04.03.2026");
    EXPECT_EQ(t.database.scalar("select prize from accounts_dep.smena").toInt(), 0);
    // The timesheet row of the worker, shift and month holds that day only.
    EXPECT_EQ(hours(2, 3, kMonday).toInt(), 8);
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.h_tabel where d1 is not null or d3 is not null"), 0);
    // The journal shows it, (7 - 1) x 6.
    EXPECT_EQ(j().currentShift, 3);
    EXPECT_EQ(journalRows(), QStringList{"Петров П.П.|36,00|no"});
}

TEST_F(RecordEditorTest, ChangingKeepsTheStoredPriceAndMovesTheHoursWithTheDate)
{
    const int id = addRecord(t.database, 1, 1, kMonday, 8, "ok", 10, 1, 2.5);
    addRecord(t.database, 3, 1, kMonday, 8, "ok", 4, 0, 2.5);
    DayPosting::shiftAfterSave(dm(), 1, 1, kMonday);
    t.database.exec("update accounts_dep.norm set price=4 where o_id=100");   // the list price changed since
    j().FormActivate();
    ASSERT_TRUE(dm().Smena1.locate("id", id));
    const int row = dm().Smena1.recNo();
    t.dialogs.onModal("Form11", [&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Изменение данных о позиции (11)");
        EXPECT_EQ(e().Tag, 2);
        EXPECT_EQ(e().Edit1->text(), "Иванов И.И.");
        EXPECT_EQ(e().Edit2->text(), "СТ-100; Резка; Готовая продукция");
        EXPECT_EQ(e().Edit3->text(), "10");
        EXPECT_EQ(e().Edit4->text(), "1");
        EXPECT_EQ(e().Edit6->text(), "8");
        EXPECT_EQ(e().Edit7->text(), "2,5");
        EXPECT_EQ(e().Edit8->text(), "4");     // the operation's list price today
        EXPECT_EQ(e().Edit9->text(), "25");    // quantity x price; rejects do not count here
        EXPECT_EQ(e().DTimeP->date(), kMonday);
        EXPECT_FALSE(e().Edit5->isEnabled());
        EXPECT_FALSE(e().Label6->isEnabled());
        e().DTimeP->setDate(kMonday.addDays(1));
        e().Edit6->setText("5");
        e().Button1->click();
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    j().Button2->click();

    // The stored price stays; the mark is untouched; the entry date is today.
    EXPECT_EQ(record(id), "1|10|100|2.5|10|1|03.03.2026|1|0|5|ok|04.03.2026");
    // The day it left has no hours; the day it went to has them.
    EXPECT_TRUE(hours(1, 1, kMonday).isNull());
    EXPECT_EQ(hours(1, 1, kMonday.addDays(1)).toInt(), 5);
    // Monday's journal no longer shows it and stays on the remembered row.
    EXPECT_EQ(journalRows(), QStringList{"Сидоров С.С.|10,00|ok"});
    EXPECT_EQ(dm().Smena1.recNo(), std::min(row, dm().Smena1.recordCount()));
}

TEST_F(RecordEditorTest, PickingTheOperationAgainAppliesTodaysPriceAndFactors)
{
    const int id = addRecord(t.database, 1, 4, kMonday, 2, "no", 10, 0, 2.5);
    t.database.exec("update accounts_dep.norm set price=4 where o_id=100");
    j().FormActivate();
    j().RadioButton4->setChecked(true);   // overtime: 1.5
    t.dialogs.onModal("Form11", [&](QDialog& d) {
        EXPECT_EQ(e().Edit7->text(), "2,5");
        pickOperation(100);
        EXPECT_EQ(e().Edit7->text(), "6");
        EXPECT_EQ(e().Edit8->text(), "4");
        EXPECT_EQ(e().Edit9->text(), "60");
        e().Button1->click();
        return d.result();
    });
    j().Button2->click();
    EXPECT_EQ(record(id), "1|10|100|6|10|0|02.03.2026|4|0|2|no|04.03.2026");
    EXPECT_EQ(hours(1, 4, kMonday).toInt(), 2);
}

TEST_F(RecordEditorTest, DuplicatesAreRefusedAndColourMakesARecordDistinct)
{
    addRecord(t.database, 1, 1, kMonday, 8, "ok", 10, 0, 2.5, 100);
    const int painted = addRecord(t.database, 1, 1, kMonday, 8, "ok", 10, 0, 3, 101);
    t.database.exec(QStringLiteral("update accounts_dep.smena set color=5 where id=%1").arg(painted));
    const int noColour = addRecord(t.database, 3, 1, kMonday, 8, "ok", 10, 0, 2.5, 100);
    t.database.exec(QStringLiteral("update accounts_dep.smena set color=null where id=%1").arg(noColour));
    j().FormActivate();

    struct Case {
        int worker, operation;
        QString colour;
        QDate date;
        bool duplicate;
    };
    const Case cases[] = {
        {1, 100, "", kMonday, true},
        {1, 101, "5", kMonday, true},
        {1, 101, "7", kMonday, false},             // another colour
        {3, 100, "", kMonday, true},               // a record without colour counts as colour 0
        {2, 100, "", kMonday, false},              // another worker
        {1, 100, "", kMonday.addDays(1), false},   // another day
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.worker << "/" << c.operation << "/" << c.colour.toStdString());
        const int before = records();
        e().prepareNew(c.date);
        e().workerId = c.worker;
        e().Edit1->setText("Работник");
        e().operationId = c.operation;
        e().productId = 10;
        e().finalPrice = 3;
        e().Edit2->setText(c.operation == 101 ? "СТ-100; Окраска КРАСКА; Заготовки" : "СТ-100; Резка; Готовая продукция");
        e().Edit3->setText("1");
        e().Edit5->setText(c.colour);
        if (c.duplicate)
            t.dialogs.expectBox(MessageKind::Error, kDuplicate, QMessageBox::Ok, "Ошибка");
        e().Button1Click();
        EXPECT_EQ(records(), before + (c.duplicate ? 0 : 1));
        if (c.duplicate)   // the input stays for another try
            EXPECT_EQ(e().Edit3->text(), "1");
    }
    EXPECT_EQ(t.database.scalar(QStringLiteral("select color from accounts_dep.smena where id=%1").arg(lastId() - 2)).toInt(), 7);
}

TEST_F(RecordEditorTest, AChangeIsNoDuplicateOfItselfButOfAnotherRecord)
{
    const int a = addRecord(t.database, 1, 1, kMonday, 8, "ok", 10, 0, 2.5);
    addRecord(t.database, 2, 1, kMonday, 6, "ok", 10, 0, 2.5);
    j().FormActivate();

    ASSERT_TRUE(dm().Smena1.locate("id", a));
    t.dialogs.onModal("Form11", [&](QDialog& d) {
        e().Button1->click();   // nothing changed: accepted
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    j().Button2->click();
    EXPECT_EQ(record(a), "1|10|100|2.5|10|0|02.03.2026|1|0|8|ok|04.03.2026");

    ASSERT_TRUE(dm().Smena1.locate("id", a));
    t.dialogs.onModal("Form11", [&](QDialog& d) {
        pickWorker(2);   // now the same as the other record
        t.dialogs.expectBox(MessageKind::Error, kDuplicate, QMessageBox::Ok, "Ошибка");
        e().Button1->click();
        EXPECT_TRUE(d.isVisible());
        e().Button2->click();   // Отмена
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    j().Button2->click();
    EXPECT_EQ(record(a).section('|', 0, 0), "1");
}

TEST_F(RecordEditorTest, KeyboardPathChecksAndColourField)
{
    j().FormActivate();
    t.dialogs.onModal("Form11", [&](QDialog& d) {
        // Enter saves: with nothing picked the input is incomplete.
        t.dialogs.expectBox(MessageKind::Error, kIncomplete, QMessageBox::Ok, "Ошибка");
        press(e().Edit3, Qt::Key_Return);
        EXPECT_TRUE(d.isVisible());

        // Only digits reach the number fields.
        const QString typed = "1a2,3 -4";
        for (const QChar c : typed)
            press(e().Edit3, Qt::Key_unknown, QString(c));
        EXPECT_EQ(e().Edit3->text(), "1234");
        // Leaving "Кол-во" or "Время" empty fills in 0.
        e().Edit3->clear();
        e().Edit6->clear();
        leave(e().Edit3);
        EXPECT_EQ(e().Edit3->text(), "0");
        EXPECT_EQ(e().Edit6->text(), "0");

        pickWorker(1);
        pickOperation(101);   // a painting operation: the colour is needed
        EXPECT_TRUE(e().Edit5->isEnabled());
        EXPECT_TRUE(e().Label6->isEnabled());
        e().Edit3->setText("5");
        t.dialogs.expectBox(MessageKind::Error, kIncomplete, QMessageBox::Ok, "Ошибка");
        e().Button1->click();
        // Blanks alone are no rejects.
        e().Edit5->setText("9003");
        e().Edit4->setText("  ");
        t.dialogs.expectBox(MessageKind::Error, kIncomplete, QMessageBox::Ok, "Ошибка");
        e().Button1->click();
        e().Edit4->setText("0");

        // The tab order among the controls that take the focus.
        const QList<QWidget*> controls{e().Button3, e().Button4, e().Edit3, e().Edit6, e().Edit5,
                                       e().DTimeP,  e().Edit4,   e().Button1, e().Button2, e().Edit1,
                                       e().Edit2,   e().Edit7,   e().Edit8,   e().Edit9};
        QStringList order;
        QWidget* w = e().Button3;
        do {
            if (controls.contains(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled())
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != e().Button3);
        EXPECT_EQ(order, (QStringList{"Button3", "Button4", "Edit3", "Edit6", "Edit5", "DTimeP", "Edit4", "Button1",
                                      "Button2"}));
        EXPECT_TRUE(e().Button1->isDefault());

        // Another operation, not a painting one: the colour is cleared and off.
        pickOperation(100);
        EXPECT_EQ(e().Edit5->text(), "");
        EXPECT_FALSE(e().Edit5->isEnabled());
        EXPECT_FALSE(e().Label6->isEnabled());

        // Esc closes without saving and keeps the input.
        press(e().Edit3, Qt::Key_Escape);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(e().Edit3->text(), "5");
        return d.result();
    });
    j().Button1->click();
    EXPECT_EQ(records(), 0);
}

TEST_F(RecordEditorTest, AFailedPostingLeavesNoRecordAndTheInputForAnotherTry)
{
    t.database.exec("create function accounts_dep.closed_month() returns trigger language plpgsql as "
                    "$$ begin raise exception 'Табель месяца закрыт'; end $$");
    t.database.exec("create trigger closed before insert or update on accounts_dep.h_tabel "
                    "for each row execute function accounts_dep.closed_month()");
    QString refused;
    try {
        Command(t.database.db(), "insert into accounts_dep.h_tabel (w_id) values (1)").execute();
    } catch (const DbError& error) {
        refused = error.text();
    }
    ASSERT_FALSE(refused.isEmpty());
    j().FormActivate();
    t.dialogs.onModal("Form11", [&](QDialog& d) {
        pickWorker(1);
        pickOperation(100);
        e().Edit3->setText("3");
        t.dialogs.expectBox(MessageKind::Error, refused);
        e().Button1->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(records(), 0);   // the record went with its posting
        EXPECT_EQ(e().Edit3->text(), "3");

        t.database.exec("drop trigger closed on accounts_dep.h_tabel");
        e().Button1->click();   // no duplicate of a record that was never kept
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    j().Button1->click();
    EXPECT_EQ(records(), 1);
    EXPECT_EQ(hours(1, 1, kMonday).toInt(), 0);
}

TEST_F(RecordEditorTest, ATooLongColourIsRefusedAndNothingWritten)
{
    j().FormActivate();
    t.dialogs.onModal("Form11", [&](QDialog& d) {
        pickWorker(1);
        pickOperation(101);
        e().Edit3->setText("3");
        e().Edit5->setText("99999999999");
        t.dialogs.expectBox(MessageKind::Error, "'99999999999' не является целым числом");
        e().Button1->click();
        EXPECT_TRUE(d.isVisible());
        e().Button2->click();
        return d.result();
    });
    j().Button1->click();
    EXPECT_EQ(records(), 0);
}

TEST_F(RecordEditorTest, AnOperationWithoutAPriceIsShownUnpricedAndNotSaved)
{
    // A new operation's first norm, its price not given yet.
    t.database.exec("insert into accounts_dep.vid_oper (id, vid) values (3, 'Сверловка')");
    t.database.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values (102, 3, 10, 0)");
    t.database.exec("insert into accounts_dep.norm (o_id, norma, prize, price) values (102, null, 0, null)");
    j().FormActivate();
    t.dialogs.onModal("Form11", [&](QDialog& d) {
        pickWorker(1);
        t.dialogs.onModal("Form4", [this](QDialog& list) {
            EXPECT_TRUE(dm().Oper.locate("id", 102));
            DBGrid* grid = owner.form4().DBGrid1;
            const int row = dm().Oper.recNo() - 1;
            const auto& columns = grid->datasetModel()->columns();
            for (int c = 0; c < columns.size(); ++c)
                if (columns.at(c).field == "cena")
                    EXPECT_EQ(grid->cellText(row, c), "нет цены");
            owner.form4().Button2->click();
            return list.result();
        });
        e().Button4->click();
        EXPECT_EQ(e().Edit2->text(), "СТ-100; Сверловка; Готовая продукция");
        EXPECT_EQ(e().Edit7->text(), "");   // no price reads as 0
        e().Edit3->setText("4");
        leave(e().Edit3);
        EXPECT_EQ(e().Edit9->text(), "");
        t.dialogs.expectBox(MessageKind::Error, "У операции «СТ-100; Сверловка; Готовая продукция» нет цены!",
                            QMessageBox::Ok, "Ошибка");
        e().Button1->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(records(), 0);
        EXPECT_EQ(e().Edit3->text(), "4");
        e().Button2->click();
        return d.result();
    });
    j().Button1->click();

    // Priced in its norms ("Цены" closes the operations query when it
    // closes), the operation picked again saves.
    t.database.exec("update accounts_dep.norm set price=1.75 where o_id=102");
    dm().Oper.close();
    t.dialogs.onModal("Form11", [&](QDialog& d) {
        pickWorker(1);
        pickOperation(102);
        EXPECT_EQ(e().Edit7->text(), "1,75");
        e().Edit3->setText("4");
        e().Button1->click();
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    j().Button1->click();
    ASSERT_EQ(records(), 1);
    EXPECT_EQ(record(lastId()).section('|', 2, 4), "102|1.75|4");
}

TEST_F(RecordEditorTest, RejectsAboveTheQuantityAndMoreThanADaysHoursAreRefused)
{
    j().FormActivate();
    struct Case {
        const char* quantity;
        const char* rejects;
        const char* hours;
        QString refusal;
    };
    const Case cases[] = {
        {"5", "6", "8", "Брак больше количества!"},
        {"5", "0", "25", "Время больше 24 часов!"},
        {"999999999999", "0", "8", "Сумма позиции слишком велика!"},   // 6 each: past the exact range
        {"5", "5", "24", ""},
    };
    t.dialogs.onModal("Form11", [&](QDialog& d) {
        pickWorker(1);
        j().RadioButton1->setChecked(true);
        pickOperation(100);
        e().finalPrice = 6;
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.quantity << "/" << c.rejects << "/" << c.hours);
            e().Edit3->setText(c.quantity);
            e().Edit4->setText(c.rejects);
            e().Edit6->setText(c.hours);
            if (!c.refusal.isEmpty())
                t.dialogs.expectBox(MessageKind::Error, c.refusal, QMessageBox::Ok, "Ошибка");
            e().Button1->click();
            EXPECT_EQ(d.isVisible(), !c.refusal.isEmpty());
            EXPECT_EQ(records(), c.refusal.isEmpty() ? 1 : 0);
            if (d.isVisible())   // the input stays for putting right
                EXPECT_EQ(e().Edit3->text(), c.quantity);
        }
        return d.result();
    });
    j().Button1->click();
    EXPECT_EQ(record(lastId()).section('|', 3, 5), "6|5|5");
}

TEST_F(RecordEditorTest, APaintingProductAsksForItsColourWhereverTheRecordIsOpened)
{
    // The product's mark names the paint; the operation kind does not.
    t.database.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption) values (11, 'Краска серая')");
    t.database.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values (102, 1, 11, 0)");
    t.database.exec("insert into accounts_dep.norm (o_id, norma, prize, price) values (102, 1, 0, 4)");
    const int id = addRecord(t.database, 1, 1, kMonday, 8, "ok", 10, 0, 4, 102);
    t.database.exec(QStringLiteral("update accounts_dep.smena set i_id=11, color=12 where id=%1").arg(id));
    j().FormActivate();
    ASSERT_TRUE(dm().Smena1.locate("id", id));
    t.dialogs.onModal("Form11", [&](QDialog& d) {
        // "Изменить" opens the colour as the picker and the save see it.
        EXPECT_TRUE(e().Edit5->isEnabled());
        EXPECT_TRUE(e().Label6->isEnabled());
        EXPECT_EQ(e().Edit5->text(), "12");
        e().Edit5->clear();
        t.dialogs.expectBox(MessageKind::Error, kIncomplete, QMessageBox::Ok, "Ошибка");
        e().Button1->click();
        pickOperation(102);
        EXPECT_TRUE(e().Edit5->isEnabled());
        e().Edit5->setText("7");
        e().Button1->click();
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    j().Button2->click();
    EXPECT_EQ(record(id).section('|', 8, 8), "7");
}

TEST_F(RecordEditorTest, NumbersAnotherProgramWroteOpenAndAreKept)
{
    const int id = addRecord(t.database, 1, 1, kMonday, 8, "ok", 10, 2, 2.5);
    t.database.exec(QStringLiteral("update accounts_dep.smena set kol_vo=10.000, cena=2.123456789 where id=%1").arg(id));
    j().FormActivate();
    ASSERT_TRUE(dm().Smena1.locate("id", id));
    t.dialogs.onModal("Form11", [&](QDialog& d) {
        EXPECT_EQ(e().Edit3->text(), "10");
        EXPECT_EQ(e().Edit7->text(), "2,1235");
        EXPECT_EQ(e().Edit9->text(), "21,2346");
        e().Edit6->setText("7");
        e().Button1->click();
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    j().Button2->click();
    // The stored price is written back as it was, not rounded.
    EXPECT_EQ(t.database.scalar(QStringLiteral("select concat_ws('|', kol_vo, cena, time) from accounts_dep.smena where id=%1")
                                    .arg(id))
                  .toString(),
              "10|2.123456789|7");
}

namespace {

// Scripted dialogs that also note, at each box, whether the program's
// connection stands in an open transaction on the server.
class WatchedDialogs : public ScriptedDialogs {
public:
    std::function<void()> onBox;
    QMessageBox::StandardButton message(QWidget* parent, MessageKind kind, const QString& caption, const QString& text,
                                        QMessageBox::StandardButtons buttons) override
    {
        if (onBox)
            onBox();
        return ScriptedDialogs::message(parent, kind, caption, text, buttons);
    }
};

} // namespace

TEST(RecordEditorBoxes, TheDuplicateBoxWaitsWithNoTransactionOpen)
{
    TestDatabase database;
    WatchedDialogs dialogs;
    TestLifetime lifetime;
    const BuildStamp build{20261210, 36000};
    addSmallWorkshop(database);
    WindowOwner owner(AppContext{dialogs, lifetime, build});
    ASSERT_TRUE(owner.start(database.arguments()));
    owner.form1().today = [] { return kMonday; };
    for (int shift = 1; shift <= 4; ++shift)
        owner.dataModule().Smena(shift).setParam("ok", "ta");
    addRecord(database, 1, 1, kMonday, 8);
    owner.form1().FormActivate();

    int boxes = 0;
    dialogs.onBox = [&] {
        ++boxes;
        EXPECT_FALSE(owner.dataModule().ADO_DB.inTransaction());
        EXPECT_EQ(database.count("select count(*) from pg_stat_activity where datname=current_database() and "
                                 "state like 'idle in transaction%'"),
                  0);
    };
    TForm11& e = owner.form11();
    e.prepareNew(kMonday);
    e.workerId = 1;
    e.Edit1->setText("Иванов И.И.");
    e.operationId = 100;
    e.productId = 10;
    e.finalPrice = 2.5;
    e.Edit2->setText("СТ-100; Резка; Готовая продукция");
    e.Edit3->setText("1");
    dialogs.expectBox(MessageKind::Error, kDuplicate, QMessageBox::Ok, "Ошибка");
    e.Button1Click();
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(database.count("select count(*) from accounts_dep.smena"), 1);
}
