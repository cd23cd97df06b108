#pragma once
#include "reports/engine/ReportEngine.h"

#include <QString>
#include <QStringList>

// Rows of two workers over three nomenclature groups: the second worker's
// first group has the same name as the first worker's last one.
report::TableSource workersTable();

// Title; groups by fio and nom with running sums in their footers and the
// last row's note; a running total in the detail; totals in the report
// footer; the page number in the page footer.
report::ReportDefinition workersReport();

// "item=text" of every named text in print order, page by page.
QStringList printOrder(const report::PageModel& model);

// The text of a PDF as pdftotext reads it (with its layout kept).
QString pdfText(const QString& fileName);
// Per page of a PDF: its words with their boxes (pdftotext -bbox), one a line.
QStringList pdfWordBoxes(const QString& fileName);
// The number of pages pdfinfo reports; -1 when it cannot be read.
int pdfPageCount(const QString& fileName);
