// The operations list: its columns, modes, filter, picker, delete, the way
// a new operation gets its price, and the price list export.
#include "catalogs/TForm3.h"
#include "catalogs/TForm8.h"
#include "tests/catalogs/OperationsFixture.h"
#include "tests/reports/XlsxReader.h"

#include <QAction>
#include <QHeaderView>
#include <QTemporaryDir>

namespace {

using OperationsTest = OperationsFixture;

} // namespace

TEST_F(OperationsTest, OperationsListShowsPricedOperationsWithLowestPriceAndNormCount)
{
    ASSERT_TRUE(journal().ActPrices->isEnabled());
    openCatalog([&] {
        EXPECT_EQ(list().windowTitle(), "Операции");
        EXPECT_EQ(list().Tag, ListMode::Catalog);
        EXPECT_EQ(list().Button2->text(), "Изменить");
        EXPECT_TRUE(list().Button1->isVisible());
        EXPECT_TRUE(list().Button3->isVisible());
        EXPECT_EQ(defaultButton(list()), "Button1");
        QStringList titles;
        DBGrid* grid = list().DBGrid1;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            if (!grid->isColumnHidden(c))
                titles << grid->model()->headerData(c, Qt::Horizontal).toString();
        EXPECT_EQ(titles, (QStringList{"Марка", "Опреция", "Цена (min)", "Вид", "Нормы (шт.)"}));
        // 102 has no norm and is not listed; the order is mark, kind, type.
        EXPECT_EQ(listedIds(), (QList<int>{103, 101, 100}));
        EXPECT_EQ(shown(100, "cena"), "10");
        EXPECT_EQ(shown(100, "norma"), "2");
        EXPECT_EQ(shown(100, "nmn"), "Готовая продукция");
        EXPECT_EQ(shown(101, "cena"), "3");
        EXPECT_EQ(shown(101, "nmn"), "Заготовки");
        EXPECT_EQ(shown(103, "MARKA"), "О'Брайен-7");
    });
    EXPECT_FALSE(oper().isOpen());
}

TEST_F(OperationsTest, OperationsFilterKeepsMarksContainingTheTypedText)
{
    openCatalog([&] {
        struct Case {
            QString typed;
            QList<int> ids;
        };
        const Case cases[] = {
            {"100", {101, 100}},
            {"ст-", {101, 100}},           // any letter case
            {"'", {103}},                  // a quote is only a character
            {"%", {}},                     // so is a wildcard
            {"   ", {103, 101, 100}},      // blanks alone: everything
            {"", {103, 101, 100}},
        };
        for (const Case& c : cases) {
            list().Edit1->setText(c.typed);
            EXPECT_EQ(listedIds(), c.ids) << c.typed.toStdString();
        }
        // Up and Down in the field move the list; keys that only move the
        // caret or delete do nothing there, typing and Backspace edit.
        list().Edit1->setText("СТ");
        ASSERT_EQ(oper().recNo(), 1);
        press(list().Edit1, Qt::Key_Down);
        EXPECT_EQ(oper().recNo(), 2);
        press(list().Edit1, Qt::Key_Up);
        EXPECT_EQ(oper().recNo(), 1);
        list().Edit1->setCursorPosition(1);
        press(list().Edit1, Qt::Key_Delete);
        press(list().Edit1, Qt::Key_End);
        EXPECT_EQ(list().Edit1->text(), "СТ");
        EXPECT_EQ(list().Edit1->cursorPosition(), 1);
        press(list().Edit1, Qt::Key_Backspace);
        EXPECT_EQ(list().Edit1->text(), "Т");
        list().Edit1->clear();
    });
}

