// The program against a server of the test's own that really stops and
// starts again while the program runs.
#include "db/TDataModule6.h"
#include "widgets/VersionCheck.h"
#include "app/WindowOwner.h"
#include "catalogs/TForm2.h"
#include "catalogs/TForm26.h"
#include "catalogs/TForm29.h"
#include "catalogs/TForm3.h"
#include "catalogs/TForm5.h"
#include "catalogs/TForm7.h"
#include "journal/TForm1.h"
#include "tests/support/PrivateServer.h"
#include "tests/support/TestApp.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

void tick(TForm1& journal)
{
    QMetaObject::invokeMethod(journal.Timer1, "timeout", Qt::DirectConnection);
}

} // namespace

TEST(ConnectionLoss, OneBoxWhileTheServerIsAwayTheEditorKeepsItsFieldsAndTheJournalWorksOnceItIsBack)
{
    PrivateServer server;
    server.createDatabase("pw_loss");
    server.exec("pw_loss", "insert into cmn_classifier.item (id, id_level, s_caption) values (1, 2, 'Стулья')");
    ScriptedDialogs dialogs;
    TestLifetime lifetime;
    WindowOwner owner(AppContext{dialogs, lifetime, BuildStamp{20261210, 36000}});
    ASSERT_TRUE(owner.start(server.arguments("pw_loss")));
    TForm1& journal = owner.form1();
    TDataModule6& dm = owner.dataModule();
    journal.VersionCheck();
    for (int shift = 1; shift <= 4; ++shift)
        dm.Smena(shift).setParam("ok", "ta");

    TForm3& products = owner.form3();
    TForm7& editor = owner.form7();
    products.prepareCatalog();
    dialogs.onModal("Form7", [&](QDialog& d) {
        editor.Edit1->setText("НОВ-1");
        editor.Edit2->setText("1.5");
        editor.cb_item->setCurrentIndex(editor.cb_item->findText("Стулья"));

        server.stop();
        // The timer finds the server gone: one box, and the ticks that come
        // while it is open show no other.
        dialogs.expectBox(MessageKind::Error, QString::fromUtf8(kNoConnectionMessage), QMessageBox::Ok, "Ошибка",
                          [&] {
                              tick(journal);
                              tick(journal);
                          });
        tick(journal);
        EXPECT_TRUE(dm.connectionLost);
        // Nor do the ticks after it, while the server is still away.
        tick(journal);
        tick(journal);

        // Saving fails with the database's message; what was typed stays.
        dialogs.expectAnyBox(MessageKind::Error);
        editor.Button1->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(editor.Edit1->text(), "НОВ-1");
        EXPECT_EQ(editor.Edit2->text(), "1.5");
        EXPECT_EQ(editor.cb_item->currentText(), "Стулья");

        // The server is back: the next tick opens the connection again
        // without a word, and the same save goes through.
        server.start();
        tick(journal);
        EXPECT_FALSE(dm.connectionLost);
        editor.Button1->click();
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    products.Button1->click();
    products.finishCatalog();

    Dataset check(dm.ADO_DB);
    check.setSql("select marka, massa, id_class_item from accounts_dep.izdel");
    check.open();
    ASSERT_EQ(check.recordCount(), 1);
    EXPECT_EQ(check.field("marka").asString(), "НОВ-1");
    EXPECT_EQ(check.field("massa").asFloat(), 1.5);
    // The journal reads its shifts again on the new connection.
    journal.FormActivate();
    journal.Button8->click();
    EXPECT_TRUE(dm.Smena1.isOpen());
    ASSERT_EQ(dialogs.shownBoxes().size(), 2);
    EXPECT_FALSE(dialogs.shownBoxes().at(1).text.isEmpty());
    dialogs.verify();
}

TEST(ConnectionLoss, AnEditorWhoseSaveFailsKeepsWhatWasTypedAndSavesOnceTheServerIsBack)
{
    PrivateServer server;
    server.createDatabase("pw_loss");
    server.exec("pw_loss", "insert into hrms_staffpos.staffpos (id, s_caption) values (1, 'Маляр')");
    ScriptedDialogs dialogs;
    TestLifetime lifetime;
    WindowOwner owner(AppContext{dialogs, lifetime, BuildStamp{20261210, 36000}});
    ASSERT_TRUE(owner.start(server.arguments("pw_loss")));
    TForm1& journal = owner.form1();
    journal.VersionCheck();

    // The server goes away and comes back between two ticks: the save in
    // between fails, the next tick opens the connection again silently.
    struct Case {
        const char* window;
        std::function<void()> open;         // what the user does to open the editor
        std::function<void()> type;         // what the user types in it
        std::function<void()> expectKept;   // what the editor must still show
        QPushButton* save;
        const char* stored;                 // counts 1 once saved
    };
    TForm2& worker = owner.form2();
    TForm29& group = owner.form29();
    const Case cases[] = {
        {"Form2", [&] { owner.form5().prepareCatalog(); owner.form5().Button1Click(); },
         [&] {
             worker.Edit1->setText("Новиков Н.Н.");
             worker.LCB_staffpos->setCurrentIndex(worker.LCB_staffpos->findText("Маляр"));
         },
         [&] {
             EXPECT_EQ(worker.Edit1->text(), "Новиков Н.Н.");
             EXPECT_EQ(worker.LCB_staffpos->currentText(), "Маляр");
         },
         worker.Button1, "select count(*) from accounts_dep.person where fio = 'Новиков Н.Н.' and s_staffpos_hl = 'Маляр'"},
        {"Form29", [&] { owner.form26().prepareCatalog(); owner.form26().Button2Click(); },
         [&] { group.Edit1->setText("Полки"); }, [&] { EXPECT_EQ(group.Edit1->text(), "Полки"); }, group.Button1,
         "select count(*) from cmn_classifier.item where s_caption = 'Полки'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        dialogs.onModal(c.window, [&](QDialog& d) {
            c.type();
            server.stop();
            dialogs.expectAnyBox(MessageKind::Error);
            c.save->click();
            EXPECT_TRUE(d.isVisible());
            c.expectKept();
            server.start();
            tick(journal);
            EXPECT_FALSE(owner.dataModule().connectionLost);
            c.save->click();
            EXPECT_FALSE(d.isVisible());
            return d.result();
        });
        c.open();
        Database check;
        check.setConnectionText(owner.dataModule().ADO_DB.connectionText());
        check.open();
        Dataset q(check);
        q.setSql(c.stored);
        q.open();
        EXPECT_EQ(q.valueAt(0, 0).toInt(), 1);
    }
    dialogs.verify();
}
