// The workers list (catalog and pickers) and the worker editor.
#include "widgets/ListMode.h"
#include "catalogs/TForm2.h"
#include "catalogs/TForm5.h"
#include "ledger/WorkerDelete.h"
#include "db/DbError.h"
#include "ledger/MonthClosing.h"
#include "tests/catalogs/CatalogFixture.h"

#include <QAction>
#include <QComboBox>

namespace {

class WorkersTest : public CatalogTest {
protected:
    void SetUp() override
    {
        CatalogTest::SetUp();
        TestDatabase& db = t.database;
        db.exec("insert into hrms_staffpos.staffpos (id, s_caption) values (1, 'Станочник'), (2, 'Маляр'), (3, 'Сборщик')");
        db.exec("insert into cmn_department.department (id, s_caption) values (11, 'Цех №1'), (12, 'Малярный участок')");
        db.exec("insert into adm_role.roles (id, s_caption) values (21, 'Мастер смены'), (22, 'Рабочий')");
        db.exec("insert into accounts_dep.person (id, fio, s_staffpos_hl) values "
                "(1, 'Иванов И.И.', 'Станочник'), (2, 'Ивашкин П.П.', 'Маляр'), (3, 'Сидоров Иван', 'Цех №1'), "
                "(4, 'О''Брайен А.А.', ''), (5, '%Процентов Б.Б.', ''), (6, 'иванова-Ли В.В.', 'Сборщик'), "
                "(7, '  Петров П.П.  ', 'Маляр')");
        db.exec("select setval(pg_get_serial_sequence('accounts_dep.person', 'id'), 100)");
    }

