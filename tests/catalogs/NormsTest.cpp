// The norms window: the price format, editing in place, new rows from the
// keyboard, the delete rule and the save that re-reads the operations list.
#include "db/Command.h"
#include "db/DbError.h"
#include "tests/catalogs/OperationsFixture.h"

#include <QAbstractItemView>
#include <QLineEdit>

namespace {

class NormsTest : public OperationsFixture {
protected:
    // Types `text` into the cell of `row` and `column` of the grid and
    // presses Enter there, as a user does.
    void typeCell(int row, int column, const QString& text)
    {
        QLineEdit* cell = openCell(row, column, text);
        ASSERT_NE(cell, nullptr) << "no editor in " << row << "/" << column;
        press(cell, Qt::Key_Return);
    }
    // Opens the editor of a cell and types `text` over its value; answers
    // the editor, still open.
    QLineEdit* openCell(int row, int column, const QString& text)
    {
        DBGrid* grid = norms().DBGrid1;
        const QModelIndex index = grid->model()->index(row, column);
        grid->setCurrentIndex(index);
        grid->edit(index);
        auto* cell = qobject_cast<QLineEdit*>(grid->indexWidget(index));
        if (cell) {
            cell->selectAll();
            type(cell, text);
        }
        return cell;
    }
    QStringList gridRows()
    {
        QStringList out;
        DBGrid* grid = norms().DBGrid1;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            out << QStringList{grid->cellText(r, 2), grid->cellText(r, 3), grid->cellText(r, 4)}.join('/');
        return out;
    }

    static constexpr int kNorma = 2, kPrice = 3, kPrize = 4;
};

} // namespace

