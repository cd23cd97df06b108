#include "tests/reports_engine/ReportFixtures.h"

#include "db/Dataset.h"
#include "reports/engine/DatasetSource.h"
#include "widgets/ReportPreview.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDatabase.h"

#include <QAction>
#include <QDialog>
#include <QFileInfo>
#include <QPageRanges>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace report;

namespace {

// The workers fixture repeated until it fills several pages.
TableSource manyWorkers(int copies)
{
    const TableSource base = workersTable();
    TableSource t({"fio", "nom", "summa", "kolvo", "note"});
    for (int c = 0; c < copies; ++c) {
        for (int r = 0; r < base.rowCount(); ++r) {
            QVector<QVariant> row;
            for (int col = 0; col < base.columnCount(); ++col)
                row << base.value(r, col);
            row[0] = row[0].toString() + QStringLiteral(" %1").arg(c, 3, 10, QLatin1Char('0'));
            t.addRow(row);
        }
    }
    return t;
}

} // namespace

TEST(EnginePdfOutputTest, PdfHoldsTheCyrillicTextOfEveryPage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("Сводка.pdf");
    const PageModel model = layoutReport(workersReport(), manyWorkers(30));
    ASSERT_GT(model.pageCount(), 2);
    writePdf(model, file);

    EXPECT_EQ(pdfPageCount(file), model.pageCount());
    const QString text = pdfText(file);
    EXPECT_TRUE(text.contains("Сводка по работникам"));
    EXPECT_TRUE(text.contains("Иванов 000"));
    EXPECT_TRUE(text.contains("Петров 029"));
    EXPECT_TRUE(text.contains("Итого:"));
    EXPECT_TRUE(text.contains("29,792"));
    EXPECT_TRUE(text.contains(model.textsOf("total").value(0)));
    // pdftotext separates pages by form feeds; each ends with its number.
    const QStringList pages = text.split('\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), model.pageCount());
    for (int i = 0; i < pages.size(); ++i) {
        const QStringList lines = pages[i].trimmed().split('\n');
        EXPECT_EQ(lines.last().trimmed(), QString::number(i + 1));
    }
}

// Numbers are painted from their characters' glyphs once enough of them
// have been shaped; they must land exactly where shaping puts them. The
// same texts at the same places on two pages: on the first most are shaped,
// on the second all numbers are put together.
TEST(EnginePdfOutputTest, NumbersPutTogetherFromGlyphsLandWhereShapedOnesDo)
{
    const QString nbsp(QChar(0x00a0));
    QStringList texts;
    for (int i = 0; i < 540; ++i) {
        switch (i % 6) {
        case 0: texts << QStringLiteral("%1,%2").arg(i * 37).arg(i % 100, 2, 10, QLatin1Char('0')); break;
        case 1: texts << QStringLiteral("-%1%2%3,5").arg(i % 9 + 1).arg(nbsp).arg(i + 100, 3, 10, QLatin1Char('0')); break;
        case 2: texts << QString::number(i * 0.25, 'f', 2); break;
        case 3: texts << QStringLiteral("%1 %2").arg(i).arg(i + 1); break;
        case 4: texts << (i % 12 == 4 ? QStringLiteral(" %1").arg(i) : QStringLiteral("Иванов %1").arg(i)); break;
        default: texts << QString::number(i * 11); break;
        }
    }
    PageModel model;
    for (int p = 0; p < 2; ++p) {
        Page page;
        page.number = p + 1;
        page.size = QSizeF(210, 297);
        for (int i = 0; i < texts.size(); ++i) {
            TextPrimitive t;
            t.rect = QRectF(10 + (i % 6) * 32, 10 + (i / 6) * 3.0, 30, 3);
            t.text = texts[i];
            // One font for the numbers, so that they reach the count after
            // which they are put together; the names in another.
            t.font.pointSize = i % 6 == 4 ? 10 : 8;
            t.font.bold = i % 6 == 4;
            t.alignment = Qt::AlignLeft | Qt::AlignVCenter;
            t.width = 1;   // measured: painted on its baseline from the left
            page.texts << t;
        }
        model.pages << page;
    }
    QTemporaryDir dir;
    const QString file = dir.filePath("numbers.pdf");
    writePdf(model, file);
    const QStringList pages = pdfWordBoxes(file);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains(">19758,34</word>")) << pages[0].left(400).toStdString();
    EXPECT_TRUE(pages[0].contains(">Иванов</word>"));
    EXPECT_GT(pages[0].count(QStringLiteral("<word ")), 600);
    EXPECT_EQ(pages[0], pages[1]);
}

