#include "reports/SummaryReports.h"
#include "db/Dataset.h"
#include "reports/engine/CellWriter.h"
#include "reports/engine/NumberFormat.h"

#include <QLocale>
#include <cmath>

namespace SummaryReports {

namespace {

QString shortDate(const QDate& date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

} // namespace

QString title(const QString& caption, const QDate& from, const QDate& to)
{
    return caption + shortDate(from) + QStringLiteral(" по ") + shortDate(to);
}

QString workersCaption()
{
    return QStringLiteral("   Отчет по рабочим за период с ");
}

QString productsCaption()
{
    return QStringLiteral("   Отчет по продукции за период с ");
}

QString workersDetailedCaption()
{
    return QStringLiteral("   Детальный отчет по рабочим за период с ");
}

QString productsDetailedCaption()
{
    return QStringLiteral("   Детальный отчет по продукции за период с ");
}

const report::PageModel& prepare(ReportLayout& layout, const QString& caption, const QDate& from, const QDate& to,
                                 int productType)
{
    Dataset& query = layout.query();
    // Opened anew with this period, even if an earlier error left it open.
    query.close();
    layout.bindPeriod(from, to);
    layout.setProductType(productType);
    query.open();
    layout.setTitle(title(caption, from, to));
    return layout.Prepare();
}

QString productionSql()
{
    return QStringLiteral(
        "select sum(smena.kol_vo-smena.brak)::numeric as kolvo, vid_oper.vid,\n"
        "izdel.nom, oper.naimen, color,izdel.massa*sum(smena.kol_vo-smena.brak) as mass \n"
        "from accounts_dep.smena,accounts_dep.izdel,accounts_dep.vid_oper, accounts_dep.oper where izdel.id=smena.i_id "
        "and vid_oper.id=oper.vid\n"
        "and oper.id=smena.o_id and smena.data<:data2 and smena.data>=:data1 \n"
        "group by izdel.nom,color, oper.naimen, vid_oper.vid, izdel.massa order by izdel.nom");
}

void openProduction(Dataset& query, const QDate& from, const QDate& to, int productType)
{
    query.close();
    query.setParam(QStringLiteral("data1"), from);
    query.setParam(QStringLiteral("data2"), to);
    switch (productType) {
    case 1:
        query.setFilter(QStringLiteral("naimen=0"));
        query.setFiltered(true);
        break;
    case 2:
        query.setFilter(QStringLiteral("naimen=1"));
        query.setFiltered(true);
        break;
    default:
        query.setFiltered(false);
        break;
    }
    query.open();
}

QString productionExportName()
{
    return QStringLiteral("Отчет по продукции");
}

void writeProduction(const Dataset& query, CellWriter& cells, const std::function<void(int, int)>& progress)
{
    const int count = query.recordCount();
    const char* headers[] = {"Наименование", "Операция", "Вид продукции", "Коробки", "Кол-во"};
    for (int column = 1; column <= 5; ++column)
        cells.WriteCell(1, column, 1, QString::fromUtf8(headers[column - 1]));

    const QLocale locale;
    const report::NumberFormat general;   // up to 15 significant digits
    for (int line = 0; line < count; ++line) {
        const int r = line + 2;
        QString operation = query.fieldAt(line, QStringLiteral("vid")).asTrimmed();
        const Field colour = query.fieldAt(line, QStringLiteral("color"));
        const int code = colour.isNull() ? 0 : colour.asInt();
        if (code == 1)
            operation += QStringLiteral(" (грунт)");
        else if (code > 1)
            operation += QStringLiteral(" (цвет: %1)").arg(code);
        const bool finished = query.fieldAt(line, QStringLiteral("naimen")).asInt() == 0;

        // Boxes and counts go as the texts the program shows; the writer
        // makes numbers of them.
        cells.WriteCell(1, 1, r, query.fieldAt(line, QStringLiteral("nom")).asTrimmed());
        cells.WriteCell(1, 2, r, operation);
        cells.WriteCell(1, 3, r, finished ? QStringLiteral("Готовая продукция") : QStringLiteral("Заготовки"));
        cells.WriteCell(1, 4, r, general.format(query.fieldAt(line, QStringLiteral("mass")).asFloat(), locale));
        cells.WriteCell(1, 5, r, QString::number(std::llround(query.fieldAt(line, QStringLiteral("kolvo")).asFloat())));
        if (progress)
            progress(r, count);
    }
}

} // namespace SummaryReports
