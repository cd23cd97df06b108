#pragma once
#include "ledger/MonthRange.h"

#include <QDate>
#include <QString>
#include <QVector>
#include <QtGlobal>

class TDataModule6;

// The month check: what in a month's records and timesheet rows would make
// its pay wrong, found by a few set-based statements, each finding with the
// record (or the day) behind it.
namespace MonthCheck {

// The kinds of findings, in the order the check lists them.
enum class Kind {
    TimesheetDiffers,      // a timesheet day that differs from the hours of its records
    HoursWithoutRecords,   // a timesheet day with hours and no records at all
    NoPrice,               // a shift record at price 0 or without a price
    OperationWithoutPrice, // an operation of the month's records without a priced norm
    RejectsAboveQuantity,
    DayOver24Hours,        // a worker's day over all shifts and maintenance records
    HoursWithoutPieces,    // a record with hours and no good pieces
    NotAccepted,
    AverageNotCalculated,  // an average-piecework record not priced by the calculation since its last change
    MissingReference,      // a record pointing at a worker, product or operation (kind) that does not exist
};
inline constexpr int kKindCount = 10;

// The group title of a kind ("Табель расходится с записями").
QString title(Kind kind);
// Findings that make the pay itself wrong (timesheet days, prices): closing
// a month with such findings needs the user's confirmation.
bool blocksClosing(Kind kind);
// Timesheet findings, which "Исправить табель" mends by re-posting their days.
bool isTimesheet(Kind kind);

// Where the record behind a finding lives.
enum class Source { ShiftRecord, MaintenanceRecord };

struct Finding {
    Kind kind = Kind::TimesheetDiffers;
    Source source = Source::ShiftRecord;
    QDate date;
    int shift = 0;            // the journal's shift of a shift record (1..4)
    qlonglong record = 0;     // the record to make current; 0: only the day
    QString worker;           // the worker's name as the catalog has it
    QString text;             // what is wrong
    // The timesheet key of a timesheet finding: worker, and shift (shift
    // rows) or kind and night mark (typed rows).
    qlonglong workerId = 0;
    int kindId = 0;
    int night = 0;
};

struct Result {
    MonthRange month;
    QVector<Finding> findings;   // grouped by kind, in the kinds' order

    int count(Kind kind) const;
    bool isClean() const { return findings.isEmpty(); }
    // How many findings would need the user's confirmation to close.
    int blocking() const;
};

// Runs the check of a month (reads only).
Result run(TDataModule6& dm, const MonthRange& month);

// Re-posts, in one transaction under the postings' locks, exactly the
// timesheet days the check found to disagree with their records. Answers how
// many days it posted. A closed month refuses (nothing is written).
int repostTimesheetDays(TDataModule6& dm, const Result& result);

// The statements of the check, with :first, :next (the month's bounds),
// :year, :month and :days bound.
QString shiftTimesheetSql();
QString typedTimesheetSql();
QString shiftRecordsSql();
QString operationsWithoutPriceSql();
QString dayHoursSql();
QString maintenanceRecordsSql();

} // namespace MonthCheck
