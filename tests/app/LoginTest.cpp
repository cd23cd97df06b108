#include "widgets/DBGrid.h"
#include "ledger/LoginCodes.h"
#include "db/TDataModule6.h"
#include "app/TForm23.h"
#include "app/WindowOwner.h"
#include "journal/TForm1.h"
#include "tests/support/TestApp.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

TEST(LoginCodes, TrimmedExactAndCaseSensitive)
{
    struct Case {
        QString code;
        LoginRole role;
    };
    const Case cases[] = {
        {"61730482", LoginRole::Full}, {"2857", LoginRole::Full},       {"kalber", LoginRole::ViewOnly},
        {"brigade", LoginRole::ShiftMaster}, {"depot", LoginRole::Warehouse}, {"Kalber", LoginRole::None},
        {"DEPOT", LoginRole::None},          {"", LoginRole::None},           {"28570", LoginRole::None},
        {"285", LoginRole::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(roleForCode(c.code), c.role) << c.code.toStdString();
}

namespace {

// What the journal leaves enabled after a login.
struct Enabled {
    bool add, change, remove, refresh, shifts, date, dayOff, grid, catalogs, timesheets, reports, exit;
};

Enabled enabledIn(TForm1& j)
{
    return {j.Button1->isEnabled(), j.Button2->isEnabled(), j.Button3->isEnabled(), j.Button8->isEnabled(),
            j.RadioButton1->isEnabled() && j.RadioButton4->isEnabled(), j.DateT->isEnabled(), j.CBox1->isEnabled(),
            j.DBGrid2->isEnabled(), j.MenuCatalogs->menuAction()->isEnabled(), j.MenuTimesheets->menuAction()->isEnabled(),
            j.MenuReports->menuAction()->isEnabled(), j.Button4->isEnabled()};
}

} // namespace

TEST(Login, EachRoleLeavesItsControlsEnabledAndRunsTheJournal)
{
    struct Case {
        const char* typed;
        LoginRole role;
        Enabled expected;
    };
    const Case cases[] = {
        {"  2857 ", LoginRole::Full, {true, true, true, true, true, true, true, true, true, true, true, true}},
        {"61730482", LoginRole::Full, {true, true, true, true, true, true, true, true, true, true, true, true}},
        {"kalber", LoginRole::ViewOnly, {false, false, false, false, false, false, false, false, false, false, true, true}},
        {"brigade", LoginRole::ShiftMaster, {true, false, false, true, true, true, true, true, false, false, true, true}},
        {"depot", LoginRole::Warehouse, {false, false, false, true, true, true, true, true, false, false, true, true}},
    };
    for (const Case& c : cases) {
        TestContext t;
        WindowOwner owner(t.context());
        ASSERT_TRUE(owner.start(t.database.arguments()));
        TForm1& j = owner.form1();
        Enabled seen{};
        t.dialogs.onModal("Form1", [&](QDialog&) {
            seen = enabledIn(j);
            return int(QDialog::Rejected);
        });
        owner.form23().Edit1->setText(QString::fromUtf8(c.typed));
        owner.form23().Button1->click();
        const Enabled& e = c.expected;
        EXPECT_EQ(seen.add, e.add) << c.typed;
        EXPECT_EQ(seen.change, e.change) << c.typed;
        EXPECT_EQ(seen.remove, e.remove) << c.typed;
        EXPECT_EQ(seen.refresh, e.refresh) << c.typed;
        EXPECT_EQ(seen.shifts, e.shifts) << c.typed;
        EXPECT_EQ(seen.date, e.date) << c.typed;
        EXPECT_EQ(seen.dayOff, e.dayOff) << c.typed;
        EXPECT_EQ(seen.grid, e.grid) << c.typed;
        EXPECT_EQ(seen.catalogs, e.catalogs) << c.typed;
        EXPECT_EQ(seen.timesheets, e.timesheets) << c.typed;
        EXPECT_EQ(seen.reports, e.reports) << c.typed;
        EXPECT_EQ(seen.exit, e.exit) << c.typed;
        EXPECT_EQ(j.role, c.role);
        EXPECT_EQ(j.userRole, QString::fromUtf8(c.typed).trimmed());
        EXPECT_EQ(j.currentShift, 1);
        for (int shift = 1; shift <= 4; ++shift)
            EXPECT_EQ(owner.dataModule().Smena(shift).param("ok").toString(), "ta");
        EXPECT_EQ(t.dialogs.shownWindows(), QStringList{"Form1"});
        // The journal closed: the login closes and the program ends.
        EXPECT_TRUE(t.lifetime.terminateRequested());
    }
}

TEST(Login, AWrongCodeIsRefusedAndOnlyTheTimesheetMenuIsTouched)
{
    TestContext t;
    WindowOwner owner(t.context());
    ASSERT_TRUE(owner.start(t.database.arguments()));
    TForm1& j = owner.form1();
    for (const char* wrong : {"", "   ", "Kalber", "brigade1"}) {
        t.dialogs.expectBox(MessageKind::Error, "Введены неверные данные.", QMessageBox::Ok, "Ошибка");
        owner.form23().Edit1->setText(QString::fromUtf8(wrong));
        owner.form23().Button1->click();
        EXPECT_FALSE(j.MenuTimesheets->menuAction()->isEnabled()) << wrong;
        EXPECT_TRUE(j.MenuCatalogs->menuAction()->isEnabled());
        EXPECT_TRUE(j.Button3->isEnabled());
        EXPECT_EQ(j.userRole, QString::fromUtf8(wrong).trimmed());   // kept until the next attempt
        EXPECT_EQ(owner.form23().Edit1->text(), QString::fromUtf8(wrong));
        EXPECT_FALSE(t.lifetime.terminateRequested());
    }
    EXPECT_TRUE(t.dialogs.shownWindows().isEmpty());

    t.dialogs.onModal("Form1", [&](QDialog&) { return int(QDialog::Rejected); });
    owner.form23().Edit1->setText("2857");
    owner.form23().Button1->click();
    EXPECT_TRUE(j.MenuTimesheets->menuAction()->isEnabled());
}

TEST(Login, TheWindowAsTheUserMeetsIt)
{
    TestContext t;
    WindowOwner owner(t.context());
    ASSERT_TRUE(owner.start(t.database.arguments()));
    TForm23& login = owner.form23();
    EXPECT_EQ(login.Edit1->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(login.Button1->isDefault());
    EXPECT_EQ(login.Button1->text(), "Вход");
    EXPECT_EQ(login.Button2->text(), "Отмена");
    EXPECT_FALSE(login.Timer1->isActive());
    login.FormActivate();
    EXPECT_EQ(login.windowTitle(), "Авторизация (build: 20261210.36000)");
    EXPECT_FALSE(t.lifetime.terminateRequested());
    login.Button2->click();
    EXPECT_TRUE(t.lifetime.terminateRequested());
}
