// The month check: one finding of each kind and a clean month, the mend of
// the timesheet days, and the window that lists the findings and leads to
// the records behind them.
#include "widgets/DBGrid.h"
#include "ledger/MonthClosing.h"
#include "ledger/MaintenanceJournal.h"
#include "timesheets/TForm19.h"
#include "ledger/MonthCheck.h"
#include "timesheets/TForm25.h"
#include "timesheets/TForm30.h"
#include "tests/timesheets/MonthEndFixture.h"

#include <QAction>
#include <QMenu>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTreeWidget>

namespace {

const MonthRange kMarch(2026, 3);
const MonthRange kApril(2026, 4);

// The findings as "group|date|place|worker|text", the window's columns.
QStringList findingLines(const MonthCheck::Result& result)
{
    QStringList out;
    for (const MonthCheck::Finding& f : result.findings) {
        const QString place = f.source == MonthCheck::Source::MaintenanceRecord ? QStringLiteral("хоз. работы")
                                                                                 : QStringLiteral("смена %1").arg(f.shift);
        out << QStringList{MonthCheck::title(f.kind), f.date.toString("dd.MM.yyyy"), place, f.worker, f.text}.join('|');
    }
    return out;
}

class MonthCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        addMonthEndFixture(t.database);
        ASSERT_TRUE(owner.start(t.database.arguments()));
        j().role = LoginRole::Full;
        j().today = [] { return QDate(2026, 3, 20); };
        for (int shift = 1; shift <= 4; ++shift)
            dm().Smena(shift).setParam("ok", "ta");
    }
    TForm1& j() { return owner.form1(); }
    TForm30& c() { return owner.form30(); }
    TDataModule6& dm() { return owner.dataModule(); }
    // The window's tree as "group" lines and, indented, their findings.
    QStringList treeLines()
    {
        QStringList out;
        for (int g = 0; g < c().Tree1->topLevelItemCount(); ++g) {
            QTreeWidgetItem* group = c().Tree1->topLevelItem(g);
            out << group->text(0);
            for (int i = 0; i < group->childCount(); ++i) {
                QTreeWidgetItem* item = group->child(i);
                out << "  " + QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join('|');
            }
        }
        return out;
    }
    QTreeWidgetItem* findingOf(const QString& group)
    {
        for (int g = 0; g < c().Tree1->topLevelItemCount(); ++g)
            if (c().Tree1->topLevelItem(g)->text(0).startsWith(group))
                return c().Tree1->topLevelItem(g)->child(0);
        return nullptr;
    }

    TestContext t;
    WindowOwner owner{t.context()};
};

} // namespace

