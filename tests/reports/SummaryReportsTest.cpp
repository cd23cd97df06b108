#include "ledger/LoginCodes.h"
#include "db/TDataModule6.h"
#include "app/TForm23.h"
#include "app/WindowOwner.h"
#include "db/DbError.h"
#include "journal/TForm1.h"
#include "reports/TForm18.h"
#include "tests/reports/SummaryFixture.h"
#include "tests/reports/XlsxReader.h"
#include "tests/support/TestApp.h"

#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// The whole application over the small workshop; the reports window with
// the period of November 2026.
class SummaryReportsTest : public ::testing::Test {
protected:
    SummaryReportsTest()
    {
        addSummaryWorkshop(t.database);
        started = owner.start(t.database.arguments());
        if (started) {
            w().DTPicker1->setDate(kFrom);
            w().DTPicker2->setDate(kTo);
        }
    }

    TForm18& w() { return owner.form18(); }

    TestContext t;
    WindowOwner owner{t.context()};
    bool started = false;
};

} // namespace

TEST_F(SummaryReportsTest, MenuItemSetsThePreviousMonthAndShowsTheWindow)
{
    ASSERT_TRUE(started);
    TForm1& j = owner.form1();
    ASSERT_TRUE(j.ActSummaryReports->isEnabled());
    // As the login leaves the journal's queries.
    for (int shift = 1; shift <= 4; ++shift)
        owner.dataModule().Smena(shift).setParam("ok", QStringLiteral("ta"));
    struct Case {
        QDate today, from, to;
    };
    const Case cases[] = {
        {QDate(2027, 1, 15), QDate(2026, 12, 1), QDate(2027, 1, 1)},
        {QDate(2027, 1, 1), QDate(2026, 12, 1), QDate(2027, 1, 1)},
        {QDate(2026, 2, 28), QDate(2026, 1, 1), QDate(2026, 2, 1)},
        {QDate(2026, 3, 31), QDate(2026, 2, 1), QDate(2026, 3, 1)},
        {QDate(2026, 12, 10), QDate(2026, 11, 1), QDate(2026, 12, 1)},
    };
    for (const Case& c : cases) {
        const QDate today = c.today;
        j.today = [today] { return today; };
        w().DTPicker1->setDate(QDate(2020, 5, 5));
        w().DTPicker2->setDate(QDate(2020, 6, 6));
        QDate from, to;
        QString caption;
        t.dialogs.onModal("Form18", [&](QDialog& d) {
            caption = d.windowTitle();
            from = w().DTPicker1->date();
            to = w().DTPicker2->date();
            return int(QDialog::Rejected);
        });
        j.ActSummaryReports->trigger();
        const std::string day = c.today.toString("dd.MM.yyyy").toStdString();
        EXPECT_EQ(caption, "Отчеты (8)") << day;
        EXPECT_EQ(from, c.from) << day;
        EXPECT_EQ(to, c.to) << day;
        // The journal is active again and shows today.
        EXPECT_EQ(j.DateT->date(), c.today) << day;
    }
}

