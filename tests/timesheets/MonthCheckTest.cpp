// The month check: one finding of each kind and a clean month, the mend of
// the timesheet days and rows, and the window that lists the findings and
// leads to the records behind them (or tells where they are when the
// journals cannot show them).
#include "widgets/DBGrid.h"
#include "db/DbError.h"
#include "db/SharedSql.h"
#include "ledger/DayPosting.h"
#include "ledger/MonthClosing.h"
#include "ledger/MaintenanceJournal.h"
#include "timesheets/TForm19.h"
#include "ledger/MonthCheck.h"
#include "timesheets/TForm25.h"
#include "timesheets/MonthCheckWindow.h"
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
#include <QTreeWidgetItemIterator>

namespace {

const MonthRange kMarch(2026, 3);
const MonthRange kApril(2026, 4);
const MonthRange kMay(2026, 5);

// What a finding's text ends with when the journal cannot show its record.
QString hiddenNote(bool shift, const QString& why, int id)
{
    return QStringLiteral(" (%1 её не показывает: %2; запись № %3 в %4)")
        .arg(shift ? "журнал" : "журнал хоз. работ", why)
        .arg(id)
        .arg(shift ? "accounts_dep.smena" : "accounts_dep.fatigue");
}

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
    MonthCheckWindow& c() { return owner.monthCheckWindow(); }
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
    const int goneProduct = t.database.count("select id from accounts_dep.smena where data='17.03.2026'");
    const int goneWorker = t.database.count("select id from accounts_dep.fatigue where d_date='18.03.2026'");
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
                  "Ссылки на несуществующие данные|17.03.2026|смена 1|Иванов И.И.|изделие с кодом 99 не существует"
                      + hiddenNote(true, "изделия с кодом 99 нет", goneProduct),
                  "Ссылки на несуществующие данные|18.03.2026|хоз. работы|(код 55)|работник с кодом 55 не существует"
                      + hiddenNote(false, "работника с кодом 55 нет", goneWorker),
              }));
    // The average piecework never calculated counts with the pay's findings.
    EXPECT_EQ(march.blocking(), 6);
    // April's average piecework was calculated at 0 (no shift hours of its
    // group): paid nothing, so a finding of the prices. May has nothing.
    const MonthCheck::Result april = MonthCheck::run(dm(), kApril);
    EXPECT_EQ(findingLines(april),
              QStringList{"Записи с ценой 0 или без цены|02.04.2026|хоз. работы|Петров П.П.|цена 0 по «Расчитать ср.сд.»: "
                          "у работника нет сменных часов по группе «Стулья» за месяц"});
    EXPECT_EQ(april.blocking(), 1);
    EXPECT_TRUE(MonthCheck::run(dm(), kMay).isClean());

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
    const int notAccepted = t.database.count("select id from accounts_dep.smena where data='14.03.2026'");
    const int goneOperation = t.database.count("select id from accounts_dep.smena where data='10.03.2026'");
    for (const QString& line : {
             QString("Записи с ценой 0 или без цены|06.03.2026|смена 2|Петров П.П.|без цены: СТ-100; Резка"),
             "Не принятые записи|14.03.2026|смена 1|Иванов И.И.|не принята (без отметки): СТ-100; Резка"
                 + hiddenNote(true, "без отметки", notAccepted),
             "Ссылки на несуществующие данные|17.03.2026|смена 1|(работник не указан)|работник не указан"
                 + hiddenNote(true, "работник не указан", goneProduct),
             "Ссылки на несуществующие данные|10.03.2026|смена 1|Сидоров С.С.|операция с кодом 4242 не существует"
                 + hiddenNote(true, "операции с кодом 4242 нет", goneOperation),
             "Ссылки на несуществующие данные|18.03.2026|хоз. работы|(код 55)|вид работ с кодом 7779 не существует"
                 + hiddenNote(false, "работника с кодом 55 нет, вида работ с кодом 7779 нет", goneWorker),
             // Priced 0 by the calculation (its group has no shift hours of
             // his), then changed: both.
             QString("Записи с ценой 0 или без цены|16.03.2026|хоз. работы|Сидоров С.С.|цена 0: ср. сдельная, Стулья"),
             QString("Ср. сдельная не рассчитана|16.03.2026|хоз. работы|Сидоров С.С.|цена 0 не рассчитана «Расчитать ср.сд.» после изменения записи"),
             // The changed hours also leave the typed day behind.
             QString("Табель расходится с записями|16.03.2026|хоз. работы|Сидоров С.С.|ср. сдельная: в табеле 5 ч, по записям 6 ч"),
         })
        EXPECT_TRUE(second.contains(line)) << line.toStdString() << "\n" << second.join('\n').toStdString();
}

