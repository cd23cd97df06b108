#include "reports/TForm16.h"
#include "reports/TForm17.h"
#include "reports/TForm20.h"
#include "reports/TForm21.h"
#include "tests/reports/GivenStatements.h"
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

TEST_F(LayoutTest, WorkersReportShowsEveryWorkerWithPayAndItsGroupMaintenanceInGroupFooters)
{
    TForm16 layout(db.db());
    layout.setTitle("   Отчет по рабочим за период с 01.11.2026 по 01.12.2026");
    const PageModel& m = prepareLayout(layout, kFrom, kTo);
    ASSERT_EQ(m.pageCount(), 1);
    EXPECT_EQ(m.textsOf("QRLabel1"), QStringList{"   Отчет по рабочим за период с 01.11.2026 по 01.12.2026"});
    EXPECT_EQ(m.title, "   Отчет по рабочим за период с 01.11.2026 по 01.12.2026");
    // Сидоров has average piecework alone and still has his section.
    EXPECT_EQ(printed(m, "fio"), QStringList({"Иванов И.И.", "Петров П.П.", "Сидоров С.С."}));
    // "Группа В", where Иванов made nothing, shows his maintenance work there.
    EXPECT_EQ(printed(m, "nom"), QStringList({"Группа А", "Группа В", "Группа А", "Группа Б", "Группа Б"}));
    // Group footers: the worker's maintenance money of that group (f_sum7,
    // f_sum8) is added to the group's piece work; money has two decimals.
    EXPECT_EQ(printed(m, "NomF7"), QStringList({"50,00", "30,00", "0,00", "25,00", "0,00"}));
    EXPECT_EQ(printed(m, "NomF8"), QStringList({"30,00", "0,00", "0,00", "0,00", "100,00"}));
    EXPECT_EQ(printed(m, "NomKolvo"), QStringList({"32", "0", "12", "36", "0"}));
    EXPECT_EQ(printed(m, "NomSumma"), QStringList({"96,00", "0,00", "30,00", "54,00", "0,00"}));
    EXPECT_EQ(printed(m, "NomSummaNet"), QStringList({"80,00", "0,00", "25,00", "45,00", "0,00"}));
    EXPECT_EQ(printed(m, "NomTotal"), QStringList({"176,00", "30,00", "30,00", "79,00", "100,00"}));
    EXPECT_EQ(printed(m, "NomTotalNet"), QStringList({"146,67", "25,00", "25,00", "65,83", "83,33"}));
    // Worker footers: f_sum78 brings in all his maintenance records. The
    // sections add up to the report's total, 415.00.
    EXPECT_EQ(printed(m, "FioSumma"), QStringList({"96,00", "84,00", "0,00"}));
    EXPECT_EQ(printed(m, "FioSummaNet"), QStringList({"80,00", "70,00", "0,00"}));
    EXPECT_EQ(printed(m, "FioTotal"), QStringList({"206,00", "109,00", "100,00"}));
    EXPECT_EQ(printed(m, "FioTotalNet"), QStringList({"171,67", "90,83", "83,33"}));
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
    EXPECT_EQ(sorted(printed(m, "summa")), QStringList({"16,00", "20,00", "30,00", "54,00", "60,00"}));
}

