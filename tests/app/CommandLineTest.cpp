// The month's work from the command line, run as the real program in a
// process of its own with no display: the month check's lines and exit
// status, the summary reports and the timesheets written to files and read
// back beside what the windows themselves give, and the arguments refused.
#include "app/CommandLine.h"
#include "app/WindowOwner.h"
#include "db/TDataModule6.h"
#include "reports/TForm18.h"
#include "tests/reports/SummaryFixture.h"
#include "tests/reports/XlsxReader.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TestApp.h"
#include "tests/timesheets/MonthEndFixture.h"
#include "timesheets/TForm19.h"
#include "timesheets/TForm27.h"
#include "timesheets/MonthCheckWindow.h"
#include "widgets/ExcelExporter.h"

#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// The program with `arguments`, without a display or a Qt platform;
// `language` replaces the run's language settings (see runProgram).
ProgramRun runPiecework(const QStringList& arguments, const std::optional<QStringList>& language = std::nullopt)
{
    return runProgram(QStringLiteral(PW_PROGRAM), arguments, language);
}

// Every cell of a workbook's first sheet as "B3=n:12.5" or "A1=t@b:Март 2026"
// (text, text format, bold), over the columns and rows the exports use.
QStringList cells(const QString& file)
{
    XlsxReader book(file);
    EXPECT_TRUE(book.ok()) << file.toStdString();
    QStringList out;
    for (int row = 1; row <= 60; ++row)
        for (int column = 1; column <= 40; ++column) {
            const auto c = book.cell(1, cellRef(column, row));
            if (!c)
                continue;
            out << QStringLiteral("%1=%2%3%4:%5")
                       .arg(cellRef(column, row), c->isText ? "t" : "n", c->textFormat ? "@" : "", c->bold ? "b" : "",
                            c->isText ? c->text : QString::number(c->number, 'g', 17));
        }
    EXPECT_EQ(out.size(), book.cellCount(1)) << "cells beyond the compared range in " << file.toStdString();
    return out;
}

QStringList filesIn(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

// The window's next preview answered by saving its pages as PDF.
void savePreviewAsPdf(ScriptedDialogs& dialogs)
{
    dialogs.onModal("ReportPreview", [](QDialog& d) {
        if (auto* save = d.findChild<QAction*>("ActSavePdf"))
            save->trigger();
        return int(QDialog::Rejected);
    });
}

// March 2026 with a finding of each kind, April clean (MonthEndFixture),
// the program's windows beside.
class CommandLineMonthTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        addMonthEndFixture(t.database);
        ASSERT_TRUE(owner.start(t.database.arguments()));
    }
    QStringList withDatabase(QStringList arguments) const { return arguments << t.database.arguments(); }

    TestContext t;
    WindowOwner owner{t.context()};
    QTemporaryDir dir;
};

// November 2026 of the summary reports' workshop.
class CommandLineReportTest : public CommandLineMonthTest {
protected:
    void SetUp() override
    {
        addSummaryWorkshop(t.database);
        ASSERT_TRUE(owner.start(t.database.arguments()));
        owner.form18().DTPicker1->setDate(kFrom);
        owner.form18().DTPicker2->setDate(kTo);
    }
};

} // namespace

