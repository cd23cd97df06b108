#pragma once
#include "reports/ReportLayout.h"

#include <QDate>
#include <QString>
#include <functional>

class CellWriter;
class Dataset;

// What the summary reports window makes, without the window: the four
// printed summaries over a half-open period and a product type, and the
// workbook of the production by nomenclature group and operation kind.
// The window and the command line both go through here.
namespace SummaryReports {

// The title a summary carries: its caption and the period, as the window
// sets it ("   Отчет по рабочим за период с 01.11.2026 по 01.12.2026").
// `caption` is the text before the dates ("   Отчет по рабочим за период с ").
QString title(const QString& caption, const QDate& from, const QDate& to);

// The captions of the four summaries.
QString workersCaption();            // TForm16
QString productsCaption();           // TForm17
QString workersDetailedCaption();    // TForm20
QString productsDetailedCaption();   // TForm21

// Opens the layout's query anew for the period (from included, to
// excluded) and the product type (0 all, 1 finished goods, 2 blanks), sets
// its title and lays out its pages. The query stays open: the caller closes it.
const report::PageModel& prepare(ReportLayout& layout, const QString& caption, const QDate& from, const QDate& to,
                                 int productType);

// The production workbook's statement (:data1 included, :data2 excluded).
QString productionSql();
// Binds the period and sets the product type's filter on the production
// query, then opens it anew.
void openProduction(Dataset& query, const QDate& from, const QDate& to, int productType);
// The file name the windows' exporter gives the workbook.
QString productionExportName();

// Writes the production workbook's header and a line per row of the open
// query into sheet 1, reading the rows by index. `progress` hears the sheet
// row just written and the number of lines.
void writeProduction(const Dataset& query, CellWriter& cells,
                     const std::function<void(int row, int lines)>& progress = {});

} // namespace SummaryReports
