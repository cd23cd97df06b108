// The products list (catalog and the price editor's picker), the product
// editor and the delete cascade.
#include "widgets/ListMode.h"
#include "ledger/ProductDelete.h"
#include "catalogs/TForm3.h"
#include "catalogs/TForm7.h"
#include "db/DbError.h"
#include "tests/catalogs/CatalogFixture.h"

#include <QAction>
#include <QComboBox>

namespace {

class ProductsTest : public CatalogTest {
protected:
    void SetUp() override
    {
        CatalogTest::SetUp();
        seed();
        list().today = [] { return QDate(2026, 3, 10); };
    }

    // Groups, products, and for the cascade: product 10 with a price and a
    // shift record, 11 with a price only, 12 with a shift record only.
    void seed()
    {
        TestDatabase& db = t.database;
        db.exec("delete from accounts_dep.smena; delete from accounts_dep.oper; "
                "delete from cmn_gds_and_srv.gds_and_srv; delete from cmn_classifier.item");
        db.exec("insert into cmn_classifier.item (id, id_level, s_caption) values (1, 2, 'Стулья'), (2, 2, 'Столы'), "
                "(3, 1, 'Корень')");
        db.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa, id_class_item) values "
                "(10, 'СТ-100', 0.5, 1), (11, 'ст-200', 2, 2), (12, 'ШК-300', 0.375, 1), (13, 'Х-СТ-1', 1, 2), "
                "(14, 'O''Brien 5%', 1, 1), (15, '  ПЛ-1  ', 1, 1), (16, 'ТМ_1', 1, 2), (17, 'ТМ11', 1, 2), "
                "(18, 'Без группы', 1, null)");
        db.exec("insert into accounts_dep.person (id, fio) values (1, 'Иванов И.И.') on conflict do nothing");
        db.exec("insert into accounts_dep.vid_oper (id, vid) values (1, 'Резка') on conflict do nothing");
        db.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values (100, 1, 10, 0), (101, 1, 11, 0), "
                "(102, 1, 999, 0)");
        db.exec("insert into accounts_dep.norm (o_id, norma, prize, price) values (100, 1, 0, 2), (101, 1, 0, 3)");
        db.exec("insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, ok) values "
                "('02.03.2026', 1, 1, 10, 100, 1, 5, 0, 8, 'ok'), ('15.01.2024', 1, 1, 10, 100, 1, 5, 0, 8, 'ok'), "
                "('30.11.2000', 1, 1, 12, 102, 1, 5, 0, 8, 'ok')");
    }

    TForm3& list() { return owner.form3(); }
    TForm7& editor() { return owner.form7(); }
    Dataset& izdel() { return dm().Izdel; }
    QStringList marks() { return column(list().DBGrid1); }
    void standOn(qlonglong id) { ASSERT_TRUE(izdel().locate("id", id)); }
    int count(const QString& sql) { return t.database.count(sql); }
};