TEST_F(CommandLineMonthTest, CheckMonthPrintsTheWindowsFindingsAndSummaryAndExitsThreeOrZero)
{
    const QString before = monthData(t.database);
    MonthCheckWindow& window = owner.monthCheckWindow();
    struct Case {
        QString month;
        QDate date;
        int exitCode;
        QString firstLine;
    } cases[] = {
        {"2026-03", {2026, 3, 1}, 3, "03.03.2026\tсмена 1\tИванов И.И.\tсмена 1: в табеле 6 ч, по записям 8 ч"},
        {"2026-05", {2026, 5, 1}, 0, "За май 2026 замечаний нет."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.month.toStdString());
        window.prepare(c.date, LoginRole::Full);
        QStringList shown;
        for (int g = 0; g < window.Tree1->topLevelItemCount(); ++g)
            for (int i = 0; i < window.Tree1->topLevelItem(g)->childCount(); ++i) {
                const QTreeWidgetItem* item = window.Tree1->topLevelItem(g)->child(i);
                shown << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join('\t');
            }
        shown << window.LabelSummary->text();

        const ProgramRun run = runPiecework(withDatabase({"--check-month", c.month}));

        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        EXPECT_EQ(run.out, shown);
        EXPECT_EQ(run.out.value(0), c.firstLine);
    }
    EXPECT_EQ(cases[0].exitCode, 3);
    const ProgramRun march = runPiecework(withDatabase({"--check-month=2026-03"}));
    EXPECT_EQ(march.out.size(), 13);
    EXPECT_TRUE(march.out.value(11).startsWith("18.03.2026\tхоз. работы\t(код 55)\tработник с кодом 55 не существует "
                                               "(журнал хоз. работ её не показывает: работника с кодом 55 нет; запись №"))
        << march.out.value(11).toStdString();
    EXPECT_EQ(march.out.value(12), "За март 2026 замечаний: 12, из них по табелю и ценам: 6.");
    EXPECT_EQ(monthData(t.database), before);

    // No database of that name: the reason, and 1.
    const ProgramRun missing = runPiecework({"--check-month", "2026-03", "pw_no_such_database", "localhost"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.startsWith("Подключение к БД отсутсвует!!!")) << missing.err.toStdString();
    EXPECT_TRUE(missing.out.isEmpty());
}

TEST_F(CommandLineMonthTest, TimesheetsAreTheWindowsPrintAndExports)
{
    const QString before = monthData(t.database);
    // The shift timesheet of March through its window: print and export.
    TForm19& shifts = owner.form19();
    shifts.prepare({2026, 3, 1});
    shifts.askPdfFileName = [&](QWidget*) { return dir.filePath("окно-смены"); };
    savePreviewAsPdf(t.dialogs);
    shifts.Button6Click();
    QString windowFile;
    shifts.exporter().setExportFolder(dir.filePath("export"));
    shifts.exporter().setOpener([&](const QString& f) {
        windowFile = f;
        return true;
    });
    shifts.Button2Click();
    ASSERT_FALSE(windowFile.isEmpty());

    ProgramRun run = runPiecework(withDatabase({"--timesheet", "shift", "--month", "2026-03", "--pdf", dir.filePath("смены.pdf")}));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString printed = pdfText(dir.filePath("смены.pdf"));
    EXPECT_EQ(printed, pdfText(dir.filePath("окно-смены.pdf")));
    EXPECT_TRUE(printed.contains("Март 2026 г.")) << printed.toStdString();
    EXPECT_TRUE(printed.contains("Иванов И.И.")) << printed.toStdString();

    run = runPiecework(withDatabase({"--timesheet", "shift", "--month", "2026-03", "--xlsx", dir.filePath("смены.xlsx")}));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList shiftCells = cells(dir.filePath("смены.xlsx"));
    EXPECT_EQ(shiftCells, cells(windowFile));
    for (const char* cell : {"A1=t@b:Март 2026", "A3=t@:Иванов И.И.", "D3=n:6", "E3=n:8", "AG3=n:25"})
        EXPECT_TRUE(shiftCells.contains(QString::fromUtf8(cell))) << cell << "\n" << shiftCells.join('\n').toStdString();

    // The pay timesheet's four variants through its window's export.
    TForm27& pay = owner.form27();
    pay.today = [] { return QDate(2026, 3, 20); };
    QString payFile;
    pay.prepareExporter = [&](ExcelExporter& e) {
        e.setExportFolder(dir.filePath("export"));
        e.setOpener([&](const QString& f) {
            payFile = f;
            return true;
        });
    };
    const struct {
        const char* name;
        TForm27::Mode mode;
        QStringList expected;   // cells the variant must hold
    } variants[] = {
        // Иванов: 6 h posted on the 3rd, 8 h on the 4th; 19 h of records for 75.00.
        {"piecework", TForm27::Piece, {"A1=t@b:Март 2026", "AJ2=t@b:Час (р.)", "A3=t@:Иванов И.И.", "E3=n:6", "F3=n:8", "AH3=n:19", "AI3=n:75"}},
        // Петров's maintenance: 2 h posted on the 5th, 6 h on the 12th; 10 h of records at 100.
        {"maintenance", TForm27::Maintenance, {"A3=t@:Петров П.П.", "B3=t@:дн.", "G3=n:2", "N3=n:6", "AH3=n:10", "AI3=n:1000"}},
        {"average", TForm27::Average, {"A3=t@:Сидоров С.С.", "R3=n:5", "AH3=n:5", "AI3=n:500"}},
        // Петров's 12th: 20 h of shifts and 6 of maintenance; 25.00 and 1000.00.
        {"all", TForm27::Total, {"A1=t@b:Март 2026", "A4=t@:Петров П.П.", "N4=n:26", "AH4=n:38", "AI4=n:1025"}},
    };
    for (const auto& v : variants) {
        SCOPED_TRACE(v.name);
        pay.prepare(v.mode);
        payFile.clear();
        pay.Button2Click();
        pay.finish();
        ASSERT_FALSE(payFile.isEmpty());
        const QString file = dir.filePath(QStringLiteral("%1.xlsx").arg(v.name));
        run = runPiecework(withDatabase({"--timesheet", v.name, "--month", "2026-03", "--xlsx", file}));
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QStringList got = cells(file);
        EXPECT_EQ(got, cells(payFile));
        for (const QString& cell : v.expected)
            EXPECT_TRUE(got.contains(cell)) << cell.toStdString() << "\n" << got.join('\n').toStdString();
        // Only the shift timesheet has a print.
        const QString pdf = dir.filePath(QStringLiteral("%1.pdf").arg(v.name));
        run = runPiecework(withDatabase({"--timesheet", v.name, "--month", "2026-03", "--pdf", pdf}));
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains("нет печатной формы")) << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(pdf));
    }
    // A file of the same name is replaced whole; a folder that is not there is a failure.
    run = runPiecework(withDatabase({"--timesheet", "all", "--month", "2026-04", "--xlsx", dir.filePath("all.xlsx")}));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(cells(dir.filePath("all.xlsx")).contains("A1=t@b:Апрель 2026"));
    run = runPiecework(withDatabase({"--timesheet", "all", "--month", "2026-04", "--xlsx", dir.filePath("нет/all.xlsx")}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.startsWith("Не удалось записать файл \"" + dir.filePath("нет/all.xlsx"))) << run.err.toStdString();
    // Nothing is left of the files being written.
    EXPECT_TRUE(filesIn(dir).filter(QRegularExpression("^\\.")).isEmpty()) << filesIn(dir).join(' ').toStdString();
    EXPECT_EQ(monthData(t.database), before);
}

