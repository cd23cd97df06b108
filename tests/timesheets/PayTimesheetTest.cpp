#include "widgets/DBGrid.h"
#include "db/TDataModule6.h"
#include "app/WindowOwner.h"
#include "journal/TForm1.h"
#include "widgets/ExcelExporter.h"
#include "tests/reports/XlsxReader.h"
#include "tests/timesheets/TimesheetFixture.h"
#include "timesheets/TForm27.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QDate kToday(2026, 3, 18);

class PayTimesheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        addSmallWorkshop(t.database);
        ASSERT_TRUE(owner.start(t.database.arguments()));
        for (int shift = 1; shift <= 4; ++shift)
            owner.dataModule().Smena(shift).setParam("ok", "ta");   // as every login sets it
        w().today = [] { return kToday; };
    }

    TForm1& j() { return owner.form1(); }
    TForm27& w() { return owner.form27(); }

    QAction* item(TForm27::Mode mode)
    {
        switch (mode) {
        case TForm27::Piece: return j().ActPieceTimesheet;
        case TForm27::Maintenance: return j().ActMaintenanceTimesheet;
        case TForm27::Average: return j().ActAvgTimesheet;
        case TForm27::Total: return j().ActTotalTimesheet;
        }
        return nullptr;
    }

    // Opens a variant from the journal's menu and runs `inside`.
    void open(TForm27::Mode mode, const std::function<void()>& inside)
    {
        bool ran = false;
        t.dialogs.onModal("Form27", [&](QDialog&) {
            ran = true;
            inside();
            return int(QDialog::Rejected);
        });
        item(mode)->trigger();
        EXPECT_TRUE(ran);
    }

    // The text of a line's cell under a field.
    QString cell(int row, const QString& field) { return w().DBGrid1->cellText(row, w().column(field)); }
    // A line as "fio|s_night|f_price|i_time|average_price|d<k>=<hours>...".
    QString line(int row)
    {
        QString out = QStringList{cell(row, "fio"), cell(row, "s_night"), cell(row, "f_price"), cell(row, "i_time"),
                                  cell(row, "average_price")}
                          .join('|');
        for (int d = 1; d <= 31; ++d)
            if (!cell(row, QStringLiteral("d%1").arg(d)).isEmpty())
                out += QStringLiteral("|d%1=%2").arg(d).arg(cell(row, QStringLiteral("d%1").arg(d)));
        return out;
    }
    QStringList lines()
    {
        QStringList out;
        for (int r = 0; r < w().DBGrid1->model()->rowCount(); ++r)
            out << line(r);
        return out;
    }
    bool shown(const QString& field) { return !w().DBGrid1->isColumnHidden(w().column(field)); }
    int width(const QString& field) { return w().DBGrid1->columnWidth(w().column(field)); }
    QStringList footer()
    {
        return {w().DBText1->text(), w().DBText2->text(), w().DBText3->text(), w().DBText4->text()};
    }

    // What assistive technology reads of the footer's figures.
    QStringList footerNames()
    {
        QStringList out;
        for (QLabel* figure : {w().DBText1, w().DBText2, w().DBText3, w().DBText4})
            out << QAccessible::queryAccessibleInterface(figure)->text(QAccessible::Name);
        return out;
    }

    // A click on a line of the grid, as the user makes it.
    void clickLine(int row)
    {
        QWidget* viewport = w().DBGrid1->viewport();
        const QPoint at = w().DBGrid1->visualRect(w().DBGrid1->model()->index(row, 0)).center();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &e);
        }
    }
    void pressKey(int key)
    {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(w().DBGrid1, &e);
    }

    // March 2026: worker 1 with shift records and maintenance work by day
    // and by night, worker 2 with average piecework only.
    void addMarch()
    {
        addRecord(t.database, 1, 1, {2026, 3, 2}, 8, "ok", 10, 1, 2.5);    // 22.50
        addRecord(t.database, 1, 4, {2026, 3, 3}, 2, "ok", 4, 0, 3);       // 12.00
        addRecord(t.database, 1, 1, {2026, 4, 1}, 8, "ok", 10, 0, 50);     // April
        addTimesheetRow(t.database, 1, 1, 0, 0, 3, 2026, {{2, 8}});
        addTimesheetRow(t.database, 1, 4, 0, 0, 3, 2026, {{3, 2}});
        addMaintenance(t.database, 1, 7777, {2026, 3, 5}, 10, 150);
        addMaintenance(t.database, 1, 7777, {2026, 3, 6}, 5, 180);
        addMaintenance(t.database, 1, 7777, {2026, 3, 6}, 3, 200, 1);
        addMaintenance(t.database, 2, 7778, {2026, 3, 9}, 7, 100);
        addTimesheetRow(t.database, 1, 0, 7777, 0, 3, 2026, {{5, 10}, {6, 5}});
        addTimesheetRow(t.database, 1, 0, 7777, 1, 3, 2026, {{6, 3}});
        addTimesheetRow(t.database, 2, 0, 7778, 0, 3, 2026, {{9, 7}});
    }

    TestContext t;
    WindowOwner owner{t.context()};
};

} // namespace

