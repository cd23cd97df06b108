#include "tests/reports_engine/ReportFixtures.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace report;

TableSource workersTable()
{
    return TableSource({"fio", "nom", "summa", "kolvo", "note"},
                       {
                           {"Иванов", "A", 10.5, 1, "i-a-1"},
                           {"Иванов", "A", 20.25, 2, "i-a-2"},
                           {"Иванов", "B", 5.0, 3, "i-b-1"},
                           {"Петров", "B", 7.125, 4, "p-b-1"},
                           {"Петров", "B", 1.0, 5, "p-b-2"},
                           {"Петров", "C", 2.0, 6, "p-c-1"},
                       });
}

ReportDefinition workersReport()
{
    ReportDefinition def;
    def.title = "Сводка по работникам";
    def.reportHeader.height = 12;
    def.reportHeader.background = QColor(0xF4, 0xF4, 0xF4);
    def.reportHeader.addLabel({0, 0, 190, 10}, "Сводка по работникам").setName("title").setBold().setPointSize(12);

    Group& fio = def.addGroup("fio", "fio");
    fio.header.height = 7;
    fio.header.background = QColor(0xE0, 0xE0, 0xE0);
    fio.header.addField({0, 0, 100, 7}, "fio").setName("fioHeader").setBold();
    fio.footer.height = 7;
    fio.footer.frame.sides = BottomSide;
    fio.footer.addField({0, 0, 60, 7}, "note").setName("fioLast");
    fio.footer.addExpression({110, 0, 40, 7}, "SUM(summa)", "#0.00").setName("fioSum").setBold()
        .setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    fio.footer.addExpression({150, 0, 40, 7}, "SUM(summa) / 1.2", "#0.000").setName("fioSumNet")
        .setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Group& nom = def.addGroup("nom", "nom");
    nom.header.height = 6;
    nom.header.addField({5, 0, 100, 6}, "nom").setName("nomHeader").setBold();
    nom.footer.height = 6;
    nom.footer.addField({5, 0, 55, 6}, "note").setName("nomLast");
    nom.footer.addExpression({60, 0, 20, 6}, "SUM(kolvo)").setName("nomQty")
        .setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    nom.footer.addExpression({110, 0, 40, 6}, "SUM(summa)", "#0.00").setName("nomSum")
        .setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    nom.footer.addExpression({150, 0, 40, 6}, "SUM(summa, fio)", "#0.00").setName("nomRunningFio")
        .setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    def.detail.height = 5;
    def.detail.addField({10, 0, 50, 5}, "note").setName("detailNote");
    def.detail.addField({60, 0, 20, 5}, "kolvo").setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    def.detail.addField({110, 0, 40, 5}, "summa", "#0.000").setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    def.detail.addExpression({150, 0, 40, 5}, "SUM(summa)", "#0.00").setName("runningTotal")
        .setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    def.reportFooter.height = 9;
    def.reportFooter.background = QColor(0xDC, 0xDC, 0xDC);
    def.reportFooter.frame.sides = AllSides;
    def.reportFooter.addLabel({2, 0, 30, 9}, "Итого:").setBold().setPointSize(11);
    def.reportFooter.addField({40, 0, 40, 9}, "note").setName("lastNote");
    def.reportFooter.addExpression({110, 0, 40, 9}, "SUM(summa)", "#0.00").setName("total").setBold()
        .setPointSize(11).setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    def.pageFooter.height = 6;
    def.pageFooter.addExpression({150, 0, 40, 6}, "PAGENUMBER").setName("page")
        .setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return def;
}

QStringList printOrder(const PageModel& model)
{
    QStringList out;
    for (const Page& page : model.pages) {
        for (const TextPrimitive& t : page.texts) {
            if (!t.item.isEmpty())
                out << t.item + "=" + t.text;
        }
    }
    return out;
}

namespace {

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed: " << p.readAllStandardError().toStdString();
        return QString();
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

QString pdfText(const QString& fileName)
{
    return run("pdftotext", {"-layout", "-enc", "UTF-8", fileName, "-"});
}

QStringList pdfWordBoxes(const QString& fileName)
{
    QStringList pages;
    const QString html = run("pdftotext", {"-bbox", "-enc", "UTF-8", fileName, "-"});
    for (const QString& page : html.split(QStringLiteral("<page "), Qt::SkipEmptyParts).mid(1)) {
        QStringList words;
        for (const QString& line : page.split(u'\n'))
            if (line.trimmed().startsWith(QStringLiteral("<word ")))
                words << line.trimmed();
        pages << words.join(u'\n');
    }
    return pages;
}

int pdfPageCount(const QString& fileName)
{
    const QRegularExpressionMatch m = QRegularExpression(R"(Pages:\s+(\d+))").match(run("pdfinfo", {fileName}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}