TEST_F(NormsTest, NormsPriceShowsTwoToThreeDecimals)
{
    const struct {
        QVariant value;
        const char* shown;
    } cases[] = {
        {12.5, "12,50"}, {12.125, "12,125"}, {10.0, "10,00"}, {0.5, "0,50"}, {1234.5, "1234,50"},
        {12.1, "12,10"}, {0.0, "0,00"},      {QVariant(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TForm22::priceText(c.value), QString::fromUtf8(c.shown)) << c.value.toString().toStdString();
}

TEST_F(NormsTest, NormsDeleteKeepsTheLastNorm)
{
    oper().open();
    norms().openFor(100);
    EXPECT_EQ(gridRows(), (QStringList{"50/12,50/0", "100/10,00/5"}));
    norms().norm.setRecNo(1);
    norms().Button2->click();   // two norms: the current one goes at once
    EXPECT_EQ(storedNorms(100), QStringList{"100/10/5"});
    EXPECT_EQ(gridRows(), QStringList{"100/10,00/5"});
    norms().Button2->click();   // the only one stays, nothing is asked
    EXPECT_EQ(storedNorms(100), QStringList{"100/10/5"});
    EXPECT_TRUE(t.dialogs.shownBoxes().isEmpty());
}

TEST_F(NormsTest, NormsEditedAndAppendedFromTheKeyboardAreSavedForTheOperation)
{
    openCatalog([&] {
        ASSERT_TRUE(oper().locate("id", 100));
        const int row = oper().recNo();
        list().CheckBox1->setChecked(true);
        t.dialogs.onModal("Form22", [&](QDialog& d) {
            // A price changed in place.
            typeCell(1, kPrice, "8,5");
            EXPECT_EQ(storedNorms(100), (QStringList{"50/12.5/0", "100/8.5/5"}));
            // Down on the last row starts a new one; typed cells write it,
            // with the operation's id.
            norms().norm.setRecNo(2);
            press(norms().DBGrid1, Qt::Key_Down);
            EXPECT_EQ(norms().norm.recordCount(), 3);
            EXPECT_TRUE(norms().newRow);
            typeCell(2, kNorma, "200");
            typeCell(2, kPrice, "6.125");
            typeCell(2, kPrize, "3");
            EXPECT_EQ(storedNorms(100), (QStringList{"50/12.5/0", "100/8.5/5", "200/6.125/3"}));
            EXPECT_EQ(gridRows().last(), "200/6,125/3");
            // A new row nothing was typed into goes when it is left.
            press(norms().DBGrid1, Qt::Key_Insert);
            EXPECT_EQ(norms().norm.recordCount(), 4);
            press(norms().DBGrid1, Qt::Key_Up);
            EXPECT_EQ(norms().norm.recordCount(), 3);
            EXPECT_EQ(norms().norm.state(), Dataset::State::Browse);
            // Esc saves: the list shows the new lowest price and count on the same row.
            press(norms().DBGrid1, Qt::Key_Escape);
            EXPECT_FALSE(d.isVisible());
            return d.result();
        });
        list().DBGrid1DblClick();
        EXPECT_EQ(oper().recNo(), row);
        EXPECT_EQ(shown(100, "cena"), "6,125");
        EXPECT_EQ(shown(100, "norma"), "3");
    });
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.norm where o_id is null"), 0);
}

TEST_F(NormsTest, NormsEnterSavesAndAnEmptyListStartsARow)
{
    t.database.exec("delete from accounts_dep.norm where o_id=101");
    oper().open();
    ASSERT_TRUE(oper().locate("id", 103));
    norms().openFor(101);
    t.dialogs.onModal("Form22", [&](QDialog& d) {
        // An operation without norms: entering the grid starts a row.
        norms().DBGrid1ColEnter();
        EXPECT_EQ(norms().norm.recordCount(), 1);
        typeCell(0, kPrice, "2,5");
        EXPECT_EQ(storedNorms(101), QStringList{"-/2.5/-"});
        press(norms().DBGrid1, Qt::Key_Return);
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    t.dialogs.showModal(norms());
    // The list is read again on the row it stood on.
    EXPECT_EQ(oper().field("id").asInt(), 103);
    EXPECT_EQ(shown(101, "cena"), "2,5");
}

TEST_F(NormsTest, NormsRefusedRowStaysAsTypedUntilPutRightAndWrittenRowsFollowNormaOrder)
{
    oper().open();
    norms().openFor(100);
    t.dialogs.expectBox(MessageKind::Error, "'99999999999' не является целым числом");
    norms().commitCell(0, "norma", "99999999999");
    EXPECT_EQ(gridRows().first(), "50/12,50/0");
    EXPECT_EQ(norms().norm.state(), Dataset::State::Browse);

    // A value the database refuses: the row stays in the grid unsaved, with
    // the value typed, until it is put right.
    t.database.exec("create function accounts_dep.norma_small() returns trigger language plpgsql as "
                    "$$ begin if new.norma >= 1000 then raise exception 'Норматив не больше 999'; end if; "
                    "return new; end $$");
    t.database.exec("create trigger norma_small before insert or update on accounts_dep.norm "
                    "for each row execute function accounts_dep.norma_small()");
    QString refused;
    try {
        Command(t.database.db(), "update accounts_dep.norm set norma=5000 where id=1").execute();
    } catch (const DbError& error) {
        refused = error.text();
    }
    ASSERT_FALSE(refused.isEmpty());
    t.dialogs.expectBox(MessageKind::Error, refused);
    norms().commitCell(0, "norma", "5000");
    EXPECT_EQ(gridRows().first(), "5000/12,50/0");
    EXPECT_EQ(storedNorms(100).first(), "50/12.5/0");
    EXPECT_TRUE(norms().rowPending());
    // Another row only once this one is written: tried again, refused again, it stays.
    t.dialogs.expectBox(MessageKind::Error, refused);
    press(norms().DBGrid1, Qt::Key_Down);
    EXPECT_EQ(norms().norm.recNo(), 1);
    EXPECT_EQ(gridRows().first(), "5000/12,50/0");
    // Put right, it is written and the grid is read again in norma order.
    norms().commitCell(0, "norma", "500");
    EXPECT_FALSE(norms().rowPending());
    EXPECT_EQ(storedNorms(100), (QStringList{"500/12.5/0", "100/10/5"}));
    EXPECT_EQ(gridRows(), (QStringList{"100/10,00/5", "500/12,50/0"}));
    EXPECT_EQ(norms().norm.field("id").asInt(), 1);   // still on the norm just written

    // Typed into the grid, the cursor stays on the written cell after the re-read.
    typeCell(0, kPrice, "11");
    EXPECT_EQ(norms().DBGrid1->currentIndex().row(), 0);
    EXPECT_EQ(norms().DBGrid1->currentIndex().column(), kPrice);
    typeCell(0, kNorma, "600");
    EXPECT_EQ(gridRows(), (QStringList{"500/12,50/0", "600/11,00/5"}));
    EXPECT_EQ(norms().DBGrid1->currentIndex().row(), 1);
    EXPECT_EQ(norms().DBGrid1->currentIndex().column(), kNorma);

    // A refused new row stays too, and "Сохранить" keeps the window open on it.
    t.dialogs.onModal("Form22", [&](QDialog& d) {
        norms().appendRow();
        t.dialogs.expectBox(MessageKind::Error, refused);
        norms().commitCell(2, "norma", "7000");
        EXPECT_EQ(gridRows().last(), "7000//");
        EXPECT_EQ(norms().norm.state(), Dataset::State::Insert);
        t.dialogs.expectBox(MessageKind::Error, refused);
        norms().Button1->click();
        EXPECT_TRUE(d.isVisible());
        norms().commitCell(2, "norma", "700");
        norms().Button1->click();
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    t.dialogs.showModal(norms());
    EXPECT_EQ(storedNorms(100), (QStringList{"500/12.5/0", "600/11/5", "700/-/-"}));
}

TEST_F(NormsTest, NormsEscInAnOpenCellSavesTheTypedValue)
{
    openCatalog([&] {
        ASSERT_TRUE(oper().locate("id", 100));
        list().CheckBox1->setChecked(true);
        t.dialogs.onModal("Form22", [&](QDialog& d) {
            QLineEdit* cell = openCell(0, kPrice, "9,75");
            EXPECT_NE(cell, nullptr);
            if (!cell)
                return d.result();
            press(cell, Qt::Key_Escape);
            EXPECT_FALSE(d.isVisible());
            return d.result();
        });
        list().DBGrid1DblClick();
        EXPECT_EQ(shown(100, "cena"), "9,75");

        // A value that cannot be a norm: told, and the window stays open.
        t.dialogs.onModal("Form22", [&](QDialog& d) {
            QLineEdit* cell = openCell(0, kNorma, "99999999999");
            EXPECT_NE(cell, nullptr);
            if (!cell)
                return d.result();
            t.dialogs.expectBox(MessageKind::Error, "'99999999999' не является целым числом");
            press(cell, Qt::Key_Escape);
            EXPECT_TRUE(d.isVisible());
            press(norms().DBGrid1, Qt::Key_Escape);   // with nothing pending it saves and closes
            EXPECT_FALSE(d.isVisible());
            return d.result();
        });
        list().DBGrid1DblClick();
        EXPECT_EQ(shown(100, "cena"), "9,75");
    });
    EXPECT_EQ(storedNorms(100), (QStringList{"50/9.75/0", "100/10/5"}));
}