TEST_F(CommandLineReportTest, EachReportIsTheWindowsPagesAndTheProductionWorkbookItsExport)
{
    TForm18& window = owner.form18();
    const struct {
        const char* name;
        QPushButton* button;
        int productType;
        const char* title;
        QStringList figures;
    } reports[] = {
        {"workers", window.Button4, 0, "Отчет по рабочим за период с 01.11.2026 по 01.12.2026", {"Иванов И.И.", "206,00", "415,00", "345,83"}},
        {"workers-detailed", window.Button1, 0, "Детальный отчет по рабочим за период с 01.11.2026 по 01.12.2026", {"Петров П.П."}},
        {"products", window.Button2, 2, "Отчет по продукции за период с 01.11.2026 по 01.12.2026", {"Группа Б"}},
        {"products-detailed", window.Button3, 1, "Детальный отчет по продукции за период с 01.11.2026 по 01.12.2026", {"Группа А"}},
    };
    for (const auto& r : reports) {
        SCOPED_TRACE(r.name);
        savePreviewAsPdf(t.dialogs);
        window.setProductType(r.productType);
        window.askPdfFileName = [&](QWidget*) { return dir.filePath(QStringLiteral("окно-%1").arg(r.name)); };
        r.button->click();
        const QString file = dir.filePath(QStringLiteral("%1.pdf").arg(r.name));

        const ProgramRun run = runPiecework(withDatabase({"--report", r.name, "--from", "01.11.2026", "--to", "01.12.2026",
                                                        "--type", QString::number(r.productType), "--pdf", file}));

        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.value(0).startsWith(QString::fromUtf8(r.title))) << run.out.join('\n').toStdString();
        const QString text = pdfText(file);
        EXPECT_EQ(text, pdfText(dir.filePath(QStringLiteral("окно-%1.pdf").arg(r.name))));
        EXPECT_TRUE(text.contains(QString::fromUtf8(r.title))) << text.toStdString();
        for (const QString& figure : r.figures)
            EXPECT_TRUE(text.contains(figure)) << figure.toStdString();
    }
    // Blanks only: the finished goods' group is not in the products report.
    EXPECT_FALSE(pdfText(dir.filePath("products.pdf")).contains("(цвет: 5)"));

    // The production workbook, all types and blanks only, against the
    // window's "Excel".
    QString windowFile;
    window.exporter().setExportFolder(dir.filePath("export"));
    window.exporter().setOpener([&](const QString& f) {
        windowFile = f;
        return true;
    });
    for (int type : {0, 2}) {
        SCOPED_TRACE(type);
        window.setProductType(type);
        window.Button6->click();
        ASSERT_FALSE(windowFile.isEmpty());
        const QString file = dir.filePath(QStringLiteral("продукция-%1.xlsx").arg(type));
        const ProgramRun run = runPiecework(withDatabase({"--report", "products", "--from=01.11.2026", "--to=01.12.2026",
                                                        "--type", QString::number(type), "--xlsx", file}));
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QStringList got = cells(file);
        EXPECT_EQ(got, cells(windowFile));
        // Boxes and counts are numbers.
        for (const char* cell : {"A1=t:Наименование", "E1=t:Кол-во"})
            EXPECT_TRUE(got.contains(QString::fromUtf8(cell))) << cell;
        EXPECT_EQ(got.filter(QRegularExpression("^[DE][2-9]=n:")).size(), 2 * (type == 0 ? 4 : 2)) << got.join('\n').toStdString();
        EXPECT_TRUE(got.contains("D2=n:10.5") || got.contains("D3=n:10.5")) << got.join('\n').toStdString();
    }
    // A workers report has no workbook.
    const ProgramRun refused = runPiecework(withDatabase({"--report", "workers", "--from", "01.11.2026", "--to", "01.12.2026",
                                                        "--xlsx", dir.filePath("рабочие.xlsx")}));
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("рабочие.xlsx")));
}

