#pragma once
#include <QString>

class Dataset;
struct MonthRange;

// The statement texts of the month timesheets. Month bounds are bound
// date parameters: odd-numbered d_date* the first day of the next month
// (excluded), even-numbered the first day of the month (included).
namespace TimesheetSql {

// The print summary of a month: every timesheet row summed per worker name
// (sd1..sd31); parameters :mnth, :yea.
QString hTabelPrint();

// The pay timesheet variants; parameters :d_date1..:d_date6, :i_year, :i_month.
QString hTabel0();              // piece work: shift-keyed rows, shift records
QString hTabelTyped(int kind);  // 7777 maintenance work, 7778 average piecework
// Everything; parameters :d_date1..:d_date8, :i_year, :i_month.
QString hTabelAll();

// Footer totals of a month (:d_date1, :d_date2; all_price also :d_date3, :d_date4).
QString price();
QString priceTyped(int kind);   // price7 (7777), price8 (7778)
QString allPrice();

// The years that have timesheet rows.
QString qYear();

// Binds a month to a pay timesheet statement with `pairs` pairs of
// :d_date* bounds (and :i_month, :i_year); without a year (0) the bounds
// and the year are NULL, so that it reads no rows.
void bindPayMonth(Dataset& query, const MonthRange& month, int pairs);
// Binds a month to the print summary (:mnth, :yea).
void bindPrintMonth(Dataset& query, const MonthRange& month);

// "sum( h. d1 ) as d1 , ... , sum( h. d31 ) as d31".
QString daySums();

} // namespace TimesheetSql
