// The operation kinds list (catalog and the price editor's picker) and
// the kind editor.
#include "widgets/ListMode.h"
#include "catalogs/TForm8.h"
#include "catalogs/TForm9.h"
#include "db/DbError.h"
#include "tests/catalogs/CatalogFixture.h"

#include <QAction>

namespace {

class KindsTest : public CatalogTest {
protected:
    void SetUp() override
    {
        CatalogTest::SetUp();
        t.database.exec("insert into accounts_dep.vid_oper (id, vid) values (1, 'Резка'), (2, 'Окраска КРАСКА'), "
                        "(3, 'Грунтовка КРАСКА'), (4, 'ёлочная сборка'), (5, 'O''Brien 5%'), "
                        "(7777, 'хоз. работы'), (7778, 'ср. сдельная')");
        t.database.exec("select setval(pg_get_serial_sequence('accounts_dep.vid_oper', 'id'), 8000)");
        t.database.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption) values (10, 'СТ-100')");
        t.database.exec("insert into accounts_dep.oper (id, vid, i_id, naimen) values (100, 1, 10, 0)");
    }

    TForm8& list() { return owner.form8(); }
    TForm9& editor() { return owner.form9(); }
    Dataset& kinds() { return dm().Vid_oper; }
    QStringList names() { return column(list().DBGrid1); }
    void standOn(int id) { ASSERT_TRUE(kinds().locate("id", id)); }
    QString stored(int id)
    {
        return t.database.scalar(QStringLiteral("select vid from accounts_dep.vid_oper where id = %1").arg(id)).toString();
    }
};

