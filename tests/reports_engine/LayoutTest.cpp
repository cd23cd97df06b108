#include "tests/reports_engine/ReportFixtures.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace report;

namespace {

constexpr double kEps = 1e-6;

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ReportError& e) {
        return e.text();
    }
    return QStringLiteral("<no error>");
}

// `rows` rows in groups of `groupSize` (fio), numbered notes.
TableSource longTable(int rows, int groupSize)
{
    TableSource t({"fio", "nom", "summa", "kolvo", "note"});
    for (int r = 0; r < rows; ++r)
        t.addRow({QStringLiteral("Работник %1").arg(r / groupSize, 4, 10, QLatin1Char('0')),
                  QStringLiteral("Группа %1").arg(r / 3), 1.25, 1, QStringLiteral("row %1").arg(r)});
    return t;
}

} // namespace

TEST(EngineLayoutTest, NestedGroupsRestartTheirSumsAndFootersShowTheGroupsLastRow)
{
    const PageModel model = layoutReport(workersReport(), workersTable());
    ASSERT_EQ(model.pageCount(), 1);
    const QStringList expected = {
        "title=Сводка по работникам",
        "fioHeader=Иванов", "nomHeader=A",
        "detailNote=i-a-1", "runningTotal=10,50",
        "detailNote=i-a-2", "runningTotal=30,75",
        "nomLast=i-a-2", "nomQty=3", "nomSum=30,75", "nomRunningFio=30,75",
        "nomHeader=B",
        "detailNote=i-b-1", "runningTotal=35,75",
        "nomLast=i-b-1", "nomQty=3", "nomSum=5,00", "nomRunningFio=35,75",
        "fioLast=i-b-1", "fioSum=35,75", "fioSumNet=29,792",
        // The outer group changed: the inner group "B" starts anew too.
        "fioHeader=Петров", "nomHeader=B",
        "detailNote=p-b-1", "runningTotal=42,88",
        "detailNote=p-b-2", "runningTotal=43,88",
        "nomLast=p-b-2", "nomQty=9", "nomSum=8,13", "nomRunningFio=8,13",
        "nomHeader=C",
        "detailNote=p-c-1", "runningTotal=45,88",
        "nomLast=p-c-1", "nomQty=6", "nomSum=2,00", "nomRunningFio=10,13",
        "fioLast=p-c-1", "fioSum=10,13", "fioSumNet=8,438",
        "lastNote=p-c-1", "total=45,88",
        "page=1",
    };
    EXPECT_EQ(printOrder(model), expected);

    // Bands are stacked from the top margin without gaps, in print order.
    const Page& page = model.pages[0];
    double y = 10;
    for (const PlacedBand& band : page.bands) {
        if (band.kind == BandKind::PageFooter)
            continue;
        EXPECT_NEAR(band.rect.top(), y, kEps);
        y = band.rect.bottom();
    }
    // A footer is laid out while its group's last row is current.
    QVector<int> footerRows;
    for (const PlacedBand& band : page.bands) {
        if (band.kind == BandKind::GroupFooter)
            footerRows << band.row;
    }
    EXPECT_EQ(footerRows, QVector<int>({1, 2, 2, 4, 5, 5}));
}

TEST(EngineLayoutTest, EmptyDatasetPrintsTitleZeroTotalsAndPageOne)
{
    const PageModel model = layoutReport(workersReport(), TableSource({"fio", "nom", "summa", "kolvo", "note"}));
    ASSERT_EQ(model.pageCount(), 1);
    EXPECT_EQ(printOrder(model), QStringList({"title=Сводка по работникам", "lastNote=", "total=0,00", "page=1"}));
    QVector<BandKind> kinds;
    for (const PlacedBand& b : model.pages[0].bands)
        kinds << b.kind;
    EXPECT_EQ(kinds, QVector<BandKind>({BandKind::ReportHeader, BandKind::ReportFooter, BandKind::PageFooter}));
}

