#pragma once
// The banded report engine.
//
// A report is a ReportDefinition (page setup, bands, items) laid out over a
// DataSource by the pure function layoutReport() into a PageModel: pages of
// texts, lines and boxes positioned in millimetres. paintPage() paints one
// page onto any QPainter (printer, PDF, image, preview); writePdf() writes
// the whole model to a file. The print preview lives apart, in
// ReportPreview.h (it needs widgets); a Dataset is fed in through
// DatasetSource.h.
//
//   report::ReportDefinition def;
//   def.title = "Отчёт";
//   def.reportHeader.height = 12;
//   def.reportHeader.addLabel({0, 0, 190, 10}, "Отчёт").setBold().setPointSize(12).setName("Title");
//   auto& g = def.addGroup("fio", "fio");                // new group when fio changes
//   g.header.height = 6;
//   g.header.addField({0, 0, 100, 6}, "fio").setBold();
//   g.footer.height = 6;
//   g.footer.addExpression({150, 0, 40, 6}, "SUM(summa)", "#0.00")   // restarts after this footer
//       .setAlignment(Qt::AlignRight | Qt::AlignVCenter);
//   def.detail.height = 5;
//   def.detail.addField({0, 0, 100, 5}, "nom");
//   def.detail.addExpression({150, 0, 40, 5}, "IF(kolvo = 0, 0, summa / kolvo)", "#0.000");
//   def.reportFooter.height = 8;
//   def.reportFooter.addExpression({150, 0, 40, 8}, "SUM(summa)", "#0.00");   // the whole report
//   def.pageFooter.height = 6;
//   def.pageFooter.addExpression({170, 0, 20, 6}, "PAGENUMBER").setAlignment(Qt::AlignRight);
//   report::PageModel pages = report::layoutReport(def, report::DatasetSource(query));
//   report::writePdf(pages, "/tmp/r.pdf");
//
// Print order: report header; for each row the footers of the groups that
// end before it (innermost first, the group's last row still current), the
// headers of the groups it starts, the detail band; at the end the open
// group footers and the report footer (last row current). A band never
// splits across pages: one that does not fit starts a new page, where the
// headers of the open groups that ask for it (Group::repeatHeader) are laid
// out again first. A band whose printWhen is false for a row is left out
// (the row still counts in sums and groups). A text wider than its item is
// cut with an ellipsis, or broken into lines when the item wraps. The page
// footer's height is reserved on every page and the footer is laid out when
// the page is complete (PAGENUMBER is that page's number).
//
// Expressions (see Expression.h): fields, numbers, 'texts', + - * / ( ),
// comparisons, IF(c, a, b), STR(x), SUM(x[, group|REPORT]), PAGENUMBER,
// CONTINUED (1 in a header repeated on a page its group continues on).
// A SUM restarts after the footer of the group whose band holds it (or the
// group named) and totals the whole report elsewhere. Division by zero
// yields 0. Numbers print with the definition's locale (Russian: decimal
// comma) through masks "#0.00", "#0.000", "#0" or the default format (see
// NumberFormat.h); a NULL prints empty, or 0 under a mask. Texts print
// without trailing blanks. Errors in a definition throw ReportError.
#include "reports/engine/DataSource.h"
#include "reports/engine/NumberFormat.h"
#include "reports/engine/PageModel.h"
#include "reports/engine/ReportDefinition.h"
#include "reports/engine/ReportError.h"

class QPainter;

namespace report {

// Lays the report out over all rows of `data`; always at least one page.
PageModel layoutReport(const ReportDefinition& definition, const DataSource& data);

// Paints a page with its top-left corner at the painter's origin, scaled by
// the given device pixels per millimetre.
void paintPage(QPainter& painter, const Page& page, double pixelsPerMmX, double pixelsPerMmY);
// The same with the scale of the painter's device (its logical DPI).
void paintPage(QPainter& painter, const Page& page);

// Writes every page into a PDF file on A4 paper. Throws ReportError when the
// file cannot be written.
void writePdf(const PageModel& model, const QString& fileName);

} // namespace report