TEST_F(KindsTest, EachOpenerPreparesTheListAsItsTableSays)
{
    struct Case {
        int mode;
        QString button2;
        bool addAndDelete;
        QString defaultButton;
        bool filterShown;
    };
    const Case cases[] = {
        {ListMode::Catalog, "Изменить", true, "Button1", false},
        {ListMode::Picker, "Выбрать", false, "Button2", true},
        {ListMode::Catalog, "Изменить", true, "Button1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        // A filter left on by an earlier picker.
        kinds().setFilter("vid like 'Окр%'");
        kinds().setFiltered(true);
        list().Edit1->setText("Окр");
        std::optional<Picked> picked;
        t.dialogs.onModal("Form8", [&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Виды операций (8)");
            EXPECT_EQ(list().Button2->text(), c.button2);
            EXPECT_EQ(list().Button1->isVisible(), c.addAndDelete);
            EXPECT_EQ(list().Button3->isVisible(), c.addAndDelete);
            EXPECT_EQ(defaultButton(d), c.defaultButton);
            EXPECT_EQ(list().Edit1->isVisible(), c.filterShown);
            EXPECT_EQ(names().size(), 7);
            EXPECT_EQ(names().first(), "Грунтовка КРАСКА");
            if (c.mode == ListMode::Catalog) {
                t.dialogs.onModal("Form9", [&](QDialog& e) {
                    EXPECT_EQ(e.windowTitle(), "Заведение нового вида операций");
                    return int(QDialog::Rejected);
                });
            } else {
                EXPECT_EQ(list().Edit1->text(), "");
                standOn(7778);
            }
            press(list().DBGrid1, Qt::Key_Return);
            return d.result();
        });
        if (c.mode == ListMode::Catalog) {
            journal().ActOperations->trigger();
            EXPECT_EQ(t.dialogs.shownWindows().last(), "Form9");
        } else {
            list().pick(c.mode, [&](int id, const QString& name) { picked = Picked{id, name}; });
            ASSERT_TRUE(picked);
            EXPECT_EQ(picked->id, 7778);
            EXPECT_EQ(picked->name, "ср. сдельная");   // without the column's padding
            EXPECT_FALSE(list().Button2->isDefault());
            EXPECT_TRUE(list().Edit1->isHidden());
        }
        EXPECT_FALSE(kinds().isOpen());
    }

    // A filter that matches nobody: "Выбрать" hands back nothing.
    bool called = false;
    t.dialogs.onModal("Form8", [&](QDialog& d) {
        list().Edit1->setText("Щ");
        EXPECT_EQ(names().size(), 0);
        emit list().DBGrid1->doubleClicked(QModelIndex());
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    list().pick(ListMode::Picker, [&](int, const QString&) { called = true; });
    EXPECT_FALSE(called);
}

TEST_F(KindsTest, PickerFilterKeepsKindsBeginningWithTheTypedText)
{
    list().preparePicker(ListMode::Picker, [](int, const QString&) {});
    struct Case {
        QString typed;
        QStringList shown;
    };
    const Case cases[] = {
        {"краска", {}},   // only contained further on
        {"окр", {"Окраска КРАСКА"}},
        {"ЁЛ", {"ёлочная сборка"}},
        {"o'brien 5", {"O'Brien 5%"}},
        {"O'Brien 5%", {"O'Brien 5%"}},
        {"_", {}},
        {" ", {}},   // blanks are text, not an empty filter
    };
    for (const Case& c : cases) {
        list().Edit1->setText(c.typed);
        EXPECT_EQ(names(), c.shown) << c.typed.toStdString();
    }
    list().Edit1->setText("");
    EXPECT_EQ(names().size(), 7);
    press(list().Edit1, Qt::Key_Down);
    EXPECT_EQ(kinds().recNo(), 2);
    list().finishPicker();
}

TEST_F(KindsTest, EditorStoresTrimmedNamesAndRefusesAnotherKindsNameInAnyLetterCase)
{
    list().prepareCatalog();
    struct Case {
        int id;   // 0 adds
        QString typed;
        QString message;   // empty: saved
        QString stored;
    };
    const Case cases[] = {
        {0, "   ", "Все поля должны быть заполнены!", ""},
        {0, "РЕЗКА", "Такая операция уже заведена!", ""},
        {0, "ЁЛОЧНАЯ СБОРКА", "Такая операция уже заведена!", ""},
        {0, "o'brien 5%", "Такая операция уже заведена!", ""},
        {0, "  Гибка  ", "", "Гибка"},
        {0, "Back\\slash 10%_'", "", "Back\\slash 10%_'"},
        {1, "резка", "", "резка"},   // its own name in other letters
        {1, "окраска краска", "Такая операция уже заведена!", ""},
        {2, " Покраска КРАСКА ", "", "Покраска КРАСКА"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        const int before = t.database.count("select count(*) from accounts_dep.vid_oper");
        if (c.id)
            standOn(c.id);
        t.dialogs.onModal("Form9", [&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), c.id ? "Изменение данных вида операции" : "Заведение нового вида операций");
            editor().Edit1->setText(c.typed);
            if (!c.message.isEmpty())
                t.dialogs.expectBox(MessageKind::Error, c.message, QMessageBox::Ok, "Ошибка");
            editor().Button1->click();
            EXPECT_EQ(d.isVisible(), !c.message.isEmpty());
            return d.result();
        });
        (c.id ? list().Button2 : list().Button1)->click();
        if (c.message.isEmpty()) {
            if (c.id) {
                EXPECT_EQ(stored(c.id).trimmed(), c.stored);
            } else {
                EXPECT_EQ(t.database.count("select count(*) from accounts_dep.vid_oper"), before + 1);
                EXPECT_EQ(t.database.scalar("select vid from accounts_dep.vid_oper order by id desc limit 1")
                              .toString()
                              .trimmed(),
                          c.stored);
            }
            EXPECT_TRUE(names().contains(c.stored));
            EXPECT_EQ(kinds().recNo(), 1);
        } else {
            EXPECT_EQ(t.database.count("select count(*) from accounts_dep.vid_oper"), before);
        }
        EXPECT_EQ(kinds().state(), Dataset::State::Browse);
    }
    list().finishCatalog();
}

TEST_F(KindsTest, DeletingAsksAndShowsTheDatabasesRefusal)
{
    list().prepareCatalog();
    standOn(3);
    t.dialogs.expectBox(MessageKind::Question, "Удалить вид операции?", QMessageBox::No, "Удаление");
    list().Button3->click();
    EXPECT_EQ(names().size(), 7);

    t.dialogs.expectBox(MessageKind::Question, "Удалить вид операции?", QMessageBox::Yes, "Удаление");
    list().Button3->click();
    EXPECT_EQ(names().size(), 6);
    EXPECT_FALSE(names().contains("Грунтовка КРАСКА"));
    EXPECT_EQ(kinds().recNo(), 1);

    // A kind that operations use: the database's message, the list as it was.
    QString refusal;
    try {
        Transaction tx(t.database.db());
        t.database.exec("delete from accounts_dep.vid_oper where id = 1");
    } catch (const DbError& e) {
        refusal = e.text();
    }
    ASSERT_FALSE(refusal.isEmpty());
    standOn(1);
    const int row = kinds().recNo();
    t.dialogs.expectBox(MessageKind::Question, "Удалить вид операции?", QMessageBox::Yes, "Удаление");
    t.dialogs.expectBox(MessageKind::Error, refusal);
    list().Button3->click();
    EXPECT_EQ(names().size(), 6);
    EXPECT_EQ(kinds().recNo(), row);
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.vid_oper where id = 1"), 1);
    list().finishCatalog();
}

} // namespace
