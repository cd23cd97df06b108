#include "reports/engine/Workbook.h"
#include "tests/reports/XlsxReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

class WorkbookTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    QTemporaryDir dir;
};

} // namespace

TEST_F(WorkbookTest, CellsWrittenInAnyOrderAllReachTheFile)
{
    Workbook book;
    ASSERT_EQ(book.sheetCount(), 1);
    Sheet& first = *book.sheet(0);
    Sheet& totals = book.addSheet("Итоги");
    // Rows out of order, a row going back to an earlier column, overwrites.
    first.setText(9, 2, "последняя");
    first.setNumber(0, 0, 1);
    first.setText(4, 5, "середина");
    first.setText(4, 1, "раньше в строке");
    first.setText(0, 1, "сначала текст");
    first.setNumber(0, 1, 2.5);         // the last write is kept
    first.setNumber(2, 0, -7);
    first.setText(2, 0, "потом текст");
    totals.setNumber(0, 0, 100);
    book.save(path("order.xlsx"));

    XlsxReader r(path("order.xlsx"));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.sheetNames(), QStringList({"Лист1", "Итоги"}));
    struct Case {
        const char* ref;
        bool isText;
        QString text;
        double number;
    };
    const Case cases[] = {
        {"C10", true, "последняя", 0}, {"A1", false, {}, 1},     {"F5", true, "середина", 0},
        {"B5", true, "раньше в строке", 0}, {"B1", false, {}, 2.5}, {"A3", true, "потом текст", 0},
    };
    for (const Case& c : cases) {
        const auto cell = r.cell(1, c.ref);
        ASSERT_TRUE(cell) << c.ref;
        EXPECT_EQ(cell->isText, c.isText) << c.ref;
        if (c.isText)
            EXPECT_EQ(cell->text, c.text) << c.ref;
        else
            EXPECT_DOUBLE_EQ(cell->number, c.number) << c.ref;
    }
    EXPECT_EQ(r.cellCount(1), 6);
    ASSERT_TRUE(r.cell(2, "A1"));
    EXPECT_DOUBLE_EQ(r.cell(2, "A1")->number, 100);
    EXPECT_EQ(r.cellCount(2), 1);
}

TEST_F(WorkbookTest, TextsComeBackAsWritten)
{
    const QString texts[] = {
        "Покраска корпуса",
        "007",
        "12,50",
        "  пробелы по краям  ",
        "<b>&amp; \"кавычки\" 'и' ></b>",
        "две\nстроки",
        "таб\tуляция",
        "управляющий\x01символ",
        QString::fromUtf8("знак \xF0\x9F\x98\x80 вне BMP"),
        "_x0041_ и _x005F_ как набраны",
        QString(Sheet::MaxTextLength, QChar(u'ж')),
    };
    Workbook book;
    int row = 0;
    for (const QString& t : texts)
        book.sheet(0)->setText(row++, 0, t);
    book.save(path("texts.xlsx"));

    XlsxReader r(path("texts.xlsx"));
    row = 1;
    for (const QString& t : texts) {
        const auto cell = r.cell(1, cellRef(1, row++));
        ASSERT_TRUE(cell) << t.left(40).toStdString();
        EXPECT_TRUE(cell->isText);
        EXPECT_EQ(cell->text, t) << t.left(40).toStdString();
    }
}