TEST_F(MonthCheckTest, FindsOneFindingOfEachKindAndNothingInACleanMonth)
{
    const MonthCheck::Result march = MonthCheck::run(dm(), kMarch);
    EXPECT_EQ(findingLines(march),
              (QStringList{
                  "Табель расходится с записями|03.03.2026|смена 1|Иванов И.И.|смена 1: в табеле 6 ч, по записям 8 ч",
                  "Табель расходится с записями|05.03.2026|хоз. работы|Петров П.П.|хоз. работы: в табеле 2 ч, по записям 4 ч",
                  "Часы в табеле без записей|04.03.2026|смена 1|Иванов И.И.|смена 1: в табеле 8 ч, записей нет",
                  "Записи с ценой 0 или без цены|06.03.2026|смена 2|Петров П.П.|цена 0: СТ-100; Резка",
                  "Операции без цены в нормах|09.03.2026|смена 1|Сидоров С.С.|СТ-100; Резка: в нормах нет цены, записей за месяц: 1",
                  "Брак больше количества|10.03.2026|смена 1|Сидоров С.С.|брак 7 больше количества 5: СТ-100; Резка",
                  "Больше 24 часов за день|12.03.2026|смена 1|Петров П.П.|за день 26 ч (в сменах 20 ч, хоз. работы и ср. сдельная 6 ч)",
                  "Часы без годных изделий|13.03.2026|смена 3|Иванов И.И.|3 ч, годных изделий нет (кол-во 4, брак 4): СТ-100; Резка",
                  "Не принятые записи|14.03.2026|смена 1|Иванов И.И.|не принята (отметка «no»): СТ-100; Резка",
                  "Ср. сдельная не рассчитана|16.03.2026|хоз. работы|Сидоров С.С.|цена 100 не рассчитана «Расчитать ср.сд.» после изменения записи",
                  "Ссылки на несуществующие данные|17.03.2026|смена 1|Иванов И.И.|изделие с кодом 99 не существует",
                  "Ссылки на несуществующие данные|18.03.2026|хоз. работы|(код 55)|работник с кодом 55 не существует",
              }));
    EXPECT_EQ(march.blocking(), 5);
    EXPECT_TRUE(MonthCheck::run(dm(), kApril).isClean());

    // A finding points at its record: the journal's shift and the record's id.
    const MonthCheck::Finding& noPrice = march.findings.at(3);
    EXPECT_EQ(noPrice.record, t.database.count("select id from accounts_dep.smena where data='06.03.2026'"));

    // Each kind's other faces, on a second look at March.
    t.database.exec("update accounts_dep.smena set cena=NULL where data='06.03.2026'");
    t.database.exec("update accounts_dep.smena set ok=NULL where data='14.03.2026'");
    t.database.exec("update accounts_dep.smena set i_id=10, w_id=NULL where data='17.03.2026'");
    t.database.exec("alter table accounts_dep.smena drop constraint smena_o_id_fkey");
    t.database.exec("update accounts_dep.smena set o_id=4242 where data='10.03.2026'");
    t.database.exec("update accounts_dep.fatigue set id_o=7779 where d_date='18.03.2026'");
    // Maintenance priced by the calculation and changed since: calculated again.
    MaintenanceJournal::calculateAverageRates(dm(), QDate(2026, 3, 1));
    EXPECT_EQ(MonthCheck::run(dm(), kMarch).count(MonthCheck::Kind::AverageNotCalculated), 0);
    t.database.exec("update accounts_dep.fatigue set cnt=6 where d_date='16.03.2026'");
    const QStringList second = findingLines(MonthCheck::run(dm(), kMarch));
    for (const QString& line : {
             "Записи с ценой 0 или без цены|06.03.2026|смена 2|Петров П.П.|без цены: СТ-100; Резка",
             "Не принятые записи|14.03.2026|смена 1|Иванов И.И.|не принята (без отметки): СТ-100; Резка",
             "Ссылки на несуществующие данные|17.03.2026|смена 1|(работник не указан)|работник не указан",
             "Ссылки на несуществующие данные|10.03.2026|смена 1|Сидоров С.С.|операция с кодом 4242 не существует",
             "Ссылки на несуществующие данные|18.03.2026|хоз. работы|(код 55)|вид работ с кодом 7779 не существует",
             "Ср. сдельная не рассчитана|16.03.2026|хоз. работы|Сидоров С.С.|цена 0 не рассчитана «Расчитать ср.сд.» после изменения записи",
             // The changed hours also leave the typed day behind.
             "Табель расходится с записями|16.03.2026|хоз. работы|Сидоров С.С.|ср. сдельная: в табеле 5 ч, по записям 6 ч",
         })
        EXPECT_TRUE(second.contains(line)) << line.toStdString() << "\n" << second.join('\n').toStdString();
}

TEST_F(MonthCheckTest, TheMendRepostsExactlyTheDisagreeingDaysAndNothingElse)
{
    const QStringList before = monthData(t.database).split('\n');
    const MonthCheck::Result march = MonthCheck::run(dm(), kMarch);
    EXPECT_EQ(MonthCheck::repostTimesheetDays(dm(), march), 3);

    const MonthCheck::Result again = MonthCheck::run(dm(), kMarch);
    EXPECT_EQ(again.count(MonthCheck::Kind::TimesheetDiffers), 0);
    EXPECT_EQ(again.count(MonthCheck::Kind::HoursWithoutRecords), 0);
    EXPECT_EQ(again.findings.size(), march.findings.size() - 3);
    QStringList rows = monthRows(t.database.db(), 3, 2026);
    EXPECT_TRUE(rows.contains("1/1/0/0: d3=8 d14=8")) << rows.join('\n').toStdString();
    EXPECT_TRUE(rows.contains("2/0/7777/0: d5=4 d12=6")) << rows.join('\n').toStdString();
    // Records, other rows and other months as they were.
    const QString after = monthData(t.database);
    QStringList changed;
    for (const QString& line : after.split('\n'))
        if (!before.contains(line))
            changed << line;
    EXPECT_EQ(changed.size(), 2) << changed.join('\n').toStdString();
    for (const QString& line : changed)
        EXPECT_TRUE(line.startsWith("h|1|1|0|0|3|2026|") || line.startsWith("h|2|0|7777|0|3|2026|")) << line.toStdString();
    // Nothing to mend: nothing is written.
    EXPECT_EQ(MonthCheck::repostTimesheetDays(dm(), again), 0);
    EXPECT_EQ(monthData(t.database).toStdString(), after.toStdString());
}