TEST_F(SummaryReportsTest, EachButtonOpensItsPreviewWithItsTitleAndClosesItsQueryAfterwards)
{
    ASSERT_TRUE(started);
    struct Case {
        QPushButton* button;
        ReportLayout* layout;
        QString title, item, total;
    };
    const QString period = "01.11.2026 по 01.12.2026";
    const Case cases[] = {
        {w().Button4, &w().Form16, "   Отчет по рабочим за период с " + period, "Total", "415,00"},
        {w().Button2, &w().Form17, "   Отчет по продукции за период с " + period, "Kolvo", "80"},
        {w().Button1, &w().Form20, "   Детальный отчет по рабочим за период с " + period, "Summa", "180,00"},
        {w().Button3, &w().Form21, "   Детальный отчет по продукции за период с " + period, "Summa", "180,00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button->text().toStdString());
        QString caption;
        bool openWhileShown = false;
        t.dialogs.onModal("ReportPreview", [&](QDialog& d) {
            caption = d.windowTitle();
            openWhileShown = c.layout->query().isOpen();
            return int(QDialog::Rejected);
        });
        c.button->click();
        EXPECT_EQ(caption, c.title);
        EXPECT_TRUE(openWhileShown);
        EXPECT_FALSE(c.layout->query().isOpen());
        EXPECT_EQ(c.layout->pages().textsOf("QRLabel1"), QStringList{c.title});
        EXPECT_EQ(printed(c.layout->pages(), c.item), QStringList{c.total});
    }
    EXPECT_EQ(t.dialogs.shownWindows(), QStringList(4, "ReportPreview"));
    EXPECT_TRUE(t.dialogs.shownBoxes().isEmpty());
}

TEST_F(SummaryReportsTest, PeriodIncludesItsFirstDayExcludesItsLastAndProductTypeFiltersTheRows)
{
    ASSERT_TRUE(started);
    struct Case {
        const char* what;
        QPushButton* button;
        ReportLayout* layout;
        QDate from, to;
        int productType;
        QStringList expected;   // item=text
    };
    const Case cases[] = {
        {"November", w().Button3, &w().Form21, kFrom, kTo, 0, {"Summa=180,00", "Kolvo=87"}},
        // Without 01.11: the 10 pieces for 20.00 of that day drop out.
        {"from the 2nd", w().Button3, &w().Form21, QDate(2026, 11, 2), kTo, 0, {"Summa=160,00", "Kolvo=77"}},
        // Up to 02.12: the 100 pieces for 250.00 of 01.12 come in.
        {"to the 2nd", w().Button3, &w().Form21, kFrom, QDate(2026, 12, 2), 0, {"Summa=430,00", "Kolvo=187"}},
        {"blanks", w().Button3, &w().Form21, kFrom, kTo, 2, {"Summa=114,00", "Kolvo=60"}},
        {"finished goods", w().Button3, &w().Form21, kFrom, kTo, 1, {"Summa=66,00", "Kolvo=27"}},
        // The maintenance totals of the period stay whole under the filter;
        // the 90.00 of 01.12 is outside, the 10.00 of 01.11 inside.
        {"workers, blanks", w().Button4, &w().Form16, kFrom, kTo, 2, {"Summa=114,00", "F7All=105,00", "Total=349,00"}},
        {"workers, from the 2nd", w().Button4, &w().Form16, QDate(2026, 11, 2), kTo, 0, {"F7All=95,00", "FioTotal=176,00"}},
        {"detailed workers, to the 2nd", w().Button1, &w().Form20, kFrom, QDate(2026, 12, 2), 0, {"F7=170,00", "Summa=430,00"}},
        {"products, blanks", w().Button2, &w().Form17, kFrom, kTo, 2, {"Mass=56", "Kolvo=56"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        w().DTPicker1->setDate(c.from);
        w().DTPicker2->setDate(c.to);
        w().setProductType(c.productType);
        t.dialogs.onModal("ReportPreview", [](QDialog&) { return int(QDialog::Rejected); });
        c.button->click();
        for (const QString& e : c.expected)
            EXPECT_EQ(printed(c.layout->pages(), e.section('=', 0, 0)).value(0), e.section('=', 1)) << e.toStdString();
    }
}

TEST_F(SummaryReportsTest, PreviewSavesTheReportAsPdf)
{
    ASSERT_TRUE(started);
    QTemporaryDir dir;
    w().askPdfFileName = [&](QWidget*) { return dir.filePath("рабочие"); };
    t.dialogs.onModal("ReportPreview", [](QDialog& d) {
        auto* save = d.findChild<QAction*>("ActSavePdf");
        if (!save)
            return -1;
        save->trigger();
        return int(QDialog::Rejected);
    });
    w().Button4->click();
    const QString text = pdfText(dir.filePath("рабочие.pdf"));
    EXPECT_TRUE(text.contains("Отчет по рабочим за период с 01.11.2026 по 01.12.2026")) << text.toStdString();
    for (const char* e : {"Иванов И.И.", "Петров П.П.", "Группа А", " (грунт)", " (RAL: 5)", "206,00", "415,00", "345,83"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(e))) << e;
}

TEST_F(SummaryReportsTest, ExcelExportWritesTheProductionWithColourSuffixesAndCountsInItsCaption)
{
    ASSERT_TRUE(started);
    QTemporaryDir dir;
    w().exporter().setExportFolder(dir.path());
    QStringList opened;
    QString captionWhenOpened;
    w().exporter().setOpener([&](const QString& file) {
        opened << file;
        captionWhenOpened = w().Button6->text();
        return true;
    });
    ASSERT_EQ(w().Button6->text(), "Excel (0 из 0)");

    struct Case {
        int productType;
        QDate from;
        QStringList rows;   // columns joined with '|', in the order written
        QString caption;
    };
    const Case cases[] = {
        {0, kFrom,
         {"Группа А|Окраска КРАСКА (грунт)|Заготовки|10,5|20", "Группа А|Окраска КРАСКА (цвет: 5)|Готовая продукция|8|4",
          "Группа А|Резка|Готовая продукция|10,5|20", "Группа Б|Резка|Заготовки|45|36"},
         "Excel (5 из 4)"},
        {2, kFrom, {"Группа А|Окраска КРАСКА (грунт)|Заготовки|10,5|20", "Группа Б|Резка|Заготовки|45|36"}, "Excel (3 из 2)"},
        {0, QDate(2026, 11, 30), {}, "Excel (0 из 0)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption.toStdString());
        w().setProductType(c.productType);
        w().DTPicker1->setDate(c.from);
        opened.clear();
        w().Button6->click();
        EXPECT_EQ(w().Button6->text(), c.caption);
        EXPECT_EQ(captionWhenOpened, c.caption);
        EXPECT_FALSE(w().XLS_Rep.isOpen());
        ASSERT_EQ(opened.size(), 1);
        XlsxReader book(opened.first());
        ASSERT_TRUE(book.ok());
        // Names and headers are text; boxes and counts are numbers, so
        // that a sum over them in the spreadsheet adds them up.
        double countSum = 0;
        auto text = [&](int column, int row) {
            const auto cell = book.cell(1, cellRef(column, row));
            if (!cell)
                return QString();
            const bool numeric = row > 1 && column >= 4;
            EXPECT_EQ(cell->isText, !numeric) << cellRef(column, row).toStdString();
            if (!numeric)
                return cell->text;
            if (column == 5)
                countSum += cell->number;
            return QLocale(QLocale::Russian).toString(cell->number, 'g', 15);
        };
        EXPECT_EQ(QStringList({text(1, 1), text(2, 1), text(3, 1), text(4, 1), text(5, 1)}),
                  QStringList({"Наименование", "Операция", "Вид продукции", "Коробки", "Кол-во"}));
        QStringList rows, groups;
        for (int r = 2; r < 2 + c.rows.size(); ++r) {
            rows << QStringList({text(1, r), text(2, r), text(3, r), text(4, r), text(5, r)}).join('|');
            groups << text(1, r);
        }
        EXPECT_EQ(book.cellCount(1), 5 * (1 + c.rows.size()));
        // Rows come by group; within a group in the database's order.
        EXPECT_TRUE(std::is_sorted(groups.begin(), groups.end()));
        std::sort(rows.begin(), rows.end());
        EXPECT_EQ(rows, c.rows);
        double expectedSum = 0;
        for (const QString& row : c.rows)
            expectedSum += row.section('|', 4, 4).toDouble();
        EXPECT_DOUBLE_EQ(countSum, expectedSum);
    }
    EXPECT_TRUE(t.dialogs.shownBoxes().isEmpty());
}

TEST_F(SummaryReportsTest, DatabaseErrorIsShownAndTheNextRunReadsAgain)
{
    ASSERT_TRUE(started);
    QTemporaryDir dir;
    w().exporter().setExportFolder(dir.path());
    w().exporter().setOpener([](const QString&) { return true; });
    t.database.exec("alter table accounts_dep.oper rename to oper_away");
    // The error the database gives for the reports' queries.
    auto errorOf = [&](ReportLayout&& probe) {
        try {
            prepareLayout(probe, kFrom, kTo);
        } catch (const DbError& e) {
            return e.text();
        }
        return QString();
    };
    const QString error = errorOf(TForm21(t.database.db()));
    ASSERT_FALSE(error.isEmpty());
    t.dialogs.expectBox(MessageKind::Error, error, QMessageBox::Ok, "Ошибка");
    w().Button3->click();
    EXPECT_FALSE(w().Form21.query().isOpen());

    Dataset probe(t.database.db());
    probe.setSql(w().XLS_Rep.sql());
    probe.setParam("data1", kFrom);
    probe.setParam("data2", kTo);
    QString exportError;
    try {
        probe.open();
    } catch (const DbError& e) {
        exportError = e.text();
    }
    ASSERT_FALSE(exportError.isEmpty());
    t.dialogs.expectBox(MessageKind::Error, exportError, QMessageBox::Ok, "Ошибка");
    w().Button6->click();
    EXPECT_EQ(w().Button6->text(), "Excel (0 из 0)");
    EXPECT_EQ(t.dialogs.shownWindows(), QStringList());

    t.database.exec("alter table accounts_dep.oper_away rename to oper");
    t.dialogs.onModal("ReportPreview", [](QDialog&) { return int(QDialog::Rejected); });
    w().Button3->click();
    EXPECT_EQ(printed(w().Form21.pages(), "Summa"), QStringList{"180,00"});
    w().Button6->click();
    EXPECT_EQ(w().Button6->text(), "Excel (5 из 4)");
}

TEST(SummaryReportsRoles, LoginSetsTheReportButtonsAndProductTypeOfEachRole)
{
    struct Case {
        const char* code;
        bool reports;        // Button1, Button2, Button4, Button6
        bool productChoice;  // RadioGroup1
        int productType;
    };
    const Case cases[] = {
        {"2857", true, true, 0},
        {"61730482", true, true, 0},
        {"kalber", true, true, 0},
        {"brigade", false, true, 0},
        {"depot", false, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        TestContext t;
        WindowOwner owner(t.context());
        ASSERT_TRUE(owner.start(t.database.arguments()));
        TForm18& w = owner.form18();
        bool reachable = false;
        t.dialogs.onModal("Form1", [&](QDialog&) {
            reachable = owner.form1().ActSummaryReports->isEnabled()
                        && owner.form1().MenuReports->menuAction()->isEnabled();
            return int(QDialog::Rejected);
        });
        owner.form23().Edit1->setText(QString::fromUtf8(c.code));
        owner.form23().Button1->click();
        EXPECT_TRUE(reachable);
        for (QPushButton* b : {w.Button1, w.Button2, w.Button4, w.Button6})
            EXPECT_EQ(b->isEnabled(), c.reports) << b->objectName().toStdString();
        EXPECT_TRUE(w.Button3->isEnabled());
        EXPECT_TRUE(w.Button5->isEnabled());
        EXPECT_EQ(w.RadioGroup1->isEnabled(), c.productChoice);
        EXPECT_EQ(w.productType(), c.productType);
    }
}

TEST_F(SummaryReportsTest, WorkbookBoxesAndCountsSumToTheProductsReportsTotals)
{
    ASSERT_TRUE(started);
    QTemporaryDir dir;
    w().exporter().setExportFolder(dir.path());
    QString file;
    w().exporter().setOpener([&](const QString& f) {
        file = f;
        return true;
    });
    for (int productType : {0, 1, 2}) {
        SCOPED_TRACE(productType);
        w().setProductType(productType);
        w().Button6->click();
        XlsxReader book(file);
        ASSERT_TRUE(book.ok());
        // What a SUM over the columns gives in the spreadsheet: numeric
        // cells only.
        double boxes = 0, counts = 0;
        int rows = 0;
        for (int r = 2;; ++r) {
            const auto mass = book.cell(1, cellRef(4, r));
            const auto count = book.cell(1, cellRef(5, r));
            if (!mass && !count)
                break;
            ASSERT_TRUE(mass && !mass->isText && count && !count->isText) << r;
            boxes += mass->number;
            counts += count->number;
            ++rows;
        }
        EXPECT_GT(rows, 0);
        t.dialogs.onModal("ReportPreview", [](QDialog&) { return int(QDialog::Rejected); });
        w().Button2->click();
        const report::PageModel& report = w().Form17.pages();
        EXPECT_EQ(printed(report, "Kolvo"), QStringList{QString::number(counts)});
        EXPECT_EQ(printed(report, "Mass"), QStringList{QString::number(std::llround(boxes))});
    }
}
