#pragma once
#include "ledger/MonthRange.h"

#include <QString>
#include <functional>

class CellWriter;
class Dataset;

// The month timesheets' workbooks, without their windows: the cells of the
// shift timesheet's month summary and of the pay timesheet's lines, written
// through any CellWriter (the windows' exporter, or a file of the command
// line) from the rows of an open query, read by index so that the query's
// current row stays where it is.
namespace TimesheetExport {

// "Март 2026": the period the workbooks' first cell names.
QString periodText(const MonthRange& month);
// "Март 2026 г.": the period the shift timesheet's print names.
QString printPeriodText(const MonthRange& month);

// Progress: lines written so far and the number of lines.
using Progress = std::function<void(int written, int lines)>;

// The shift timesheet's month summary (the print query: fio, sd1..sd31):
// the period, the header, and a line per name with its hours and total.
void writeShiftSummary(const Dataset& query, const QString& period, CellWriter& cells, const Progress& progress = {});

// The pay timesheet's lines (fio, s_night, d1..d31, i_time, f_price,
// average_price): the period, the header, and a line per row;
// `nightColumn` writes the night mark (maintenance work and average
// piecework), `hourPayColumn` the pay of one hour (all but the total).
void writePayLines(const Dataset& query, const QString& period, bool nightColumn, bool hourPayColumn,
                   CellWriter& cells, const Progress& progress = {});

} // namespace TimesheetExport