TEST(EngineLayoutTest, LongReportBreaksPagesBetweenBandsAndNumbersEveryPage)
{
    ReportDefinition def = workersReport();
    // The page number printed in a group header is the page it lands on.
    def.groups[0].header.addExpression({120, 0, 70, 7}, "'стр. ' + STR(PAGENUMBER)").setName("headerPage");
    const int rows = 2000;
    const PageModel model = layoutReport(def, longTable(rows, 13));

    ASSERT_GT(model.pageCount(), 50);
    const double footerTop = 297 - 10 - def.pageFooter.height;
    QStringList notes;
    for (int i = 0; i < model.pageCount(); ++i) {
        const Page& page = model.pages[i];
        EXPECT_EQ(page.number, i + 1);
        EXPECT_EQ(page.textsOf("page"), QStringList({QString::number(i + 1)}));
        for (const QString& text : page.textsOf("headerPage"))
            EXPECT_EQ(text, QStringLiteral("стр. %1").arg(i + 1));
        notes << page.textsOf("detailNote");

        ASSERT_FALSE(page.bands.isEmpty());
        double lastBottom = 10;
        for (const PlacedBand& band : page.bands) {
            if (band.kind == BandKind::PageFooter) {
                EXPECT_NEAR(band.rect.top(), footerTop, kEps);
                EXPECT_NEAR(band.rect.bottom(), 297 - 10, kEps);
                continue;
            }
            // Whole bands only, above the footer's reserved room.
            EXPECT_GE(band.rect.top(), 10 - kEps);
            EXPECT_LE(band.rect.bottom(), footerTop + kEps);
            lastBottom = band.rect.bottom();
        }
        // A page is left only when the next band does not fit on it.
        if (i + 1 < model.pageCount()) {
            const PlacedBand& next = model.pages[i + 1].bands.first();
            EXPECT_GT(lastBottom + next.rect.height(), footerTop) << "page " << i + 1;
            EXPECT_NEAR(next.rect.top(), 10, kEps);
        }
    }
    // Every row printed once, in order.
    ASSERT_EQ(notes.size(), rows);
    for (int r = 0; r < rows; ++r)
        ASSERT_EQ(notes[r], QStringLiteral("row %1").arg(r));
    EXPECT_EQ(model.textsOf("total"), QStringList({"2500,00"}));
}

TEST(EngineLayoutTest, RepeatedGroupHeaderOpensEveryPageItsGroupContinuesOn)
{
    ReportDefinition def = workersReport();
    def.groups[0].repeatHeader = true;   // the worker, not the inner group
    // Groups of 60 rows run over pages; each row names its worker.
    const PageModel model = layoutReport(def, longTable(600, 60));
    ASSERT_GT(model.pageCount(), 5);

    int repeatedPages = 0;
    for (int i = 0; i < model.pageCount(); ++i) {
        const Page& page = model.pages[i];
        ASSERT_FALSE(page.bands.isEmpty());
        const PlacedBand& first = page.bands.first();
        // The worker whose rows, or whose footer, come first on the page.
        QString worker;
        for (const PlacedBand& band : page.bands) {
            if (band.kind == BandKind::Detail || band.kind == BandKind::GroupFooter
                || (band.kind == BandKind::GroupHeader && !band.repeated)) {
                worker = QStringLiteral("Работник %1").arg(band.row / 60, 4, 10, QLatin1Char('0'));
                break;
            }
        }
        const QStringList headers = page.textsOf("fioHeader");
        if (i > 0 && !(first.kind == BandKind::GroupHeader && first.group == 0 && !first.repeated)) {
            // A continued page: the worker's header first, marked as repeated;
            // the inner group's header is not repeated.
            ++repeatedPages;
            EXPECT_EQ(first.kind, BandKind::GroupHeader) << "page " << i + 1;
            EXPECT_EQ(first.group, 0) << "page " << i + 1;
            EXPECT_TRUE(first.repeated) << "page " << i + 1;
            EXPECT_NEAR(first.rect.top(), 10, kEps);
            ASSERT_FALSE(headers.isEmpty());
            EXPECT_EQ(headers.first(), worker) << "page " << i + 1;
            EXPECT_FALSE(page.bands[1].kind == BandKind::GroupHeader && page.bands[1].repeated);
        }
        for (const PlacedBand& band : page.bands)
            EXPECT_FALSE(band.repeated && band.group != 0);
    }
    EXPECT_GT(repeatedPages, 0);

    // Rows are all there once, and a report without the option repeats nothing.
    EXPECT_EQ(model.textsOf("detailNote").size(), 600);
    const PageModel plain = layoutReport(workersReport(), longTable(600, 60));
    for (const Page& page : plain.pages)
        for (const PlacedBand& band : page.bands)
            EXPECT_FALSE(band.repeated);
    EXPECT_EQ(plain.textsOf("fioHeader").size(), 10);
    EXPECT_EQ(model.textsOf("fioHeader").size(), 10 + repeatedPages);
}

