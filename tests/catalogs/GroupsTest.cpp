// The nomenclature groups list (catalog and the maintenance editor's
// picker) and the group editor.
#include "widgets/ListMode.h"
#include "catalogs/TForm26.h"
#include "catalogs/TForm29.h"
#include "tests/catalogs/CatalogFixture.h"

#include <QAction>

namespace {

class GroupsTest : public CatalogTest {
protected:
    void SetUp() override
    {
        CatalogTest::SetUp();
        t.database.exec("insert into cmn_classifier.item (id, id_classifier, id_level, s_caption) values "
                        "(1, 1, 2, 'Стулья '), (2, 1, 2, 'Столы'), (3, 1, 2, 'шкафы'), (4, 1, 1, 'Корень'), "
                        "(5, 1, 2, 'O''Brien'), (6, 1, 2, '100%')");
        t.database.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa, id_class_item) values "
                        "(10, 'СТ-100', 1, 1)");
    }

    TForm26& list() { return owner.form26(); }
    TForm29& editor() { return owner.form29(); }
    QStringList names() { return column(list().DBGrid1); }
    void standOn(qlonglong id) { ASSERT_TRUE(list().item.locate("id", id)); }
};

TEST_F(GroupsTest, EachOpenerPreparesTheListAsItsTableSays)
{
    struct Case {
        int mode;
        QString button3;
        bool addAndDelete;
    };
    const Case cases[] = {
        {ListMode::Catalog, "Изменить", true},
        {ListMode::MaintenancePicker, "Выбрать", false},
        {ListMode::Catalog, "Изменить", true},   // shown again after the picker
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        std::optional<Picked> picked;
        t.dialogs.onModal("Form26", [&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Номенклатура (26)");
            EXPECT_EQ(list().Button3->text(), c.button3);
            EXPECT_EQ(list().Button1->isVisible(), c.addAndDelete);
            EXPECT_EQ(list().Button2->isVisible(), c.addAndDelete);
            EXPECT_FALSE(list().Button1->isEnabled());
            EXPECT_TRUE(list().Edit1->isVisible());
            EXPECT_EQ(defaultButton(d), "Button3");
            EXPECT_EQ(names().size(), 5);   // the level-2 items only
            standOn(1);
            if (c.mode == ListMode::Catalog) {
                t.dialogs.onModal("Form29", [&](QDialog& e) {
                    EXPECT_EQ(e.windowTitle(), "Ведение групп (29)");
                    EXPECT_EQ(editor().Tag, EditorMode::Change);
                    EXPECT_EQ(editor().Edit1->text(), "Стулья");
                    return int(QDialog::Rejected);
                });
            }
            press(list().DBGrid1, Qt::Key_Return);
            return d.result();
        });
        if (c.mode == ListMode::Catalog) {
            journal().ActGroups->trigger();
            EXPECT_EQ(t.dialogs.shownWindows().last(), "Form29");
        } else {
            EXPECT_EQ(list().pick(c.mode, [&](int id, const QString& name) { picked = Picked{id, name}; }),
                      QDialog::Accepted);
            ASSERT_TRUE(picked);
            EXPECT_EQ(picked->id, 1);
            EXPECT_EQ(picked->name, "Стулья ");   // as stored
            EXPECT_TRUE(list().Button1->isVisibleTo(&list()));
            EXPECT_TRUE(list().Button2->isVisibleTo(&list()));
        }
        EXPECT_FALSE(list().item.isOpen());
    }

    // An empty list: "Выбрать" closes and hands back nothing; "Изменить"
    // opens nothing.
    t.database.exec("delete from cmn_gds_and_srv.gds_and_srv; delete from cmn_classifier.item");
    bool called = false;
    t.dialogs.onModal("Form26", [&](QDialog& d) {
        EXPECT_EQ(names().size(), 0);
        list().Button3->click();
        return d.result();
    });
    list().pick(ListMode::MaintenancePicker, [&](int, const QString&) { called = true; });
    EXPECT_FALSE(called);
    const int editorShown = t.dialogs.shownWindows().count("Form29");
    list().prepareCatalog();
    list().Button3->click();
    EXPECT_EQ(t.dialogs.shownWindows().count("Form29"), editorShown);
    list().finishCatalog();
}

