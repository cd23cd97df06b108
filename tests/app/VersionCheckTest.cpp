#include "db/TDataModule6.h"
#include "app/TForm23.h"
#include "widgets/VersionCheck.h"
#include "app/WindowOwner.h"
#include "journal/TForm1.h"
#include "tests/support/TestApp.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct Stored {
    int d, t;
};

Stored stored(TestDatabase& db)
{
    return {db.scalar("select d from accounts_dep.ver").toInt(), db.scalar("select t from accounts_dep.ver").toInt()};
}

} // namespace

TEST(VersionCheck, OlderEqualAndNewerStamps)
{
    struct Case {
        int storedD, storedT;
        VersionVerdict verdict;
        int afterD, afterT;
    };
    const BuildStamp build{20261210, 36000};
    const Case cases[] = {
        {20261209, 50000, VersionVerdict::Stamped, 20261210, 36000},   // older date
        {20261210, 35999, VersionVerdict::Stamped, 20261210, 36000},   // same date, older time
        {20261210, 36000, VersionVerdict::Equal, 20261210, 36000},
        {20261210, 36001, VersionVerdict::Outdated, 20261210, 36001},  // newer time: nothing written
        {20270101, 0, VersionVerdict::Outdated, 20270101, 0},
    };
    TestContext t;
    TDataModule6 dm(t.dialogs);
    dm.ADO_DB.setConnectionText(t.database.db().connectionText());
    dm.ADO_DB.open();
    for (const Case& c : cases) {
        t.database.exec(QStringLiteral("update accounts_dep.ver set d=%1, t=%2, delim=','").arg(c.storedD).arg(c.storedT));
        dm.decimalSeparator.clear();
        EXPECT_EQ(checkVersion(dm, build), c.verdict) << c.storedD << "." << c.storedT;
        EXPECT_EQ(dm.decimalSeparator, ",");
        const Stored after = stored(t.database);
        EXPECT_EQ(after.d, c.afterD);
        EXPECT_EQ(after.t, c.afterT);
        EXPECT_EQ(t.database.count("select count(*) from accounts_dep.ver"), 1);
    }
}

TEST(VersionCheck, OutdatedProgramShowsOneMessageAndTheTimerEndsItWhileTheBoxIsOpen)
{
    TestContext t;
    t.database.exec("update accounts_dep.ver set d=20991231, t=0");
    WindowOwner owner(t.context());
    ASSERT_TRUE(owner.start(t.database.arguments()));
    QTimer* loginTimer = owner.form23().Timer1;
    int requestsUnderTheBox = -1;
    t.dialogs.expectBox(
        MessageKind::Error, "Версия программы не соответсвует БД! Запустите программу через 5 мин.", QMessageBox::Ok,
        "Ошибка", [&] {
            // Armed before the box was shown, for five seconds.
            EXPECT_TRUE(loginTimer->isActive());
            EXPECT_EQ(loginTimer->interval(), 5000);
            // The journal's timer goes on ticking under the open box: no
            // second box comes (the script fails on one).
            QMetaObject::invokeMethod(owner.form1().Timer1, "timeout", Qt::DirectConnection);
            // The login's timer fires in the event loop that runs under the
            // box (brought forward so that the test does not wait 5 s) and
            // ends the program before the box is answered.
            EXPECT_FALSE(t.lifetime.terminateRequested());
            QEventLoop underTheBox;
            QObject::connect(loginTimer, &QTimer::timeout, &underTheBox, &QEventLoop::quit, Qt::QueuedConnection);
            loginTimer->start(0);
            underTheBox.exec();
            requestsUnderTheBox = t.lifetime.requests();
        });
    owner.form23().FormActivate();
    EXPECT_EQ(requestsUnderTheBox, 1);
    // Asked again after the box, by the check itself.
    EXPECT_EQ(t.lifetime.requests(), 2);
    EXPECT_EQ(owner.form23().windowTitle(), "Авторизация (build: 20261210.36000)");
    EXPECT_EQ(stored(t.database).d, 20991231);
}

TEST(VersionCheck, ANewerCopyStampsTheDatabaseAndTheOlderEndsAtItsNextTick)
{
    TestContext t;
    ScriptedDialogs newerDialogs;
    TestLifetime newerLifetime;
    WindowOwner older(t.context());   // build 20261210.36000
    WindowOwner newer(AppContext{newerDialogs, newerLifetime, BuildStamp{20261210, 40000}});
    ASSERT_TRUE(older.start(t.database.arguments()));
    ASSERT_TRUE(newer.start(t.database.arguments()));

    older.form23().FormActivate();
    EXPECT_EQ(stored(t.database).t, 36000);
    EXPECT_FALSE(t.lifetime.terminateRequested());

    newer.form23().FormActivate();
    EXPECT_EQ(stored(t.database).t, 40000);
    EXPECT_FALSE(newerLifetime.terminateRequested());

    t.dialogs.expectBox(MessageKind::Error, "Версия программы не соответсвует БД! Запустите программу через 5 мин.");
    QMetaObject::invokeMethod(older.form1().Timer1, "timeout", Qt::DirectConnection);
    EXPECT_TRUE(t.lifetime.terminateRequested());
    EXPECT_EQ(stored(t.database).t, 40000);
}
