#include "widgets/DBGrid.h"
#include "db/TDataModule6.h"
#include "app/WindowOwner.h"
#include "db/DbError.h"
#include "journal/TForm1.h"
#include "tests/reports/SummaryFixture.h"
#include "tests/reports/XlsxReader.h"
#include "tests/timesheets/TimesheetFixture.h"
#include "timesheets/TForm19.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ShiftTimesheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        addSmallWorkshop(t.database);
        ASSERT_TRUE(owner.start(t.database.arguments()));
        for (int shift = 1; shift <= 4; ++shift)
            dm().Smena(shift).setParam("ok", "ta");   // as every login sets it
    }

    TForm1& j() { return owner.form1(); }
    TForm19& w() { return owner.form19(); }
    TDataModule6& dm() { return owner.dataModule(); }

    // Opens the window from the journal's menu on `date` and runs `inside`.
    void openOn(const QDate& date, const std::function<void()>& inside)
    {
        j().DateT->setDate(date);
        t.dialogs.onModal("Form19", [&](QDialog&) {
            inside();
            return int(QDialog::Rejected);
        });
        j().ActShiftTimesheet->trigger();
    }

    // The names a shift's grid lists.
    QStringList names(int shift)
    {
        QStringList out;
        DBGrid* g = w().grid(shift);
        for (int r = 0; r < g->model()->rowCount(); ++r)
            out << g->cellText(r, 0);
        return out;
    }

    // A grid row as "fio|d1|...|d31|summ", NULL days empty.
    QString line(int shift, int row)
    {
        QStringList cells;
        DBGrid* g = w().grid(shift);
        for (int c = 0; c < g->model()->columnCount(); ++c)
            cells << g->cellText(row, c);
        return cells.join('|');
    }

    TestContext t;
    WindowOwner owner{t.context()};
};

QString days(const QMap<int, int>& hours)
{
    QStringList cells;
    for (int d = 1; d <= 31; ++d)
        cells << (hours.contains(d) ? QString::number(hours.value(d)) : QString());
    return cells.join('|');
}

} // namespace

