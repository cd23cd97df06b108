#pragma once
#include <QDate>
#include <QString>
#include <functional>

class Dataset;
class TDataModule6;

// The delete of a product with its operations and shift records.
namespace ProductDelete {

inline const QString kPricesQuestion = QStringLiteral("По изделию есть расценки они будут удалены!!!");
inline const QString kRecordsQuestion = QStringLiteral(
    "По изделию есть операции в текущем, предыдущем месяцах и ранее, они будут удалены. Удалить изделие? ");
inline const QString kProductQuestion = QStringLiteral("Удалить изделие? ");

// The shift records counted are those from the first day of the month
// before `today`'s month in the year 2000 (December for January).
QDate shiftRecordsSince(const QDate& today);

struct Usage {
    qlonglong shiftRecords = 0;
    qlonglong operations = 0;
};

// Counts the product's shift records (on `izdelSmena`, parameters id_ii,
// dt) and operations (on `iiOper`, parameter id_ii).
Usage count(Dataset& izdelSmena, Dataset& iiOper, qlonglong productId, const QDate& today);

// What the user confirmed.
struct Plan {
    bool operations = false;
    bool shiftRecords = false;
    bool product = false;
    bool isEmpty() const { return !operations && !shiftRecords && !product; }
};

// Asks the questions in their order; `askYes` shows one and answers true
// for Yes.
Plan ask(const Usage& usage, const std::function<bool(const QString& question)>& askYes);

// Runs the confirmed deletes on the data module's DelSmena as one
// transaction: either all of them are done or, when the database refuses
// one, none. Shift records go before the operations they point to, and
// every day they leave (worker, shift, date) is posted again in the same
// transaction, so that the timesheet keeps no hours of deleted records.
// The locks of those days are taken before the records are deleted, in the
// order every writer of shift records takes them.
void run(TDataModule6& dm, qlonglong productId, const Plan& plan);

} // namespace ProductDelete
