// The maintenance record editor opened from the maintenance works journal:
// pickers, kinds and prices, the checks, the insert or update with the
// posting of the day, and the journal re-read.
#include "ledger/DayPosting.h"
#include "tests/timesheets/MaintenanceFixture.h"
#include "ledger/MaintenanceEntry.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

const QDate kMonday(2026, 3, 2);
const QString kIncomplete = "Все поля должны быть заполнены!";
const QString kNoHours = "Нужно завести количество!";

void press(QWidget* w, int key, const QString& text = QString())
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &down);
}

using MaintenanceEditorTest = MaintenanceTest;

} // namespace

TEST(MaintenancePrice, NormPriceTimesTheDayOffAndNightFactors)
{
    struct Case {
        qint64 norm;       // ten-thousandths
        bool dayOff, night;
        qint64 written;
    };
    const Case cases[] = {
        {1000000, false, false, 1000000}, {1000000, true, false, 2000000}, {1000000, false, true, 1200000},
        {1000000, true, true, 2400000},   // 100 -> 240: the factors multiply
        {1, false, true, 1},              // 0.00012 is kept to 4 places
        {4, false, true, 5},              // 0.00048 -> 0.0005
        {123457, true, true, 296297},     // 12.3457 x 2.4 = 29.62968
    };
    for (const Case& c : cases)
        EXPECT_EQ(MaintenanceEntry::priceUnits(c.norm, c.dayOff, c.night), c.written)
            << c.norm << " " << c.dayOff << " " << c.night;
}

TEST(MaintenanceHours, ARecordTakesOneHourToADay)
{
    const QString tooMany = "Время больше 24 часов!";
    const struct {
        const char* typed;
        QString refusal;
    } cases[] = {
        {"", kNoHours}, {"0", kNoHours}, {"000", kNoHours}, {"1", ""}, {"24", ""}, {"024", ""},
        {"25", tooMany}, {"999999999", tooMany},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MaintenanceEntry::hoursRefusal(QString::fromLatin1(c.typed)), c.refusal) << c.typed;
}

TEST_F(MaintenanceEditorTest, AddingOnAWeekdayWritesTheNormPricePostsTheDayAndShowsTheRecord)
{
    openJournal(kMonday);
    ASSERT_FALSE(j().CBox1->isChecked());
    add([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Хоз. работы/среднесдельная (24)");
        EXPECT_EQ(e().Tag, 0);
        EXPECT_EQ(e().GroupBox1->title(), "Закрыто мастером");
        // Each kind once, maintenance work chosen; its price is the lowest
        // norm price above 0, the row without a price counts for nothing.
        ASSERT_EQ(e().cb_type_work->count(), 2);
        EXPECT_EQ(e().cb_type_work->itemText(0), "хоз. работы");
        EXPECT_EQ(e().cb_type_work->itemText(1), "ср. сдельная");
        EXPECT_EQ(e().cb_type_work->currentText(), "хоз. работы");
        EXPECT_EQ(e().DBEdit1->text(), "100");
        EXPECT_EQ(e().Edit6->text(), "0");
        EXPECT_EQ(e().DBEdit2->text(), "0");
        EXPECT_TRUE(e().CBox1->isEnabled());
        EXPECT_FALSE(e().CBox1->isChecked());
        EXPECT_FALSE(e().DBEdit1->isEnabled());
        EXPECT_FALSE(e().DBEdit2->isEnabled());

        pickWorker(2);
        EXPECT_EQ(e().Edit1->text(), "Петров П.П.");
        pickGroup(501);
        EXPECT_EQ(e().Edit2->text(), "Стулья");
        // "Сумма" follows the hours and the marks.
        e().Edit6->setText("8");
        EXPECT_EQ(e().DBEdit2->text(), "800");
        e().CBox1->setChecked(true);
        EXPECT_EQ(e().DBEdit2->text(), "960");
        e().CBox1->setChecked(false);
        e().cb_type_work->setCurrentIndex(1);
        EXPECT_EQ(e().DBEdit1->text(), "150");
        EXPECT_EQ(e().DBEdit2->text(), "1200");
        e().cb_type_work->setCurrentIndex(0);
        e().Button1->click();
        EXPECT_FALSE(d.isVisible());
    });

    ASSERT_EQ(records(), 1);
    EXPECT_EQ(record(lastId()), "2|7777|501|02.03.2026|3|2026|1|8|100|0|0");
    EXPECT_EQ(hours(2, 7777, 0, kMonday).toInt(), 8);
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.h_tabel where d1 is not null or d3 is not null "
                               "or smena<>0"),
              0);
    EXPECT_EQ(shownRows(), QStringList{"Петров П.П.|Стулья|хоз. работы|100|8|800,00||"});
    EXPECT_FALSE(e().type_work.isOpen());
}