TEST_F(GroupsTest, FilterKeepsNamesBeginningWithTheTypedText)
{
    list().prepareCatalog();
    struct Case {
        QString typed;
        QStringList shown;
    };
    const Case cases[] = {
        {"ст", {"Стулья", "Столы"}},
        {"Ш", {"шкафы"}},
        {"o'", {"O'Brien"}},
        {"%", {}},
        {"100%", {"100%"}},
        {"фы", {}},   // "шкафы" only ends with it
    };
    for (const Case& c : cases) {
        list().Edit1->setText(c.typed);
        QStringList shown = names();
        shown.sort();
        QStringList expected = c.shown;
        expected.sort();
        EXPECT_EQ(shown, expected) << c.typed.toStdString();
    }
    list().Edit1->setText("ст");
    press(list().Edit1, Qt::Key_Down);
    EXPECT_EQ(list().item.recNo(), 2);
    press(list().Edit1, Qt::Key_Delete, "\x7f");
    press(list().Edit1, Qt::Key_Home);
    EXPECT_EQ(list().Edit1->text(), "ст");
    EXPECT_EQ(list().Edit1->cursorPosition(), 2);
    list().Edit1->clear();
    EXPECT_EQ(names().size(), 5);
    list().finishCatalog();
}

TEST_F(GroupsTest, NewGroupsAreLevelTwoAndNeedANameRenamingKeepsTheId)
{
    // Whatever the database gives new items by default, a new group is a group.
    t.database.exec("alter table cmn_classifier.item alter column id_level set default 1");
    list().prepareCatalog();
    const QString typed[] = {"  Полки  ", "O'Neil \\ 5%_"};
    for (const QString& name : typed) {
        t.dialogs.onModal("Form29", [&](QDialog& d) {
            EXPECT_EQ(editor().Tag, EditorMode::New);
            EXPECT_EQ(editor().Edit1->text(), "");
            editor().Edit1->setText(name);
            editor().Button1->click();
            EXPECT_FALSE(d.isVisible());
            return d.result();
        });
        list().Button2->click();
        EXPECT_TRUE(names().contains(name.trimmed())) << name.toStdString();
        EXPECT_EQ(t.database.count(QStringLiteral("select count(*) from cmn_classifier.item where id_level = 2 and "
                                                  "s_caption = '%1'")
                                       .arg(name.trimmed().replace("'", "''"))),
                  1);
    }

    // An empty name is refused; the editor stays open.
    const int before = t.database.count("select count(*) from cmn_classifier.item");
    t.dialogs.onModal("Form29", [&](QDialog& d) {
        editor().Edit1->setText("   ");
        t.dialogs.expectBox(MessageKind::Error, "Все поля должны быть заполнены!", QMessageBox::Ok, "Ошибка");
        editor().Button1->click();
        EXPECT_TRUE(d.isVisible());
        editor().Button6->click();
        return d.result();
    });
    list().Button2->click();
    EXPECT_EQ(t.database.count("select count(*) from cmn_classifier.item"), before);

    // Renaming keeps the id, so the product keeps its group; the list
    // stays on the same row number.
    standOn(1);
    const int row = list().item.recNo();
    t.dialogs.onModal("Form29", [&](QDialog& d) {
        editor().Edit1->setText("Кресла");
        editor().Button1->click();
        return d.result();
    });
    list().Button3->click();
    EXPECT_EQ(t.database.scalar("select s_caption from cmn_classifier.item where id = 1").toString(), "Кресла");
    EXPECT_EQ(t.database.scalar("select nom from accounts_dep.izdel where id = 10").toString(), "Кресла");
    EXPECT_EQ(list().item.recNo(), row);
    list().finishCatalog();
}

TEST_F(GroupsTest, AGroupWithAFifteenDigitKeyIsRenamedAndPickedWhole)
{
    t.database.exec("insert into cmn_classifier.item (id, id_classifier, id_level, s_caption) values "
                    "(3000000001, 1, 2, 'Кресла'), (3000000002, 1, 2, 'Кровати')");
    list().prepareCatalog();
    standOn(3000000002LL);
    t.dialogs.onModal("Form29", [&](QDialog& d) {
        editor().Edit1->setText("Диваны");
        editor().Button1->click();
        return d.result();
    });
    list().Button3->click();
    EXPECT_EQ(t.database.scalar("select s_caption from cmn_classifier.item where id = 3000000002").toString(), "Диваны");
    EXPECT_EQ(t.database.scalar("select s_caption from cmn_classifier.item where id = 3000000001").toString(), "Кресла");
    list().finishCatalog();

    qlonglong picked = 0;
    list().preparePicker(ListMode::MaintenancePicker, [&](qlonglong id, const QString&) { picked = id; });
    standOn(3000000001LL);
    list().Button3->click();
    list().finishPicker();
    EXPECT_EQ(picked, 3000000001LL);
}

} // namespace