TEST_F(OperationsTest, OperationsPickerHandsTheCurrentOperationBack)
{
    std::optional<OperationChoice> picked;
    // The product was renamed since: the picker reads its mark again.
    t.dialogs.onModal("Form4", [&](QDialog& d) {
        EXPECT_EQ(list().Button2->text(), "Выбрать");
        EXPECT_FALSE(list().Button1->isVisible());
        EXPECT_FALSE(list().Button3->isVisible());
        EXPECT_TRUE(list().Edit1->isVisible());
        EXPECT_EQ(list().Edit1->text(), "");
        EXPECT_EQ(defaultButton(d), "Button2");
        EXPECT_EQ(oper().field("id").asInt(), 100);   // stands on the editor's operation
        t.database.exec("update cmn_gds_and_srv.gds_and_srv set s_caption='СТ-100М' where id=10");
        list().CheckBox1->setChecked(true);   // no matter for a picker
        list().DBGrid1DblClick();
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    list().Edit1->setText("О'Б");   // a filter left from before is cleared
    EXPECT_EQ(list().pick(ListMode::Picker, 100, [&](const OperationChoice& c) { picked = c; }), QDialog::Accepted);
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->id, 100);
    EXPECT_EQ(picked->productId, 10);
    EXPECT_DOUBLE_EQ(picked->listPrice, 10);
    EXPECT_TRUE(picked->hasPrice);
    EXPECT_EQ(picked->text(), "СТ-100М; Резка; Готовая продукция");
    // Afterwards the filter is hidden and off, the query stays open.
    EXPECT_FALSE(list().Edit1->isVisibleTo(&list()));
    EXPECT_FALSE(list().Button2->isDefault());
    EXPECT_TRUE(oper().isOpen());
    EXPECT_FALSE(oper().filtered());

    // Enter in the filter field chooses; leaving without choosing hands nothing.
    picked.reset();
    t.dialogs.onModal("Form4", [&](QDialog& d) {
        list().Edit1->setText("О'");
        press(list().Edit1, Qt::Key_Return);
        return d.result();
    });
    list().pick(ListMode::Picker, 0, [&](const OperationChoice& c) { picked = c; });
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->id, 103);
    picked.reset();
    t.dialogs.onModal("Form4", [&](QDialog& d) {
        list().Button4->click();
        return d.result();
    });
    EXPECT_EQ(list().pick(ListMode::Picker, 0, [&](const OperationChoice& c) { picked = c; }), QDialog::Rejected);
    EXPECT_FALSE(picked);
}

TEST_F(OperationsTest, OperationsDoubleClickOpensTheEditorOrWithPricesTheNorms)
{
    openCatalog([&] {
        ASSERT_TRUE(oper().locate("id", 101));
        t.dialogs.onModal("Form10", [&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Изменение данных о цене за операцию");
            EXPECT_EQ(editor().Tag, EditorMode::Change);
            EXPECT_EQ(editor().Edit1->text(), "СТ-100");
            EXPECT_EQ(editor().Edit2->text(), "Окраска КРАСКА");
            EXPECT_EQ(editor().ComboBox1->currentText(), "Заготовки");
            EXPECT_EQ(editor().productId, 10);
            EXPECT_EQ(editor().kindId, 2);
            return int(QDialog::Rejected);
        });
        list().DBGrid1DblClick();

        list().CheckBox1->setChecked(true);
        t.dialogs.onModal("Form22", [&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Норматив");
            EXPECT_EQ(norms().norm.filter(), "o_id=101");
            EXPECT_TRUE(norms().norm.filtered());
            EXPECT_EQ(norms().norm.recordCount(), 1);
            EXPECT_EQ(norms().DBGrid1->cellText(0, 3), "3,00");
            return int(QDialog::Accepted);
        });
        list().DBGrid1DblClick();
    });
}

TEST_F(OperationsTest, OperationsDeleteAsksFirst)
{
    openCatalog([&] {
        ASSERT_TRUE(oper().locate("id", 100));
        t.dialogs.expectBox(MessageKind::Question, "Удалить операцию?", QMessageBox::No, "Удаление");
        list().Button3->click();
        EXPECT_EQ(t.database.count("select count(*) from accounts_dep.oper"), 4);
        EXPECT_EQ(listedIds().size(), 3);

        t.dialogs.expectBox(MessageKind::Question, "Удалить операцию?", QMessageBox::Yes, "Удаление");
        list().Button3->click();
        EXPECT_EQ(t.database.count("select count(*) from accounts_dep.oper where id=100"), 0);
        EXPECT_EQ(listedIds(), (QList<int>{103, 101}));
    });
}

