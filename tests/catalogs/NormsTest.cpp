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
        DBGrid* grid = norms().DBGrid1;
        const QModelIndex index = grid->model()->index(row, column);
        grid->setCurrentIndex(index);
        grid->edit(index);
        auto* cell = qobject_cast<QLineEdit*>(grid->indexWidget(index));
        ASSERT_NE(cell, nullptr) << "no editor in " << row << "/" << column;
        cell->selectAll();
        type(cell, text);
        press(cell, Qt::Key_Return);
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

TEST_F(NormsTest, NormsRefusedValueLeavesTheStoredRow)
{
    oper().open();
    norms().openFor(100);
    t.dialogs.expectBox(MessageKind::Error, "'99999999999' не является целым числом");
    norms().commitCell(0, "norma", "99999999999");
    EXPECT_EQ(gridRows().first(), "50/12,50/0");
    EXPECT_EQ(norms().norm.state(), Dataset::State::Browse);

    // A value the database refuses: the row shows what is stored.
    t.database.exec("alter table accounts_dep.norm add constraint norma_small check (norma < 1000)");
    QString refused;
    try {
        Command(t.database.db(), "update accounts_dep.norm set norma=5000 where id=1").execute();
    } catch (const DbError& error) {
        refused = error.text();
    }
    ASSERT_FALSE(refused.isEmpty());
    t.dialogs.expectBox(MessageKind::Error, refused);
    norms().commitCell(0, "norma", "5000");
    EXPECT_EQ(gridRows().first(), "50/12,50/0");
    EXPECT_EQ(storedNorms(100).first(), "50/12.5/0");
    EXPECT_EQ(norms().norm.state(), Dataset::State::Browse);
}
