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
    RepeatedTimesheetRows, // more than one timesheet row of one key in the month
    NoPrice,               // a shift or maintenance record at price 0 or without a price
    OperationWithoutPrice, // an operation of the month's records without a priced norm
    RejectsAboveQuantity,
    DayOver24Hours,        // a worker's day over all shifts and maintenance records
    HoursWithoutPieces,    // a record with hours and no good pieces
    NotAccepted,
    AverageNotCalculated,  // an average-piecework record not priced by the calculation since its last change,
                           // or whose price the calculation would now set otherwise
    MissingReference,      // a record pointing at a worker, product, operation (kind) or group that does not
                           // exist (or at none)
};
inline constexpr int kKindCount = 11;

// The group title of a kind ("Табель расходится с записями").
QString title(Kind kind);
// Findings that make the pay itself wrong (timesheet days and rows, prices,
// average rates): closing a month with such findings needs the user's
// confirmation.
bool blocksClosing(Kind kind);
// Timesheet findings, which "Исправить табель" mends.
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
    // Why the journal (or the maintenance journal) cannot show the record;
    // empty when it can, or when the finding names no record.
    QString hidden;
};

// Where the record of a finding that the journal cannot show is kept, and
// why the journal cannot show it: what a user is told instead of being led
// to it.
QString hiddenRecordText(const Finding& finding);

struct Result {
    MonthRange month;
    QVector<Finding> findings;   // grouped by kind, in the kinds' order

    int count(Kind kind) const;
    bool isClean() const { return findings.isEmpty(); }
    // Findings that "Исправить табель" mends.
    int timesheet() const;
    // How many findings would need the user's confirmation to close.
    int blocking() const;
};

// Runs the check of a month (reads only).
Result run(TDataModule6& dm, const MonthRange& month);

// What the mend did.
struct Mend {
    int days = 0;          // timesheet days posted
    int removedRows = 0;   // repeated rows of a key removed (their days moved into the key's first row)
    bool operator==(const Mend&) const = default;
};

// Mends the timesheet findings in one transaction, with every key's lock
// taken first in the postings' one order: a key with repeated rows is left
// with its first row, holding the days of all of them, and then every day of
// it that disagrees with its records is posted; of the other keys, exactly
// the days the check found to disagree are posted. A closed month refuses
// (nothing is written).
Mend repostTimesheetDays(TDataModule6& dm, const Result& result);

// The statements of the check, with :first, :next (the month's bounds),
// :year, :month and :days bound.
QString shiftTimesheetSql();
QString typedTimesheetSql();
QString shiftRecordsSql();
QString operationsWithoutPriceSql();
QString dayHoursSql();
QString maintenanceRecordsSql();
QString repeatedRowsSql();
// Whether the journal shows the shift records (and the maintenance journal
// the maintenance records) with the ids of :ids ("{1,2,3}"), and if not why.
QString journalPlacesSql();
QString maintenancePlacesSql();

} // namespace MonthCheck