TEST(EngineLayoutTest, WrappedTextGrowsItsBandAndPushesTheNextDown)
{
    ReportDefinition def;
    def.detail.height = 5;
    def.detail.addField({0, 0, 30, 5}, "nom").setName("nom").setWordWrap();
    def.detail.addField({40, 0, 20, 5}, "kolvo").setName("kolvo");
    TableSource data({"nom", "kolvo"}, {{"Короткое", 1},
                                        {"Очень длинное наименование изделия, которое не помещается в одну строку", 2},
                                        {"Ещё", 3}});
    const PageModel model = layoutReport(def, data);
    const Page& page = model.pages[0];
    ASSERT_EQ(page.bands.size(), 3);
    EXPECT_NEAR(page.bands[0].rect.height(), 5, kEps);
    EXPECT_GT(page.bands[1].rect.height(), 10);   // three lines or more at 9 pt in 30 mm
    EXPECT_NEAR(page.bands[2].rect.top(), page.bands[1].rect.bottom(), kEps);
    EXPECT_NEAR(page.bands[2].rect.height(), 5, kEps);

    const QStringList texts = page.textsOf("nom");
    EXPECT_FALSE(texts[0].contains('\n'));
    const QStringList lines = texts[1].split('\n');
    EXPECT_GE(lines.size(), 3);
    EXPECT_EQ(lines.join(' '), "Очень длинное наименование изделия, которое не помещается в одну строку");
    EXPECT_EQ(page.textsOf("kolvo"), QStringList({"1", "2", "3"}));
}

TEST(EngineLayoutTest, PageSetupShadingFramesAndLinesArePositionedInMillimetres)
{
    ReportDefinition def;
    def.page.orientation = PaperOrientation::Landscape;
    def.page.leftMargin = 20;
    def.page.topMargin = 15;
    def.reportHeader.height = 10;
    def.reportHeader.background = QColor(0xF4, 0xF4, 0xF4);
    def.reportHeader.addLabel({5, 2, 50, 6}, "Заголовок").setName("t").setFrame(AllSides, 0.3);
    def.reportHeader.addLine({0, 9}, {267, 9}, 0.5);
    def.reportHeader.addBox({100, 1, 20, 8}, QColor(0xDC, 0xDC, 0xDC), TopSide);

    const PageModel model = layoutReport(def, TableSource({"x"}));
    const Page& page = model.pages[0];
    EXPECT_EQ(page.size, QSizeF(297, 210));
    ASSERT_EQ(page.bands.size(), 1);
    EXPECT_EQ(page.bands[0].rect, QRectF(20, 15, 297 - 20 - 10, 10));

    ASSERT_EQ(page.texts.size(), 1);
    EXPECT_EQ(page.texts[0].rect, QRectF(25, 17, 50, 6));
    EXPECT_EQ(page.texts[0].text, "Заголовок");

    ASSERT_EQ(page.boxes.size(), 2);
    EXPECT_EQ(page.boxes[0].rect, QRectF(20, 15, 267, 10));
    EXPECT_EQ(page.boxes[0].fill, QColor(0xF4, 0xF4, 0xF4));
    EXPECT_EQ(page.boxes[1].rect, QRectF(120, 16, 20, 8));

    // Four sides of the label's frame, the ruled line, the box's top side.
    ASSERT_EQ(page.lines.size(), 6);
    QVector<QLineF> lines;
    for (const LinePrimitive& l : page.lines)
        lines << l.line;
    EXPECT_TRUE(lines.contains(QLineF(25, 17, 75, 17)));
    EXPECT_TRUE(lines.contains(QLineF(25, 23, 75, 23)));
    EXPECT_TRUE(lines.contains(QLineF(25, 17, 25, 23)));
    EXPECT_TRUE(lines.contains(QLineF(75, 17, 75, 23)));
    EXPECT_TRUE(lines.contains(QLineF(20, 24, 287, 24)));
    EXPECT_TRUE(lines.contains(QLineF(120, 16, 140, 16)));
    EXPECT_DOUBLE_EQ(page.lines[4].width, 0.5);
}

