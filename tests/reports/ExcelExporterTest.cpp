#include "widgets/ExcelExporter.h"
#include "tests/reports/XlsxReader.h"
#include "tests/support/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

namespace {

const QString kBadSheet = "Ошибочный номер листа Microsoft Excel";
const QString kExcelError = "Ошибка Microsoft Excel";

// An exporter writing into a temporary folder at a fixed time; the files
// it would open are recorded instead of being opened.
class ExcelExporterTest : public ::testing::Test {
protected:
    ExcelExporterTest()
    {
        exporter.setExportFolder(dir.path());
        exporter.setClock([this] { return now; });
        exporter.setOpener([this](const QString& file) {
            opened << file;
            return openerFinds;
        });
    }

    QString file(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QStringList filesInFolder() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }

    XlsxReader written()
    {
        EXPECT_EQ(exporter.SetVisible(true), 1);
        EXPECT_FALSE(opened.isEmpty());
        return XlsxReader(opened.isEmpty() ? QString() : opened.last());
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    ExcelExporter exporter{dialogs};
    QDateTime now{QDate(2026, 12, 10), QTime(10, 15, 30)};
    QStringList opened;
    bool openerFinds = true;
};

} // namespace

TEST_F(ExcelExporterTest, CellsAreTextOrNumbersAsPassed)
{
    ASSERT_EQ(exporter.Open(QString(), "Цены операций"), 1);
    EXPECT_EQ(exporter.WriteCell(1, 1, 1, "Операция"), 1);
    EXPECT_EQ(exporter.WriteCell(1, 2, 1, "Цена"), 1);
    EXPECT_EQ(exporter.WriteCell(1, 1, 2, "Сверловка Ø5"), 1);
    EXPECT_EQ(exporter.WriteCell(1, 2, 2, 12.3457), 1);
    EXPECT_EQ(exporter.WriteCell(1, 3, 2, 240), 1);
    EXPECT_EQ(exporter.WriteCell(1, 4, 2, "0042"), 1);    // text stays text, zeros kept
    EXPECT_EQ(exporter.WriteCell(1, 5, 2, "12,5"), 1);
    EXPECT_EQ(exporter.WriteCell(1, 6, 2, -0.0312), 1);
    // Texts that read as numbers become numbers, so that a sum over them
    // in the spreadsheet adds them up; codes, units and grouped digits stay text.
    EXPECT_EQ(exporter.WriteCell(1, 1, 3, "-3"), 1);
    EXPECT_EQ(exporter.WriteCell(1, 2, 3, "1.25"), 1);
    EXPECT_EQ(exporter.WriteCell(1, 3, 3, "0,5"), 1);
    EXPECT_EQ(exporter.WriteCell(1, 4, 3, "1 000"), 1);
    EXPECT_EQ(exporter.WriteCell(1, 5, 3, "12 кг"), 1);
    EXPECT_EQ(exporter.WriteCell(1, 6, 3, "1234567890123456"), 1);   // more digits than a number keeps
    EXPECT_EQ(exporter.WriteCell(1, 7, 3, "1e5"), 1);

    XlsxReader r = written();
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(opened, QStringList{file("Цены операций 2026-12-10 10-15-30.xlsx")});
    EXPECT_EQ(r.sheetNames(), QStringList{"Лист1"});
    struct Case {
        const char* ref;
        bool isText;
        QString text;
        double number;
    };
    const Case cases[] = {
        {"A1", true, "Операция", 0},  {"B1", true, "Цена", 0}, {"A2", true, "Сверловка Ø5", 0},
        {"B2", false, {}, 12.3457},   {"C2", false, {}, 240},  {"D2", true, "0042", 0},
        {"E2", false, {}, 12.5},      {"F2", false, {}, -0.0312},
        {"A3", false, {}, -3},        {"B3", false, {}, 1.25}, {"C3", false, {}, 0.5},
        {"D3", true, "1 000", 0},     {"E3", true, "12 кг", 0}, {"F3", true, "1234567890123456", 0},
        {"G3", true, "1e5", 0},
    };
    for (const Case& c : cases) {
        const auto cell = r.cell(1, c.ref);
        ASSERT_TRUE(cell) << c.ref;
        EXPECT_EQ(cell->isText, c.isText) << c.ref;
        EXPECT_EQ(cell->text, c.text) << c.ref;
        EXPECT_DOUBLE_EQ(cell->number, c.number) << c.ref;
        EXPECT_FALSE(cell->bold) << c.ref;
        EXPECT_FALSE(cell->textFormat) << c.ref;
    }
    EXPECT_EQ(r.cellCount(1), 15);
    EXPECT_FALSE(r.columnWidth(1, 1));   // the plain write does not fit columns
    EXPECT_TRUE(dialogs.shownBoxes().isEmpty());
}

TEST_F(ExcelExporterTest, FormattedWriteSetsTextFormatFitAndBold)
{
    ASSERT_EQ(exporter.Open(QString()), 1);
    EXPECT_EQ(exporter.SetVisible(false), 1);
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(filesInFolder().isEmpty());   // hidden while it is filled

    EXPECT_EQ(exporter.WriteCellFormatted(1, 1, 1, "Табельный номер работника", true, true, true), 1);
    EXPECT_EQ(exporter.WriteCellFormatted(1, 1, 2, "007", true, true, false), 1);
    EXPECT_EQ(exporter.WriteCellFormatted(1, 2, 2, 7.5, false, true, false), 1);
    EXPECT_EQ(exporter.WriteCellFormatted(1, 3, 2, 7.5, true, false, false), 1);
    EXPECT_EQ(exporter.WriteCellFormatted(1, 5, 2, "8,25", false, true, false), 1);
    EXPECT_EQ(exporter.WriteCellFormatted(1, 6, 2, "8,25", true, false, false), 1);
    // Bold on, then off again by the next formatted write of the cell.
    EXPECT_EQ(exporter.WriteCellFormatted(1, 2, 3, "итого", false, false, true), 1);
    EXPECT_EQ(exporter.WriteCellFormatted(1, 2, 3, "итого", false, false, false), 1);
    // A plain write over a formatted cell keeps its format.
    EXPECT_EQ(exporter.WriteCellFormatted(1, 4, 1, "заголовок", true, false, true), 1);
    EXPECT_EQ(exporter.WriteCell(1, 4, 1, "0100"), 1);

    XlsxReader r = written();
    EXPECT_EQ(opened, QStringList{file("Книга 2026-12-10 10-15-30.xlsx")});
    struct Case {
        const char* ref;
        bool isText;
        QString text;
        double number;
        bool textFormat;
        bool bold;
    };
    const Case cases[] = {
        {"A1", true, "Табельный номер работника", 0, true, true},
        {"A2", true, "007", 0, true, false},
        {"B2", false, {}, 7.5, false, false},
        {"C2", true, "7,5", 0, true, false},   // a number written as text reads as the program shows it
        {"E2", false, {}, 8.25, false, false},  // a numeric text not as text: a number
        {"F2", true, "8,25", 0, true, false},   // the same as text: text with "@"
        {"B3", true, "итого", 0, false, false},
        {"D1", true, "0100", 0, true, true},
    };
    for (const Case& c : cases) {
        const auto cell = r.cell(1, c.ref);
        ASSERT_TRUE(cell) << c.ref;
        EXPECT_EQ(cell->isText, c.isText) << c.ref;
        EXPECT_EQ(cell->text, c.text) << c.ref;
        EXPECT_DOUBLE_EQ(cell->number, c.number) << c.ref;
        EXPECT_EQ(cell->textFormat, c.textFormat) << c.ref;
        EXPECT_EQ(cell->bold, c.bold) << c.ref;
    }
    // A fitted column is as wide as its longest content, whichever write
    // put it there; the others keep the default width.
    ASSERT_TRUE(r.columnWidth(1, 1));
    EXPECT_GE(*r.columnWidth(1, 1), 25.0);
    ASSERT_TRUE(r.columnWidth(1, 2));
    EXPECT_NEAR(*r.columnWidth(1, 2), storedWidth(Sheet::estimateWidth("итого", false)), 1.0 / 256);
    EXPECT_LT(*r.columnWidth(1, 2), *r.columnWidth(1, 1));
    EXPECT_FALSE(r.columnWidth(1, 3));
    EXPECT_FALSE(r.columnWidth(1, 4));
}

TEST_F(ExcelExporterTest, EmptyTextLeavesTheCellUntouched)
{
    ASSERT_EQ(exporter.Open(QString()), 1);
    ASSERT_EQ(exporter.WriteCellFormatted(1, 1, 1, "0123", true, false, true), 1);
    // Nothing is written, formatted, fitted or refused for an empty text,
    // not even on a sheet that does not exist.
    EXPECT_EQ(exporter.WriteCell(1, 1, 1, ""), 1);
    EXPECT_EQ(exporter.WriteCellFormatted(1, 1, 1, QString(), false, true, false), 1);
    EXPECT_EQ(exporter.WriteCellFormatted(1, 2, 1, "", true, true, true), 1);
    EXPECT_EQ(exporter.WriteCell(7, 1, 1, ""), 1);
    EXPECT_EQ(exporter.WriteCellFormatted(0, 0, 0, "", true, true, true), 1);

    XlsxReader r = written();
    const auto a1 = r.cell(1, "A1");
    ASSERT_TRUE(a1);
    EXPECT_TRUE(a1->isText);
    EXPECT_EQ(a1->text, "0123");
    EXPECT_TRUE(a1->textFormat);
    EXPECT_TRUE(a1->bold);
    EXPECT_FALSE(r.cell(1, "B1"));
    EXPECT_EQ(r.cellCount(1), 1);
    EXPECT_FALSE(r.columnWidth(1, 1));
    EXPECT_FALSE(r.columnWidth(1, 2));
    EXPECT_TRUE(dialogs.shownBoxes().isEmpty());
}

TEST_F(ExcelExporterTest, RefusedWritesShowTheirBoxAndWriteNothing)
{
    struct Case {
        int sheet, column, row;
        QString text;
        double number;   // written when the text is null
        QString caption;
    };
    const QString tooLong(32768, QChar(u'ж'));
    const Case cases[] = {
        {2, 3, 4, "x", 0, kBadSheet},
        {0, 1, 1, "x", 0, kBadSheet},
        {-1, 1, 1, {}, 5, kBadSheet},
        {1, 0, 1, "x", 0, kExcelError},
        {1, 1, 0, {}, 5, kExcelError},
        {1, 16385, 1, "x", 0, kExcelError},
        {1, 1, 1048577, "x", 0, kExcelError},
        {1, 2, 3, tooLong, 0, kExcelError},
        {1, 2, 3, {}, std::numeric_limits<double>::quiet_NaN(), kExcelError},
    };
    // Before any Open there is no sheet to write to.
    dialogs.expectBox(MessageKind::Error, "Ошибка при записи: лист 1, столбец 2, строка 3", QMessageBox::Ok, kBadSheet);
    EXPECT_EQ(exporter.WriteCell(1, 2, 3, "рано"), -1);
    dialogs.expectBox(MessageKind::Error, "Ошибка при записи: лист 1, столбец 2, строка 3", QMessageBox::Ok, kBadSheet);
    EXPECT_EQ(exporter.WriteCellFormatted(1, 2, 3, "рано", true, true, true), -1);

    ASSERT_EQ(exporter.Open(QString()), 1);
    for (const Case& c : cases) {
        for (bool formatted : {false, true}) {
            const QString text = QStringLiteral("Ошибка при записи: лист %1, столбец %2, строка %3")
                                     .arg(c.sheet)
                                     .arg(c.column)
                                     .arg(c.row);
            dialogs.expectBox(MessageKind::Error, text, QMessageBox::Ok, c.caption);
            int result = 0;
            if (c.text.isNull())
                result = formatted ? exporter.WriteCellFormatted(c.sheet, c.column, c.row, c.number, true, true, true)
                                   : exporter.WriteCell(c.sheet, c.column, c.row, c.number);
            else
                result = formatted ? exporter.WriteCellFormatted(c.sheet, c.column, c.row, c.text, false, true, true)
                                   : exporter.WriteCell(c.sheet, c.column, c.row, c.text);
            EXPECT_EQ(result, -1) << text.toStdString() << (formatted ? " formatted" : " plain");
            ASSERT_FALSE(dialogs.shownBoxes().isEmpty());
            EXPECT_EQ(dialogs.shownBoxes().last().caption, c.caption) << text.toStdString();
        }
    }
    dialogs.verify();
    EXPECT_EQ(exporter.WriteCell(1, 16384, 1048576, "угол"), 1);   // the last cell of a sheet is fine

    XlsxReader r = written();
    EXPECT_EQ(r.cellCount(1), 1);   // only the corner
    ASSERT_TRUE(r.cell(1, "XFD1048576"));
    EXPECT_EQ(r.cell(1, "XFD1048576")->text, "угол");
    EXPECT_FALSE(r.columnWidth(1, 2));
}

TEST_F(ExcelExporterTest, OpenAndVisibilityEdges)
{
    // No workbook yet: nothing happens, nothing is written.
    EXPECT_EQ(exporter.SetVisible(true), 1);
    EXPECT_EQ(exporter.SetVisible(false), 1);
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(filesInFolder().isEmpty());

    // An existing file cannot be opened into the workbook.
    dialogs.expectBox(MessageKind::Error, "Ошибка открытия файла Microsoft Excel.", QMessageBox::Ok, "Ошибка");
    EXPECT_EQ(exporter.Open(file("старая.xlsx")), -1);
    dialogs.verify();
    EXPECT_EQ(exporter.workbook(), nullptr);

    // A later Open starts a new, empty workbook.
    ASSERT_EQ(exporter.Open(QString(), "Первая"), 1);
    ASSERT_EQ(exporter.WriteCell(1, 1, 1, "из первой"), 1);
    ASSERT_EQ(exporter.Open(QString(), "Вторая"), 1);
    ASSERT_EQ(exporter.WriteCell(1, 2, 2, "из второй"), 1);
    XlsxReader r = written();
    EXPECT_EQ(QFileInfo(opened.last()).fileName(), "Вторая 2026-12-10 10-15-30.xlsx");
    EXPECT_FALSE(r.cell(1, "A1"));
    ASSERT_TRUE(r.cell(1, "B2"));
    EXPECT_EQ(r.cell(1, "B2")->text, "из второй");
    EXPECT_EQ(filesInFolder().size(), 1);
}

TEST_F(ExcelExporterTest, NeverWritesOverAnEarlierExport)
{
    const QString first = "Сводка 2026-12-10 10-15-30.xlsx";
    // Another copy of the program already took the third name.
    QFile taken(file("Сводка 2026-12-10 10-15-30 (3).xlsx"));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.write("чужой файл");
    taken.close();

    QStringList values;
    for (int run = 1; run <= 3; ++run) {
        ASSERT_EQ(exporter.Open(QString(), "Сводка"), 1);
        ASSERT_EQ(exporter.WriteCell(1, 1, 1, QStringLiteral("выгрузка %1").arg(run)), 1);
        ASSERT_EQ(exporter.SetVisible(true), 1);
        EXPECT_EQ(exporter.lastFile(), opened.last());
    }
    EXPECT_EQ(opened, QStringList({file(first), file("Сводка 2026-12-10 10-15-30 (2).xlsx"),
                                   file("Сводка 2026-12-10 10-15-30 (4).xlsx")}));
    for (int run = 1; run <= 3; ++run) {
        XlsxReader r(opened.at(run - 1));
        ASSERT_TRUE(r.cell(1, "A1"));
        EXPECT_EQ(r.cell(1, "A1")->text, QStringLiteral("выгрузка %1").arg(run));
    }
    ASSERT_TRUE(taken.open(QIODevice::ReadOnly));
    EXPECT_EQ(taken.readAll(), QByteArray("чужой файл"));

    // Shown again unchanged: no new file. Changed after it was shown: a new
    // file, the one already handed over stays as it was.
    EXPECT_EQ(exporter.SetVisible(true), 1);
    EXPECT_EQ(opened.size(), 3);
    ASSERT_EQ(exporter.WriteCell(1, 1, 2, "дописано"), 1);
    now = now.addSecs(1);
    XlsxReader again = written();
    EXPECT_EQ(QFileInfo(opened.last()).fileName(), "Сводка 2026-12-10 10-15-31.xlsx");
    ASSERT_TRUE(again.cell(1, "A2"));
    EXPECT_FALSE(XlsxReader(opened.at(2)).cell(1, "A2"));
    EXPECT_EQ(filesInFolder().size(), 5);
}

TEST_F(ExcelExporterTest, FileNamesAreSafe)
{
    const QDateTime t(QDate(2027, 1, 2), QTime(3, 4, 5));
    struct Case {
        QString name;
        QString expected;
    };
    const Case cases[] = {
        {"Цены", "Цены 2027-01-02 03-04-05"},
        {"Табель: смена 1/2", "Табель_ смена 1_2 2027-01-02 03-04-05"},
        {"../../etc/passwd", "_.._etc_passwd 2027-01-02 03-04-05"},
        {"  ", "Книга 2027-01-02 03-04-05"},
        {"a*b?c\"d<e>f|g\\h\ti", "a_b_c_d_e_f_g_h i 2027-01-02 03-04-05"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExcelExporter::baseFileName(c.name, t), c.expected) << c.name.toStdString();

    ASSERT_EQ(exporter.Open(QString(), "../за пределы"), 1);
    ASSERT_EQ(exporter.SetVisible(true), 1);
    EXPECT_EQ(filesInFolder(), QStringList{"_за пределы 2026-12-10 10-15-30.xlsx"});
}

TEST_F(ExcelExporterTest, WithNothingToOpenTheUserIsToldWhereTheFileIs)
{
    openerFinds = false;
    const QString expected = file("Цены 2026-12-10 10-15-30.xlsx");
    dialogs.expectBox(MessageKind::Information,
                      "Не найдена программа для открытия книг Excel.\nКнига сохранена в файл:\n"
                          + QDir::toNativeSeparators(expected));
    ASSERT_EQ(exporter.Open(QString(), "Цены"), 1);
    ASSERT_EQ(exporter.WriteCell(1, 1, 1, "есть"), 1);
    EXPECT_EQ(exporter.SetVisible(true), 1);
    dialogs.verify();
    EXPECT_TRUE(QFile::exists(expected));
    EXPECT_EQ(exporter.lastFile(), expected);
}

TEST_F(ExcelExporterTest, ExportFolderIsCreatedAndCanComeFromTheEnvironment)
{
    const QString nested = file("Документы/Экспорт");
    qputenv("PW_EXPORT_DIR", nested.toUtf8());
    ExcelExporter fromEnvironment(dialogs);
    fromEnvironment.setClock([this] { return now; });
    fromEnvironment.setOpener([this](const QString& f) {
        opened << f;
        return true;
    });
    EXPECT_EQ(fromEnvironment.exportFolder(), nested);
    ASSERT_EQ(fromEnvironment.Open(QString(), "Цены"), 1);
    EXPECT_EQ(fromEnvironment.SetVisible(true), 1);
    qunsetenv("PW_EXPORT_DIR");
    EXPECT_EQ(opened, QStringList{QDir(nested).filePath("Цены 2026-12-10 10-15-30.xlsx")});
    EXPECT_TRUE(QFile::exists(opened.last()));
    EXPECT_TRUE(ExcelExporter::defaultExportFolder().endsWith("/Экспорт"));
    EXPECT_EQ(fromEnvironment.exportFolder(), ExcelExporter::defaultExportFolder());
}

TEST_F(ExcelExporterTest, AFolderThatCannotBeMadeIsAFailure)
{
    QFile blocker(file("занято"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString folder = file("занято/Экспорт");
    exporter.setExportFolder(folder);
    ASSERT_EQ(exporter.Open(QString(), "Цены"), 1);
    ASSERT_EQ(exporter.WriteCell(1, 1, 1, "x"), 1);
    dialogs.expectBox(MessageKind::Error,
                      "Не удалось сохранить книгу Excel в папку " + QDir::toNativeSeparators(folder)
                          + ":\nпапку не удалось создать",
                      QMessageBox::Ok, kExcelError);
    EXPECT_EQ(exporter.SetVisible(true), -1);
    dialogs.verify();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(exporter.lastFile().isEmpty());

    // Once the folder can be used, the same workbook is written.
    exporter.setExportFolder(dir.path());
    XlsxReader r = written();
    ASSERT_TRUE(r.cell(1, "A1"));
}

// Its time is measured by bench_entry (the price list of 10,000 operations).
TEST_F(ExcelExporterTest, TenThousandRowsOfSixColumns)
{
    ASSERT_EQ(exporter.Open(QString(), "Цены"), 1);
    const char* titles[] = {"Код", "Операция", "Вид", "Изделие", "Цена", "Норм"};
    for (int c = 0; c < 6; ++c)
        exporter.WriteCell(1, c + 1, 1, titles[c]);
    for (int i = 1; i <= 10000; ++i) {
        const int row = i + 1;
        exporter.WriteCell(1, 1, row, i);
        exporter.WriteCell(1, 2, row, QStringLiteral("Операция номер %1").arg(i));
        exporter.WriteCell(1, 3, row, QStringLiteral("Вид %1").arg(i % 17));
        exporter.WriteCell(1, 4, row, QStringLiteral("Изделие %1").arg(i % 251));
        exporter.WriteCell(1, 5, row, i * 0.25);
        exporter.WriteCell(1, 6, row, i % 3 + 1);
    }
    ASSERT_EQ(exporter.SetVisible(true), 1);

    XlsxReader r(opened.last());
    EXPECT_EQ(r.cellCount(1), 6 * 10001);
    ASSERT_TRUE(r.cell(1, "B10001"));
    EXPECT_EQ(r.cell(1, "B10001")->text, "Операция номер 10000");
    EXPECT_DOUBLE_EQ(r.cell(1, "E10001")->number, 2500.0);
    EXPECT_DOUBLE_EQ(r.cell(1, "A2")->number, 1.0);
}

// The command line's file writer and the exporter put every value into a
// cell by the same rules: the same writes give the same cells. Where the
// exporter shows a box and answers -1, the file writer stops with the cell.
TEST_F(ExcelExporterTest, TheFileWriterMakesTheSameCellsAsTheExporter)
{
    ASSERT_EQ(exporter.Open(QString(), "Сравнение"), 1);
    WorkbookWriter plain;
    const auto both = [&](const std::function<int(CellWriter&)>& write) {
        EXPECT_EQ(write(exporter), 1);
        EXPECT_EQ(write(plain), 1);
    };
    both([](CellWriter& w) { return w.WriteCell(1, 1, 1, QStringLiteral("Иванов И.И.")); });
    both([](CellWriter& w) { return w.WriteCell(1, 2, 1, QStringLiteral("12,5")); });
    both([](CellWriter& w) { return w.WriteCell(1, 3, 1, QStringLiteral("-3")); });
    both([](CellWriter& w) { return w.WriteCell(1, 4, 1, QStringLiteral("0042")); });
    both([](CellWriter& w) { return w.WriteCell(1, 5, 1, QStringLiteral("1 000")); });
    both([](CellWriter& w) { return w.WriteCell(1, 6, 1, QString()); });
    both([](CellWriter& w) { return w.WriteCell(1, 7, 1, 2400.5); });
    both([](CellWriter& w) { return w.WriteCellFormatted(1, 1, 2, QStringLiteral("12,5"), true, true, true); });
    both([](CellWriter& w) { return w.WriteCellFormatted(1, 2, 2, 3.95, true, false, false); });
    both([](CellWriter& w) { return w.WriteCellFormatted(1, 3, 2, 31.0, false, true, true); });
    // A plain write over a cell of the text format keeps a number's text.
    both([](CellWriter& w) { return w.WriteCell(1, 1, 2, QStringLiteral("7")); });

    const auto cells = [](const Workbook& book) {
        QStringList out;
        book.sheet(0)->forEachCell([&](int row, int column, const Cell& c) {
            out << QStringLiteral("%1,%2:%3|%4|%5|%6|%7")
                       .arg(row)
                       .arg(column)
                       .arg(int(c.kind))
                       .arg(c.text)
                       .arg(c.number)
                       .arg(c.textFormat)
                       .arg(c.bold);
        });
        for (int column : book.sheet(0)->fittedColumns())
            out << QStringLiteral("fit %1").arg(column);
        return out;
    };
    ASSERT_NE(exporter.workbook(), nullptr);
    const QStringList written = cells(plain.workbook());
    EXPECT_EQ(written, cells(*exporter.workbook()));
    EXPECT_TRUE(written.contains("0,1:2||12.5|0|0")) << written.join('\n').toStdString();
    EXPECT_TRUE(written.contains("0,3:1|0042|0|0|0")) << written.join('\n').toStdString();
    EXPECT_TRUE(written.contains("1,0:1|7|0|1|1")) << written.join('\n').toStdString();
    EXPECT_TRUE(written.contains("1,1:1|3,95|0|1|0")) << written.join('\n').toStdString();

    dialogs.expectBox(MessageKind::Error, "Ошибка при записи: лист 1, столбец 0, строка 1", QMessageBox::Ok, kExcelError);
    EXPECT_EQ(exporter.WriteCell(1, 0, 1, QStringLiteral("x")), -1);
    try {
        plain.WriteCell(1, 0, 1, QStringLiteral("x"));
        ADD_FAILURE() << "a cell outside the sheet was written";
    } catch (const WorkbookError& e) {
        EXPECT_EQ(e.text(), "Ошибка при записи: лист 1, столбец 0, строка 1");
    }
    EXPECT_THROW(plain.WriteCell(2, 1, 1, 1.0), WorkbookError);
    EXPECT_EQ(cells(plain.workbook()), written);
}