TEST_F(MonthCheckTest, TheMendRepostsExactlyTheDisagreeingDaysAndNothingElse)
{
    const QStringList before = monthData(t.database).split('\n');
    const MonthCheck::Result march = MonthCheck::run(dm(), kMarch);
    EXPECT_EQ(MonthCheck::repostTimesheetDays(dm(), march), (MonthCheck::Mend{3, 0}));

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
    EXPECT_EQ(MonthCheck::repostTimesheetDays(dm(), again), MonthCheck::Mend{});
    EXPECT_EQ(monthData(t.database).toStdString(), after.toStdString());
}

TEST_F(MonthCheckTest, TheWindowListsTheGroupsWithTheirCountsAndLeadsToTheRecords)
{
    EXPECT_TRUE(j().MenuTimesheets->actions().contains(j().ActMonthCheck));
    ASSERT_TRUE(j().ActMonthCheck->isEnabled());
    j().FormActivate();
    const int noPriceRecord = t.database.count("select id from accounts_dep.smena where data='06.03.2026'");
    t.dialogs.onModal("MonthCheckWindow", [&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Проверка месяца");
        EXPECT_EQ(c().ComboBox1->currentText(), "Март");
        EXPECT_EQ(c().ComboBox2->currentText(), "2026");
        EXPECT_EQ(c().LabelSummary->text(), "За март 2026 замечаний: 12, из них по табелю и ценам: 6.");
        const QStringList tree = treeLines();
        EXPECT_EQ(tree.filter(QRegularExpression("^\\S")),
                  (QStringList{"Табель расходится с записями: 2", "Часы в табеле без записей: 1",
                               "Несколько строк табеля на одного работника: 0", "Записи с ценой 0 или без цены: 1",
                               "Операции без цены в нормах: 1",
                               "Брак больше количества: 1", "Больше 24 часов за день: 1", "Часы без годных изделий: 1",
                               "Не принятые записи: 1", "Ср. сдельная не рассчитана: 1",
                               "Ссылки на несуществующие данные: 2"}));
        EXPECT_TRUE(tree.contains("  06.03.2026|смена 2|Петров П.П.|цена 0: СТ-100; Резка"));
        EXPECT_TRUE(c().Button2->isEnabled());
        EXPECT_TRUE(c().Button3->isEnabled());
        EXPECT_FALSE(c().Button4->isEnabled());

        // May has nothing and says so.
        c().ComboBox1->setCurrentIndex(4);
        EXPECT_EQ(c().LabelSummary->text(), "За май 2026 замечаний нет.");
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

        // Records the journals cannot show: the check tells where they are
        // and stays; neither journal opens.
        QTreeWidgetItem* missing = findingOf("Ссылки на несуществующие данные");
        EXPECT_TRUE(missing);
        if (!missing)
            return d.result();
        const int goneProduct = t.database.count("select id from accounts_dep.smena where data='17.03.2026'");
        const int goneWorker = t.database.count("select id from accounts_dep.fatigue where d_date='18.03.2026'");
        t.dialogs.expectBox(MessageKind::Information,
                            QString("Журнал не может показать эту запись: изделия с кодом 99 нет.\n"
                                    "Она хранится в таблице accounts_dep.smena под номером %1 (17.03.2026, смена 1, "
                                    "Иванов И.И.).")
                                .arg(goneProduct),
                            QMessageBox::Ok, "Проверка месяца");
        c().Tree1DblClick(missing);
        t.dialogs.expectBox(MessageKind::Information,
                            QString("Журнал хоз. работ не может показать эту запись: работника с кодом 55 нет.\n"
                                    "Она хранится в таблице accounts_dep.fatigue под номером %1 (18.03.2026, (код 55)).")
                                .arg(goneWorker),
                            QMessageBox::Ok, "Проверка месяца");
        c().Tree1DblClick(missing->parent()->child(1));
        EXPECT_TRUE(d.isVisible());

        // A group's own row leads nowhere; a shift record leads to the journal.
        c().Tree1DblClick(c().Tree1->topLevelItem(0));
        EXPECT_TRUE(d.isVisible());
        c().Tree1DblClick(findingOf("Записи с ценой 0"));
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    j().ActMonthCheck->trigger();
    EXPECT_EQ(t.dialogs.shownWindows(), (QStringList{"MonthCheckWindow", "Form25"}));
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
                        "В месяце март 2026 есть замечания по табелю и ценам (6): оплата по ним будет неверной.\n"
                        "Всё равно закрыть месяц?",
                        QMessageBox::No);
    c().Button3->click();
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.closed_month"), 0);

    // Timesheet and prices mended, the average piecework never calculated
    // still makes its pay wrong.
    c().Button2->click();
    t.database.exec("update accounts_dep.smena set cena=2.5 where data='06.03.2026'");
    t.database.exec("insert into accounts_dep.norm (o_id, norma, prize, price) values (102, 2, 0, 1.5)");
    t.dialogs.expectBox(MessageKind::Question,
                        "В месяце март 2026 есть замечания по табелю и ценам (1): оплата по ним будет неверной.\n"
                        "Всё равно закрыть месяц?",
                        QMessageBox::No);
    c().Button3->click();
    EXPECT_EQ(c().result().count(MonthCheck::Kind::AverageNotCalculated), 1);

    // Calculated (Сидоров's products in its group), the question is the plain one.
    t.database.exec("update cmn_gds_and_srv.gds_and_srv set id_class_item=1 where id=10");
    MaintenanceJournal::calculateAverageRates(dm(), QDate(2026, 3, 1));
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

TEST_F(MonthCheckTest, MaintenanceAtPriceZeroOrWithoutAPriceAndAverageNeverCalculatedNeedConfirmationToClose)
{
    // May: maintenance work at 0 and without a price, average piecework that
    // the calculation priced 0 (no shift hours of its group), and one priced
    // right; each with its timesheet day.
    addMaintenance(t.database, 1, 7777, QDate(2026, 5, 4), 4, 0);
    const int unpriced = addMaintenance(t.database, 2, 7777, QDate(2026, 5, 5), 3, 100);
    t.database.exec(QString("update accounts_dep.fatigue set price=NULL where id=%1").arg(unpriced));
    addMaintenance(t.database, 3, 7778, QDate(2026, 5, 6), 5, 100);
    addMaintenance(t.database, 3, 7777, QDate(2026, 5, 7), 2, 100);
    addTimesheetRow(t.database, 1, 0, 7777, 0, 5, 2026, {{4, 4}});
    addTimesheetRow(t.database, 2, 0, 7777, 0, 5, 2026, {{5, 3}});
    addTimesheetRow(t.database, 3, 0, 7778, 0, 5, 2026, {{6, 5}});
    addTimesheetRow(t.database, 3, 0, 7777, 0, 5, 2026, {{7, 2}});
    MaintenanceJournal::calculateAverageRates(dm(), QDate(2026, 5, 1));

    const MonthCheck::Result may = MonthCheck::run(dm(), kMay);
    EXPECT_EQ(findingLines(may),
              (QStringList{
                  "Записи с ценой 0 или без цены|04.05.2026|хоз. работы|Иванов И.И.|цена 0: хоз. работы, Стулья",
                  "Записи с ценой 0 или без цены|05.05.2026|хоз. работы|Петров П.П.|без цены: хоз. работы, Стулья",
                  "Записи с ценой 0 или без цены|06.05.2026|хоз. работы|Сидоров С.С.|цена 0 по «Расчитать ср.сд.»: у "
                  "работника нет сменных часов по группе «Стулья» за месяц",
              }));
    EXPECT_EQ(may.blocking(), 3);
    c().prepare(QDate(2026, 5, 1), LoginRole::Full);
    t.dialogs.expectBox(MessageKind::Question,
                        "В месяце май 2026 есть замечания по табелю и ценам (3): оплата по ним будет неверной.\n"
                        "Всё равно закрыть месяц?",
                        QMessageBox::No);
    c().Button3->click();

    // June: only average piecework at its provisional price, never
    // calculated: closing warns as well.
    addMaintenance(t.database, 2, 7778, QDate(2026, 6, 2), 4, 100);
    addTimesheetRow(t.database, 2, 0, 7778, 0, 6, 2026, {{2, 4}});
    c().prepare(QDate(2026, 6, 1), LoginRole::Full);
    EXPECT_EQ(c().result().findings.size(), 1);
    EXPECT_EQ(c().result().count(MonthCheck::Kind::AverageNotCalculated), 1);
    t.dialogs.expectBox(MessageKind::Question,
                        "В месяце июнь 2026 есть замечания по табелю и ценам (1): оплата по ним будет неверной.\n"
                        "Всё равно закрыть месяц?",
                        QMessageBox::No);
    c().Button3->click();
    EXPECT_EQ(t.database.count("select count(*) from accounts_dep.closed_month"), 0);
}

TEST_F(MonthCheckTest, AnAverageRateGoesStaleWhenTheShiftRecordsItCameFromChangeItsRate)
{
    // May: Сидоров's products of group «Стулья», 10 pieces at 2.5 in 4 hours,
    // and his average piecework on that group, calculated: 6.25 an hour.
    t.database.exec("update cmn_gds_and_srv.gds_and_srv set id_class_item=1 where id=10");
    t.database.exec("insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, massa) values (11, 'СТ-200', 0.5)");
    const int his = addRecord(t.database, 3, 1, QDate(2026, 5, 4), 4);
    const int average = addMaintenance(t.database, 3, 7778, QDate(2026, 5, 6), 5, 100);
    const auto calculate = [&] { MaintenanceJournal::calculateAverageRates(dm(), QDate(2026, 5, 1)); };
    const auto stale = [&] {
        QStringList out;
        for (const MonthCheck::Finding& f : MonthCheck::run(dm(), kMay).findings)
            if (f.kind == MonthCheck::Kind::AverageNotCalculated)
                out << f.text;
        return out;
    };
    calculate();
    EXPECT_EQ(t.database.scalar(QString("select price::float8 from accounts_dep.fatigue where id=%1").arg(average)).toDouble(),
              6.25);
    EXPECT_EQ(stale(), QStringList{});

    struct Case {
        const char* what;
        QString sql;
        QStringList findings;
    };
    const QString recordOf = "insert into accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color, "
                             "time, ok, prize) values ('%1', 1, %2, %3, 100, 2.5, 10, 0, 0, 1, 'ok', 0)";
    const Case cases[] = {
        {"another worker's record", recordOf.arg("05.05.2026").arg(1).arg(10), {}},
        {"his record of another month", recordOf.arg("01.06.2026").arg(3).arg(10), {}},
        {"his record of a product of no group", recordOf.arg("05.05.2026").arg(3).arg(11), {}},
        {"his record accepted otherwise", QString("update accounts_dep.smena set ok='no' where id=%1").arg(his), {}},
        {"his record added", recordOf.arg("05.05.2026").arg(3).arg(10),
         {"цена 6,25 устарела: записи смен месяца изменились, «Расчитать ср.сд.» даст 10"}},
        {"his record's price changed", QString("update accounts_dep.smena set cena=5 where id=%1").arg(his),
         {"цена 10 устарела: записи смен месяца изменились, «Расчитать ср.сд.» даст 15"}},
        {"his record deleted", QString("delete from accounts_dep.smena where id=%1").arg(his),
         {"цена 15 устарела: записи смен месяца изменились, «Расчитать ср.сд.» даст 25"}},
    };
    for (const Case& c : cases) {
        t.database.exec(c.sql);
        EXPECT_EQ(stale(), c.findings) << c.what;
        // Calculated again, the rate is current.
        calculate();
        EXPECT_EQ(stale(), QStringList{}) << c.what;
    }
}

TEST_F(MonthCheckTest, RepeatedTimesheetRowsOfAKeyAreAFindingAndTheMendLeavesOneRowWithTheRecordsHours)
{
    // May: Иванов's shift 1 in three rows, whose days add up to his records
    // (the check of each row alone found days missing in each); Петров's
    // maintenance work in two rows that both hold the day's 4 hours (a
    // posting writes into every row of a key).
    addRecord(t.database, 1, 1, QDate(2026, 5, 4), 8);
    addRecord(t.database, 1, 1, QDate(2026, 5, 5), 6);
    addTimesheetRow(t.database, 1, 1, 0, 0, 5, 2026, {{4, 8}});
    addTimesheetRow(t.database, 1, 1, 0, 0, 5, 2026, {{5, 6}});
    addTimesheetRow(t.database, 1, 1, 0, 0, 5, 2026, {});
    addMaintenance(t.database, 2, 7777, QDate(2026, 5, 6), 4, 100);
    addTimesheetRow(t.database, 2, 0, 7777, 0, 5, 2026, {{6, 4}});
    addTimesheetRow(t.database, 2, 0, 7777, 0, 5, 2026, {{6, 4}});
    // Other keys of the month stay as they are: Иванов's night maintenance
    // in one row, and the same key's row of April.
    addMaintenance(t.database, 1, 7777, QDate(2026, 5, 6), 2, 100, 1);
    addTimesheetRow(t.database, 1, 0, 7777, 1, 5, 2026, {{6, 2}});
    const QString firstIvanov = t.database.scalar("select min(id) from accounts_dep.h_tabel where w_id=1 and smena=1 and month=5")
                                    .toString();

    const MonthCheck::Result may = MonthCheck::run(dm(), kMay);
    EXPECT_EQ(findingLines(may),
              (QStringList{
                  "Табель расходится с записями|06.05.2026|хоз. работы|Петров П.П.|хоз. работы: в табеле 8 ч, по записям 4 ч",
                  "Несколько строк табеля на одного работника|04.05.2026|смена 1|Иванов И.И.|смена 1: строк табеля за месяц "
                  "3, в них 14 ч, по записям 14 ч",
                  "Несколько строк табеля на одного работника|06.05.2026|хоз. работы|Петров П.П.|хоз. работы: строк "
                  "табеля за месяц 2, в них 8 ч, по записям 4 ч",
              }));
    EXPECT_EQ(may.blocking(), 3);

    // A failure on the way leaves everything as it was.
    const QString before = monthData(t.database);
    t.database.exec("create function accounts_dep.refuse() returns trigger language plpgsql as "
                    "$$ begin raise exception 'Удаление строк табеля запрещено'; end $$");
    t.database.exec("create trigger refuse before delete on accounts_dep.h_tabel "
                    "for each row execute function accounts_dep.refuse()");
    EXPECT_THROW(MonthCheck::repostTimesheetDays(dm(), may), DbError);
    EXPECT_EQ(monthData(t.database).toStdString(), before.toStdString());
    t.database.exec("drop trigger refuse on accounts_dep.h_tabel");

    // Meanwhile another record of Иванов is posted into every row of his key.
    addRecord(t.database, 1, 1, QDate(2026, 5, 7), 3);
    DayPosting::shiftAfterSave(dm(), 1, 1, QDate(2026, 5, 7));
    EXPECT_EQ(t.database.count("select sum(d7) from accounts_dep.h_tabel where w_id=1 and smena=1 and month=5"), 9);

    // One row per key, the first one, with the records' hours.
    EXPECT_EQ(MonthCheck::repostTimesheetDays(dm(), may), (MonthCheck::Mend{2, 3}));
    EXPECT_EQ(monthRows(t.database.db(), 5, 2026),
              (QStringList{"1/0/7777/1: d6=2", "1/1/0/0: d4=8 d5=6 d7=3", "2/0/7777/0: d6=4"}));
    EXPECT_EQ(t.database.scalar("select min(id) from accounts_dep.h_tabel where w_id=1 and smena=1 and month=5").toString(),
              firstIvanov);
    EXPECT_TRUE(MonthCheck::run(dm(), kMay).isClean());
    // Every hour of the month counted once.
    EXPECT_EQ(t.database.count("select sum(" + SharedSql::daySum() + ") from accounts_dep.h_tabel where month=5 and year=2026"),
              8 + 6 + 3 + 4 + 2);
}

TEST_F(MonthCheckTest, FindingsWhoseRecordTheJournalsCannotShowSayWhereItIs)
{
    t.database.exec("alter table accounts_dep.smena drop constraint smena_w_id_fkey");
    t.database.exec("alter table accounts_dep.smena drop constraint smena_o_id_fkey");
    const QDate day(2026, 5, 4);
    struct Case {
        int id;
        QString line;   // the finding, without the note of a record the journal cannot show
        QString hidden; // why the journal cannot show it; empty: it can
    };
    const auto shiftRecord = [&](const QString& changes) {
        const int id = addRecord(t.database, 1, 1, day, 0, "ok");
        t.database.exec(QString("update accounts_dep.smena set %1 where id=%2").arg(changes).arg(id));
        return id;
    };
    const auto maintenance = [&](const QString& changes) {
        const int id = addMaintenance(t.database, 2, 7777, day, 0, 100);
        t.database.exec(QString("update accounts_dep.fatigue set %1 where id=%2").arg(changes).arg(id));
        return id;
    };
    const QString shift = "04.05.2026|смена 1|Иванов И.И.|";
    const QString maint = "04.05.2026|хоз. работы|Петров П.П.|";
    const Case cases[] = {
        {shiftRecord("ok='no'"), "Не принятые записи|" + shift + "не принята (отметка «no»): СТ-100; Резка", ""},
        {shiftRecord("ok='ta'"), "Не принятые записи|" + shift + "не принята (отметка «ta»): СТ-100; Резка",
         "отметка «ta»"},
        {shiftRecord("ok=NULL"), "Не принятые записи|" + shift + "не принята (без отметки): СТ-100; Резка",
         "без отметки"},
        {shiftRecord("i_id=98"), "Ссылки на несуществующие данные|" + shift + "изделие с кодом 98 не существует",
         "изделия с кодом 98 нет"},
        {shiftRecord("w_id=77"),
         "Ссылки на несуществующие данные|04.05.2026|смена 1|(код 77)|работник с кодом 77 не существует",
         "работника с кодом 77 нет"},
        {shiftRecord("o_id=4242"), "Ссылки на несуществующие данные|" + shift + "операция с кодом 4242 не существует",
         "операции с кодом 4242 нет"},
        {maintenance("id_nom=NULL"), "Ссылки на несуществующие данные|" + maint + "номенклатурная группа не указана",
         "номенклатурная группа не указана"},
        {maintenance("id_nom=0"), "Ссылки на несуществующие данные|" + maint + "номенклатурная группа не указана",
         "номенклатурная группа не указана"},
        {maintenance("id_nom=999"),
         "Ссылки на несуществующие данные|" + maint + "номенклатурная группа с кодом 999 не существует",
         "номенклатурной группы с кодом 999 нет"},
        {maintenance("id_p=56"),
         "Ссылки на несуществующие данные|04.05.2026|хоз. работы|(код 56)|работник с кодом 56 не существует",
         "работника с кодом 56 нет"},
    };
    QStringList expected;
    for (const Case& c : cases)
        expected << c.line
                + (c.hidden.isEmpty() ? QString() : hiddenNote(c.line.contains("смена 1"), c.hidden, c.id));
    const MonthCheck::Result may = MonthCheck::run(dm(), kMay);
    QStringList lines = findingLines(may);
    lines.sort();
    expected.sort();
    EXPECT_EQ(lines, expected);

    // A hidden shift record and a maintenance record of no group: a box
    // says where they are, the check stays; a shown one leads to the journal.
    j().FormActivate();
    t.dialogs.onModal("MonthCheckWindow", [&](QDialog& d) {
        c().ComboBox1->setCurrentIndex(4);
        const auto itemOf = [&](int id) -> QTreeWidgetItem* {
            for (int i = 0; i < c().result().findings.size(); ++i)
                if (c().result().findings.at(i).record == id)
                    for (QTreeWidgetItemIterator it(c().Tree1); *it; ++it)
                        if ((*it)->parent() && (*it)->text(3) == c().result().findings.at(i).text)
                            return *it;
            return nullptr;
        };
        t.dialogs.expectBox(MessageKind::Information,
                            QString("Журнал не может показать эту запись: отметка «ta».\n"
                                    "Она хранится в таблице accounts_dep.smena под номером %1 (04.05.2026, смена 1, "
                                    "Иванов И.И.).")
                                .arg(cases[1].id),
                            QMessageBox::Ok, "Проверка месяца");
        c().Tree1DblClick(itemOf(cases[1].id));
        t.dialogs.expectBox(MessageKind::Information,
                            QString("Журнал хоз. работ не может показать эту запись: номенклатурная группа не указана.\n"
                                    "Она хранится в таблице accounts_dep.fatigue под номером %1 (04.05.2026, Петров "
                                    "П.П.).")
                                .arg(cases[6].id),
                            QMessageBox::Ok, "Проверка месяца");
        c().Tree1DblClick(itemOf(cases[6].id));
        EXPECT_TRUE(d.isVisible());
        c().Tree1DblClick(itemOf(cases[0].id));
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    j().ActMonthCheck->trigger();
    EXPECT_EQ(t.dialogs.shownWindows(), QStringList{"MonthCheckWindow"});
    EXPECT_EQ(dm().Smena1.field("id").asInt(), cases[0].id);

    // A record gone since the check: the journal says it is not there.
    t.dialogs.expectBox(MessageKind::Information, "Записи № 999999 в журнале за 04.05.2026 (смена 2) нет: её изменили или удалили.",
                        QMessageBox::Ok, "Табель");
    j().showRecord(day, 2, 999999);
    EXPECT_EQ(j().DateT->date(), day);
}