TEST_F(LayoutTest, WorkersReportFilteredByProductTypeKeepsThePeriodsMaintenanceTotals)
{
    struct Case {
        int productType;
        QStringList fioSumma, fioTotal, nom, nomTotal;
        QString summa, total;
    };
    // The maintenance money is of no product type: every worker and group
    // with maintenance records keeps his section under either filter.
    const Case cases[] = {
        {2, {"60,00", "54,00", "0,00"}, {"170,00", "79,00", "100,00"}, {"Группа А", "Группа В", "Группа Б", "Группа Б"},
         {"140,00", "30,00", "79,00", "100,00"}, "114,00", "349,00"},
        {1, {"36,00", "30,00", "0,00"}, {"146,00", "55,00", "100,00"}, {"Группа А", "Группа В", "Группа А", "Группа Б", "Группа Б"},
         {"116,00", "30,00", "30,00", "25,00", "100,00"}, "66,00", "301,00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.productType);
        TForm16 layout(db.db());
        const PageModel& m = prepareLayout(layout, kFrom, kTo, c.productType);
        EXPECT_EQ(printed(m, "FioSumma"), c.fioSumma);
        EXPECT_EQ(printed(m, "FioTotal"), c.fioTotal);
        EXPECT_EQ(printed(m, "nom"), c.nom);
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
        int productType;
        QStringList noms, nomMass, nomKolvo;
        QString mass, kolvo;
    };
    // The groups' masses print in the default format.
    const Case cases[] = {
        {0, {"Группа А", "Группа Б"}, {"29", "45"}, {"44", "36"}, "74", "80"},
        // 55.5 under the mask "#0" is rounded half away from zero.
        {2, {"Группа А", "Группа Б"}, {"10,5", "45"}, {"20", "36"}, "56", "56"},
        {1, {"Группа А"}, {"18,5"}, {"24"}, "19", "24"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.productType);
        TForm17 layout(db.db());
        const PageModel& m = prepareLayout(layout, kFrom, kTo, c.productType);
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
    EXPECT_EQ(printed(m, "fio"), QStringList({"Иванов И.И.", "Петров П.П.", "Сидоров С.С."}));
    // The colour prints as the bare number.
    EXPECT_EQ(sorted(printed(m, "color")), QStringList({"0", "0", "0", "1", "5"}));
    EXPECT_EQ(sorted(printed(m, "sum_time")), QStringList({"0", "0", "3", "4", "8"}));
    EXPECT_EQ(printed(m, "FioBrk"), QStringList({"3", "4", "0"}));
    EXPECT_EQ(printed(m, "FioKolvo"), QStringList({"35", "52", "0"}));
    EXPECT_EQ(printed(m, "FioSumma"), QStringList({"96,00", "84,00", "0,00"}));

    struct Row {
        const char* name;
        QStringList hours, gross, net;
    };
    // Иванов: day maintenance 4+1+3 h, 80.00 over all groups; night average
    // piecework 2 h, 30.00. Петров: night maintenance 2 h, 25.00, and no
    // hours of piece work, so his price of an hour prints 0. Сидоров:
    // average piecework alone, 5 h, 100.00. Money has two decimals.
    const Row rows[] = {
        {"F7", {"8", "0", "0"}, {"80,00", "0,00", "0,00"}, {"66,67", "0,00", "0,00"}},
        {"F7n", {"0", "2", "0"}, {"0,00", "25,00", "0,00"}, {"0,00", "20,83", "0,00"}},
        {"F8", {"0", "0", "5"}, {"0,00", "0,00", "100,00"}, {"0,00", "0,00", "83,33"}},
        {"F8n", {"2", "0", "0"}, {"30,00", "0,00", "0,00"}, {"25,00", "0,00", "0,00"}},
        {"Piece", {"15,00", "0,00", "0,00"}, {"96,00", "84,00", "0,00"}, {"80,00", "70,00", "0,00"}},
        {"Total", {"25,00", "2,00", "5,00"}, {"206,00", "109,00", "100,00"}, {"171,67", "90,83", "83,33"}},
        {"PerHour", {}, {"6,40", "0,00", "0,00"}, {"5,33", "0,00", "0,00"}},
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
    const PageModel& f = prepareLayout(layout, kFrom, kTo, 2);
    EXPECT_EQ(printed(f, "Piece"), QStringList({"60,00", "54,00", "0,00"}));
    EXPECT_EQ(printed(f, "PieceHours"), QStringList({"4,00", "0,00", "0,00"}));
    EXPECT_EQ(printed(f, "PerHour"), QStringList({"15,00", "0,00", "0,00"}));
    EXPECT_EQ(printed(f, "F7"), QStringList({"80,00", "0,00", "0,00"}));
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
    EXPECT_EQ(printed(m, "Mass"), QStringList{"82,05"});   // the default format
    EXPECT_EQ(printed(m, "Kolvo"), QStringList{"87"});
    EXPECT_EQ(printed(m, "Summa"), QStringList{"180,00"});

    const PageModel& f = prepareLayout(layout, kFrom, kTo, 1);
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
        {std::make_unique<TForm21>(db.db()), {"Brk=0", "Mass=0", "Kolvo=0", "Summa=0,00"}},
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
                                             "66,67", "171,67", "180,00"}},
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

TEST_F(LayoutTest, PeriodMaintenanceTotalsDoNotDependOnTheRowsShown)
{
    struct Case {
        const char* what;
        QDate from, to;
        int productType;
        QStringList fio;
        QString summa, f7All, f8All, total;
    };
    const Case cases[] = {
        // 12.11 and 13.11: maintenance records and no shift rows at all.
        {"no shift rows", QDate(2026, 11, 12), QDate(2026, 11, 14), 0, {"Петров П.П.", "Сидоров С.С."}, "0,00", "25,00",
         "100,00", "125,00"},
        // 04.11 and 05.11: the blanks of 05.11 and Иванов's night average
        // piecework of 04.11; finished goods hide every shift row.
        {"filter hides every shift row", QDate(2026, 11, 4), QDate(2026, 11, 6), 1, {"Иванов И.И."}, "0,00", "0,00", "30,00",
         "30,00"},
        {"filter keeps them", QDate(2026, 11, 4), QDate(2026, 11, 6), 2, {"Иванов И.И."}, "60,00", "0,00", "30,00", "90,00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TForm16 workers(db.db());
        const PageModel& m = prepareLayout(workers, c.from, c.to, c.productType);
        EXPECT_EQ(printed(m, "fio"), c.fio);
        EXPECT_EQ(printed(m, "Summa"), QStringList{c.summa});
        EXPECT_EQ(printed(m, "F7All"), QStringList{c.f7All});
        EXPECT_EQ(printed(m, "F8All"), QStringList{c.f8All});
        EXPECT_EQ(printed(m, "Total"), QStringList{c.total});
        // The worker sections add up to the total.
        EXPECT_EQ(printed(m, "FioTotal").size(), c.fio.size());

        TForm20 detailed(db.db());
        const PageModel& d = prepareLayout(detailed, c.from, c.to, c.productType);
        EXPECT_EQ(printed(d, "fio"), c.fio);
        // No detail lines are printed for the rows of maintenance money.
        EXPECT_EQ(printed(d, "marka").size(), c.summa == "0,00" ? 0 : 1);
    }
}

TEST_F(LayoutTest, NamesakesKeepSectionsOfTheirOwn)
{
    addNamesakes(db);
    const QDate from(2026, 11, 15), to(2026, 11, 18);
    TForm16 workers(db.db());
    const PageModel& w = prepareLayout(workers, from, to);
    EXPECT_EQ(printed(w, "fio"), QStringList({"Кузнецов К.К.", "Кузнецов К.К."}));
    EXPECT_EQ(printed(w, "nom"), QStringList({"Группа Г", "Группа Г", "Группа Г"}));
    EXPECT_EQ(printed(w, "NomF7"), QStringList({"11,00", "7,00", "22,00"}));
    EXPECT_EQ(printed(w, "NomTotal"), QStringList({"21,00", "17,00", "42,00"}));
    EXPECT_EQ(printed(w, "FioTotal"), QStringList({"38,00", "42,00"}));
    EXPECT_EQ(printed(w, "Total"), QStringList{"80,00"});

    TForm20 detailed(db.db());
    const PageModel& d = prepareLayout(detailed, from, to);
    EXPECT_EQ(printed(d, "fio"), QStringList({"Кузнецов К.К.", "Кузнецов К.К."}));
    EXPECT_EQ(printed(d, "FioSumma"), QStringList({"20,00", "20,00"}));
    EXPECT_EQ(printed(d, "F7"), QStringList({"18,00", "22,00"}));
    EXPECT_EQ(printed(d, "Total"), QStringList({"38,00", "42,00"}));

    // Two nomenclature groups of one name in the products reports.
    TForm17 products(db.db());
    const PageModel& p = prepareLayout(products, from, to);
    EXPECT_EQ(printed(p, "nom"), QStringList({"Группа Г", "Группа Г"}));
    EXPECT_EQ(printed(p, "NomKolvo"), QStringList({"10", "25"}));
    EXPECT_EQ(printed(p, "NomMass"), QStringList({"10", "50"}));
    TForm21 detailedProducts(db.db());
    const PageModel& dp = prepareLayout(detailedProducts, from, to);
    EXPECT_EQ(printed(dp, "nom"), QStringList({"Группа Г", "Группа Г"}));
    EXPECT_EQ(printed(dp, "NomSumma"), QStringList({"10,00", "30,00"}));
}

TEST_F(LayoutTest, WorkersStatementsReturnTheRowsOfTheirGivenTexts)
{
    addNamesakes(db);
    struct Case {
        std::unique_ptr<ReportLayout> layout;
        QString given;
        int givenParameters;
        QStringList perWorker;   // carried on the worker's maintenance row
    };
    Case cases[] = {
        {std::make_unique<TForm16>(db.db()), Given::workersReportSql(), 12, {}},
        {std::make_unique<TForm20>(db.db()), Given::detailedWorkersReportSql(), 18,
         {"f_sum7", "f_sum7_n", "f_sum8", "f_sum8_n", "f_sum7h", "f_sum7h_n", "f_sum8h", "f_sum8h_n"}},
    };
    const struct {
        QDate from, to;
    } periods[] = {
        {kFrom, kTo},
        {QDate(2026, 10, 1), QDate(2027, 1, 1)},   // both bounds' records inside
        {QDate(2026, 11, 12), QDate(2026, 11, 14)},   // maintenance alone
        {QDate(2026, 11, 5), QDate(2026, 11, 7)},     // shift rows alone
        {QDate(2025, 1, 1), QDate(2025, 2, 1)},    // nothing
    };
    for (Case& c : cases) {
        for (const auto& period : periods) {
            SCOPED_TRACE(c.layout->query().name().toStdString() + " " + period.from.toString("dd.MM.yyyy").toStdString());
            const Given::Rows given = Given::readRows(db.db(), c.given, c.givenParameters, period.from, period.to);
            const Given::Rows rewritten = Given::readRows(db.db(), c.layout->query().sql(), c.layout->parameterCount(),
                                                          period.from, period.to, given.columns, true, c.perWorker);
            QString difference;
            EXPECT_TRUE(Given::sameRows(given, rewritten, &difference)) << difference.toStdString();
            EXPECT_EQ(rewritten.rows.size(), given.rows.size());
        }
        // The fixture's November has rows of both kinds.
        const Given::Rows all = Given::readRows(db.db(), c.layout->query().sql(), c.layout->parameterCount(), kFrom, kTo);
        const Given::Rows shifts = Given::readRows(db.db(), c.layout->query().sql(), c.layout->parameterCount(), kFrom, kTo, {}, true);
        EXPECT_GT(shifts.rows.size(), 5);
        EXPECT_GT(all.rows.size(), shifts.rows.size());
    }
}

namespace {

// On every page, a detail line or a group footer stands below a header of
// each group it belongs to, printed on that page (first or repeated).
void expectEveryPageNamesItsGroups(const PageModel& m, int levels)
{
    for (const report::Page& page : m.pages) {
        QVector<bool> named(levels, false);
        for (const report::PlacedBand& band : page.bands) {
            if (band.kind == report::BandKind::GroupHeader) {
                named[band.group] = true;
                for (int inner = band.group + 1; inner < levels; ++inner)
                    named[inner] = false;
            }
            const int needed = band.kind == report::BandKind::Detail ? levels
                               : band.kind == report::BandKind::GroupFooter ? band.group + 1
                                                                            : 0;
            for (int g = 0; g < needed; ++g)
                EXPECT_TRUE(named[g]) << "page " << page.number << ", band at " << band.rect.top() << " mm, group " << g;
        }
    }
}

} // namespace

TEST_F(LayoutTest, GroupOverAPageBreakRepeatsItsHeaderMarkedContinuedAndLongNamesStayInTheirColumns)
{
    addLongNames(db);
    const QDate from(2026, 11, 20), to(2026, 11, 21);
    const QString continued = QStringLiteral(" (продолжение)");
    struct Case {
        std::unique_ptr<ReportLayout> layout;
        int levels;
        QString groupItem, groupName;
        QString cutItem, cutText;
        QString total, totalText;
    };
    Case cases[] = {
        {std::make_unique<TForm16>(db.db()), 2, "fio", kLongWorker, "vid", kLongKind, "FioTotal", "109,00"},
        {std::make_unique<TForm17>(db.db()), 1, "nom", kLongGroup, "vid", kLongKind, "NomKolvo", "89"},
        {std::make_unique<TForm20>(db.db()), 1, "fio", kLongWorker, "marka", kLongProduct, "Total", "109,00"},
        {std::make_unique<TForm21>(db.db()), 1, "nom", kLongGroup, "marka", kLongProduct, "NomSumma", "89,00"},
    };
    QTemporaryDir dir;
    int n = 0;
    for (Case& c : cases) {
        SCOPED_TRACE(c.layout->query().name().toStdString() + " " + std::to_string(c.layout->parameterCount()));
        const PageModel& m = prepareLayout(*c.layout, from, to);
        ASSERT_GE(m.pageCount(), 2);
        EXPECT_EQ(printed(m, c.total), QStringList{c.totalText});
        // The name prints whole, over several lines where it is long; on
        // the following page the header comes again, marked as continued.
        const QStringList names = m.textsOf(c.groupItem);
        ASSERT_EQ(names.size(), m.pageCount());
        EXPECT_EQ(names[0].simplified(), c.groupName);
        for (int p = 1; p < m.pageCount(); ++p) {
            EXPECT_EQ(m.pages[p].textsOf(c.groupItem).value(0).simplified(), c.groupName + continued);
            EXPECT_EQ(m.pages[p].bands.value(0).kind, report::BandKind::GroupHeader);
            EXPECT_TRUE(m.pages[p].bands.value(0).repeated);
        }
        EXPECT_FALSE(m.pages[0].bands.value(1).repeated);
        expectEveryPageNamesItsGroups(m, c.levels);
        // A detail text longer than its column is cut with an ellipsis.
        const QStringList cut = m.textsOf(c.cutItem);
        ASSERT_EQ(cut.size(), 89);
        for (const QString& text : cut) {
            ASSERT_TRUE(text.endsWith(QChar(0x2026))) << text.toStdString();
            ASSERT_TRUE(c.cutText.startsWith(text.chopped(1))) << text.toStdString();
        }

        const QString file = dir.filePath(QStringLiteral("long%1.pdf").arg(++n));
        report::writePdf(m, file);
        const QStringList pages = pdfText(file).split('\f', Qt::SkipEmptyParts);
        ASSERT_EQ(pages.size(), m.pageCount());
        EXPECT_TRUE(pages[1].contains("(продолжение)"));
        EXPECT_FALSE(pages[0].contains("(продолжение)"));
    }
}