TEST_F(CommandLineReportTest, UnderPlainCLanguageCyrillicAndDecimalCommaComeBackExactly)
{
    const QString file = dir.filePath("Продукция ноябрь.xlsx");
    const ProgramRun run = runPiecework(withDatabase({"--report", "products", "--from", "01.11.2026", "--to", "01.12.2026",
                                                    "--xlsx", file}),
                                      QStringList{"LANG=C"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // The output is UTF-8 and names the file as given.
    EXPECT_EQ(run.out.value(0), "Отчет по продукции за период с 01.11.2026 по 01.12.2026: строк 4, файл " + file);
    XlsxReader book(file);
    ASSERT_TRUE(book.ok());
    // "10,5" boxes (0.525 a piece, 20 pieces) read as the number 10.5.
    bool found = false;
    for (int row = 2; row <= 5; ++row) {
        const auto name = book.cell(1, cellRef(1, row));
        const auto operation = book.cell(1, cellRef(2, row));
        const auto boxes = book.cell(1, cellRef(4, row));
        ASSERT_TRUE(name && operation && boxes);
        if (operation->text == "Резка" && name->text == "Группа А") {
            found = true;
            EXPECT_FALSE(boxes->isText);
            EXPECT_EQ(boxes->number, 10.5);
            EXPECT_EQ(book.cell(1, cellRef(3, row))->text, "Готовая продукция");
        }
    }
    EXPECT_TRUE(found);

    // The month check's lines are the same UTF-8 as under the run's own language.
    const ProgramRun plain = runPiecework(withDatabase({"--check-month", "2026-11"}), QStringList{"LANG=C"});
    const ProgramRun own = runPiecework(withDatabase({"--check-month", "2026-11"}));
    EXPECT_EQ(plain.exitCode, 3) << plain.err.toStdString();
    EXPECT_EQ(plain.out, own.out);
    EXPECT_TRUE(plain.out.last().startsWith("За ноябрь 2026 замечаний: ")) << plain.out.last().toStdString();
    EXPECT_TRUE(plain.out.join('\n').contains("\tИванов И.И.\t")) << plain.out.join('\n').toStdString();
}

TEST(CommandLine, WrongArgumentsSayWhichExitWithTwoAndWriteNothing)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("out.pdf");
    const QString xlsx = dir.filePath("out.xlsx");
    const struct {
        QStringList arguments;
        const char* says;
    } cases[] = {
        {{"--chek-month", "2026-03"}, "Неизвестный параметр: --chek-month"},
        {{"--check-month"}, "Не указано значение параметра --check-month"},
        {{"--check-month", "2026-13"}, "Неверный месяц в --check-month: \"2026-13\""},
        {{"--check-month", "03.2026"}, "Неверный месяц в --check-month: \"03.2026\""},
        {{"--check-month", "2026-03", "--pdf", pdf}, "Параметр --pdf не применяется с --check-month"},
        {{"--report", "staff", "--from", "01.11.2026", "--to", "01.12.2026", "--pdf", pdf}, "Неизвестный отчет в --report: \"staff\""},
        {{"--report", "workers", "--from", "31.11.2026", "--to", "01.12.2026", "--pdf", pdf}, "Неверная дата в --from: \"31.11.2026\""},
        {{"--report", "workers", "--from", "01.11.2026", "--to", "2026-12-01", "--pdf", pdf}, "Неверная дата в --to: \"2026-12-01\""},
        {{"--report", "workers", "--from", "01.12.2026", "--to", "01.11.2026", "--pdf", pdf}, "Период пуст"},
        {{"--report", "workers", "--to", "01.12.2026", "--pdf", pdf}, "Не указано начало периода"},
        {{"--report", "workers", "--from", "01.11.2026", "--to", "01.12.2026", "--type", "3", "--pdf", pdf}, "Неверный вид продукции в --type: \"3\""},
        {{"--report", "workers", "--from", "01.11.2026", "--to", "01.12.2026"}, "Не указан файл"},
        {{"--report", "products", "--from", "01.11.2026", "--to", "01.12.2026", "--pdf", pdf, "--xlsx", xlsx}, "Указаны и --pdf, и --xlsx"},
        {{"--report", "workers", "--from", "01.11.2026", "--from", "02.11.2026", "--to", "01.12.2026", "--pdf", pdf}, "Параметр --from указан дважды"},
        {{"--report", "workers", "--from", "01.11.2026", "--to", "01.12.2026", "--pdf", pdf, "--landscape"}, "Неизвестный параметр: --landscape"},
        {{"--report", "workers", "--from", "01.11.2026", "--to", "01.12.2026", "--pdf", pdf, "a", "b", "c"}, "Лишний аргумент: c"},
        {{"--timesheet", "shift", "--month", "2026-3", "--pdf", pdf}, "Неверный месяц в --month: \"2026-3\""},
        {{"--timesheet", "shift", "--pdf", pdf}, "Не указан месяц"},
        {{"--timesheet", "weekly", "--month", "2026-03", "--pdf", pdf}, "Неизвестный табель в --timesheet: \"weekly\""},
        {{"--timesheet", "all", "--month", "2026-03", "--pdf", pdf}, "нет печатной формы"},
        {{"--timesheet", "shift", "--month", "2026-03", "--type", "1", "--xlsx", xlsx}, "Параметр --type не применяется с --timesheet"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const ProgramRun run = runPiecework(c.arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.says))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.join('\n').toStdString();
        EXPECT_TRUE(filesIn(dir).isEmpty()) << filesIn(dir).join(' ').toStdString();
    }

    // The help names every option, the import's too, and ends well.
    const ProgramRun help = runPiecework({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    const QString text = help.out.join('\n');
    for (const char* option : {"--check-month", "--report", "--from", "--to", "--type", "--pdf", "--xlsx", "--timesheet",
                               "--month", "--import-legacy", "--help", "workers-detailed", "products-detailed", "shift",
                               "piecework", "maintenance", "average", "all", "Табель ср. сдельная"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(option))) << option;
}

TEST(CommandLine, MonthsAndDatesReadOnlyInTheirOneForm)
{
    const struct {
        const char* text;
        int year, month;
    } months[] = {{"2026-03", 2026, 3}, {"2026-12", 2026, 12}, {"2026-00", 0, 0}, {"2026-3", 0, 0}, {" 2026-03", 0, 0}, {"26-03", 0, 0}};
    for (const auto& m : months) {
        const MonthRange got = CommandLine::parseMonth(QString::fromLatin1(m.text));
        EXPECT_EQ(got.year, m.year) << m.text;
        EXPECT_EQ(got.month, m.month) << m.text;
    }
    const struct {
        const char* text;
        QDate date;
    } dates[] = {{"01.11.2026", {2026, 11, 1}}, {"29.02.2024", {2024, 2, 29}}, {"29.02.2026", {}}, {"1.11.2026", {}},
                 {"01.11.26", {}}, {"01/11/2026", {}}};
    for (const auto& d : dates)
        EXPECT_EQ(CommandLine::parseDate(QString::fromLatin1(d.text)), d.date) << d.text;
}