    TForm5& list() { return owner.form5(); }
    TForm2& editor() { return owner.form2(); }
    Dataset& workers() { return dm().Workers; }
    QStringList names() { return column(list().DBGrid1); }
    int rowOf(const QString& fio)
    {
        return names().indexOf(fio);
    }
    void standOn(int id) { ASSERT_TRUE(workers().locate("id", id)); }
};

TEST_F(WorkersTest, EachOpenerPreparesTheListAsItsTableSays)
{
    struct Case {
        int mode;
        QString button2;
        bool addAndDelete;
        QString defaultButton;
    };
    const Case cases[] = {
        {ListMode::Catalog, "Изменить", true, "Button1"},
        {ListMode::Picker, "Выбрать", false, "Button2"},
        {ListMode::MaintenancePicker, "Выбрать", false, "Button2"},
        {ListMode::Catalog, "Изменить", true, "Button1"},   // after a picker
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        list().Edit1->setText("Ив");   // left over from an earlier use
        std::optional<Picked> picked;
        t.dialogs.onModal("Form5", [&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Список рабочих");
            EXPECT_EQ(list().Tag, c.mode);
            EXPECT_EQ(list().Button2->text(), c.button2);
            EXPECT_TRUE(list().Button2->isVisible());
            EXPECT_EQ(list().Button1->isVisible(), c.addAndDelete);
            EXPECT_EQ(list().Button3->isVisible(), c.addAndDelete);
            EXPECT_EQ(defaultButton(d), c.defaultButton);
            EXPECT_TRUE(list().Edit1->isVisible());
            if (c.mode == ListMode::Catalog) {
                // The catalog leaves the filter as it was.
                EXPECT_EQ(list().Edit1->text(), "Ив");
                EXPECT_EQ(names().size(), 3);
                // Enter presses "Добавить".
                t.dialogs.onModal("Form2", [&](QDialog& e) {
                    EXPECT_EQ(e.windowTitle(), "Заведение данных нового работника");
                    return int(QDialog::Rejected);
                });
            } else {
                EXPECT_EQ(list().Edit1->text(), "");
                EXPECT_EQ(names().size(), 7);
                standOn(7);
            }
            press(list().DBGrid1, Qt::Key_Return);
            return d.result();
        });
        if (c.mode == ListMode::Catalog) {
            journal().ActWorkers->trigger();
            EXPECT_FALSE(picked);
            EXPECT_EQ(t.dialogs.shownWindows().last(), "Form2");
        } else {
            const int result = list().pick(c.mode, [&](int id, const QString& name) { picked = Picked{id, name}; });
            EXPECT_EQ(result, QDialog::Accepted);
            ASSERT_TRUE(picked);
            EXPECT_EQ(picked->id, 7);
            EXPECT_EQ(picked->name, "Петров П.П.");   // trimmed
        }
        EXPECT_FALSE(list().isVisible());
        EXPECT_FALSE(workers().isOpen());
    }
    EXPECT_TRUE(journal().ActWorkers->isEnabled());
}

TEST_F(WorkersTest, PickerHandsBackTheDoubleClickedRowOrNothingFromAnEmptyList)
{
    for (const int mode : {ListMode::Picker, ListMode::MaintenancePicker}) {
        SCOPED_TRACE(mode);
        std::optional<Picked> picked;
        t.dialogs.onModal("Form5", [&](QDialog& d) {
            // A double click first makes the row current, then chooses it.
            const QModelIndex index = list().DBGrid1->model()->index(rowOf("О'Брайен А.А."), 0);
            list().DBGrid1->setCurrentIndex(index);
            emit list().DBGrid1->doubleClicked(index);
            return d.result();
        });
        list().pick(mode, [&](int id, const QString& name) { picked = Picked{id, name}; });
        ASSERT_TRUE(picked);
        EXPECT_EQ(picked->id, 4);
        EXPECT_EQ(picked->name, "О'Брайен А.А.");

        // A filter that matches nobody: "Выбрать" closes and hands back nothing.
        picked.reset();
        t.dialogs.onModal("Form5", [&](QDialog& d) {
            type(list().Edit1, "Щщ");
            EXPECT_EQ(names().size(), 0);
            list().Button2->click();
            EXPECT_FALSE(d.isVisible());
            return d.result();
        });
        EXPECT_EQ(list().pick(mode, [&](int id, const QString& name) { picked = Picked{id, name}; }), QDialog::Rejected);
        EXPECT_FALSE(picked);
    }
}

TEST_F(WorkersTest, FilterKeepsNamesBeginningWithTheTypedTextInAnyLetterCase)
{
    list().preparePicker(ListMode::Picker, [](int, const QString&) {});
    struct Case {
        QString typed;
        QStringList shown;
    };
    const Case cases[] = {
        {"ив", {"Иванов И.И.", "иванова-Ли В.В.", "Ивашкин П.П."}},
        {"ИВАН", {"Иванов И.И.", "иванова-Ли В.В."}},
        {"Иван", {"Иванов И.И.", "иванова-Ли В.В."}},   // "Сидоров Иван" only contains it
        {"%", {"%Процентов Б.Б."}},
        {"о'", {"О'Брайен А.А."}},
        {"_", {}},
        {"\\", {}},
        {"  Пет", {"  Петров П.П."}},   // the grid leaves out trailing blanks
    };
    for (const Case& c : cases) {
        list().Edit1->setText(c.typed);
        QStringList shown = names();
        shown.sort();
        QStringList expected = c.shown;
        expected.sort();
        EXPECT_EQ(shown, expected) << c.typed.toStdString();
    }
    list().Edit1->clear();
    EXPECT_EQ(names().size(), 7);
    EXPECT_FALSE(workers().filtered());
    list().finishPicker();
}

TEST_F(WorkersTest, FilterFieldKeysMoveTheListAndLeaveTheTextToTypingAndBackspace)
{
    list().preparePicker(ListMode::Picker, [](int, const QString&) {});
    type(list().Edit1, "Ив");
    EXPECT_EQ(list().Edit1->text(), "Ив");
    ASSERT_EQ(names().size(), 3);
    EXPECT_EQ(currentRow(list().DBGrid1), 0);
    press(list().Edit1, Qt::Key_Down);
    press(list().Edit1, Qt::Key_Down);
    press(list().Edit1, Qt::Key_Down);   // past the last row: stays
    EXPECT_EQ(workers().recNo(), 3);
    EXPECT_EQ(currentRow(list().DBGrid1), 2);
    press(list().Edit1, Qt::Key_Up);
    EXPECT_EQ(workers().recNo(), 2);

    list().Edit1->setCursorPosition(0);
    press(list().Edit1, Qt::Key_Delete, "\x7f");
    press(list().Edit1, Qt::Key_End);
    EXPECT_EQ(list().Edit1->text(), "Ив");
    EXPECT_EQ(list().Edit1->cursorPosition(), 0);
    list().Edit1->setCursorPosition(2);
    press(list().Edit1, Qt::Key_Backspace, "\b");
    EXPECT_EQ(list().Edit1->text(), "И");
    EXPECT_EQ(names().size(), 3);
    press(list().Edit1, Qt::Key_Backspace, "\b");
    EXPECT_EQ(list().Edit1->text(), "");
    EXPECT_EQ(names().size(), 7);
    list().finishPicker();
}

TEST_F(WorkersTest, AddingStoresTheTrimmedNameAndThePositionAsTyped)
{
    list().prepareCatalog();
    struct Case {
        QString typed;
        QString position;
        QString storedFio;
    };
    const Case cases[] = {
        {"  Новиков Н.Н.  ", "Маляр", "Новиков Н.Н."},
        {"О'Нил Д.", "Сборщик", "О'Нил Д."},
        {"Back\\slash 100%_", "Станочник", "Back\\slash 100%_"},
        // No position chosen: none is stored, not the one shown last.
        {"Козлов К.К.", "", "Козлов К.К."},
    };
    for (const Case& c : cases) {
        t.dialogs.onModal("Form2", [&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Заведение данных нового работника");
            EXPECT_EQ(editor().Edit1->text(), "");
            EXPECT_EQ(editor().LCB_staffpos->count(), 3);
            EXPECT_EQ(editor().LCB_department->count(), 2);
            EXPECT_EQ(editor().LCB_roles->count(), 2);
            // A new worker starts without a position.
            EXPECT_EQ(editor().LCB_staffpos->currentIndex(), -1);
            EXPECT_EQ(editor().LCB_staffpos->currentText(), "");
            editor().Edit1->setText(c.typed);
            if (!c.position.isEmpty())
                editor().LCB_staffpos->setCurrentIndex(editor().LCB_staffpos->findText(c.position));
            editor().Button1->click();
            EXPECT_FALSE(d.isVisible());
            return d.result();
        });
        list().Button1->click();
        EXPECT_EQ(workers().recNo(), 1);
        Dataset check(t.database.db());
        check.setSql("select fio, s_staffpos_hl from accounts_dep.person where id = (select max(id) from accounts_dep.person)");
        check.open();
        EXPECT_EQ(check.field("fio").asString(), c.storedFio);
        EXPECT_EQ(check.field("s_staffpos_hl").asString(), c.position);
        EXPECT_TRUE(names().contains(c.storedFio));
        // The journal sees the new worker as a person at once.
        EXPECT_EQ(t.database.scalar("select s_caption from cmn_contractor.person where id = (select max(id) from "
                                    "accounts_dep.person)")
                      .toString(),
                  c.storedFio);
    }

    // A name of blanks only is refused and the editor stays open.
    const int before = t.database.count("select count(*) from accounts_dep.person");
    t.dialogs.onModal("Form2", [&](QDialog& d) {
        editor().Edit1->setText("   ");
        t.dialogs.expectBox(MessageKind::Error, "ФИО нужно заполнить!", QMessageBox::Ok, "Ошибка");
        editor().Button1->click();
        EXPECT_TRUE(d.isVisible());
        editor().Button2->click();
        return d.result();
    });
    list().Button1->click();
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.person"), before);
    list().finishCatalog();
}

TEST_F(WorkersTest, ChangingPreselectsWhatTheWorkerHoldsKeepsAnUnlistedPositionAndReturnsToTheJournal)
{
    struct Case {
        int id;
        QString shownName;
        QString staffpos;     // what the position list shows
        QString department;   // what the department list shows
        QString newName;
        QString picked;       // the position the user picks, if any
        QString storedPosition;
    };
    const Case cases[] = {
        {2, "Ивашкин П.П.", "Маляр", "", "Ивашкин П.Р.", "", "Маляр"},
        // A text that the position list does not offer (here a department's):
        // the list shows nothing chosen, and a fix of the name keeps the
        // stored text.
        {3, "Сидоров Иван", "", "Цех №1", "Сидоров И.", "", "Цех №1"},
        // ... until the user picks a position.
        {3, "Сидоров И.", "", "Цех №1", "Сидоров И.", "Сборщик", "Сборщик"},
        // Unmatched lists that are not stored keep their last entry.
        {7, "Петров П.П.", "Маляр", "Цех №1", "Петров П.П.", "", "Маляр"},
        // An empty stored position stays empty.
        {4, "О'Брайен А.А.", "", "", "О'Брайен А.Б.", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        bool listClosed = false;
        t.dialogs.onModal("Form5", [&](QDialog& d) {
            standOn(c.id);
            const int row = workers().recNo();
            t.dialogs.onModal("Form2", [&](QDialog& e) {
                EXPECT_EQ(e.windowTitle(), "Изменение данных работника");
                EXPECT_EQ(editor().Tag, EditorMode::Change);
                EXPECT_EQ(editor().Edit1->text(), c.shownName);
                EXPECT_EQ(editor().LCB_staffpos->currentText(), c.staffpos);
                if (!c.department.isEmpty())
                    EXPECT_EQ(editor().LCB_department->currentText(), c.department);
                editor().Edit1->setText(c.newName);
                if (!c.picked.isEmpty())
                    editor().LCB_staffpos->setCurrentIndex(editor().LCB_staffpos->findText(c.picked));
                editor().Button1->click();
                return e.result();
            });
            list().Button2->click();
            listClosed = !d.isVisible();
            EXPECT_EQ(workers().recNo(), row);
            return d.result();
        });
        journal().ActWorkers->trigger();
        EXPECT_TRUE(listClosed);
        Dataset check(t.database.db());
        check.setSql(QStringLiteral("select fio, s_staffpos_hl from accounts_dep.person where id = %1").arg(c.id));
        check.open();
        EXPECT_EQ(check.field("fio").asString(), c.newName);
        EXPECT_EQ(check.field("s_staffpos_hl").asString(), c.storedPosition);
    }

    // Cancelled, the change still ends in the journal.
    t.dialogs.onModal("Form5", [&](QDialog& d) {
        t.dialogs.onModal("Form2", [](QDialog& e) {
            e.reject();
            return e.result();
        });
        list().Button2->click();
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    journal().ActWorkers->trigger();
}

TEST_F(WorkersTest, DeletingAsksAndKeepsTheRowNumberOrShowsTheDatabasesRefusal)
{
    t.database.exec("insert into accounts_dep.vid_oper (id, vid) values (1, 'Резка')");
    t.database.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values (100, 1, 10, 0)");
    t.database.exec("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) "
                    "values ('02.03.2026', 1, 1, 10, 100, 1, 5, 0, 8, 'ok')");
    list().prepareCatalog();

    // No: nothing happens.
    standOn(2);
    const int row = workers().recNo();
    t.dialogs.expectBox(MessageKind::Question, "Удалить работника?", QMessageBox::No, "Удаление");
    list().Button3->click();
    EXPECT_EQ(names().size(), 7);
    EXPECT_EQ(workers().recNo(), row);

    // Yes: gone, the same row number stays current.
    t.dialogs.expectBox(MessageKind::Question, "Удалить работника?", QMessageBox::Yes, "Удаление");
    list().Button3->click();
    EXPECT_EQ(names().size(), 6);
    EXPECT_FALSE(names().contains("Ивашкин П.П."));
    EXPECT_EQ(workers().recNo(), row);
    EXPECT_EQ(t.database.count("select count(*) from cmn_contractor.person where id = 2"), 0);

    // The last row: the new last row is current.
    workers().last();
    t.dialogs.expectBox(MessageKind::Question, "Удалить работника?", QMessageBox::Yes, "Удаление");
    list().Button3->click();
    EXPECT_EQ(names().size(), 5);
    EXPECT_EQ(workers().recNo(), 5);
    EXPECT_EQ(currentRow(list().DBGrid1), 4);

    // A worker with shift records: the database refuses, its message is
    // shown and the list stays as it was.
    QString refusal;
    try {
        Transaction tx(t.database.db());
        t.database.exec("delete from accounts_dep.person where id =1");
    } catch (const DbError& e) {
        refusal = e.text();
    }
    ASSERT_FALSE(refusal.isEmpty());
    standOn(1);
    const int workerRow = workers().recNo();
    t.dialogs.expectBox(MessageKind::Question, "Удалить работника?", QMessageBox::Yes, "Удаление");
    t.dialogs.expectBox(MessageKind::Error, refusal, QMessageBox::Ok, "Ошибка");
    list().Button3->click();
    EXPECT_EQ(names().size(), 5);
    EXPECT_EQ(workers().recNo(), workerRow);
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.person where id = 1"), 1);
    list().finishCatalog();

    // An empty list asks nothing.
    t.database.exec("delete from accounts_dep.smena");
    t.database.exec("delete from accounts_dep.person");
    list().prepareCatalog();
    list().Button3->click();
    list().Button2->click();
    EXPECT_EQ(t.dialogs.shownWindows().count("Form2"), 0);
    list().finishCatalog();
}

TEST_F(WorkersTest, AWorkerWithMaintenanceRecordsOrTimesheetRowsStaysAndTheClosedMonthIsNamedFirst)
{
    // Neither table refers to the worker, so nothing in the database stops
    // his delete: the list does, naming what he still has.
    TestDatabase& db = t.database;
    db.exec("insert into accounts_dep.vid_oper (id, vid) values (1, 'Резка')");
    db.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values (100, 1, 10, 0)");
    auto maintenance = [&](int worker, const char* day) {
        db.exec(QStringLiteral("insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, i_mnth, i_year, i_smena, cnt, "
                               "price, i_holiday, i_night) values (%1, 7777, 1, date '%2', extract(month from date '%2'), "
                               "extract(year from date '%2'), 1, 4, 100, 0, 0)")
                    .arg(worker)
                    .arg(QString::fromLatin1(day)));
    };
    auto timesheetRow = [&](int worker, int shift, int type, int month) {
        db.exec(QStringLiteral("insert into accounts_dep.h_tabel (w_id, smena, i_type, month, year, d2) values "
                               "(%1, %2, %3, %4, 2026, 4)")
                    .arg(worker)
                    .arg(shift)
                    .arg(type)
                    .arg(month));
    };
    maintenance(2, "2026-03-02");
    // Rows left after their records went (another program, an import).
    timesheetRow(3, 1, 0, 3);
    timesheetRow(3, 0, 7777, 3);
    db.exec("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) values "
            "('02.03.2026', 1, 1, 10, 100, 1, 5, 0, 8, 'ok'), ('03.03.2026', 1, 1, 10, 100, 1, 5, 0, 8, 'ok')");
    timesheetRow(1, 1, 0, 3);
    maintenance(1, "2026-03-04");
    // February is closed: his typed row there would drop out of its pay.
    maintenance(6, "2026-02-10");
    timesheetRow(6, 0, 7777, 2);
    timesheetRow(6, 1, 0, 3);
    ASSERT_EQ(MonthClosing::close(dm(), 2026, 2, LoginRole::Full), MonthClosing::Outcome::Done);
    const QString februaryClosed = MonthClosing::refusalText(2026, 2, *MonthClosing::closure(dm(), 2026, 2));

    struct Case {
        int id;
        QString refusal;   // empty: deleted
    };
    const Case cases[] = {
        {2, "Работника «Ивашкин П.П.» удалить нельзя, за ним числятся: записей хоз. работ и ср. сдельной — 1."},
        {3, "Работника «Сидоров Иван» удалить нельзя, за ним числятся: строк табеля — 2."},
        {1, "Работника «Иванов И.И.» удалить нельзя, за ним числятся: сменных записей — 2, записей хоз. работ и ср. "
            "сдельной — 1, строк табеля — 1."},
        {6, februaryClosed},
        {7, {}},   // nothing of his anywhere
    };
    list().prepareCatalog();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const QString before = db.scalar("select string_agg(id::text, ',' order by id) from accounts_dep.person").toString();
        standOn(c.id);
        const int row = workers().recNo();
        t.dialogs.expectBox(MessageKind::Question, "Удалить работника?", QMessageBox::Yes, "Удаление");
        if (!c.refusal.isEmpty())
            t.dialogs.expectBox(MessageKind::Error, c.refusal, QMessageBox::Ok, "Ошибка");
        list().Button3->click();
        EXPECT_FALSE(dm().ADO_DB.inTransaction());
        EXPECT_EQ(db.count(QStringLiteral("select count(*) from accounts_dep.person where id=%1").arg(c.id)),
                  c.refusal.isEmpty() ? 0 : 1);
        if (!c.refusal.isEmpty()) {
            EXPECT_EQ(db.scalar("select string_agg(id::text, ',' order by id) from accounts_dep.person").toString(), before);
            EXPECT_EQ(workers().recNo(), row);
        }
    }
    EXPECT_EQ(db.count("select count(*) from accounts_dep.fatigue"), 3);
    EXPECT_EQ(db.count("select count(*) from accounts_dep.h_tabel"), 5);
    list().finishCatalog();

    // Once February is open, he is refused for what he has, as the others are.
    ASSERT_EQ(MonthClosing::open(dm(), 2026, 2, LoginRole::Full), MonthClosing::Outcome::Done);
    Command command(dm().ADO_DB);
    try {
        WorkerDelete::run(dm(), command, 6);
        ADD_FAILURE() << "deleted";
    } catch (const DbError& e) {
        EXPECT_EQ(e.text(), "Работника «иванова-Ли В.В.» удалить нельзя, за ним числятся: записей хоз. работ и ср. "
                            "сдельной — 1, строк табеля — 2.");
    }
}

} // namespace