TEST_F(ProductsTest, EachOpenerPreparesTheListAsItsTableSays)
{
    struct Case {
        int mode;
        QString button2;
        bool addAndDelete;
        QString defaultButton;
        bool filterShown;
    };
    const Case cases[] = {
        {ListMode::Catalog, "Изменить", true, "Button1", true},
        {ListMode::Picker, "Выбрать", false, "Button2", true},
        // Once the picker has hidden the filter field, the catalog does
        // not show it again.
        {ListMode::Catalog, "Изменить", true, "Button1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        std::optional<Picked> picked;
        t.dialogs.onModal("Form3", [&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Изделия (3)");
            EXPECT_EQ(list().Button2->text(), c.button2);
            EXPECT_EQ(list().Button1->isVisible(), c.addAndDelete);
            EXPECT_EQ(list().Button3->isVisible(), c.addAndDelete);
            EXPECT_EQ(defaultButton(d), c.defaultButton);
            EXPECT_EQ(list().Edit1->isVisible(), c.filterShown);
            EXPECT_EQ(marks().size(), 9);
            if (c.mode == ListMode::Catalog) {
                t.dialogs.onModal("Form7", [&](QDialog& e) {
                    EXPECT_EQ(e.windowTitle(), "Заведение нового изделия (7)");
                    return int(QDialog::Rejected);
                });
            } else {
                EXPECT_EQ(list().Edit1->text(), "");
                standOn(15);
            }
            press(list().DBGrid1, Qt::Key_Return);
            return d.result();
        });
        if (c.mode == ListMode::Catalog) {
            journal().ActProducts->trigger();
            EXPECT_EQ(t.dialogs.shownWindows().last(), "Form7");
        } else {
            list().Edit1->setText("Ш");
            list().pick(c.mode, [&](int id, const QString& name) { picked = Picked{id, name}; });
            ASSERT_TRUE(picked);
            EXPECT_EQ(picked->id, 15);
            EXPECT_EQ(picked->name, "ПЛ-1");
            EXPECT_FALSE(list().Button2->isDefault());
            EXPECT_TRUE(list().Edit1->isHidden());
        }
        EXPECT_FALSE(izdel().isOpen());
    }

    // The picker over an empty list closes and hands back nothing.
    t.database.exec("delete from accounts_dep.smena; delete from accounts_dep.oper; "
                    "delete from cmn_gds_and_srv.gds_and_srv");
    bool called = false;
    t.dialogs.onModal("Form3", [&](QDialog& d) {
        EXPECT_EQ(marks().size(), 0);
        list().Button2->click();
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    list().pick(ListMode::Picker, [&](int, const QString&) { called = true; });
    EXPECT_FALSE(called);
}

TEST_F(ProductsTest, FilterKeepsMarksBeginningWithTheTypedTextAndOnlyArrowsMoveTheList)
{
    list().preparePicker(ListMode::Picker, [](int, const QString&) {});
    struct Case {
        QString typed;
        QStringList shown;
    };
    const Case cases[] = {
        {"ст", {"СТ-100", "ст-200"}},   // not "Х-СТ-1"
        {"СТ-1", {"СТ-100"}},
        {"шк", {"ШК-300"}},
        {"o'b", {"O'Brien 5%"}},
        {"%", {}},
        {"тм_", {"ТМ_1"}},           // "_" is not a wildcard
        {"ТМ", {"ТМ_1", "ТМ11"}},
    };
    for (const Case& c : cases) {
        list().Edit1->setText(c.typed);
        QStringList shown = marks();
        shown.sort();
        QStringList expected = c.shown;
        expected.sort();
        EXPECT_EQ(shown, expected) << c.typed.toStdString();
    }
    list().Edit1->setText("ТМ");
    press(list().Edit1, Qt::Key_Down);
    EXPECT_EQ(izdel().recNo(), 2);
    press(list().Edit1, Qt::Key_Up);
    EXPECT_EQ(izdel().recNo(), 1);
    // Other keys act in the field as usual.
    press(list().Edit1, Qt::Key_Left);
    EXPECT_EQ(list().Edit1->cursorPosition(), 1);
    press(list().Edit1, Qt::Key_Delete, "\x7f");
    EXPECT_EQ(list().Edit1->text(), "Т");
    list().Edit1->clear();
    EXPECT_EQ(marks().size(), 9);
    list().finishPicker();
}

TEST_F(ProductsTest, EditorRefusesMissingFieldsAndDuplicateMarksInAnyLetterCase)
{
    list().prepareCatalog();
    struct Case {
        QString mark;
        QString massa;
        int group;
        QString message;
    };
    const Case cases[] = {
        {"   ", "1", 1, "Все поля должны быть заполнены!"},
        {"НОВ-1", "  ", 1, "Все поля должны быть заполнены!"},
        {"НОВ-1", "1", 0, "Все поля должны быть заполнены!"},
        {"ст-100", "1", 1, "Такая марка изделия уже заведена!"},
        {"  шк-300 ", "1", 1, "Такая марка изделия уже заведена!"},
        {"o'brien 5%", "1", 1, "Такая марка изделия уже заведена!"},
    };
    const int before = count("select count(*) from cmn_gds_and_srv.gds_and_srv");
    for (const Case& c : cases) {
        t.dialogs.onModal("Form7", [&](QDialog& d) {
            editor().Edit1->setText(c.mark);
            editor().Edit2->setText(c.massa);
            editor().selectGroup(c.group);
            t.dialogs.expectBox(MessageKind::Error, c.message, QMessageBox::Ok, "Ошибка");
            editor().Button1->click();
            EXPECT_TRUE(d.isVisible());
            return int(QDialog::Rejected);
        });
        list().Button1->click();
    }
    EXPECT_EQ(count("select count(*) from cmn_gds_and_srv.gds_and_srv"), before);

    // Changing a product and keeping its own mark (in other letters) is
    // accepted; taking another product's mark is not.
    standOn(11);
    t.dialogs.onModal("Form7", [&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Изменение данных изделия (7)");
        editor().Edit1->setText("ШК-300");
        t.dialogs.expectBox(MessageKind::Error, "Такая марка изделия уже заведена!", QMessageBox::Ok, "Ошибка");
        editor().Button1->click();
        editor().Edit1->setText("СТ-200");
        editor().Button1->click();
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    list().Button2->click();
    EXPECT_EQ(t.database.scalar("select s_caption from cmn_gds_and_srv.gds_and_srv where id = 11").toString(), "СТ-200");
    list().finishCatalog();
}

TEST_F(ProductsTest, AddingAndChangingStoreTheMarkAsTypedAndTheNumberWithAPoint)
{
    list().prepareCatalog();
    // Typed key by key: the comma arrives as a point, letters never arrive.
    t.dialogs.onModal("Form7", [&](QDialog& d) {
        EXPECT_EQ(editor().Edit1->text(), "");
        EXPECT_EQ(editor().Edit2->text(), "");
        // Only groups of level 2, by name.
        EXPECT_EQ(editor().cb_item->count(), 2);
        EXPECT_EQ(editor().cb_item->itemText(0), "Столы");
        editor().Edit1->setText("  O'Нил\\100%_  ");
        type(editor().Edit2, "1,2x5");
        EXPECT_EQ(editor().Edit2->text(), "1.25");
        editor().cb_item->setCurrentIndex(editor().cb_item->findText("Столы"));
        editor().Button1->click();
        return d.result();
    });
    list().Button1->click();
    Dataset check(t.database.db());
    check.setSql("select * from accounts_dep.izdel where marka = 'O''Нил\\100%_'");
    check.open();
    ASSERT_EQ(check.recordCount(), 1);
    EXPECT_EQ(check.field("massa").asFloat(), 1.25);
    EXPECT_EQ(check.field("nom").asString(), "Столы");
    EXPECT_TRUE(marks().contains("O'Нил\\100%_"));

    // A pasted comma is normalised on insert as on change; the group list
    // keeps the group chosen last.
    t.dialogs.onModal("Form7", [&](QDialog& d) {
        EXPECT_EQ(editor().cb_item->currentText(), "Столы");
        editor().Edit1->setText("НОВ-2");
        editor().Edit2->setText("12,5");
        editor().Button1->click();
        return d.result();
    });
    list().Button1->click();
    EXPECT_EQ(t.database.scalar("select massa from accounts_dep.izdel where marka = 'НОВ-2'").toDouble(), 12.5);

    // Change: the editor shows the product; a whole number is stored as is;
    // the group is the product's own; the list stays on the product's row.
    standOn(12);
    const int row = izdel().recNo();
    t.dialogs.onModal("Form7", [&](QDialog& d) {
        EXPECT_EQ(editor().Edit1->text(), "ШК-300");
        EXPECT_EQ(editor().Edit2->text(), "0.375");
        EXPECT_EQ(editor().cb_item->currentText(), "Стулья");
        editor().Edit2->setText("7");
        editor().Button1->click();
        return d.result();
    });
    list().Button2->click();
    EXPECT_TRUE(izdel().isOpen());
    EXPECT_EQ(izdel().recNo(), row);
    EXPECT_EQ(t.database.scalar("select massa::text from cmn_gds_and_srv.gds_and_srv where id = 12").toString(),
              "7.000000");
    EXPECT_EQ(count("select count(*) from cmn_gds_and_srv.gds_and_srv where id = 12 and id_class_item = 1"), 1);

    // A product without a group opens with no group chosen and cannot be
    // saved until one is.
    standOn(18);
    t.dialogs.onModal("Form7", [&](QDialog& d) {
        EXPECT_EQ(editor().cb_item->currentIndex(), -1);
        t.dialogs.expectBox(MessageKind::Error, "Все поля должны быть заполнены!");
        editor().Button1->click();
        return int(QDialog::Rejected);
    });
    list().Button2->click();
    list().finishCatalog();
}

TEST_F(ProductsTest, DeleteCascadeFollowsTheAnswers)
{
    using QB = QMessageBox::StandardButton;
    const QString prices = ProductDelete::kPricesQuestion;
    const QString records = ProductDelete::kRecordsQuestion;
    const QString product = ProductDelete::kProductQuestion;
    QString operationsInUse;   // what the database says when shift records still use the operations
    {
        try {
            Transaction tx(t.database.db());
            t.database.exec("delete from accounts_dep.oper o where o.i_id =10");
        } catch (const DbError& e) {
            operationsInUse = e.text();
        }
        ASSERT_FALSE(operationsInUse.isEmpty());
    }
    struct Case {
        const char* name;
        int id;
        QVector<QPair<QString, QB>> answers;
        QString error;
        int records, operations;   // left of the product's
        bool productLeft;
    };
    const Case cases[] = {
        {"both, yes yes", 10, {{prices, QB::Yes}, {records, QB::Yes}}, {}, 0, 0, false},
        {"both, no yes", 10, {{prices, QB::No}, {records, QB::Yes}}, {}, 0, 1, false},
        // The prices cannot go while shift records use them, and nothing
        // else was confirmed.
        {"both, yes no", 10, {{prices, QB::Yes}, {records, QB::No}}, operationsInUse, 2, 1, true},
        {"both, no no", 10, {{prices, QB::No}, {records, QB::No}}, {}, 2, 1, true},
        {"prices only, yes yes", 11, {{prices, QB::Yes}, {product, QB::Yes}}, {}, 0, 0, false},
        {"prices only, no no", 11, {{prices, QB::No}, {product, QB::No}}, {}, 0, 1, true},
        {"records only, yes", 12, {{records, QB::Yes}}, {}, 0, 0, false},
        {"neither, yes", 13, {{product, QB::Yes}}, {}, 0, 0, false},
        {"neither, no", 13, {{product, QB::No}}, {}, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        seed();
        list().prepareCatalog();
        standOn(c.id);
        const int row = izdel().recNo();
        for (const auto& a : c.answers)
            t.dialogs.expectBox(MessageKind::Question, a.first, a.second, "Удаление");
        if (!c.error.isEmpty())
            t.dialogs.expectBox(MessageKind::Error, c.error);
        list().Button3->click();
        const QString id = QString::number(c.id);
        EXPECT_EQ(count("select count(*) from accounts_dep.smena where i_id = " + id), c.records);
        EXPECT_EQ(count("select count(*) from accounts_dep.oper where i_id = " + id), c.operations);
        EXPECT_EQ(count("select count(*) from cmn_gds_and_srv.gds_and_srv where id = " + id), c.productLeft ? 1 : 0);
        // Afterwards the list is read again and stands on its first row;
        // after a refusal it is left as it was.
        EXPECT_EQ(izdel().recNo(), c.error.isEmpty() ? 1 : row);
        EXPECT_EQ(marks().size(), c.productLeft ? 9 : 8);
        list().finishCatalog();
    }
}

TEST_F(ProductsTest, RefusedProductDeleteKeepsItsShiftRecords)
{
    // The enterprise database refuses to delete goods that operations use.
    t.database.exec("create function refuse_goods_delete() returns trigger language plpgsql as $$ begin "
                    "if exists (select 1 from accounts_dep.oper where i_id = old.id) then "
                    "raise exception 'Изделие используется в операциях'; end if; return old; end $$");
    t.database.exec("create trigger refuse before delete on cmn_gds_and_srv.gds_and_srv "
                    "for each row execute function refuse_goods_delete()");
    QString refusal;
    try {
        Transaction tx(t.database.db());
        t.database.exec("delete from cmn_gds_and_srv.gds_and_srv  where id=10");
    } catch (const DbError& e) {
        refusal = e.text();
    }
    ASSERT_TRUE(refusal.contains("Изделие используется в операциях")) << refusal.toStdString();
    list().prepareCatalog();
    standOn(10);
    t.dialogs.expectBox(MessageKind::Question, ProductDelete::kPricesQuestion, QMessageBox::No);
    t.dialogs.expectBox(MessageKind::Question, ProductDelete::kRecordsQuestion, QMessageBox::Yes);
    t.dialogs.expectBox(MessageKind::Error, refusal);
    list().Button3->click();
    EXPECT_EQ(count("select count(*) from accounts_dep.smena where i_id = 10"), 2);
    EXPECT_EQ(count("select count(*) from cmn_gds_and_srv.gds_and_srv where id = 10"), 1);
    EXPECT_FALSE(dm().ADO_DB.inTransaction());
    list().finishCatalog();
}

TEST_F(ProductsTest, ShiftRecordsAreCountedFromTheFirstOfThePreviousMonthOf2000)
{
    // Product 12 has one shift record, of 30.11.2000.
    struct Case {
        QDate today;
        QString question;
    };
    const Case cases[] = {
        {QDate(2026, 1, 20), ProductDelete::kProductQuestion},   // from 01.12.2000
        {QDate(2026, 12, 1), ProductDelete::kRecordsQuestion},   // from 01.11.2000
        {QDate(2026, 3, 5), ProductDelete::kRecordsQuestion},    // from 01.02.2000
    };
    list().prepareCatalog();
    for (const Case& c : cases) {
        list().today = [&c] { return c.today; };
        standOn(12);
        t.dialogs.expectBox(MessageKind::Question, c.question, QMessageBox::No);
        list().Button3->click();
    }
    list().finishCatalog();
}

TEST_F(ProductsTest, TheMassIsBoundWithAPointWhateverSeparatorTheVersionRowNames)
{
    for (const QString delim : {",", "", "."}) {
        SCOPED_TRACE(delim.toStdString());
        seed();
        t.database.exec(QStringLiteral("update accounts_dep.ver set delim='%1'").arg(delim));
        journal().VersionCheck();
        ASSERT_EQ(dm().decimalSeparator, delim);
        list().prepareCatalog();
        t.dialogs.onModal("Form7", [&](QDialog& d) {
            editor().Edit1->setText("НОВ-1");
            type(editor().Edit2, "1,5");
            editor().cb_item->setCurrentIndex(editor().cb_item->findText("Стулья"));
            editor().Button1->click();
            EXPECT_FALSE(d.isVisible());
            return d.result();
        });
        list().Button1->click();
        standOn(12);
        t.dialogs.onModal("Form7", [&](QDialog& d) {
            editor().Edit2->setText("0,25");   // pasted
            editor().Button1->click();
            EXPECT_FALSE(d.isVisible());
            return d.result();
        });
        list().Button2->click();
        list().finishCatalog();
        EXPECT_EQ(t.database.scalar("select massa::text from accounts_dep.izdel where marka = 'НОВ-1'").toString(),
                  "1.500000");
        EXPECT_EQ(t.database.scalar("select massa::text from accounts_dep.izdel where id = 12").toString(), "0.250000");
    }
}

TEST_F(ProductsTest, FifteenDigitKeysOfProductsAndGroupsTravelWhole)
{
    // Keys above the 32-bit range (the enterprise system's are 15 digits).
    t.database.exec("insert into cmn_classifier.item (id, id_level, s_caption) values "
                    "(3000000001, 2, 'Кресла'), (3000000002, 2, 'Полки')");
    t.database.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa, id_class_item) values "
                    "(5000000005, 'КР-1', 1, 3000000002)");
    list().prepareCatalog();
    standOn(5000000005LL);
    t.dialogs.onModal("Form7", [&](QDialog& d) {
        // The product's own group is chosen, not a neighbour with a wrapped key.
        EXPECT_EQ(editor().cb_item->currentText(), "Полки");
        EXPECT_EQ(editor().groupId(), 3000000002LL);
        editor().Edit1->setText("КР-2");
        editor().cb_item->setCurrentIndex(editor().cb_item->findText("Кресла"));
        editor().Button1->click();
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    list().Button2->click();
    EXPECT_EQ(t.database.scalar("select s_caption || '/' || id_class_item from cmn_gds_and_srv.gds_and_srv "
                                "where id = 5000000005")
                  .toString(),
              "КР-2/3000000001");

    // A new product in a group of such a key.
    t.dialogs.onModal("Form7", [&](QDialog& d) {
        editor().Edit1->setText("КР-3");
        editor().Edit2->setText("2");
        editor().cb_item->setCurrentIndex(editor().cb_item->findText("Полки"));
        editor().Button1->click();
        return d.result();
    });
    list().Button1->click();
    EXPECT_EQ(t.database.scalar("select id_class_item::text from cmn_gds_and_srv.gds_and_srv where s_caption = 'КР-3'")
                  .toString(),
              "3000000002");

    // The picker hands the whole key back; the delete removes that product.
    qlonglong picked = 0;
    list().finishCatalog();
    list().preparePicker(ListMode::Picker, [&](qlonglong id, const QString&) { picked = id; });
    standOn(5000000005LL);
    list().Button2->click();
    list().finishPicker();
    EXPECT_EQ(picked, 5000000005LL);
    list().prepareCatalog();
    standOn(5000000005LL);
    t.dialogs.expectBox(MessageKind::Question, ProductDelete::kProductQuestion, QMessageBox::Yes);
    list().Button3->click();
    EXPECT_EQ(count("select count(*) from cmn_gds_and_srv.gds_and_srv where id = 5000000005"), 0);
    list().finishCatalog();
}

} // namespace
