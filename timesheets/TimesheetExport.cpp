#include "timesheets/TimesheetExport.h"
#include "db/Dataset.h"
#include "reports/engine/CellWriter.h"

namespace TimesheetExport {

QString periodText(const MonthRange& month)
{
    return MonthRange::monthName(month.month) + QStringLiteral(" ") + QString::number(month.year);
}

QString printPeriodText(const MonthRange& month)
{
    return periodText(month) + QStringLiteral(" г.");
}

void writeShiftSummary(const Dataset& q, const QString& period, CellWriter& cells, const Progress& progress)
{
    const int count = q.recordCount();
    cells.WriteCellFormatted(1, 1, 1, period, true, true, true);
    cells.WriteCellFormatted(1, 1, 2, QStringLiteral("Фамилия И.О."), true, true, true);
    for (int d = 1; d <= 31; ++d)
        cells.WriteCellFormatted(1, d + 1, 2, double(d), false, true, true);
    cells.WriteCellFormatted(1, 33, 2, QStringLiteral("Итого"), true, true, true);
    for (int k = 1; k <= count; ++k) {
        const int line = k - 1;
        const int row = k + 2;
        cells.WriteCellFormatted(1, 1, row, q.fieldAt(line, QStringLiteral("fio")).asTrimmed(), true, true, false);
        qlonglong total = 0;
        for (int d = 1; d <= 31; ++d) {
            const Field f = q.fieldAt(line, QStringLiteral("sd%1").arg(d));
            if (f.isNull())
                continue;
            total += f.asLongLong();
            cells.WriteCellFormatted(1, d + 1, row, double(f.asLongLong()), false, true, false);
        }
        cells.WriteCellFormatted(1, 33, row, double(total), false, true, false);
        if (progress)
            progress(k, count);
    }
}

void writePayLines(const Dataset& q, const QString& period, bool nightColumn, bool hourPayColumn, CellWriter& cells,
                   const Progress& progress)
{
    const int count = q.recordCount();
    cells.WriteCellFormatted(1, 1, 1, period, true, true, true);
    cells.WriteCellFormatted(1, 1, 2, QStringLiteral("Фамилия И.О."), true, true, true);
    for (int d = 1; d <= 31; ++d)
        cells.WriteCellFormatted(1, d + 2, 2, double(d), false, true, true);
    cells.WriteCellFormatted(1, 34, 2, QStringLiteral("Итого (ч.)"), true, true, true);
    cells.WriteCellFormatted(1, 35, 2, QStringLiteral("Итого (р.)"), true, true, true);
    if (hourPayColumn)
        cells.WriteCellFormatted(1, 36, 2, QStringLiteral("Час (р.)"), true, true, true);
    for (int k = 1; k <= count; ++k) {
        const int line = k - 1;
        const int row = k + 2;
        auto number = [&](int column, const QString& field) {
            const Field f = q.fieldAt(line, field);
            if (!f.isNull())
                cells.WriteCellFormatted(1, column, row, f.asFloat(), false, true, false);
        };
        cells.WriteCellFormatted(1, 1, row, q.fieldAt(line, QStringLiteral("fio")).asTrimmed(), true, true, false);
        if (nightColumn)
            cells.WriteCellFormatted(1, 2, row, q.fieldAt(line, QStringLiteral("s_night")).asTrimmed(), true, true, false);
        for (int d = 1; d <= 31; ++d)
            number(d + 2, QStringLiteral("d%1").arg(d));
        number(34, QStringLiteral("i_time"));
        number(35, QStringLiteral("f_price"));
        if (hourPayColumn)
            number(36, QStringLiteral("average_price"));
        if (progress)
            progress(k, count);
    }
}

} // namespace TimesheetExport
