#include "reports/TForm16.h"
#include "reports/TForm17.h"
#include "reports/TForm20.h"
#include "reports/TForm21.h"
#include "tests/reports/SummaryFixture.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>

using report::PageModel;

namespace {

class LayoutTest : public ::testing::Test {
protected:
    LayoutTest() { addSummaryWorkshop(db); }
    TestDatabase db;
};

QStringList sorted(QStringList list)
{
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace

TEST_F(LayoutTest, WorkersReportShowsGroupMaintenanceInGroupFootersAndAllOfItThroughTheWorkerFooter)
{
    TForm16 layout(db.db());
    layout.setTitle("   Отчет по рабочим за период с 01.11.2026 по 01.12.2026");
    const PageModel& m = prepareLayout(layout, kFrom, kTo);
    ASSERT_EQ(m.pageCount(), 1);
    EXPECT_EQ(m.textsOf("QRLabel1"), QStringList{"   Отчет по рабочим за период с 01.11.2026 по 01.12.2026"});
    EXPECT_EQ(m.title, "   Отчет по рабочим за период с 01.11.2026 по 01.12.2026");
    EXPECT_EQ(printed(m, "fio"), QStringList({"Иванов И.И.", "Петров П.П."}));
    EXPECT_EQ(printed(m, "nom"), QStringList({"Группа А", "Группа А", "Группа Б"}));
    // Group footers: the worker's maintenance money of that group (f_sum7,
    // f_sum8) is added to the group's piece work.
    EXPECT_EQ(printed(m, "NomF7"), QStringList({"50", "0", "25"}));
    EXPECT_EQ(printed(m, "NomF8"), QStringList({"30", "0", "0"}));
    EXPECT_EQ(printed(m, "NomKolvo"), QStringList({"32", "12", "36"}));
    EXPECT_EQ(printed(m, "NomSumma"), QStringList({"96,000", "30,000", "54,000"}));
    EXPECT_EQ(printed(m, "NomSummaNet"), QStringList({"80,000", "25,000", "45,000"}));
    EXPECT_EQ(printed(m, "NomTotal"), QStringList({"176,000", "30,000", "79,000"}));
    EXPECT_EQ(printed(m, "NomTotalNet"), QStringList({"146,667", "25,000", "65,833"}));
    // Worker footers: f_sum78 brings in all his maintenance records, also
    // the 30.00 of "Группа В" where he made nothing.
    EXPECT_EQ(printed(m, "FioSumma"), QStringList({"96,00", "84,00"}));
    EXPECT_EQ(printed(m, "FioSummaNet"), QStringList({"80,00", "70,00"}));
    EXPECT_EQ(printed(m, "FioTotal"), QStringList({"206,000", "109,000"}));
    EXPECT_EQ(printed(m, "FioTotalNet"), QStringList({"171,667", "90,833"}));
    // Report footer: all maintenance work and average piecework of the period.
    EXPECT_EQ(printed(m, "Summa"), QStringList{"180,00"});
    EXPECT_EQ(printed(m, "SummaNet"), QStringList{"150,00"});
    EXPECT_EQ(printed(m, "F7All"), QStringList{"105,00"});
    EXPECT_EQ(printed(m, "F7AllNet"), QStringList{"87,50"});
    EXPECT_EQ(printed(m, "F8All"), QStringList{"130,00"});
    EXPECT_EQ(printed(m, "F8AllNet"), QStringList{"108,33"});
    EXPECT_EQ(printed(m, "Total"), QStringList{"415,00"});
    EXPECT_EQ(printed(m, "TotalNet"), QStringList{"345,83"});
    EXPECT_EQ(printed(m, "PageNumber"), QStringList{"1"});

    // Colour texts and product types of the detail lines (their order
    // within a group is the database's).
    const QStringList colours = m.textsOf("ColourText");
    EXPECT_EQ(colours.count(" (грунт)"), 1);
    EXPECT_EQ(colours.count(" (RAL: 5)"), 1);
    EXPECT_EQ(colours.size(), 5);
    EXPECT_EQ(sorted(printed(m, "ProductType")),
              QStringList({"Готовая продукция", "Готовая продукция", "Готовая продукция", "Заготовки", "Заготовки"}));
    EXPECT_EQ(sorted(printed(m, "summa")), QStringList({"16,000", "20,000", "30,000", "54,000", "60,000"}));
}

TEST_F(LayoutTest, WorkersReportFilteredByProductTypeKeepsThePeriodsMaintenanceTotals)
{
    struct Case {
        QString filter;
        QStringList fioSumma, fioTotal, nomTotal;
        QString summa, total;
    };
    const Case cases[] = {
        {"naimen=1", {"60,00", "54,00"}, {"170,000", "79,000"}, {"140,000", "79,000"}, "114,00", "349,00"},
        {"naimen=0", {"36,00", "30,00"}, {"146,000", "55,000"}, {"116,000", "30,000"}, "66,00", "301,00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter.toStdString());
        TForm16 layout(db.db());
        const PageModel& m = prepareLayout(layout, kFrom, kTo, c.filter);
        EXPECT_EQ(printed(m, "FioSumma"), c.fioSumma);
        EXPECT_EQ(printed(m, "FioTotal"), c.fioTotal);
        EXPECT_EQ(printed(m, "NomTotal"), c.nomTotal);
        EXPECT_EQ(printed(m, "Summa"), QStringList{c.summa});
        // f_sum7_all and f_sum8_all come from sub-queries, not from the rows.
        EXPECT_EQ(printed(m, "F7All"), QStringList{"105,00"});
        EXPECT_EQ(printed(m, "F8All"), QStringList{"130,00"});
        EXPECT_EQ(printed(m, "Total"), QStringList{c.total});
    }
}

TEST_F(LayoutTest, ProductsReportTotalsGoodQuantityAndMassByGroup)
{
    struct Case {
        QString filter;
        QStringList noms, nomMass, nomKolvo;
        QString mass, kolvo;
    };
    const Case cases[] = {
        {"", {"Группа А", "Группа Б"}, {"29,00", "45,00"}, {"44", "36"}, "74", "80"},
        // 55.5 under the mask "#0" is rounded half away from zero.
        {"naimen=1", {"Группа А", "Группа Б"}, {"10,50", "45,00"}, {"20", "36"}, "56", "56"},
        {"naimen=0", {"Группа А"}, {"18,50"}, {"24"}, "19", "24"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter.toStdString());
        TForm17 layout(db.db());
        const PageModel& m = prepareLayout(layout, kFrom, kTo, c.filter);
        EXPECT_EQ(printed(m, "nom"), c.noms);
        EXPECT_EQ(printed(m, "NomMass"), c.nomMass);
        EXPECT_EQ(printed(m, "NomKolvo"), c.nomKolvo);
        EXPECT_EQ(printed(m, "Mass"), QStringList{c.mass});
        EXPECT_EQ(printed(m, "Kolvo"), QStringList{c.kolvo});
    }
    TForm17 layout(db.db());
    const PageModel& m = prepareLayout(layout, kFrom, kTo);
    EXPECT_EQ(printed(m, "MassTitle"), QStringList{"Коробки"});
    EXPECT_EQ(printed(m, "KolvoTitle"), QStringList{"Количество"});
    const QStringList colours = m.textsOf("ColourText");
    EXPECT_EQ(colours.count(" (грунт)"), 1);
    EXPECT_EQ(colours.count(" (RAL: 5)"), 1);
}

TEST_F(LayoutTest, DetailedWorkersReportTableOfMaintenancePieceWorkAndHourPrice)
{
    TForm20 layout(db.db());
    const PageModel& m = prepareLayout(layout, kFrom, kTo);
    EXPECT_EQ(printed(m, "fio"), QStringList({"Иванов И.И.", "Петров П.П."}));
    // The colour prints as the bare number.
    EXPECT_EQ(sorted(printed(m, "color")), QStringList({"0", "0", "0", "1", "5"}));
    EXPECT_EQ(sorted(printed(m, "sum_time")), QStringList({"0", "0", "3", "4", "8"}));
    EXPECT_EQ(printed(m, "FioBrk"), QStringList({"3", "4"}));
    EXPECT_EQ(printed(m, "FioKolvo"), QStringList({"35", "52"}));
    EXPECT_EQ(printed(m, "FioSumma"), QStringList({"96,00", "84,00"}));

    struct Row {
        const char* name;
        QStringList hours, gross, net;
    };
    // Иванов: day maintenance 4+1+3 h, 80.00 over all groups; night average
    // piecework 2 h, 30.00. Петров: night maintenance 2 h, 25.00, and no
    // hours of piece work, so his price of an hour prints 0.
    const Row rows[] = {
        {"F7", {"8", "0"}, {"80", "0"}, {"66,6666666666667", "0"}},
        {"F7n", {"0", "2"}, {"0", "25"}, {"0", "20,8333333333333"}},
        {"F8", {"0", "0"}, {"0", "0"}, {"0", "0"}},
        {"F8n", {"2", "0"}, {"30", "0"}, {"25", "0"}},
        {"Piece", {"15,00", "0,00"}, {"96,00", "84,00"}, {"80,00", "70,00"}},
        {"Total", {"25,00", "2,00"}, {"206,00", "109,00"}, {"171,67", "90,83"}},
        {"PerHour", {}, {"6,40", "0,00"}, {"5,33", "0,00"}},
    };
    for (const Row& r : rows) {
        const QString name = QString::fromLatin1(r.name);
        EXPECT_EQ(printed(m, name + "Hours"), r.hours) << r.name;
        EXPECT_EQ(printed(m, name), r.gross) << r.name;
        EXPECT_EQ(printed(m, name + "Net"), r.net) << r.name;
    }
    EXPECT_EQ(printed(m, "Brk"), QStringList{"7"});
    EXPECT_EQ(printed(m, "Kolvo"), QStringList{"87"});
    EXPECT_EQ(printed(m, "Summa"), QStringList{"180,00"});

    // Blanks only: the piece work shrinks, the maintenance rows do not.
    const PageModel& f = prepareLayout(layout, kFrom, kTo, "naimen=1");
    EXPECT_EQ(printed(f, "Piece"), QStringList({"60,00", "54,00"}));
    EXPECT_EQ(printed(f, "PieceHours"), QStringList({"4,00", "0,00"}));
    EXPECT_EQ(printed(f, "PerHour"), QStringList({"15,00", "0,00"}));
    EXPECT_EQ(printed(f, "F7"), QStringList({"80", "0"}));
    EXPECT_EQ(printed(f, "Summa"), QStringList{"114,00"});
}

TEST_F(LayoutTest, DetailedProductsReportCountsQuantityWithRejects)
{
    TForm21 layout(db.db());
    const PageModel& m = prepareLayout(layout, kFrom, kTo);
    EXPECT_EQ(printed(m, "nom"), QStringList({"Группа А", "Группа Б"}));
    EXPECT_EQ(sorted(printed(m, "color")), QStringList({"0", "0", "1", "5"}));
    EXPECT_EQ(sorted(printed(m, "kolvo")), QStringList({"20", "22", "40", "5"}));
    EXPECT_EQ(printed(m, "NomBrk"), QStringList({"3", "4"}));
    EXPECT_EQ(printed(m, "NomMass"), QStringList({"32,05", "50,00"}));
    EXPECT_EQ(printed(m, "NomKolvo"), QStringList({"47", "40"}));
    EXPECT_EQ(printed(m, "NomSumma"), QStringList({"126,00", "54,00"}));
    EXPECT_EQ(printed(m, "Brk"), QStringList{"7"});
    EXPECT_EQ(printed(m, "Mass"), QStringList{"82,05"});
    EXPECT_EQ(printed(m, "Kolvo"), QStringList{"87"});
    EXPECT_EQ(printed(m, "Summa"), QStringList{"180,00"});

    const PageModel& f = prepareLayout(layout, kFrom, kTo, "naimen=0");
    EXPECT_EQ(printed(f, "NomSumma"), QStringList{"66,00"});
    EXPECT_EQ(printed(f, "Kolvo"), QStringList{"27"});
}

TEST_F(LayoutTest, EmptyPeriodPrintsTitleZeroTotalsAndPageOne)
{
    const QDate from(2025, 1, 1), to(2025, 2, 1);
    struct Case {
        std::unique_ptr<ReportLayout> layout;
        QStringList totals;   // item=text
    };
    Case cases[] = {
        {std::make_unique<TForm16>(db.db()), {"Summa=0,00", "F7All=0,00", "F8All=0,00", "Total=0,00", "TotalNet=0,00"}},
        {std::make_unique<TForm17>(db.db()), {"Mass=0", "Kolvo=0"}},
        {std::make_unique<TForm20>(db.db()), {"Brk=0", "Kolvo=0", "Summa=0,00"}},
        {std::make_unique<TForm21>(db.db()), {"Brk=0", "Mass=0,00", "Kolvo=0", "Summa=0,00"}},
    };
    for (Case& c : cases) {
        c.layout->setTitle("   Отчет за период с 01.01.2025 по 01.02.2025");
        const PageModel& m = prepareLayout(*c.layout, from, to);
        SCOPED_TRACE(c.layout->query().name().toStdString() + " " + std::to_string(c.layout->parameterCount()));
        EXPECT_EQ(m.pageCount(), 1);
        EXPECT_EQ(m.textsOf("QRLabel1"), QStringList{"   Отчет за период с 01.01.2025 по 01.02.2025"});
        EXPECT_EQ(printed(m, "PageNumber"), QStringList{"1"});
        for (const QString& total : c.totals)
            EXPECT_EQ(printed(m, total.section('=', 0, 0)), QStringList{total.section('=', 1)}) << total.toStdString();
    }
}

TEST_F(LayoutTest, PdfOfEachReportCarriesItsTitleColoursAndTotals)
{
    QTemporaryDir dir;
    struct Case {
        std::unique_ptr<ReportLayout> layout;
        QStringList expected;
    };
    Case cases[] = {
        {std::make_unique<TForm16>(db.db()), {"Сумма без Р/К", "Иванов И.И.", "(грунт)", "(RAL: 5)", "Хоз.р.:", "415,00", "345,83"}},
        {std::make_unique<TForm17>(db.db()), {"Коробки", "Количество", "(RAL: 5)", "Итого:", "74"}},
        {std::make_unique<TForm20>(db.db()), {"Сумма с р/к (р.)", "Сумма без р/к (р.)", "Цена ср. сд. за 1 ч.:", "Хоз. раб. (нч.)",
                                             "66,6666666666667", "171,67", "180,00"}},
        {std::make_unique<TForm21>(db.db()), {"Брак", "Кол-во", "Готовая продукция", "Заготовки", "82,05", "180,00"}},
    };
    int n = 0;
    for (Case& c : cases) {
        c.layout->setTitle("   Сводка за ноябрь");
        const QString file = dir.filePath(QStringLiteral("r%1.pdf").arg(++n));
        report::writePdf(prepareLayout(*c.layout, kFrom, kTo), file);
        const QString text = pdfText(file);
        EXPECT_TRUE(text.contains("Сводка за ноябрь")) << n;
        for (const QString& e : c.expected)
            EXPECT_TRUE(text.contains(e)) << n << " " << e.toStdString() << "\n" << text.toStdString();
    }
}
