#pragma once
#include <QDate>
#include <QString>
#include <QVector>

class TDataModule6;

// The day posting: after a source record that carries hours is saved or
// deleted, the worker's total hours of that day are summed from the source
// table and written into the day's column of his timesheet row.
//
// Each posting runs inside a transaction (the caller's, when it has one, so
// that the source statement and its posting commit together) and holds an
// advisory lock on the timesheet key, so that two copies of the program
// posting the first hours of one key never create two rows.
namespace DayPosting {

// The month-wide lock, held until the transaction ends: every posting takes
// it shared for its month before the lock of its key, and a month rebuild
// takes it exclusively, so that a rebuild never interleaves with a posting
// of the same month.
//
// Once the lock is held, a closed month refuses (MonthClosing::ClosedMonthError):
// every writer of a month's records, timesheet rows or prices takes this
// lock, so none writes into a closed month, and a month closed by another
// copy a moment ago is seen. Only closing and opening a month itself take
// the lock with `Allow`.
enum class MonthLock { Shared, Exclusive };
enum class ClosedMonth { Refuse, Allow };
void lockMonth(TDataModule6& dm, int year, int month, MonthLock mode, ClosedMonth closed = ClosedMonth::Refuse);
// What a transaction holds (Database::holds) once it found the month open
// under its lock; closing the month forgets it.
QString openMonthFact(int year, int month);

// The key of a shift-keyed timesheet row, as a record's worker, shift and
// day give it (the row holds the day's month).
struct ShiftKey {
    int worker = 0;
    int shift = 0;
    QDate date;
};
// The key of a typed timesheet row.
struct TypedKey {
    int worker = 0;
    int kind = 0;
    int night = 0;
    QDate date;
};

// Takes the posting locks of these keys in the caller's transaction, in one
// fixed order whatever order they are given in (the shared locks of their
// months first, then the keys), so that two copies locking
// the same two keys never wait for each other. A writer takes them before
// it decides anything from the table (a duplicate check); the postings then
// find them held.
void lockShiftKeys(TDataModule6& dm, const QVector<ShiftKey>& keys);
// The shared locks of the months of these days alone, earliest month first,
// each once (a closed one refuses): for a writer that touches a month's
// data without a timesheet key of its own.
void lockMonths(TDataModule6& dm, const QVector<QDate>& days);
void lockTypedKeys(TDataModule6& dm, const QVector<TypedKey>& keys);

// Shift-keyed rows (w_id, smena, month, year), fed from accounts_dep.smena.
void shiftAfterSave(TDataModule6& dm, int worker, int shift, const QDate& date);
void shiftAfterDelete(TDataModule6& dm, int worker, int shift, const QDate& date);
// After an edit: posts the record's key and, when the edit moved the record
// to another worker, shift or day, re-posts the key it left, so that no day
// keeps hours that no record carries.
void shiftAfterEdit(TDataModule6& dm, int oldWorker, int oldShift, const QDate& oldDate, int worker, int shift,
                    const QDate& date);

// Typed rows (w_id, i_type, i_night, month, year), fed from accounts_dep.fatigue.
void typedAfterSave(TDataModule6& dm, int worker, int kind, int night, const QDate& date);
void typedAfterDelete(TDataModule6& dm, int worker, int kind, int night, const QDate& date);
void typedAfterEdit(TDataModule6& dm, int oldWorker, int oldKind, int oldNight, const QDate& oldDate, int worker,
                    int kind, int night, const QDate& date);

} // namespace DayPosting