TEST_F(OperationsTest, OperationsNewOperationIsListedAtOnceAndGetsItsPriceInItsNorms)
{
    openCatalog([&] {
        ASSERT_TRUE(oper().locate("id", 101));
        t.dialogs.onModal("Form10", [&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Заведение новой цены за операцию");
            EXPECT_EQ(editor().Edit1->text(), "");
            EXPECT_EQ(editor().ComboBox1->currentIndex(), 0);
            t.dialogs.onModal("Form3", [&](QDialog& p) {
                EXPECT_TRUE(dm().Izdel.locate("id", 11));
                owner.form3().Button2->click();
                return p.result();
            });
            editor().Button3->click();
            t.dialogs.onModal("Form8", [&](QDialog& p) {
                EXPECT_TRUE(dm().Vid_oper.locate("id", 3));
                owner.form8().Button2->click();
                return p.result();
            });
            editor().Button4->click();
            EXPECT_EQ(editor().Edit1->text(), "ШК-200");
            EXPECT_EQ(editor().Edit2->text(), "Сверловка");
            editor().ComboBox1->setCurrentIndex(1);
            editor().Button1->click();
            EXPECT_FALSE(d.isVisible());
            return d.result();
        });
        // Right after the save the norms of the new operation open, with
        // its one norm waiting for a price; the list already shows it.
        int created = 0;
        t.dialogs.onModal("Form22", [&](QDialog& d) {
            created = norms().operationId;
            EXPECT_EQ(oper().field("id").asInt(), created);
            EXPECT_EQ(shown(created, "cena"), "нет цены");
            EXPECT_EQ(shown(created, "norma"), "1");
            const int row = oper().recNo() - 1;
            const auto& columns = list().DBGrid1->datasetModel()->columns();
            for (int c = 0; c < columns.size(); ++c)
                if (columns.at(c).field == "cena")
                    EXPECT_TRUE(list().DBGrid1->model()->index(row, c).data(Qt::BackgroundRole).isValid());
            EXPECT_EQ(norms().norm.recordCount(), 1);
            norms().commitCell(0, "price", "4,75");
            norms().commitCell(0, "norma", "30");
            norms().Button1->click();
            return d.result();
        });
        list().Button1->click();
        ASSERT_GT(created, 1000);
        EXPECT_EQ(t.database.scalar(QStringLiteral("select concat_ws('/', vid, naimen, i_id, cena_new) from "
                                                   "accounts_dep.oper where id=%1")
                                        .arg(created))
                      .toString(),
                  "3/1/11/0");
        EXPECT_EQ(storedNorms(created), QStringList{"30/4.75/0"});
        EXPECT_EQ(shown(created, "cena"), "4,75");
        EXPECT_EQ(oper().field("id").asInt(), created);
    });
}

TEST_F(OperationsTest, OperationsPriceListExportHoldsEveryOperationWithItsOwnPrice)
{
    QTemporaryDir folder;
    QStringList opened;
    list().Excel.setExportFolder(folder.path());
    list().Excel.setOpener([&](const QString& file) {
        opened << file;
        return true;
    });
    openCatalog([&] { list().Button5->click(); });
    ASSERT_EQ(opened.size(), 1);
    XlsxReader book(opened.first());
    ASSERT_TRUE(book.ok());
    struct Row {
        QString mark, kind;
        std::optional<double> price;
        QString type;
    };
    // Every operation, the one without norms too, ordered by mark, kind, type.
    const Row rows[] = {
        {"Марка", "Операция", std::nullopt, "Вид"},
        {"О'Брайен-7", "Резка", 4.25, "Готовая продукция"},
        {"СТ-100", "Окраска КРАСКА", 1.5, "Заготовки"},
        {"СТ-100", "Резка", 0, "Готовая продукция"},
        {"ШК-200", "Сверловка", 0, "Готовая продукция"},
    };
    for (int r = 0; r < int(std::size(rows)); ++r) {
        SCOPED_TRACE(r + 1);
        const auto mark = book.cell(1, cellRef(1, r + 1));
        const auto kind = book.cell(1, cellRef(2, r + 1));
        const auto price = book.cell(1, cellRef(3, r + 1));
        const auto type = book.cell(1, cellRef(4, r + 1));
        ASSERT_TRUE(mark && kind && price && type);
        EXPECT_EQ(mark->text, rows[r].mark);
        EXPECT_EQ(kind->text, rows[r].kind);
        EXPECT_EQ(type->text, rows[r].type);
        if (rows[r].price) {
            EXPECT_FALSE(price->isText);
            EXPECT_DOUBLE_EQ(price->number, *rows[r].price);
        } else {
            EXPECT_EQ(price->text, "Цена");
        }
    }
    EXPECT_EQ(book.cellCount(1), 20);
    EXPECT_FALSE(list().XLS_Rep.isOpen());
}