TEST_F(MaintenanceEditorTest, SameKeySumsTheDayNightGoesToItsOwnRowAndTheDayOffDoublesAndRaises)
{
    openJournal(kMonday);
    struct Entry {
        int hours;
        bool night;
        bool dayOff;
    };
    // Two day records, then a night one on the journal's "Выходной".
    for (const Entry& entry : {Entry{8, false, false}, Entry{3, false, false}, Entry{2, true, true}}) {
        j().CBox1->setChecked(entry.dayOff);
        add([&](QDialog&) {
            pickWorker(1);
            pickGroup(502);
            e().Edit6->setText(QString::number(entry.hours));
            e().CBox1->setChecked(entry.night);
            e().Button1->click();
        });
    }
    EXPECT_EQ(hours(1, 7777, 0, kMonday).toInt(), 11);
    EXPECT_EQ(hours(1, 7777, 1, kMonday).toInt(), 2);
    // 100 x 2 x 1.2
    EXPECT_EQ(record(lastId()), "1|7777|502|02.03.2026|3|2026|1|2|240|1|1");
    EXPECT_EQ(shownRows(), (QStringList{"Иванов И.И.|Столы|хоз. работы|100|8|800,00||",
                                        "Иванов И.И.|Столы|хоз. работы|100|3|300,00||",
                                        "Иванов И.И.|Столы|хоз. работы|240|2|480,00|+|+"}));
}