TEST_F(MonthCheckTest, TheWindowListsTheGroupsWithTheirCountsAndLeadsToTheRecords)
{
    EXPECT_TRUE(j().MenuTimesheets->actions().contains(j().ActMonthCheck));
    ASSERT_TRUE(j().ActMonthCheck->isEnabled());
    j().FormActivate();
    const int noPriceRecord = t.database.count("select id from accounts_dep.smena where data='06.03.2026'");
    t.dialogs.onModal("Form30", [&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Проверка месяца");
        EXPECT_EQ(c().ComboBox1->currentText(), "Март");
        EXPECT_EQ(c().ComboBox2->currentText(), "2026");
        EXPECT_EQ(c().LabelSummary->text(), "За март 2026 замечаний: 12, из них по табелю и ценам: 5.");
        const QStringList tree = treeLines();
        EXPECT_EQ(tree.filter(QRegularExpression("^\\S")),
                  (QStringList{"Табель расходится с записями: 2", "Часы в табеле без записей: 1",
                               "Записи с ценой 0 или без цены: 1", "Операции без цены в нормах: 1",
                               "Брак больше количества: 1", "Больше 24 часов за день: 1", "Часы без годных изделий: 1",
                               "Не принятые записи: 1", "Ср. сдельная не рассчитана: 1",
                               "Ссылки на несуществующие данные: 2"}));
        EXPECT_TRUE(tree.contains("  06.03.2026|смена 2|Петров П.П.|цена 0: СТ-100; Резка"));
        EXPECT_TRUE(c().Button2->isEnabled());
        EXPECT_TRUE(c().Button3->isEnabled());
        EXPECT_FALSE(c().Button4->isEnabled());

        // April has nothing and says so.
        c().ComboBox1->setCurrentIndex(3);
        EXPECT_EQ(c().LabelSummary->text(), "За апрель 2026 замечаний нет.");
        EXPECT_EQ(treeLines().filter(QRegularExpression("^ ")), QStringList{});
        EXPECT_FALSE(c().Button2->isEnabled());
        c().ComboBox1->setCurrentIndex(2);

        // A maintenance record opens in the maintenance journal on its day,
        // over the check, which looks again when it closes.
        const int averageRecord = t.database.count("select id from accounts_dep.fatigue where d_date='16.03.2026'");
        t.dialogs.onModal("Form25", [&](QDialog& m) {
            EXPECT_EQ(owner.form25().DTPcker1->date(), QDate(2026, 3, 16));
            EXPECT_EQ(owner.form25().fatigue.field("id").asInt(), averageRecord);
            t.database.exec("update accounts_dep.smena set cena=2.5 where id=" + QString::number(noPriceRecord));
            return m.result();
        });
        c().Tree1DblClick(findingOf("Ср. сдельная не рассчитана"));
        EXPECT_TRUE(c().LabelSummary->text().startsWith("За март 2026 замечаний: 11,"));
        t.database.exec("update accounts_dep.smena set cena=0 where id=" + QString::number(noPriceRecord));
        c().Button1Click();

        // A group's own row leads nowhere; a shift record leads to the journal.
        c().Tree1DblClick(c().Tree1->topLevelItem(0));
        EXPECT_TRUE(d.isVisible());
        c().Tree1DblClick(findingOf("Записи с ценой 0"));
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    j().ActMonthCheck->trigger();
    EXPECT_EQ(t.dialogs.shownWindows(), (QStringList{"Form30", "Form25"}));
    EXPECT_EQ(j().DateT->date(), QDate(2026, 3, 6));
    EXPECT_TRUE(j().RadioButton2->isChecked());
    EXPECT_EQ(j().DBGrid2->dataset(), &dm().Smena2);
    EXPECT_EQ(dm().Smena2.field("id").asInt(), noPriceRecord);
}

TEST_F(MonthCheckTest, ClosingAsksFirstAndWarnsOfPayFindingsAndTheWindowsShowAClosedMonth)
{
    j().FormActivate();
    c().prepare(QDate(2026, 3, 20), LoginRole::Full);
    // With findings of the timesheet and the prices, the question says so.
    t.dialogs.expectBox(MessageKind::Question,
                        "В месяце март 2026 есть замечания по табелю и ценам (5): оплата по ним будет неверной.\n"
                        "Всё равно закрыть месяц?",
                        QMessageBox::No);
    c().Button3->click();
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.closed_month"), 0);

    // Mended, the question is the plain one.
    c().Button2->click();
    t.database.exec("update accounts_dep.smena set cena=2.5 where data='06.03.2026'");
    t.database.exec("insert into accounts_dep.norm (o_id, norma, prize, price) values (102, 2, 0, 1.5)");
    t.dialogs.expectBox(MessageKind::Question,
                        "Закрыть месяц март 2026?\nПосле закрытия его записи, табель и цены не изменяются.",
                        QMessageBox::Yes);
    c().Button3->click();
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.closed_month where year=2026 and month=3 "
                               "and closed_at > now() - interval '1 minute'"),
              1);
    EXPECT_FALSE(c().LabelClosed->isHidden());
    EXPECT_TRUE(c().LabelClosed->text().startsWith("Месяц закрыт "));
    EXPECT_FALSE(c().Button3->isEnabled());
    EXPECT_TRUE(c().Button4->isEnabled());
    const QString refusal = MonthClosing::refusalText(2026, 3, *MonthClosing::closure(dm(), 2026, 3));
    EXPECT_TRUE(refusal.startsWith("Месяц март 2026 закрыт "));

    // The journal says so beside its date, and its buttons refuse before
    // opening anything.
    j().DateT->setDate(QDate(2026, 3, 14));
    j().DateTChange();
    EXPECT_EQ(j().LabelClosed->text(), c().LabelClosed->text());
    EXPECT_FALSE(j().LabelClosed->isHidden());
    EXPECT_EQ(j().Button1->toolTip(), refusal);
    t.dialogs.expectBox(MessageKind::Error, refusal);
    j().Button1->click();
    t.dialogs.expectBox(MessageKind::Error, refusal);
    j().Button3Click();
    // Accepting is refused inside its transaction.
    t.dialogs.expectBox(MessageKind::Error, refusal);
    j().DBGrid2DblClick();
    EXPECT_EQ(t.database.scalar("select ok from accounts_dep.smena where data='14.03.2026'").toString(), "no");
    // An open month beside it is not affected.
    j().DateT->setDate(QDate(2026, 4, 1));
    j().DateTChange();
    EXPECT_TRUE(j().LabelClosed->isHidden());
    EXPECT_EQ(j().Button1->toolTip(), "");

    // The timesheets say so beside the month.
    owner.form19().prepare(QDate(2026, 3, 1));
    EXPECT_FALSE(owner.form19().LabelClosed->isHidden());
    EXPECT_EQ(owner.form19().Button1->toolTip(), refusal);
    // Its rebuild is refused before the month's grids are emptied.
    const QString stored = monthData(t.database);
    t.dialogs.expectBox(MessageKind::Error, refusal);
    owner.form19().Button1Click();
    EXPECT_EQ(monthData(t.database).toStdString(), stored.toStdString());
    EXPECT_TRUE(owner.form19().DBGrid1->dataset()->isOpen());
    owner.form19().prepare(QDate(2026, 4, 1));
    EXPECT_TRUE(owner.form19().LabelClosed->isHidden());

    // Opening asks too; then the month takes changes again.
    t.dialogs.expectBox(MessageKind::Question,
                        "Открыть месяц март 2026?\nЕго записи, табель и цены снова можно будет изменять, и оплата за "
                        "него может измениться.",
                        QMessageBox::Yes);
    c().Button4->click();
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.closed_month"), 0);
    EXPECT_TRUE(c().Button3->isEnabled());
    EXPECT_FALSE(c().Button4->isEnabled());
    j().DateT->setDate(QDate(2026, 3, 14));
    j().DateTChange();
    j().DBGrid2DblClick();
    EXPECT_EQ(t.database.scalar("select ok from accounts_dep.smena where data='14.03.2026'").toString(), "ok");
}
