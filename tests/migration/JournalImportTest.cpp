#include "widgets/DBGrid.h"
#include "db/TDataModule6.h"
#include "app/WindowOwner.h"
#include "db/DatasetModel.h"
#include "journal/TForm1.h"
#include "migration/LegacyImportHost.h"
#include "tests/migration/LegacyFixture.h"
#include "tests/support/TestApp.h"

#include <QAction>
#include <QDateEdit>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The hidden items of the journal's menu, run as the menu would run them.
class JournalImportTest : public ::testing::Test {
protected:
    JournalImportTest() : legacy(t.database) {}

    void SetUp() override
    {
        fillSmallLegacy(legacy, t.database);
        ASSERT_TRUE(owner.start(t.database.arguments()));
        for (int shift = 1; shift <= 4; ++shift)
            owner.dataModule().Smena(shift).setParam("ok", "ta");
    }

    TForm1& j() { return owner.form1(); }
    QLabel* label() { return j().findChild<QLabel*>("Label1"); }

    // The journal's rows of a day and shift as "fio|marka|vid|summa|ok".
    QStringList journalRows(const QDate& day, int shift)
    {
        j().DateT->setDate(day);
        j().DateTChange();
        j().RadioButtonClick(shift);
        DBGrid* grid = j().DBGrid2;
        const auto& cols = grid->datasetModel()->columns();
        auto column = [&](const char* field) {
            for (int c = 0; c < cols.size(); ++c)
                if (cols.at(c).field == QLatin1String(field))
                    return c;
            return -1;
        };
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r) {
            QStringList cells;
            for (const char* f : {"fio", "marka", "vid", "summa", "ok"})
                cells << grid->cellText(r, column(f)).trimmed();
            out << cells.join('|');
        }
        return out;
    }

    TestContext t;
    LegacySource legacy;
    WindowOwner owner{t.context()};
};

TEST_F(JournalImportTest, HiddenImportItemCopiesAndTheJournalShowsTheRecords)
{
    EXPECT_FALSE(j().ActImport->isVisible());
    EXPECT_FALSE(j().ActDbStructure->isVisible());
    ASSERT_NE(label(), nullptr);
    EXPECT_EQ(label()->text(), "Label1");
    EXPECT_TRUE(j().Timer1->isActive());

    j().ActImport->trigger();

    EXPECT_EQ(label()->text(), "smena: 3 из 3 записей");
    EXPECT_TRUE(label()->isHidden());
    EXPECT_TRUE(j().Timer1->isActive());
    EXPECT_EQ(journalRows(QDate(2026, 3, 2), 1),
              QStringList({"Иванов И.И.|СТ-100|Резка|22,50|ok", "Петров П.П.|СТ-200|Окраска КРАСКА|18,75|no"}));
    EXPECT_EQ(journalRows(QDate(2026, 3, 2), 2), QStringList({"О'Брайен Д.|Т-1|Резка|10,50|ok"}));
}

TEST_F(JournalImportTest, EmptyLastTableLeavesTheLabelAtTheTableBefore)
{
    t.database.exec("delete from public.smena");
    t.database.exec("insert into accounts_dep.person (id, fio) values (1, 'Старый И.И.')");
    t.database.exec("insert into accounts_dep.vid_oper (id, vid) values (1, 'Резка')");
    t.database.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values (100, 1, 10, 0)");
    t.database.exec("insert into accounts_dep.smena (id, data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) "
                    "values (5, '02.03.2026', 1, 1, 10, 100, 1, 1, 0, 1, 'ok')");

    j().ActImport->trigger();

    EXPECT_EQ(label()->text(), "WORKERS: 4 из 4 записей");
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.smena"), 0);
}

TEST_F(JournalImportTest, FailedImportIsShownAfterTheRollback)
{
    t.database.exec("update public.smena set o_id = 999 where id = 2");
    t.dialogs.expectBox(MessageKind::Error,
                        "Импорт не выполнен, данные не изменены.\n"
                        "smena → accounts_dep.smena, запись id=2: ссылка o_id=999 не найдена в accounts_dep.oper");

    j().ActImport->trigger();

    EXPECT_EQ(t.dialogs.shownBoxes().value(0).caption, "Ошибка");
    for (const char* table : {"h_tabel", "oper", "vid_oper", "workers", "smena", "nomenkl", "person"})
        EXPECT_EQ(t.database.count(QStringLiteral("select count(*) from accounts_dep.%1").arg(table)), 0) << table;
    // The program's own connection is free for the journal again.
    EXPECT_TRUE(journalRows(QDate(2026, 3, 2), 1).isEmpty());
}

TEST_F(JournalImportTest, DatabaseStructureItemChangesNothingAndShowsNothing)
{
    t.database.exec("insert into accounts_dep.fatigue (id_p, id_o, id_nom, d_date, cnt, price) "
                    "values (1, 7777, 47, '02.03.2026', 8, 100), (2, 7778, 48, '02.03.2026', 4, 90)");

    j().ActDbStructure->trigger();

    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.fatigue"), 2);
    EXPECT_TRUE(t.dialogs.shownBoxes().isEmpty());
    // The connection stays usable.
    EXPECT_EQ(journalRows(QDate(2026, 3, 2), 1).size(), 0);
}

} // namespace
