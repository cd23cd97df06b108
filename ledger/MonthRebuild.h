#pragma once
#include "ledger/MonthRange.h"

#include <functional>

class TDataModule6;

// The month rebuilds: every timesheet row of one kind of a month is deleted
// and written anew from the source records, so that afterwards a row holds
// exactly the days on which its key has records (other days NULL) and a key
// without records in the month has no row.
//
// Each rebuild is one transaction (the caller's, when one is open) under the
// month's exclusive lock, which the day postings of that month share: it
// commits whole or not at all, and a record posted by another copy while it
// runs is counted exactly once.
namespace MonthRebuild {

// Called after each step with the step's number, from 1 to steps.
using Progress = std::function<void(int step, int steps)>;

// Shift-keyed rows (smena 1..4, overtime included) from accounts_dep.smena;
// the typed rows of the month stay as they are.
void shiftRows(TDataModule6& dm, const MonthRange& month, const Progress& progress = {});
// Typed rows (smena 0) from accounts_dep.fatigue, one per worker, kind and
// night mark; the shift-keyed rows stay as they are.
void typedRows(TDataModule6& dm, const MonthRange& month, const Progress& progress = {});

// The statements of the rebuilds, with the parameters :month, :year,
// :first (the month's first day) and :next (the next month's first day).
QString shiftDeleteSql();
QString shiftInsertSql();
QString typedDeleteSql();
QString typedInsertSql();

} // namespace MonthRebuild
