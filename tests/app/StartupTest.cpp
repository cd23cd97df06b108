#include "db/TDataModule6.h"
#include "app/TForm23.h"
#include "app/WindowOwner.h"
#include "db/Command.h"
#include "db/ConnectionText.h"
#include "db/DbError.h"
#include "journal/TForm1.h"
#include "tests/support/PrivateServer.h"
#include "tests/support/TestApp.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace {
const char* const kFixedOptions =
    ";PORT=5432;UID=sys;PWD=vumbrex;SSLmode=allow;"
    "ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;ShowSystemTables=0;Fetch=100;"
    "UnknownSizes=0;MaxVarcharSize=255;MaxLongVarcharSize=8190;"
    "Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;BoolsAsChar=1;Parse=0;"
    "ExtraSysTablePrefixes=;LFConversion=1;UpdatableCursors=1;"
    "TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;LowerCaseIdentifier=0;D6=-101;"
    "OptionalErrors=0;XaOpt=1";
}

TEST(ConnectionText, FromTheCommandLine)
{
    const std::string fixed = kFixedOptions;
    struct Case {
        QString database, server;
        std::string expected;
    };
    const Case cases[] = {
        {"", "", "DRIVER={PostgreSQL UNICODE};DATABASE=vestra_erp;SERVER=localhost" + fixed},
        {"other_db", "", "DRIVER={PostgreSQL UNICODE};DATABASE=vestra_erp;SERVER=localhost" + fixed},   // name alone ignored
        {"shop", "10.0.0.7", "DRIVER={PostgreSQL UNICODE};DATABASE=shop;SERVER=10.0.0.7" + fixed},
    };
    for (const Case& c : cases)
        EXPECT_EQ(connectionTextForArguments(c.database, c.server).toStdString(), c.expected);
}

TEST(Startup, OpensTheDatabaseNamedOnTheCommandLineAndCreatesTheLogin)
{
    TestContext t;
    WindowOwner owner(t.context());
    ASSERT_TRUE(owner.start(t.database.arguments()));
    EXPECT_TRUE(owner.dataModule().ADO_DB.isOpen());
    EXPECT_EQ(owner.form1().windowTitle(), "Табель");
    EXPECT_EQ(owner.form23().windowTitle(), "Авторизация");
    EXPECT_TRUE(owner.form1().Timer1->isActive());
    EXPECT_EQ(owner.form1().Timer1->interval(), 30000);
    EXPECT_FALSE(t.lifetime.terminateRequested());
    // The connection really reaches the test's database.
    owner.dataModule().Control.setSql("select current_database() as db");
    owner.dataModule().Control.open();
    EXPECT_EQ(owner.dataModule().Control.field("db").asString(), t.database.name());
}

TEST(Startup, AFailedConnectionShowsTheMessageAndEndsBeforeTheLogin)
{
    // A database that does not exist, a server that does not answer, odd characters.
    const QStringList cases[] = {
        {"no_such_database_xyz", "localhost"},
        {"vestra_erp", "127.0.0.2"},
        {"Ж'\";{}=%", "::bad server name::"},
    };
    for (const QStringList& args : cases) {
        ScriptedDialogs dialogs;
        TestLifetime lifetime;
        dialogs.expectBox(MessageKind::Error, "Подключение к БД отсутсвует!!!", QMessageBox::Ok, "Ошибка!");
        WindowOwner owner(AppContext{dialogs, lifetime, BuildStamp{20261210, 1}});
        EXPECT_FALSE(owner.start(args)) << args.join(' ').toStdString();
        EXPECT_TRUE(lifetime.terminateRequested());
    }
}

TEST(Startup, AServerThatRefusesTheJitSettingStillRunsTheProgram)
{
    // A server that answers "set jit" as one that does not know the
    // parameter (older servers, or a setting the server refuses).
    PrivateServer server(QStringLiteral(PW_SERVER_WITHOUT_JIT));
    server.createDatabase("pw_nojit");
    {
        Database probe;
        probe.setConnectionText(connectionText("pw_nojit", server.host()));
        probe.open();
        try {
            Command(probe, "set jit = off").execute();
            ADD_FAILURE() << "the server took the setting";
        } catch (const DbError& e) {
            EXPECT_TRUE(e.text().contains("unrecognized configuration parameter")) << e.text().toStdString();
        }
    }

    ScriptedDialogs dialogs;   // no box is expected
    TestLifetime lifetime;
    WindowOwner owner(AppContext{dialogs, lifetime, BuildStamp{20261210, 36000}});
    ASSERT_TRUE(owner.start(server.arguments("pw_nojit")));
    EXPECT_FALSE(lifetime.terminateRequested());
    // The session works: the login's check stamps the database and the
    // journal reads its shifts.
    owner.form23().FormActivate();
    EXPECT_EQ(owner.form23().windowTitle(), "Авторизация (build: 20261210.36000)");
    TDataModule6& dm = owner.dataModule();
    dm.Control.setSql("select d from accounts_dep.ver");
    dm.Control.open();
    EXPECT_EQ(dm.Control.field("d").asInt(), 20261210);
    dm.Control.close();
    for (int shift = 1; shift <= 4; ++shift)
        dm.Smena(shift).setParam("ok", "ta");
    owner.form1().FormActivate();
    EXPECT_TRUE(dm.Smena1.isOpen());
    EXPECT_TRUE(dialogs.shownBoxes().isEmpty());
}