TEST(EngineLayoutTest, BandTallerThanAPageIsPlacedOnAFreshPageWithoutLooping)
{
    ReportDefinition def;
    def.reportHeader.height = 20;
    def.detail.height = 300;
    def.detail.addField({0, 0, 50, 5}, "x").setName("x");
    def.pageFooter.height = 5;
    def.pageFooter.addExpression({0, 0, 20, 5}, "PAGENUMBER").setName("page");
    const PageModel model = layoutReport(def, TableSource({"x"}, {{1}, {2}}));
    EXPECT_EQ(model.pageCount(), 3);
    EXPECT_EQ(model.textsOf("x"), QStringList({"1", "2"}));
    EXPECT_EQ(model.textsOf("page"), QStringList({"1", "2", "3"}));
}

TEST(EngineLayoutTest, DefinitionMistakesAreReported)
{
    ReportDefinition def = workersReport();
    def.detail.addField({0, 0, 10, 5}, "nosuchfield").setName("Broken");
    QString text = errorOf([&] { layoutReport(def, workersTable()); });
    EXPECT_TRUE(text.contains("Неизвестное поле \"nosuchfield\"")) << text.toStdString();
    EXPECT_TRUE(text.contains("Broken")) << text.toStdString();

    def = workersReport();
    def.findItem("total")->mask = "#0,0.0x";
    text = errorOf([&] { layoutReport(def, workersTable()); });
    EXPECT_TRUE(text.contains("Недопустимая маска числа")) << text.toStdString();

    def = workersReport();
    def.groups[1].expression = " ";
    text = errorOf([&] { layoutReport(def, workersTable()); });
    EXPECT_TRUE(text.contains("не задано выражение")) << text.toStdString();

    // A title set by name before laying out, as the report windows do.
    def = workersReport();
    def.findItem("title")->text = "Отчёт за март";
    EXPECT_EQ(layoutReport(def, workersTable()).textsOf("title"), QStringList({"Отчёт за март"}));
    EXPECT_EQ(def.findItem("nosuch"), nullptr);
}

TEST(EngineLayoutTest, GroupsFilledThroughTheirReferencesAfterMoreAreAdded)
{
    ReportDefinition def;
    Group& byWorker = def.addGroup("fio", "fio");
    Group& byProduct = def.addGroup("nom", "nom");
    for (int i = 0; i < 20; ++i)
        def.addGroup(QStringLiteral("extra%1").arg(i), "fio");
    def.groups.resize(2);
    // Filled only now, through the references the first calls answered.
    byWorker.header.height = 6;
    byWorker.header.addField({0, 0, 50, 6}, "fio").setName("fio");
    byWorker.footer.height = 6;
    byWorker.footer.addExpression({0, 0, 50, 6}, "SUM(summa)", "#0.00").setName("fioSum");
    byProduct.footer.height = 5;
    byProduct.footer.addExpression({0, 0, 50, 5}, "SUM(summa)", "#0.00").setName("nomSum");
    EXPECT_EQ(&def.groups[0], &byWorker);
    EXPECT_EQ(def.groups[0].name, "fio");

    const PageModel model = layoutReport(def, workersTable());
    EXPECT_EQ(model.textsOf("fio"), QStringList({"Иванов", "Петров"}));
    EXPECT_EQ(model.textsOf("nomSum"), QStringList({"30,75", "5,00", "8,13", "2,00"}));
    EXPECT_EQ(model.textsOf("fioSum"), QStringList({"35,75", "10,13"}));
}

