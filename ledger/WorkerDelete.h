#pragma once
#include <QString>

class Command;
class TDataModule6;

// The delete of a worker from the workers catalog.
//
// Shift records point at their worker through a reference the database
// checks; maintenance records and timesheet rows carry his code without
// one, so a deleted worker would leave them behind, dropping out of the
// pay timesheets (also of a closed month). The delete therefore refuses a
// worker who still has any of them.
namespace WorkerDelete {

// What still carries a worker's code.
struct Usage {
    qlonglong shiftRecords = 0;
    qlonglong maintenanceRecords = 0;   // maintenance work and average piecework
    qlonglong timesheetRows = 0;
};

// The refusal of a worker who still has maintenance records or timesheet
// rows, naming what he has and how many of each.
QString refusalText(const QString& fio, const Usage& usage);

// Deletes worker `id` through `command`, in the caller's transaction or in
// one of its own. The months he has records or timesheet rows in are
// locked first (earliest first), so that one of them closed refuses with
// MonthClosing::ClosedMonthError; then he is refused (DbError with
// refusalText) while he has maintenance records or timesheet rows. With
// shift records alone the database's reference refuses, as it always has.
void run(TDataModule6& dm, Command& command, int id);

} // namespace WorkerDelete