TEST_F(MaintenanceEditorTest, ChangingKeepsDateAndShiftAndRepostsTheKeyTheRecordLeft)
{
    // A night record of average piecework, written by another program in shift 3.
    const int id = addFatigue(t.database, 1, 7778, 501, kMonday, 6, "150", 0, 1, 3);
    addFatigue(t.database, 1, 7778, 501, kMonday, 1, "150", 0, 1);
    DayPosting::typedAfterSave(dm(), 1, 7778, 1, kMonday);
    ASSERT_EQ(hours(1, 7778, 1, kMonday).toInt(), 7);
    openJournal(kMonday);
    ASSERT_TRUE(j().fatigue.locate("id", id));
    j().CBox1->setChecked(true);   // the day is paid as a day off now
    t.dialogs.onModal("Form24", [&](QDialog& d) {
        EXPECT_EQ(e().Tag, 1);
        EXPECT_EQ(e().Edit1->text(), "Иванов И.И.");
        EXPECT_EQ(e().Edit2->text(), "Стулья");
        EXPECT_EQ(e().Edit6->text(), "6");
        EXPECT_EQ(e().cb_type_work->currentText(), "ср. сдельная");
        EXPECT_TRUE(e().CBox1->isChecked());
        EXPECT_FALSE(e().CBox1->isEnabled());
        // Another worker, another kind, another group and hours.
        pickWorker(3);
        pickGroup(502);
        e().cb_type_work->setCurrentIndex(0);
        e().Edit6->setText("5");
        EXPECT_EQ(e().DBEdit2->text(), "1200");   // 100 x 2 x 1.2 x 5
        e().Button1->click();
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    j().DBGrid1->doubleClicked(j().DBGrid1->model()->index(j().fatigue.recNo() - 1, 0));

    EXPECT_EQ(record(id), "3|7777|502|02.03.2026|3|2026|3|5|240|1|1");
    // The key it left keeps only the other record's hour; the new key has its hours.
    EXPECT_EQ(hours(1, 7778, 1, kMonday).toInt(), 1);
    EXPECT_EQ(hours(3, 7777, 1, kMonday).toInt(), 5);
    // The list is re-read on the same row number.
    EXPECT_EQ(shownRows(), (QStringList{"Иванов И.И.|Стулья|ср. сдельная|150|1|150,00||+",
                                        "Сидоров С.С.|Столы|хоз. работы|240|5|1200,00|+|+"}));
    EXPECT_EQ(j().fatigue.recNo(), 1);
}

TEST_F(MaintenanceEditorTest, AGroupWithAFifteenDigitKeyIsWrittenAndKeptWhole)
{
    // Above the 32-bit range: a key held in an int would be written wrapped.
    t.database.exec("insert into cmn_classifier.item (id, id_classifier, id_level, s_caption) values "
                    "(100000000000501, 1, 2, 'Шкафы')");
    openJournal(kMonday);
    add([&](QDialog& d) {
        pickWorker(2);
        pickGroup(100000000000501LL);
        EXPECT_EQ(e().Edit2->text(), "Шкафы");
        e().Edit6->setText("4");
        e().Button1->click();
        EXPECT_FALSE(d.isVisible());
    });
    const int id = lastId();
    EXPECT_EQ(record(id), "2|7777|100000000000501|02.03.2026|3|2026|1|4|100|0|0");

    // Changing the hours keeps the group as it was.
    ASSERT_TRUE(j().fatigue.locate("id", id));
    t.dialogs.onModal("Form24", [&](QDialog& d) {
        EXPECT_EQ(e().Edit2->text(), "Шкафы");
        e().Edit6->setText("5");
        e().Button1->click();
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    j().Button6->click();
    EXPECT_EQ(record(id), "2|7777|100000000000501|02.03.2026|3|2026|1|5|100|0|0");
}

TEST_F(MaintenanceEditorTest, ChecksComeInOrderAndTheKeyboardSavesOrCancels)
{
    openJournal(kMonday);
    add([&](QDialog& d) {
        // Nothing picked: the fields come first, whatever the hours.
        for (const QString& typed : {QString("0"), QString(""), QString("8")}) {
            e().Edit6->setText(typed);
            t.dialogs.expectBox(MessageKind::Error, kIncomplete, QMessageBox::Ok, "Ошибка");
            e().Button1->click();
        }
        pickWorker(1);
        e().Edit6->setText("8");
        t.dialogs.expectBox(MessageKind::Error, kIncomplete, QMessageBox::Ok, "Ошибка");
        e().Button1->click();
        pickGroup(501);
        // Then the hours: none and 0 alike, and more than a day.
        for (const QString& typed : {QString("0"), QString(""), QString("000")}) {
            e().Edit6->setText(typed);
            t.dialogs.expectBox(MessageKind::Error, kNoHours, QMessageBox::Ok, "Ошибка");
            e().Button1->click();
            EXPECT_TRUE(d.isVisible());
        }
        for (const QString& typed : {QString("25"), QString("999999999")}) {
            e().Edit6->setText(typed);
            t.dialogs.expectBox(MessageKind::Error, "Время больше 24 часов!", QMessageBox::Ok, "Ошибка");
            e().Button1->click();
            EXPECT_TRUE(d.isVisible());
        }
        EXPECT_EQ(records(), 0);

        // Only digits reach the hours.
        e().Edit6->clear();
        for (const QChar c : QString("1a,2 -"))
            press(e().Edit6, Qt::Key_unknown, QString(c));
        EXPECT_EQ(e().Edit6->text(), "12");
        // The tab order among the controls that take the focus.
        QStringList order;
        QWidget* w = e().Button3;
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->window() == &d)
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != e().Button3);
        EXPECT_EQ(order, (QStringList{"Button3", "Button4", "cb_type_work", "Edit6", "CBox1", "Button1", "Button6"}));
        // Every input field is named by its label.
        EXPECT_EQ(e().Edit1->accessibleName(), "ФИО");
        EXPECT_EQ(e().Edit2->accessibleName(), "Номенклатура");
        EXPECT_EQ(e().cb_type_work->accessibleName(), "Работа");
        EXPECT_EQ(e().DBEdit1->accessibleName(), "Цена");
        EXPECT_EQ(e().DBEdit2->accessibleName(), "Сумма");
        EXPECT_EQ(e().Label5->text(), "ч.    Цена");
        EXPECT_EQ(e().Label6->text(), "р.    Сумма");
        // Enter saves.
        EXPECT_TRUE(e().Button1->isDefault());
        press(e().Edit6, Qt::Key_Return);
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(records(), 1);
    EXPECT_EQ(hours(1, 7777, 0, kMonday).toInt(), 12);

    // Esc leaves without writing.
    add([&](QDialog& d) {
        pickWorker(2);
        pickGroup(501);
        e().Edit6->setText("4");
        press(e().Edit6, Qt::Key_Escape);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.result(), QDialog::Rejected);
    });
    EXPECT_EQ(records(), 1);
}

TEST_F(MaintenanceEditorTest, AKindWithoutAPricedNormIsRefusedByNameAndNothingIsWritten)
{
    // Average piecework has norm rows, but none with a price above 0.
    t.database.exec("update accounts_dep.norm set price=NULL where o_id=7002");
    t.database.exec("insert into accounts_dep.norm (o_id, norma, prize, price) values (7002, 2, 0, 0)");
    openJournal(kMonday);
    add([&](QDialog& d) {
        pickWorker(1);
        pickGroup(501);
        e().Edit6->setText("8");
        e().cb_type_work->setCurrentIndex(1);
        ASSERT_EQ(e().cb_type_work->currentText(), "ср. сдельная");
        EXPECT_EQ(e().DBEdit1->text(), "");
        EXPECT_EQ(e().DBEdit2->text(), "");
        t.dialogs.expectBox(MessageKind::Error,
                            "Для вида работ «ср. сдельная» в нормах не задана цена. Запись не сохранена.",
                            QMessageBox::Ok, "Ошибка");
        e().Button1->click();
        EXPECT_TRUE(d.isVisible());
        // Maintenance work has a price: that one is written.
        e().cb_type_work->setCurrentIndex(0);
        e().Button1->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.fatigue where id_o=7778"), 0);
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.fatigue where price is null or price=0"), 0);
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.h_tabel where i_type=7778"), 0);
}

TEST_F(MaintenanceEditorTest, AFailedPostingLeavesNoRecordAndTheInputForAnotherTry)
{
    const QString refused = refuseWrites(t.database, "accounts_dep.h_tabel", "insert or update");
    ASSERT_FALSE(refused.isEmpty());
    openJournal(kMonday);
    add([&](QDialog& d) {
        pickWorker(1);
        pickGroup(501);
        e().Edit6->setText("3");
        t.dialogs.expectBox(MessageKind::Error, refused);
        e().Button1->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(records(), 0);   // the record went with its posting
        EXPECT_EQ(e().Edit6->text(), "3");

        t.database.exec("drop trigger refused on accounts_dep.h_tabel");
        e().Button1->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(records(), 1);
    EXPECT_EQ(hours(1, 7777, 0, kMonday).toInt(), 3);
}

TEST_F(MaintenanceEditorTest, ASavedRecordClosesTheEditorWhenTheListCannotBeReadAgainAndIsWrittenOnce)
{
    openJournal(kMonday);
    // The list names the groups through their table; the save does not read it.
    QString unreadable;
    auto withoutGroups = [&] {
        t.database.exec("alter table cmn_classifier.item rename to item_away");
        try {
            Dataset list(t.database.db());
            list.setSql(j().fatigue.sql());
            list.setParam("d_date", kMonday);
            list.open();
        } catch (const DbError& error) {
            unreadable = error.text();
        }
        ASSERT_FALSE(unreadable.isEmpty());
    };
    add([&](QDialog& d) {
        pickWorker(1);
        pickGroup(501);
        e().Edit6->setText("3");
        withoutGroups();
        // The failed re-read is shown; the table is back before the journal
        // reads its list on return.
        t.dialogs.expectBox(MessageKind::Error, unreadable, QMessageBox::Ok, "Ошибка", [&] {
            t.database.exec("alter table cmn_classifier.item_away rename to item");
        });
        e().Button1->click();
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.result(), QDialog::Accepted);
        if (d.isVisible())
            e().Button1->click();   // what the user would do with the editor still open
    });
    EXPECT_EQ(records(), 1);
    EXPECT_EQ(hours(1, 7777, 0, kMonday).toInt(), 3);
    EXPECT_EQ(shownRows(), QStringList{"Иванов И.И.|Стулья|хоз. работы|100|3|300,00||"});
}

TEST_F(MaintenanceEditorTest, TheRuleRefusesMoreHoursThanADayWhoeverCallsIt)
{
    MaintenanceEntry::Record r;
    r.group = 501;
    r.kind = 7777;
    r.worker = 1;
    r.date = kMonday;
    r.hours = 25;
    r.priceUnits = 1000000;
    try {
        MaintenanceEntry::save(dm(), r);
        ADD_FAILURE() << "written";
    } catch (const DbError& error) {
        EXPECT_EQ(error.text(), "Время больше 24 часов!");
    }
    const int id = addFatigue(t.database, 1, 7777, 501, kMonday, 8, "100");
    EXPECT_THROW(MaintenanceEntry::save(dm(), r, id), DbError);
    EXPECT_EQ(record(id), "1|7777|501|02.03.2026|3|2026|1|8|100|0|0");
    EXPECT_EQ(records(), 1);
    EXPECT_FALSE(dm().ADO_DB.inTransaction());
}