TEST(EngineLayoutTest, SumsOfManyDecimalsPrintExactly)
{
    struct Case {
        QVector<double> values;
        int repeat;
        QString plain;    // default format
        QString masked;   // "#0.00"
    };
    const Case cases[] = {
        // Added in binary these printed 186600,000000029 and 4003860,00000024.
        {{18.66}, 10000, "186600", "186600,00"},
        {{1234.56, 0.07, 99.99}, 3000, "4003860", "4003860,00"},
        {{0.01}, 100000, "1000", "1000,00"},
        // Amounts that cancel out leave exactly the last one.
        {{0.3, -0.1, -0.2, 0.0055}, 1000, "5,5", "5,50"},
        {{0.3, -0.1, -0.2, 0.15, -0.15}, 1000, "0", "0,00"},
        {{-7830.98, 6809.22, 0.005}, 2000, "-2043510", "-2043510,00"},
        // Values of more decimals than a decimal sum holds, and one that
        // does not fit beside the others, still count.
        {{0.1234567}, 1000, "123,4567", "123,46"},
        {{9300000000000.0, 0.000001, 2}, 1, "9300000000002", "9300000000002,00"},
    };
    for (const Case& c : cases) {
        TableSource data({"v"});
        for (int r = 0; r < c.repeat; ++r) {
            for (double v : c.values)
                data.addRow({v});
        }
        ReportDefinition def;
        def.reportFooter.height = 5;
        def.reportFooter.addExpression({0, 0, 60, 5}, "SUM(v)").setName("plain");
        def.reportFooter.addExpression({60, 0, 60, 5}, "SUM(v)", "#0.00").setName("masked");
        const PageModel model = layoutReport(def, data);
        EXPECT_EQ(model.textsOf("plain"), QStringList({c.plain})) << c.repeat << " x " << c.values.size();
        EXPECT_EQ(model.textsOf("masked"), QStringList({c.masked})) << c.repeat << " x " << c.values.size();
    }
}

// Its time is measured by bench_reports, over real reports.
TEST(EngineLayoutTest, TenThousandRowsLayOutWithEveryPageNumbered)
{
    const TableSource data = longTable(10000, 25);
    const PageModel model = layoutReport(workersReport(), data);
    EXPECT_GT(model.pageCount(), 100);
    EXPECT_EQ(model.pages.last().textsOf("page"), QStringList({QString::number(model.pageCount())}));
    EXPECT_EQ(model.textsOf("total"), QStringList({"12500,00"}));
}

TEST(EngineLayoutTest, ContinuedMarksOnlyAHeaderRepeatedOnAContinuedPage)
{
    ReportDefinition def = workersReport();
    def.groups[0].repeatHeader = true;
    def.groups[0].header.addExpression({100, 0, 60, 7}, "IF(CONTINUED, 'продолжение', 'начало')").setName("mark");
    def.detail.addExpression({160, 0, 30, 5}, "CONTINUED").setName("detailMark");
    const PageModel model = layoutReport(def, longTable(300, 100));
    ASSERT_GT(model.pageCount(), 3);
    QStringList marks;
    for (const Page& page : model.pages) {
        for (const TextPrimitive& t : page.texts) {
            if (t.item != "mark")
                continue;
            // Every mark stands in a header band; "продолжение" only in a repeated one.
            const PlacedBand& band = page.bands[t.band];
            EXPECT_EQ(band.repeated, t.text == "продолжение") << "page " << page.number;
            marks << t.text;
        }
    }
    EXPECT_EQ(marks.count("начало"), 3);
    EXPECT_GE(marks.count("продолжение"), 2);
    EXPECT_EQ(marks.size(), model.textsOf("fioHeader").size());
    EXPECT_EQ(model.textsOf("detailMark"), QStringList(300, "0"));
}