TEST_F(WorkbookTest, FormatsAndFittedWidthsReachTheFile)
{
    Workbook book;
    Sheet& s = *book.sheet(0);
    s.setText(0, 0, "Табельный №");
    s.setBold(0, 0, true);
    s.setTextFormat(1, 0, true);
    s.setText(1, 0, "00042");
    s.setTextFormat(2, 0, true);
    s.setBold(2, 0, true);
    s.setNumber(2, 0, 5);
    s.setBold(3, 0, true);            // a format on a cell without a value
    s.setText(0, 1, "короткий");
    s.setText(1, 1, "гораздо более длинный текст этой колонки");
    s.setText(0, 2, "не подогнан, хотя и очень длинный текст");
    s.fitColumn(0);
    s.fitColumn(1);
    s.fitColumn(4);                   // fitted, but nothing in it
    book.save(path("formats.xlsx"));

    XlsxReader r(path("formats.xlsx"));
    struct Case {
        const char* ref;
        bool textFormat;
        bool bold;
    };
    for (const Case& c : {Case{"A1", false, true}, Case{"A2", true, false}, Case{"A3", true, true},
                          Case{"B1", false, false}}) {
        const auto cell = r.cell(1, c.ref);
        ASSERT_TRUE(cell) << c.ref;
        EXPECT_EQ(cell->textFormat, c.textFormat) << c.ref;
        EXPECT_EQ(cell->bold, c.bold) << c.ref;
    }
    EXPECT_EQ(r.cell(1, "A2")->text, "00042");
    ASSERT_TRUE(r.cell(1, "A4"));
    EXPECT_TRUE(r.cell(1, "A4")->blank);
    EXPECT_TRUE(r.cell(1, "A4")->bold);

    ASSERT_TRUE(r.columnWidth(1, 1));
    ASSERT_TRUE(r.columnWidth(1, 2));
    EXPECT_NEAR(*r.columnWidth(1, 1), storedWidth(s.fittedWidth(0)), 1.0 / 256);
    EXPECT_NEAR(*r.columnWidth(1, 2), storedWidth(s.fittedWidth(1)), 1.0 / 256);
    EXPECT_GT(*r.columnWidth(1, 2), 35.0);      // the long text fits
    EXPECT_GT(*r.columnWidth(1, 2), *r.columnWidth(1, 1));
    EXPECT_FALSE(r.columnWidth(1, 3));          // not fitted: default width
    ASSERT_TRUE(r.columnWidth(1, 5));
    EXPECT_NEAR(*r.columnWidth(1, 5), storedWidth(Sheet::DefaultColumnWidth), 1.0 / 256);
}

TEST_F(WorkbookTest, WidthEstimate)
{
    const double plain = Sheet::estimateWidth("Сборка узла", false);
    EXPECT_GT(plain, 11.0);
    EXPECT_GT(Sheet::estimateWidth("Сборка узла", true), plain);
    EXPECT_GT(Sheet::estimateWidth("Сборка узла и покраска", false), plain);
    // The longest line of a text on several lines decides.
    EXPECT_DOUBLE_EQ(Sheet::estimateWidth("Сборка\nузла и покраска", false),
                     Sheet::estimateWidth("узла и покраска", false));
    EXPECT_DOUBLE_EQ(Sheet::estimateWidth(QString(5000, QChar(u'Ш')), false), 255.0);

    Sheet s("Лист1");
    s.setNumber(0, 0, 1234567.25);
    s.setText(1, 0, "12");
    EXPECT_DOUBLE_EQ(s.fittedWidth(0), Sheet::estimateWidth("1234567.25", false));
    EXPECT_DOUBLE_EQ(s.fittedWidth(3), Sheet::DefaultColumnWidth);
}

TEST_F(WorkbookTest, RefusesWhatAWorkbookCannotHold)
{
    Sheet s("Лист1");
    EXPECT_THROW(s.setText(0, 0, QString(Sheet::MaxTextLength + 1, QChar(u'a'))), WorkbookError);
    EXPECT_THROW(s.setNumber(0, 0, std::numeric_limits<double>::quiet_NaN()), WorkbookError);
    EXPECT_THROW(s.setNumber(0, 0, std::numeric_limits<double>::infinity()), WorkbookError);
    EXPECT_THROW(s.setText(-1, 0, "x"), WorkbookError);
    EXPECT_THROW(s.setText(0, Sheet::MaxColumns, "x"), WorkbookError);
    EXPECT_THROW(s.setBold(Sheet::MaxRows, 0, true), WorkbookError);
    EXPECT_NO_THROW(s.setText(Sheet::MaxRows - 1, Sheet::MaxColumns - 1, "угол"));
    EXPECT_EQ(s.cellCount(), 1);   // nothing refused left a cell behind

    Workbook badName;
    badName.addSheet("Цены/Нормы");
    EXPECT_THROW(badName.save(path("bad-name.xlsx")), WorkbookError);
    EXPECT_FALSE(QFile::exists(path("bad-name.xlsx")));

    Workbook book;
    book.sheet(0)->setText(0, 0, "x");
    try {
        book.save(path("missing/folder/book.xlsx"));
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const WorkbookError& e) {
        EXPECT_FALSE(e.text().isEmpty());
    }
}