// Its time is measured by bench_reports, over real reports.
TEST(EnginePdfOutputTest, TenThousandRowsWriteEveryPage)
{
    QTemporaryDir dir;
    TableSource data({"fio", "nom", "summa", "kolvo", "note"});
    for (int r = 0; r < 10000; ++r)
        data.addRow({QStringLiteral("Работник %1").arg(r / 25, 4, 10, QLatin1Char('0')),
                     QStringLiteral("Группа %1").arg(r / 3), 1.25, 1, QStringLiteral("строка %1").arg(r)});
    const PageModel model = layoutReport(workersReport(), data);
    const QString file = dir.filePath("long.pdf");
    writePdf(model, file);

    EXPECT_EQ(pdfPageCount(file), model.pageCount());
    const QStringList pages = pdfText(file).split('\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), model.pageCount());
    EXPECT_TRUE(pages.last().contains("строка 9999"));
    EXPECT_TRUE(pages.last().contains("12500,00"));
    EXPECT_EQ(pages.last().trimmed().split('\n').last().trimmed(), QString::number(model.pageCount()));
}

TEST(EnginePdfOutputTest, UnwritableFileIsAnError)
{
    const PageModel model = layoutReport(workersReport(), workersTable());
    try {
        writePdf(model, "/nonexistent-folder/report.pdf");
        FAIL() << "no error";
    } catch (const ReportError& e) {
        EXPECT_EQ(e.text(), "Не удалось записать файл \"/nonexistent-folder/report.pdf\"");
    }
}

TEST(EnginePdfOutputTest, PrinterGetsTheSelectedPages)
{
    QTemporaryDir dir;
    const PageModel model = layoutReport(workersReport(), manyWorkers(30));
    ASSERT_GE(model.pageCount(), 3);

    struct Case {
        QPageRanges ranges;
        QStringList pageNumbers;
    };
    QPageRanges twoToThree, oneAndThree;
    twoToThree.addRange(2, 3);
    oneAndThree.addPage(1);
    oneAndThree.addPage(3);
    QStringList all;
    for (int p = 1; p <= model.pageCount(); ++p)
        all << QString::number(p);
    const Case cases[] = {{twoToThree, {"2", "3"}}, {oneAndThree, {"1", "3"}}, {QPageRanges(), all}};

    int n = 0;
    for (const Case& c : cases) {
        const QString file = dir.filePath(QStringLiteral("printed%1.pdf").arg(++n));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageLayout(model.setup.pageLayout());
        printer.setPageRanges(c.ranges);
        printPages(model, printer);

        // Each printed page ends with its page number.
        QStringList printed;
        for (const QString& page : pdfText(file).split('\f', Qt::SkipEmptyParts))
            printed << page.trimmed().split('\n').last().trimmed();
        EXPECT_EQ(printed, c.pageNumbers);
        EXPECT_EQ(pdfPageCount(file), c.pageNumbers.size());
    }
}

TEST(EnginePreviewTest, PreviewShowsEveryPageAndSavesAPdf)
{
    QTemporaryDir dir;
    const PageModel model = layoutReport(workersReport(), manyWorkers(30));
    ScriptedDialogs dialogs;
    int previewPages = -1;
    QString caption;
    dialogs.onModal("ReportPreview", [&](QDialog& dialog) {
        caption = dialog.windowTitle();
        auto* preview = dialog.findChild<QPrintPreviewWidget*>();
        if (preview) {
            preview->updatePreview();
            previewPages = preview->pageCount();
        }
        auto* save = dialog.findChild<QAction*>("ActSavePdf");
        if (!save)
            return -1;
        EXPECT_EQ(save->text(), "Сохранить в PDF");
        save->trigger();
        return int(QDialog::Accepted);
    });

    QStringList asked;
    PreviewServices services;
    services.showModal = [&](QDialog& d) { return dialogs.showModal(d); };
    services.askPdfFileName = [&](QWidget*) {
        asked << "asked";
        return dir.filePath("отчёт");   // the suffix is added
    };
    services.showError = [&](QWidget*, const QString& text) { ADD_FAILURE() << text.toStdString(); };

    EXPECT_EQ(showPreview(model, services), int(QDialog::Accepted));
    EXPECT_EQ(dialogs.shownWindows(), QStringList({"ReportPreview"}));
    EXPECT_EQ(caption, "Сводка по работникам");
    EXPECT_EQ(previewPages, model.pageCount());
    EXPECT_EQ(asked.size(), 1);
    const QString file = dir.filePath("отчёт.pdf");
    ASSERT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(pdfPageCount(file), model.pageCount());
    EXPECT_TRUE(pdfText(file).contains("Сводка по работникам"));
}

TEST(EnginePreviewTest, SavingToAnUnwritablePlaceShowsTheErrorAndCancelSavesNothing)
{
    const PageModel model = layoutReport(workersReport(), workersTable());
    QStringList answers = {"/nonexistent-folder/r.pdf", ""};
    QStringList errors;
    PreviewServices services;
    services.askPdfFileName = [&](QWidget*) { return answers.takeFirst(); };
    services.showError = [&](QWidget*, const QString& text) { errors << text; };
    services.showModal = [&](QDialog& dialog) {
        auto* save = dialog.findChild<QAction*>("ActSavePdf");
        if (!save)
            return -1;
        save->trigger();   // fails
        save->trigger();   // cancelled
        return 0;
    };
    EXPECT_EQ(showPreview(model, services), 0);
    EXPECT_TRUE(answers.isEmpty());
    EXPECT_EQ(errors, QStringList({"Не удалось записать файл \"/nonexistent-folder/r.pdf\""}));
}

TEST(EngineDatasetSourceTest, ReportOverARealQueryUsesItsVisibleRowsAndExactDecimals)
{
    TestDatabase db;
    Dataset q(db.db(), "t_Report");
    q.setSql("select * from (values "
             "('Иванов'::varchar(50), 'A'::char(10), 10.50::numeric(10,2), 1::bigint, 'i-a-1'::text), "
             "('Иванов', 'A', 20.25, 2, 'i-a-2'), "
             "('Иванов', 'B', 5.00, 3, 'i-b-1'), "
             "('Петров', 'B', 7.13, 4, 'p-b-1'), "
             "('Сидоров', 'C', 100.01, 7, 's-c-1')"
             ") t(fio, nom, summa, kolvo, note) order by fio, nom, note");
    q.open();
    q.setFilter("fio<>'Сидоров'");
    q.setFiltered(true);
    q.setRecNo(3);

    ReportDefinition def = workersReport();
    def.detail.addField({0, 0, 10, 5}, "nom").setName("paddedNom").setAlignment(Qt::AlignCenter);
    const PageModel model = layoutReport(def, DatasetSource(q));

    EXPECT_EQ(q.recNo(), 3);   // the dataset's current row is left alone
    EXPECT_EQ(model.textsOf("fioHeader"), QStringList({"Иванов", "Петров"}));
    // Blanks of char(10) are not printed, and a value padded differently
    // (VALUES pads only its first row) is still the same group.
    EXPECT_EQ(model.textsOf("paddedNom"), QStringList({"A", "A", "B", "B"}));
    EXPECT_EQ(model.textsOf("nomSum"), QStringList({"30,75", "5,00", "7,13"}));
    EXPECT_EQ(model.textsOf("nomQty"), QStringList({"3", "3", "4"}));
    EXPECT_EQ(model.textsOf("total"), QStringList({"42,88"}));

    q.close();
    EXPECT_THROW(DatasetSource{q}, ReportError);
}