TEST(EngineLayoutTest, PrintConditionLeavesABandOutButItsRowStillCounts)
{
    // Rows flagged 1 carry money for the footers only.
    const TableSource data({"fio", "flag", "summa", "note"}, {
                                                                {"Иванов", 0, 10.0, "a"},
                                                                {"Иванов", 1, 5.0, "b"},
                                                                {"Петров", 1, 7.0, "c"},
                                                            });
    ReportDefinition def;
    Group& g = def.addGroup("fio", "fio");
    g.header.height = 5;
    g.header.addField({0, 0, 50, 5}, "fio").setName("fio");
    g.footer.height = 5;
    g.footer.addExpression({0, 0, 50, 5}, "SUM(summa)", "#0.00").setName("sum");
    g.footer.addField({50, 0, 50, 5}, "note").setName("last");
    def.detail.height = 5;
    def.detail.printWhen = "flag = 0";
    def.detail.addField({0, 0, 50, 5}, "note").setName("note");
    def.reportFooter.height = 5;
    def.reportFooter.addExpression({0, 0, 50, 5}, "SUM(summa)", "#0.00").setName("total");
    const PageModel model = layoutReport(def, data);
    EXPECT_EQ(printOrder(model), QStringList({"fio=Иванов", "note=a", "sum=15,00", "last=b", "fio=Петров", "sum=7,00",
                                              "last=c", "total=22,00"}));

    def.detail.printWhen = "nosuchfield = 0";
    EXPECT_THROW(layoutReport(def, data), ReportError);
}

TEST(EngineLayoutTest, LongTextsAreCutAtTheirItemsEdgeOrWrappedWhereTheItemAllows)
{
    const QString longName = "Константинопольский-Многоименный Александр Вениаминович";
    const TableSource data({"name"}, {{longName}, {"Ян"}});
    ReportDefinition def;
    def.detail.height = 5;
    def.detail.addField({0, 0, 30, 5}, "name").setName("cut");
    def.detail.addField({35, 0, 40, 5}, "name").setName("wrapped").setWordWrap();
    // Reaches past the printable width (190 mm): cut at the paper's edge.
    def.detail.addField({170, 0, 60, 5}, "name").setName("edge");
    const PageModel model = layoutReport(def, data);

    const QStringList cut = model.textsOf("cut");
    ASSERT_EQ(cut.size(), 2);
    EXPECT_TRUE(cut[0].endsWith(QChar(0x2026))) << cut[0].toStdString();
    EXPECT_TRUE(longName.startsWith(cut[0].chopped(1))) << cut[0].toStdString();
    EXPECT_GT(cut[0].size(), 5);
    EXPECT_EQ(cut[1], "Ян");
    const QStringList edge = model.textsOf("edge");
    EXPECT_TRUE(edge[0].endsWith(QChar(0x2026)));
    EXPECT_LT(edge[0].size(), cut[0].size());
    // The wrapped copy keeps every word, on several lines.
    const QStringList wrapped = model.textsOf("wrapped");
    EXPECT_GT(wrapped[0].count('\n'), 0);
    EXPECT_EQ(wrapped[0].simplified().remove(' '), QString(longName).remove(' '));
    EXPECT_EQ(wrapped[1], "Ян");

    // Painted, nothing of the cut text lies right of its item, 10 mm
    // margin + 30 mm, nor of the edge text past the printable width.
    const double perMm = 8;
    QImage image(int(210 * perMm), int(297 * perMm), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintPage(painter, model.pages[0], perMm, perMm);
    }
    auto inkIn = [&](double fromMm, double toMm, const QRectF& rowMm) {
        int ink = 0;
        for (int y = int(rowMm.top() * perMm); y < int(rowMm.bottom() * perMm); ++y) {
            for (int x = int(fromMm * perMm); x < int(toMm * perMm); ++x)
                ink += qGray(image.pixel(x, y)) < 160;
        }
        return ink;
    };
    const QRectF firstRow = model.pages[0].bands[0].rect;
    EXPECT_GT(inkIn(10, 40, firstRow), 50);
    EXPECT_GT(inkIn(180, 200, firstRow), 50);
    EXPECT_EQ(inkIn(200.2, 210, firstRow), 0);
    // Between the cut item's edge and the wrapped item.
    EXPECT_EQ(inkIn(40.2, 44.8, firstRow), 0);
}