TEST_F(PayTimesheetTest, EveryItemOfTheTimesheetMenuIsEnabledAndOpensItsWindow)
{
    for (QAction* a : {j().ActPieceTimesheet, j().ActShiftTimesheet, j().ActMaintenanceTimesheet, j().ActAvgTimesheet,
                       j().ActTotalTimesheet})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    t.dialogs.onModal("Form19", [](QDialog&) { return int(QDialog::Rejected); });
    j().ActShiftTimesheet->trigger();
    for (auto mode : {TForm27::Piece, TForm27::Maintenance, TForm27::Average, TForm27::Total})
        open(mode, [] {});
    EXPECT_EQ(t.dialogs.shownWindows(), (QStringList{"Form19", "Form27", "Form27", "Form27", "Form27"}));
}

TEST_F(PayTimesheetTest, EachVariantHasItsCaptionColumnsAndLines)
{
    addMarch();
    struct Case {
        TForm27::Mode mode;
        QString caption;
        int nameWidth;
        bool night, average;
        QStringList lines;
    } cases[] = {
        {TForm27::Piece, "Табель сделка (27)", 238, false, true,
         {"Иванов И.И.||34,50|10|3,45|d2=8|d3=2"}},
        {TForm27::Maintenance, "Табель хоз. работы (27)", 208, true, true,
         {"Иванов И.И.|дн.|2400,00|15|160,00|d5=10|d6=5", "Иванов И.И.|ноч.|600,00|3|200,00|d6=3"}},
        {TForm27::Average, "Табель ср. сдельная (27)", 208, true, true, {"Петров П.П.|дн.|700,00|7|100,00|d9=7"}},
        {TForm27::Total, "Общий табель (27)", 304, false, false,
         {"Иванов И.И.||3034,50|28||d2=8|d3=2|d5=10|d6=8", "Петров П.П.||700,00|7||d9=7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption.toStdString());
        open(c.mode, [&] {
            EXPECT_EQ(w().windowTitle(), c.caption);
            EXPECT_EQ(w().mode(), c.mode);
            EXPECT_EQ(w().ComboBox1->currentText(), "Март");
            EXPECT_EQ(w().cb_year->currentText(), "2026");
            EXPECT_EQ(shown("s_night"), c.night);
            EXPECT_EQ(shown("average_price"), c.average);
            EXPECT_EQ(width("fio"), c.nameWidth);
            for (int d = 1; d <= 31; ++d)
                EXPECT_TRUE(shown(QStringLiteral("d%1").arg(d))) << d;
            // Lines of one name come in no particular order.
            QStringList shownLines = lines();
            shownLines.sort();
            EXPECT_EQ(shownLines, c.lines);
            EXPECT_EQ(footer(), (QStringList{"700,00", "3000,00", "34,50", "3734,50"}));
        });
        // Closing restores the default layout and closes the queries.
        EXPECT_EQ(width("fio"), 208);
        EXPECT_TRUE(shown("s_night"));
        EXPECT_TRUE(shown("average_price"));
        EXPECT_FALSE(w().query().isOpen());
        EXPECT_FALSE(w().q_year.isOpen());
    }
}

TEST_F(PayTimesheetTest, February2024HidesItsMissingDaysAndWidensTheNameColumn)
{
    addTimesheetRow(t.database, 1, 1, 0, 0, 2, 2024, {{29, 8}});
    addRecord(t.database, 1, 1, {2024, 2, 29}, 8);
    open(TForm27::Piece, [&] {
        w().cb_year->setCurrentIndex(w().cb_year->findText("2024"));
        w().ComboBox1->setCurrentIndex(1);
        EXPECT_EQ(w().query().param("d_date1").toDate(), QDate(2024, 3, 1));
        EXPECT_EQ(w().query().param("d_date2").toDate(), QDate(2024, 2, 1));
        EXPECT_EQ(lines(), QStringList{"Иванов И.И.||25,00|8|3,13|d29=8"});
        EXPECT_TRUE(shown("d29"));
        EXPECT_FALSE(shown("d30"));
        EXPECT_FALSE(shown("d31"));
        EXPECT_EQ(width("fio"), 238 + 40);
        DatasetModel* m = w().DBGrid1->datasetModel();
        auto title = [&](int day) {
            return m->headerData(w().column(QStringLiteral("d%1").arg(day)), Qt::Horizontal, Qt::ForegroundRole).value<QColor>();
        };
        EXPECT_EQ(title(3), DayColours::red());    // Saturday 3 February 2024
        EXPECT_EQ(title(5), DayColours::windowText());
        EXPECT_EQ(title(30), DayColours::silver());

        w().ComboBox1->setCurrentIndex(2);   // March 2024
        EXPECT_TRUE(shown("d30"));
        EXPECT_TRUE(shown("d31"));
        EXPECT_EQ(width("fio"), 238);
        EXPECT_TRUE(lines().isEmpty());
    });
}

TEST_F(PayTimesheetTest, DecemberReadsTheRecordsUpToTheFirstOfJanuary)
{
    addTimesheetRow(t.database, 1, 1, 0, 0, 12, 2025, {{31, 8}});
    addRecord(t.database, 1, 1, {2025, 12, 31}, 8, "ok", 10, 0, 2.5);
    addRecord(t.database, 1, 1, {2026, 1, 1}, 8, "ok", 10, 0, 100);
    addMaintenance(t.database, 1, 7777, {2025, 12, 31}, 2, 10);
    addMaintenance(t.database, 1, 7777, {2026, 1, 1}, 2, 1000);
    open(TForm27::Total, [&] {
        w().cb_year->setCurrentIndex(w().cb_year->findText("2025"));
        w().ComboBox1->setCurrentIndex(11);
        EXPECT_EQ(w().query().param("d_date7").toDate(), QDate(2026, 1, 1));
        EXPECT_EQ(w().query().param("d_date8").toDate(), QDate(2025, 12, 1));
        EXPECT_EQ(lines(), QStringList{"Иванов И.И.||45,00|10||d31=8"});
        EXPECT_EQ(footer(), (QStringList{"", "20,00", "25,00", "45,00"}));
    });
}

TEST_F(PayTimesheetTest, WithoutMaintenanceRecordsTheGrandTotalIsThePieceWorkTotal)
{
    addRecord(t.database, 1, 1, {2026, 3, 2}, 8, "ok", 10, 0, 2.5);
    addRecord(t.database, 2, 1, {2026, 3, 2}, 8, "ok", 0, 0, 2.5);    // no quantity: not counted
    addRecord(t.database, 2, 1, {2026, 3, 3}, 8, "ok", 4, 0, 0);      // no price: not counted
    addTimesheetRow(t.database, 1, 1, 0, 0, 3, 2026, {{2, 8}});
    open(TForm27::Piece, [&] { EXPECT_EQ(footer(), (QStringList{"", "", "25,00", "25,00"})); });
}

TEST_F(PayTimesheetTest, WithoutTheYearInTheListTheFootersShowTheMonthFromTheRecords)
{
    addMarch();
    struct Case {
        const char* what;
        bool otherYear;
    } cases[] = {
        {"no timesheet rows at all", false},
        {"timesheet rows of another year only", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        t.database.exec("delete from accounts_dep.h_tabel");
        if (c.otherYear)
            addTimesheetRow(t.database, 1, 1, 0, 0, 3, 2020, {{5, 4}});
        open(TForm27::Piece, [&] {
            EXPECT_EQ(w().cb_year->currentIndex(), -1);
            EXPECT_EQ(w().DBGrid1->model()->rowCount(), 0);
            // Today's year stays the list's key: March 2026 from its records.
            EXPECT_EQ(w().selectedMonth().year, 2026);
            EXPECT_EQ(footer(), (QStringList{"700,00", "3000,00", "34,50", "3734,50"}));
            w().ComboBox1->setCurrentIndex(3);   // April of the same year
            EXPECT_EQ(footer(), (QStringList{"", "", "500,00", "500,00"}));
        });
    }
}

TEST_F(PayTimesheetTest, AssistiveTechnologyReadsEachFooterFigureWithItsCaption)
{
    addMarch();
    open(TForm27::Total, [&] {
        EXPECT_EQ(footerNames().join(" / ").toStdString(),
                  "Ср. сдел.: 700,00 / Хоз. работы: 3000,00 / Сделка: 34,50 / Итого: 3734,50");
        EXPECT_EQ(w().Label4->buddy(), w().DBText4);
        w().ComboBox1->setCurrentIndex(0);   // January: nothing to sum, a grand total of 0
        EXPECT_EQ(footerNames().join(" / ").toStdString(), "Ср. сдел.: / Хоз. работы: / Сделка: / Итого: 0,00");
    });
}

TEST_F(PayTimesheetTest, RebuildRewritesTheTypedRowsAndLeavesTheShiftRows)
{
    addMarch();
    t.database.exec("delete from accounts_dep.fatigue where i_night=1");   // removed by other means
    addMaintenance(t.database, 1, 7777, {2026, 3, 20}, 4, 150);           // never posted
    open(TForm27::Maintenance, [&] {
        EXPECT_EQ(lines().size(), 2);
        w().Button3->click();
        EXPECT_FALSE(w().PB->isVisible());
        EXPECT_EQ(w().PB->maximum(), 31);
        EXPECT_EQ(lines(), QStringList{"Иванов И.И.|дн.|3000,00|19|157,89|d5=10|d6=5|d20=4"});

        // Another copy posts a record; "Обновить" reads the lines again.
        addMaintenance(t.database, 2, 7777, {2026, 3, 7}, 2, 150);
        addTimesheetRow(t.database, 2, 0, 7777, 0, 3, 2026, {{7, 2}});
        w().Button5->click();
        EXPECT_EQ(lines().value(1), "Петров П.П.|дн.|300,00|2|150,00|d7=2");
    });
    EXPECT_EQ(monthRows(t.database.db(), 3, 2026),
              (QStringList{"1/0/7777/0: d5=10 d6=5 d20=4", "1/1/0/0: d2=8", "1/4/0/0: d3=2", "2/0/7777/0: d7=2",
                           "2/0/7778/0: d9=7"}));
    EXPECT_TRUE(t.dialogs.shownBoxes().isEmpty());
}

TEST_F(PayTimesheetTest, AFailedRebuildShowsTheErrorAndKeepsTheMonth)
{
    addMarch();
    t.database.exec("delete from accounts_dep.fatigue where i_night=1");
    const QStringList before = monthRows(t.database.db(), 3, 2026);
    const QString refused = refuseNewTimesheetRows(t.database);
    ASSERT_FALSE(refused.isEmpty());
    open(TForm27::Maintenance, [&] {
        t.dialogs.expectBox(MessageKind::Error, refused);
        w().Button3->click();
        EXPECT_FALSE(w().PB->isVisible());
        EXPECT_EQ(lines().size(), 2);   // both lines still shown
    });
    EXPECT_EQ(monthRows(t.database.db(), 3, 2026), before);
}

TEST_F(PayTimesheetTest, RebuildWithoutAYearSaysSoAndChangesNothing)
{
    struct Case {
        const char* what;
        bool anyRows;
        QString message;
    } cases[] = {
        {"no timesheet rows at all", false, "В табеле ещё нет ни одного года: перестраивать нечего."},
        {"no rows in this year", true, "Выберите год."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        t.database.exec("delete from accounts_dep.h_tabel");
        if (c.anyRows)
            addTimesheetRow(t.database, 1, 0, 7777, 0, 3, 2020, {{5, 4}});
        addMaintenance(t.database, 1, 7777, {2026, 3, 5}, 4, 150);
        open(TForm27::Maintenance, [&] {
            EXPECT_EQ(w().cb_year->currentIndex(), -1);
            EXPECT_EQ(w().DBGrid1->model()->rowCount(), 0);
            t.dialogs.expectBox(MessageKind::Error, c.message);
            w().Button3->click();
        });
        EXPECT_EQ(t.database.count("select count(*) from accounts_dep.h_tabel where year=2026"), 0);
    }
}

TEST_F(PayTimesheetTest, ExcelWritesTheLinesWithNumbersAsNumbersAndKeepsTheCurrentLine)
{
    addMarch();
    QTemporaryDir dir;
    QString captionWhenOpened;
    w().prepareExporter = [&](ExcelExporter& e) {
        e.setExportFolder(dir.path());
        e.setOpener([&](const QString&) {
            captionWhenOpened = w().Button2->text();
            return true;
        });
    };
    struct Case {
        TForm27::Mode mode;
        int rows;
        QString night;      // column B of the first line
        bool average;       // column AJ
    } cases[] = {
        {TForm27::Maintenance, 2, "дн.", true},
        {TForm27::Total, 2, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        QString file;
        open(c.mode, [&] {
            w().query().setRecNo(2);
            w().Button2->click();
            file = w().lastExportFile();
            EXPECT_EQ(w().Button2->text(), QStringLiteral("Excel (%1 из %1)").arg(c.rows));
            EXPECT_EQ(w().query().recNo(), 2);
            EXPECT_EQ(w().DBGrid1->currentIndex().row(), 1);
        });
        EXPECT_EQ(w().Button2->text(), "Excel");   // closing the window resets it
        EXPECT_EQ(captionWhenOpened, QStringLiteral("Excel (%1 из %1)").arg(c.rows));
        ASSERT_FALSE(file.isEmpty());
        XlsxReader book(file);
        ASSERT_TRUE(book.ok());
        auto text = [&](const QString& ref) {
            const auto cell = book.cell(1, ref);
            EXPECT_TRUE(cell && cell->isText && cell->textFormat) << ref.toStdString();
            return cell ? cell->text : QString();
        };
        auto number = [&](const QString& ref) {
            const auto cell = book.cell(1, ref);
            EXPECT_TRUE(cell && !cell->isText && !cell->textFormat) << ref.toStdString();
            return cell ? cell->number : -1;
        };
        EXPECT_EQ(text("A1"), "Март 2026");
        EXPECT_EQ(text("A2"), "Фамилия И.О.");
        EXPECT_FALSE(book.cell(1, "B2").has_value());
        EXPECT_EQ(number("C2"), 1);
        EXPECT_EQ(number("AG2"), 31);
        EXPECT_EQ(text("AH2"), "Итого (ч.)");
        EXPECT_EQ(text("AI2"), "Итого (р.)");
        EXPECT_EQ(book.cell(1, "AJ2").has_value(), c.average);
        EXPECT_EQ(text("A3"), "Иванов И.И.");
        // The day line of maintenance work may come first or second.
        const int r = c.night.isEmpty() || book.cell(1, "B3")->text == c.night ? 3 : 4;
        auto at = [r](const char* column) { return QString::fromLatin1(column) + QString::number(r); };
        if (c.night.isEmpty())
            EXPECT_FALSE(book.cell(1, "B3").has_value());
        else
            EXPECT_EQ(text(at("B")), c.night);
        EXPECT_EQ(number(at("G")), 10);   // day 5
        EXPECT_FALSE(book.cell(1, at("F")).has_value());   // day 4: NULL, left empty
        if (c.mode == TForm27::Maintenance) {
            EXPECT_EQ(number(at("AH")), 15);
            EXPECT_EQ(number(at("AI")), 2400);
            EXPECT_EQ(number(at("AJ")), 160);
            EXPECT_EQ(text(r == 3 ? "B4" : "B3"), "ноч.");
            EXPECT_EQ(number(r == 3 ? "AI4" : "AI3"), 600);
        } else {
            EXPECT_EQ(number("AH3"), 28);
            EXPECT_DOUBLE_EQ(number("AI3"), 3034.5);
            EXPECT_FALSE(book.cell(1, "AJ3").has_value());
            EXPECT_EQ(text("A4"), "Петров П.П.");
        }
        EXPECT_FALSE(book.cell(1, "A5").has_value());
    }
}

TEST_F(PayTimesheetTest, ExcelWritesEveryLineOnceWhileTheUserMovesTheGridsCurrentLine)
{
    // Three workers with piece work on 2 March: 5, 6 and 7 hours.
    for (int worker = 1; worker <= 3; ++worker) {
        addRecord(t.database, worker, 1, {2026, 3, 2}, worker + 4);
        addTimesheetRow(t.database, worker, 1, 0, 0, 3, 2026, {{2, worker + 4}});
    }
    QTemporaryDir dir;
    w().prepareExporter = [&](ExcelExporter& e) {
        e.setExportFolder(dir.path());
        e.setOpener([](const QString&) { return true; });
    };
    QString file;
    open(TForm27::Piece, [&] {
        ASSERT_EQ(w().query().recordCount(), 3);
        ASSERT_EQ(w().query().recNo(), 1);
        // Each time the export lets the window handle events, the user does
        // the next of these: a click on the last line, then the up arrow.
        const std::vector<std::function<void()>> moves{[&] { clickLine(2); }, [&] { pressKey(Qt::Key_Up); }};
        size_t done = 0;
        std::function<void()> nextMove = [&] {
            if (done == moves.size())
                return;
            moves[done++]();
            QMetaObject::invokeMethod(w().DBGrid1, nextMove, Qt::QueuedConnection);
        };
        QMetaObject::invokeMethod(w().DBGrid1, nextMove, Qt::QueuedConnection);
        w().Button2->click();
        EXPECT_EQ(done, moves.size());
        // The current line is where the user left it.
        EXPECT_EQ(w().query().recNo(), 2);
        EXPECT_EQ(w().DBGrid1->currentIndex().row(), 1);
        file = w().lastExportFile();
    });
    ASSERT_FALSE(file.isEmpty());
    XlsxReader book(file);
    ASSERT_TRUE(book.ok());
    QStringList written;
    for (int row = 3; row <= 6; ++row) {
        const auto name = book.cell(1, QStringLiteral("A%1").arg(row));
        const auto day2 = book.cell(1, QStringLiteral("D%1").arg(row));
        if (name)
            written << QStringLiteral("%1 %2").arg(name->text).arg(day2 ? day2->number : -1);
    }
    EXPECT_EQ(written.join(" / ").toStdString(), "Иванов И.И. 5 / Петров П.П. 6 / Сидоров С.С. 7");
}
