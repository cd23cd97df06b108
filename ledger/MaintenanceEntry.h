#pragma once
#include <QDate>
#include <QString>
#include <QVector>
#include <QtGlobal>
#include <functional>
#include <optional>

#include "ledger/DayPosting.h"

class Dataset;
class TDataModule6;

// What the maintenance record editor checks and writes, apart from its
// window: the kinds it offers with their hourly prices, the price rule,
// and the insert or update of a record with the posting of its day.
namespace MaintenanceEntry {

// The editor's modes, kept in its tag.
constexpr int Add = 0;
constexpr int Change = 1;

// The two operation kinds of maintenance records.
constexpr int MaintenanceWork = 7777;
constexpr int AveragePiecework = 7778;

// The shift number the editor writes into new records.
constexpr int Shift = 1;

// The kinds with their norm prices (parameter :cnt); one row per norm row.
QString typeWorkSql();

// A kind as the editor offers it: its name and its hourly price, the
// lowest price above 0 among its norm rows, in ten-thousandths. A kind
// whose norm rows carry no such price has none.
struct Kind {
    int id = 0;
    QString name;
    std::optional<qint64> priceUnits;
};

// The kinds of the open `typeWork` query, each once, by id.
QVector<Kind> kindsOf(const Dataset& typeWork);

// The price of one hour as it is written: the norm price, doubled for a day
// off, then times 1.2 for night work; exact, rounded to 4 decimal places.
qint64 priceUnits(qint64 normUnits, bool dayOff, bool night);

// The refusal of a kind without a price.
QString noPriceMessage(const QString& kindName);

// Why the hours typed into the editor may not be written: none or 0 ("Нужно
// завести количество!"), or more than one record may carry (the shift
// editor's "Время больше 24 часов!"); empty when they may.
QString hoursRefusal(const QString& typed);

// One record as the editor writes it.
struct Record {
    qlonglong group = 0;   // id_nom, a 15-digit key
    int kind = 0;       // id_o
    int worker = 0;     // id_p
    QDate date;         // the journal's day (kept as it was by a change)
    int hours = 0;      // cnt
    qint64 priceUnits = 0;
    bool dayOff = false;
    bool night = false;
};

QString insertSql(const Record& record);
// The update keeps the record's date, month, year and shift.
QString updateSql(const Record& record, int id);

// Writes a new record (no `changeId`) or changes record `changeId`, and
// posts the worker's day of the record's key; a change that moved the
// record to another worker or kind also re-posts the key it left. All of it
// commits together or not at all, with the keys' posting locks taken before
// anything is written. Throws DbError, also when the record to change no
// longer exists or its hours are refused (hoursRefusal).
void save(TDataModule6& dm, const Record& record, std::optional<int> changeId = std::nullopt);

// The timesheet key record `id` stands on as stored (worker, kind, night
// mark, date), with its posting locks held, together with those of the keys
// `alsoLock` gives for it (where a change puts the record); none when the
// record is gone. Called inside the writing transaction before the record is
// touched: read again under the locks, it is the key the record keeps until
// the transaction ends, even when another copy moved it a moment ago.
std::optional<DayPosting::TypedKey> lockedKeyOf(
    TDataModule6& dm, int id,
    const std::function<QVector<DayPosting::TypedKey>(const DayPosting::TypedKey&)>& alsoLock = {});

} // namespace MaintenanceEntry
