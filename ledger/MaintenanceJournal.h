#pragma once
#include "ledger/LoginCodes.h"
#include "db/DatasetModel.h"

#include <QDate>
#include <QString>
#include <QVector>

class TDataModule6;

// What the maintenance works journal reads and writes, apart from its
// window: the day's list, the deletion with its posting, the month's
// average piece rates, and what each role may do there.
namespace MaintenanceJournal {

// The maintenance records of one day (parameter :d_date), by worker name
// and id, with the kind, worker and group names, the pay and the marks.
QString fatigueSql();
QVector<GridColumn> columns();

// The buttons of the journal a role may use: adding, changing and deleting
// as the daily journal's buttons of the same names; the average piece-rate
// calculation, which reprices a whole month, with full access only.
struct Rights {
    bool add = false;
    bool change = false;
    bool remove = false;
    bool calculate = false;
};
Rights rightsFor(LoginRole role);

// Deletes record `id` and re-posts the day it held in its worker's typed
// row (worker, kind, night mark and date as stored, read under the key's
// lock, not as a list showed them); both commit together. Answers false
// when there was no such record (another copy deleted it).
bool remove(TDataModule6& dm, int id);

// The average piece rate of the maintenance record `f` of the statement
// around it (a correlated sub-select): the worker's piece earnings per hour
// on the record's nomenclature group over the shift records dated from
// `first` up to, not including, `next` (SQL date expressions), with the
// record's own day-off and night factors; 0 without shift hours.
QString averageRateOf(const QString& first, const QString& next);

// The update that sets the price of every average-piecework record of the
// month of `date` to the worker's piece earnings per hour on the record's
// nomenclature group in that month (0 without shift records).
QString averageRateSql(const QDate& date);

struct RateOutcome {
    int priced = 0;      // average-piecework records of the month repriced
    int zero = 0;        // of them, priced 0 for want of shift records
};
// Runs the update in one transaction and tells what it did.
RateOutcome calculateAverageRates(TDataModule6& dm, const QDate& date);
QString outcomeMessage(const RateOutcome& outcome, const QDate& date);

} // namespace MaintenanceJournal
