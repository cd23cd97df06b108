// The operation price editor opened from the operations list: the
// duplicate rule on (kind, type, product), what an insert and a change
// write, and the incomplete input.
#include "tests/catalogs/OperationsFixture.h"

namespace {

class PriceEditorTest : public OperationsFixture {
protected:
    // In the open editor of a new operation: the product and kind as their
    // pickers give them, then "Записать".
    void saveNew(QDialog& d, int kind, int product, const QString& mark, const QString& kindName)
    {
        editor().kindId = kind;
        editor().productId = product;
        editor().Edit1->setText(mark);
        editor().Edit2->setText(kindName);
        editor().Button1->click();
        EXPECT_FALSE(d.isVisible());
    }
};

const QString kDuplicate = "Операция с такими параметрами уже заведена!";

} // namespace

TEST_F(PriceEditorTest, PriceEditorRefusesASecondOperationWithTheSameParts)
{
    openCatalog([&] {
        struct Case {
            int mode;          // 1 new, 2 change of operation 100
            int kind, type, product;
            bool refused;
        };
        const Case cases[] = {
            {EditorMode::New, 1, 0, 10, true},       // operation 100 again
            {EditorMode::New, 2, 1, 10, true},       // operation 101 again
            {EditorMode::Change, 1, 0, 10, false},   // 100 keeps its own parts
            {EditorMode::Change, 2, 1, 10, true},    // 100 made into 101
            {EditorMode::Change, 2, 0, 10, false},   // only the type differs from 101
            {EditorMode::New, 1, 1, 10, false},      // only the type differs from 100
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.mode << ": " << c.kind << "/" << c.type << "/" << c.product);
            const int before = t.database.count("select count(*) from accounts_dep.oper");
            ASSERT_TRUE(oper().locate("id", 100));
            t.dialogs.onModal("Form10", [&](QDialog& d) {
                editor().kindId = c.kind;
                editor().productId = c.product;
                editor().Edit1->setText("изделие");
                editor().Edit2->setText("операция");
                editor().ComboBox1->setCurrentIndex(c.type);
                if (c.refused)
                    t.dialogs.expectBox(MessageKind::Error, kDuplicate, QMessageBox::Ok, "Ошибка");
                editor().Button1->click();
                EXPECT_EQ(d.isVisible(), c.refused);
                if (d.isVisible())
                    editor().Button2->click();
                return d.result();
            });
            if (c.mode == EditorMode::New && !c.refused) {
                // Its norms open right away; left as they are.
                t.dialogs.onModal("Form22", [](QDialog& d) { return d.result(); });
            }
            if (c.mode == EditorMode::New)
                list().Button1->click();
            else
                list().Button2->click();
            EXPECT_EQ(t.database.count("select count(*) from accounts_dep.oper"),
                      before + (c.mode == EditorMode::New && !c.refused ? 1 : 0));
            if (c.mode == EditorMode::Change && !c.refused)
                EXPECT_EQ(t.database.scalar("select concat_ws('/', vid, naimen, i_id) from accounts_dep.oper where id=100")
                              .toString(),
                          QStringLiteral("%1/%2/%3").arg(c.kind).arg(c.type).arg(c.product));
        }
    });
}

TEST_F(PriceEditorTest, PriceEditorWritesCenaNewOnlyOnInsert)
{
    t.database.exec("update accounts_dep.oper set cena_new=9.5 where id=101");
    openCatalog([&] {
        // A change keeps the operation's own price column.
        ASSERT_TRUE(oper().locate("id", 101));
        t.dialogs.onModal("Form10", [&](QDialog& d) {
            editor().productId = 11;
            editor().Button1->click();
            return d.result();
        });
        list().Button2->click();
        EXPECT_EQ(t.database.scalar("select concat_ws('/', vid, naimen, i_id, cena_new) from accounts_dep.oper where id=101")
                      .toString(),
                  "2/1/11/9.5");
        EXPECT_EQ(oper().field("id").asInt(), 101);   // the list stands on it

        // A new one starts at 0, with one norm that has no price yet.
        t.dialogs.onModal("Form10", [&](QDialog& d) {
            saveNew(d, 3, 12, "О'Брайен-7", "Сверловка");
            return d.result();
        });
        t.dialogs.onModal("Form22", [](QDialog& d) { return d.result(); });
        list().Button1->click();
        const int created = t.database.scalar("select max(id) from accounts_dep.oper").toInt();
        EXPECT_EQ(t.database.scalar(QStringLiteral("select concat_ws('/', vid, naimen, i_id, cena_new) from "
                                                   "accounts_dep.oper where id=%1")
                                        .arg(created))
                      .toString(),
                  "3/0/12/0");
        EXPECT_EQ(storedNorms(created), QStringList{"-/-/0"});
    });
}

TEST_F(PriceEditorTest, PriceEditorNeedsProductAndKind)
{
    openCatalog([&] {
        t.dialogs.onModal("Form10", [&](QDialog& d) {
            EXPECT_EQ(editor().Edit1->text(), "");
            editor().Edit2->setText("Резка");
            editor().Edit1->setText("   ");
            t.dialogs.expectBox(MessageKind::Error, "Все поля должны быть заполнены!", QMessageBox::Ok, "Ошибка");
            editor().Button1->click();
            EXPECT_TRUE(d.isVisible());
            // Esc leaves without saving.
            press(editor().ComboBox1, Qt::Key_Escape);
            EXPECT_FALSE(d.isVisible());
            return d.result();
        });
        list().Button1->click();
    });
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.oper"), 4);
}

TEST_F(PriceEditorTest, PriceEditorTakesTheNewOperationsIdFromItsInsert)
{
    // The ids come from a sequence the column does not own (as another
    // program on the database may have set it up).
    t.database.exec("create sequence accounts_dep.oper_ids start 5000");
    t.database.exec("alter table accounts_dep.oper alter column id set default nextval('accounts_dep.oper_ids')");
    openCatalog([&] {
        t.dialogs.onModal("Form10", [&](QDialog& d) {
            saveNew(d, 3, 12, "О'Брайен-7", "Сверловка");
            return d.result();
        });
        t.dialogs.onModal("Form22", [&](QDialog& d) {
            EXPECT_EQ(norms().operationId, 5000);
            return d.result();
        });
        list().Button1->click();
    });
    EXPECT_EQ(editor().createdOperation, 5000);
    EXPECT_EQ(storedNorms(5000), QStringList{"-/-/0"});
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.norm where o_id<>5000 and o_id not in (100, 101, 103)"), 0);
}