TEST_F(ShiftTimesheetTest, OpensOnTheJournalMonthWithItsDayColumnsAndListsWorkersWithRecords)
{
    addRecord(t.database, 1, 1, {2012, 2, 3}, 8);
    addRecord(t.database, 1, 1, {2012, 2, 4}, 12);
    addRecord(t.database, 3, 1, {2012, 2, 6}, 0);
    addTimesheetRow(t.database, 1, 1, 0, 0, 2, 2012, {{3, 8}, {4, 12}});
    addTimesheetRow(t.database, 3, 1, 0, 0, 2, 2012, {{6, 0}});
    addTimesheetRow(t.database, 1, 2, 0, 0, 2, 2012, {{7, 4}});   // worker 1 has records (in shift 1)
    addTimesheetRow(t.database, 2, 2, 0, 0, 2, 2012, {{7, 4}});   // worker 2 has no record at all
    addTimesheetRow(t.database, 1, 1, 0, 0, 3, 2012, {{1, 8}});   // another month

    bool ran = false;
    openOn({2012, 2, 15}, [&] {
        ran = true;
        EXPECT_EQ(w().windowTitle(), "Табель по времени");
        EXPECT_EQ(w().ComboBox1->currentText(), "Февраль");
        EXPECT_EQ(w().ComboBox2->currentText(), "2012");
        EXPECT_EQ(w().PageControl1->currentIndex(), 0);
        EXPECT_EQ(w().PageControl1->tabText(1), "Смена №2");
        EXPECT_FALSE(w().PB->isVisible());
        EXPECT_EQ(w().Button2->text(), "Excel");

        EXPECT_EQ(names(1), (QStringList{"Иванов И.И.", "Сидоров С.С."}));
        EXPECT_EQ(names(2), QStringList{"Иванов И.И."});
        EXPECT_TRUE(names(3).isEmpty());
        EXPECT_EQ(line(1, 0), "Иванов И.И.|" + days({{3, 8}, {4, 12}}) + "|20");

        DatasetModel* m = w().DBGrid1->datasetModel();
        const QList<int> weekends{4, 5, 11, 12, 18, 19, 25, 26};
        for (int d = 1; d <= 31; ++d) {
            const QColor title = m->headerData(d, Qt::Horizontal, Qt::ForegroundRole).value<QColor>();
            const QColor expected = d > 29 ? DayColours::silver()
                                  : weekends.contains(d) ? DayColours::red() : DayColours::windowText();
            EXPECT_EQ(title, expected) << "title of day " << d;
        }
        auto cell = [&](int row, int day, int role) { return m->data(m->index(row, day), role); };
        // 8 on Friday the 3rd: bold; 12 on Saturday the 4th: bold, red on money green.
        EXPECT_TRUE(cell(0, 3, Qt::FontRole).value<QFont>().bold());
        EXPECT_EQ(cell(0, 4, Qt::BackgroundRole).value<QColor>(), DayColours::moneyGreen());
        EXPECT_EQ(cell(0, 4, Qt::ForegroundRole).value<QColor>(), DayColours::red());
        // 0 on Monday the 6th: silver; NULL on Sunday the 5th: red and empty; day 30 vanishes.
        EXPECT_EQ(cell(1, 6, Qt::ForegroundRole).value<QColor>(), DayColours::silver());
        EXPECT_EQ(cell(1, 6, Qt::DisplayRole).toString(), "0");
        EXPECT_EQ(cell(1, 5, Qt::ForegroundRole).value<QColor>(), DayColours::red());
        EXPECT_EQ(cell(1, 5, Qt::DisplayRole).toString(), "");
        EXPECT_EQ(cell(1, 30, Qt::ForegroundRole).value<QColor>(), DayColours::windowBackground());
        EXPECT_TRUE(cell(0, 32, Qt::FontRole).value<QFont>().bold());
        EXPECT_EQ(cell(0, 32, Qt::BackgroundRole).value<QColor>(), DayColours::totals());

        // March: every day shown again, other weekends.
        w().ComboBox1->setCurrentIndex(2);
        EXPECT_EQ(names(1), QStringList{});   // no records in March 2012
        EXPECT_EQ(m->headerData(30, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(), DayColours::windowText());
        EXPECT_EQ(m->headerData(31, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(), DayColours::red());
    });
    EXPECT_TRUE(ran);
    for (int shift = 1; shift <= 3; ++shift)
        EXPECT_FALSE(dm().H_Tabel(shift).isOpen()) << shift;
}

TEST_F(ShiftTimesheetTest, TheYearListRunsToNextYearAndTakesTheJournalYear)
{
    const int thisYear = QDate::currentDate().year();
    struct Case {
        QDate date;
        QString first, last;
    } cases[] = {
        {QDate(thisYear, 12, 10), "2007", QString::number(thisYear + 1)},
        {QDate(thisYear + 1, 1, 5), "2007", QString::number(thisYear + 1)},
        {QDate(2005, 6, 1), "2005", QString::number(thisYear + 1)},   // an old date is added, not lost
    };
    for (const Case& c : cases) {
        openOn(c.date, [&] {
            EXPECT_EQ(w().ComboBox2->currentText(), QString::number(c.date.year()));
            EXPECT_EQ(w().ComboBox1->currentIndex(), c.date.month() - 1);
            EXPECT_EQ(w().ComboBox2->itemText(0), c.first);
            EXPECT_EQ(w().ComboBox2->itemText(w().ComboBox2->count() - 1), c.last);
        });
    }
}

TEST_F(ShiftTimesheetTest, DecemberCountsTheRecordsUpToTheFirstOfJanuary)
{
    addRecord(t.database, 1, 1, {2025, 12, 1}, 8, "ok", 10, 0, 2.5);    // 25.00
    addRecord(t.database, 1, 1, {2025, 12, 31}, 8, "ok", 10, 0, 1.5);   // 15.00
    addRecord(t.database, 1, 1, {2026, 1, 1}, 8, "ok", 10, 0, 100);     // next year: not counted
    addRecord(t.database, 1, 1, {2025, 11, 30}, 8, "ok", 10, 0, 100);   // before: not counted
    addTimesheetRow(t.database, 1, 1, 0, 0, 12, 2025, {{1, 8}, {31, 8}});
    openOn({2025, 12, 20}, [&] {
        Dataset& q = dm().H_Tabel_1;
        EXPECT_EQ(q.param("date1").toDate(), QDate(2025, 12, 1));
        EXPECT_EQ(q.param("date2").toDate(), QDate(2026, 1, 1));
        ASSERT_EQ(q.recordCount(), 1);
        EXPECT_EQ(q.field("cena_all").asString(), "40.00");
        EXPECT_EQ(q.field("average_price").asString(), "2.50");
        EXPECT_EQ(q.field("summ").asInt(), 16);
    });
}

TEST_F(ShiftTimesheetTest, RebuildRewritesTheShiftRowsAndShowsThemAgain)
{
    addRecord(t.database, 1, 1, {2026, 3, 2}, 8);
    addRecord(t.database, 1, 2, {2026, 3, 3}, 10);
    addTimesheetRow(t.database, 1, 1, 0, 0, 3, 2026, {{2, 5}});
    addTimesheetRow(t.database, 3, 1, 0, 0, 3, 2026, {{4, 8}});                 // records deleted
    addTimesheetRow(t.database, 3, 0, 7777, 0, 3, 2026, {{4, 6}});              // typed row
    openOn({2026, 3, 10}, [&] {
        EXPECT_EQ(names(1), QStringList{"Иванов И.И."});
        w().Button1->click();
        EXPECT_FALSE(w().PB->isVisible());
        EXPECT_EQ(w().PB->maximum(), 31);
        EXPECT_EQ(line(1, 0), "Иванов И.И.|" + days({{2, 8}}) + "|8");
        EXPECT_EQ(names(2), QStringList{"Иванов И.И."});
        EXPECT_EQ(line(2, 0), "Иванов И.И.|" + days({{3, 10}}) + "|10");

        // Another copy posts a record; "Обновить" reads the month again.
        addRecord(t.database, 2, 3, {2026, 3, 4}, 7);
        addTimesheetRow(t.database, 2, 3, 0, 0, 3, 2026, {{4, 7}});
        EXPECT_TRUE(names(3).isEmpty());
        w().Button5->click();
        EXPECT_EQ(names(3), QStringList{"Петров П.П."});
    });
    EXPECT_EQ(monthRows(t.database.db(), 3, 2026),
              (QStringList{"1/1/0/0: d2=8", "1/2/0/0: d3=10", "2/3/0/0: d4=7", "3/0/7777/0: d4=6"}));
    EXPECT_TRUE(t.dialogs.shownBoxes().isEmpty());
}

TEST_F(ShiftTimesheetTest, AFailedRebuildShowsTheErrorAndKeepsTheMonth)
{
    addRecord(t.database, 1, 1, {2026, 3, 2}, 8);
    addTimesheetRow(t.database, 1, 1, 0, 0, 3, 2026, {{2, 5}});
    const QString refused = refuseNewTimesheetRows(t.database);
    ASSERT_FALSE(refused.isEmpty());
    openOn({2026, 3, 10}, [&] {
        t.dialogs.expectBox(MessageKind::Error, refused);
        w().Button1->click();
        EXPECT_FALSE(w().PB->isVisible());
        EXPECT_EQ(line(1, 0), "Иванов И.И.|" + days({{2, 5}}) + "|5");   // the month as it was
    });
    EXPECT_EQ(monthRows(t.database.db(), 3, 2026), QStringList{"1/1/0/0: d2=5"});
    EXPECT_FALSE(dm().ADO_DB.inTransaction());
}

namespace {

// Seventy workers, two of them of one name, with rows of every kind in
// February 2012: enough for more than one landscape page.
void addBusyFebruary(TestDatabase& db)
{
    db.exec("insert into accounts_dep.person (id, fio) select 100 + g, 'Рабочий ' || lpad(g::text, 2, '0') "
            "from generate_series(1, 70) g");
    db.exec("insert into accounts_dep.person (id, fio) values (200, 'Иванов И.И.')");   // the name of worker 1
    for (int w : {1, 200})
        addRecord(db, w, 1, {2012, 2, 1}, 8);
    addTimesheetRow(db, 1, 1, 0, 0, 2, 2012, {{1, 8}, {2, 4}});
    addTimesheetRow(db, 1, 4, 0, 0, 2, 2012, {{2, 2}});            // overtime
    addTimesheetRow(db, 1, 0, 7777, 1, 2, 2012, {{29, 6}});        // maintenance work at night
    addTimesheetRow(db, 200, 3, 0, 0, 2, 2012, {{1, 3}});          // a namesake
    db.exec("insert into accounts_dep.h_tabel (w_id, smena, month, year, d10) "
            "select 100 + g, 1, 2, 2012, 8 from generate_series(1, 70) g");
}

} // namespace

TEST_F(ShiftTimesheetTest, PrintSumsEveryRowPerNameOnPagesThatEachRepeatTheHeader)
{
    addBusyFebruary(t.database);
    QTemporaryDir dir;
    w().askPdfFileName = [&](QWidget*) { return dir.filePath("табель"); };
    openOn({2012, 2, 15}, [&] {
        bool openWhileShown = false;
        t.dialogs.onModal("ReportPreview", [&](QDialog& d) {
            openWhileShown = w().Form15.H_Tabel.isOpen();
            if (auto* save = d.findChild<QAction*>("ActSavePdf"))
                save->trigger();
            return int(QDialog::Rejected);
        });
        w().Button6->click();
        EXPECT_FALSE(openWhileShown);
        EXPECT_FALSE(w().Form15.H_Tabel.isOpen());
    });
    const report::PageModel& pages = w().Form15.pages();
    ASSERT_GE(pages.pageCount(), 2);
    EXPECT_EQ(pages.setup.orientation, report::PaperOrientation::Landscape);
    for (const report::Page& page : pages.pages) {
        EXPECT_EQ(page.textsOf("QRLabel33"), QStringList{"Февраль 2012 г."}) << "page " << page.number;
        EXPECT_EQ(page.textsOf("QRLabel31"), QStringList{"31"}) << "page " << page.number;
        EXPECT_EQ(page.textsOf("QRExpr2"), QStringList{QString::number(page.number)});
    }
    const QStringList names = pages.textsOf("QRDBText32");
    EXPECT_EQ(names.size(), 71);
    EXPECT_EQ(names.first(), "Иванов И.И.");
    // Иванов's line: both namesakes, all shifts, overtime and the typed row.
    EXPECT_EQ(pages.textsOf("QRDBText1").first(), "11");
    EXPECT_EQ(pages.textsOf("QRDBText2").first(), "6");
    EXPECT_EQ(pages.textsOf("QRDBText29").first(), "6");
    EXPECT_EQ(pages.textsOf("QRDBText3").first(), "");
    EXPECT_EQ(pages.textsOf("QRExpr1").first(), "23");
    EXPECT_EQ(pages.textsOf("QRExpr1").last(), "8");

    const QString text = pdfText(dir.filePath("табель.pdf"));
    EXPECT_TRUE(text.contains("Февраль 2012 г.")) << text.toStdString();
    EXPECT_TRUE(text.contains("Рабочий 70")) << text.toStdString();
}

TEST_F(ShiftTimesheetTest, ExcelWritesTheMonthSummaryWithNumbersAsNumbers)
{
    addBusyFebruary(t.database);
    QTemporaryDir dir;
    w().exporter().setExportFolder(dir.path());
    QString file, captionWhenOpened;
    w().exporter().setOpener([&](const QString& f) {
        file = f;
        captionWhenOpened = w().Button2->text();
        return true;
    });
    openOn({2012, 2, 15}, [&] {
        w().Button2->click();
        EXPECT_EQ(w().Button2->text(), "Excel (71 из 71)");
        EXPECT_FALSE(w().Form15.H_Tabel.isOpen());
    });
    EXPECT_EQ(captionWhenOpened, "Excel (71 из 71)");
    ASSERT_FALSE(file.isEmpty());
    XlsxReader book(file);
    ASSERT_TRUE(book.ok());
    auto text = [&](int column, int row) {
        const auto c = book.cell(1, cellRef(column, row));
        EXPECT_TRUE(c && c->isText && c->textFormat) << cellRef(column, row).toStdString();
        return c ? c->text : QString();
    };
    auto number = [&](int column, int row) {
        const auto c = book.cell(1, cellRef(column, row));
        EXPECT_TRUE(c && !c->isText && !c->textFormat) << cellRef(column, row).toStdString();
        return c ? c->number : -1;
    };
    EXPECT_EQ(text(1, 1), "Февраль 2012");
    EXPECT_TRUE(book.cell(1, "A1")->bold);
    EXPECT_EQ(text(1, 2), "Фамилия И.О.");
    for (int d = 1; d <= 31; ++d)
        EXPECT_EQ(number(d + 1, 2), d);
    EXPECT_TRUE(book.cell(1, "AF2")->bold);
    EXPECT_EQ(text(33, 2), "Итого");
    EXPECT_EQ(text(1, 3), "Иванов И.И.");
    EXPECT_FALSE(book.cell(1, "A3")->bold);
    EXPECT_EQ(number(2, 3), 11);
    EXPECT_EQ(number(3, 3), 6);
    EXPECT_EQ(number(30, 3), 6);
    EXPECT_FALSE(book.cell(1, cellRef(4, 3)).has_value());   // NULL: the cell stays empty
    EXPECT_EQ(number(33, 3), 23);
    EXPECT_EQ(text(1, 73), "Рабочий 70");
    EXPECT_EQ(number(11, 73), 8);
    EXPECT_EQ(number(33, 73), 8);
    EXPECT_FALSE(book.cell(1, "A74").has_value());

    // The caption is "Excel" again when the window is next shown.
    openOn({2012, 2, 15}, [&] { EXPECT_EQ(w().Button2->text(), "Excel"); });
}
