#include "ledger/ProductDelete.h"
#include "db/TDataModule6.h"
#include "db/Command.h"
#include "db/Database.h"
#include "db/Dataset.h"
#include "ledger/DayPosting.h"

namespace ProductDelete {

QDate shiftRecordsSince(const QDate& today)
{
    int month = today.month();
    if (month == 1)
        month = 13;
    return QDate(2000, month - 1, 1);
}

Usage count(Dataset& izdelSmena, Dataset& iiOper, qlonglong productId, const QDate& today)
{
    Usage usage;
    izdelSmena.close();
    izdelSmena.setParam(QStringLiteral("id_ii"), productId);
    izdelSmena.setParam(QStringLiteral("dt"), shiftRecordsSince(today));
    izdelSmena.open();
    usage.shiftRecords = izdelSmena.field(QStringLiteral("cnt")).asLongLong();
    izdelSmena.close();

    iiOper.close();
    iiOper.setParam(QStringLiteral("id_ii"), productId);
    iiOper.open();
    usage.operations = iiOper.field(QStringLiteral("cnt")).asLongLong();
    iiOper.close();
    return usage;
}

Plan ask(const Usage& usage, const std::function<bool(const QString& question)>& askYes)
{
    Plan plan;
    if (usage.operations > 0)
        plan.operations = askYes(kPricesQuestion);
    if (usage.shiftRecords > 0) {
        plan.shiftRecords = plan.product = askYes(kRecordsQuestion);
    } else {
        plan.product = askYes(kProductQuestion);
    }
    return plan;
}

namespace {

// A day that shift records of the product stand on.
struct Day {
    int worker, shift;
    QDate date;
    bool keyed;   // a record without worker or shift has no timesheet row
    bool operator==(const Day& o) const { return worker == o.worker && shift == o.shift && date == o.date; }
};

// The days of the product's records that `sql` (parameter :id) reads, in
// one order (worker, shift, date).
QVector<Day> daysOf(TDataModule6& dm, const QString& sql, qlonglong productId)
{
    Dataset days(dm.ADO_DB, QStringLiteral("product_days"));
    days.setSql(sql + QStringLiteral(" select distinct w_id, smena, data, (w_id is not null and smena is not null)::int "
                                     "as keyed from gone where data is not null order by w_id, smena, data"));
    days.setParam(QStringLiteral("id"), productId);
    days.open();
    QVector<Day> out;
    for (days.first(); !days.eof(); days.next())
        out.append({days.field(QStringLiteral("w_id")).asInt(), days.field(QStringLiteral("smena")).asInt(),
                    days.field(QStringLiteral("data")).asDate(), days.field(QStringLiteral("keyed")).asInt() != 0});
    days.close();
    return out;
}

QVector<DayPosting::ShiftKey> keysOf(const QVector<Day>& days)
{
    QVector<DayPosting::ShiftKey> keys;
    for (const Day& d : days)
        keys.append({d.worker, d.shift, d.date});
    return keys;
}

// How often the delete starts again when a record of the product moved onto
// a day it had not locked; the last try locks such a day late.
constexpr int kTries = 3;

} // namespace

void run(TDataModule6& dm, qlonglong productId, const Plan& plan)
{
    if (plan.isEmpty())
        return;
    Command& command = dm.DelSmena;
    auto exec = [&](const QString& sql) {
        command.setText(sql);
        command.clearParams();
        command.setParam(QStringLiteral("id"), productId);
        command.execute();
    };
    for (int attempt = 1;; ++attempt) {
        Transaction tx(dm.ADO_DB);
        if (plan.shiftRecords) {
            // The locks of every day the records stand on come first, in the
            // postings' one order (the months, earliest first, then the keys),
            // before a record is touched: a copy that changes one of these
            // records holds its key and then waits for the record, so taking
            // the keys after the delete would wait for it in a circle. The
            // month locks of every record also make a closed month refuse the
            // whole delete.
            const QVector<Day> locked = daysOf(
                dm, QStringLiteral("with gone as (select s.w_id, s.smena, s.data from accounts_dep.smena s "
                                   "where s.i_id =cast(:id as bigint))"),
                productId);
            DayPosting::lockShiftKeys(dm, keysOf(locked));
            // The days the deleted records leave, read from the delete itself.
            const QVector<Day> left = daysOf(
                dm, QStringLiteral("with gone as (delete from accounts_dep.smena s where s.i_id =cast(:id as bigint) "
                                   "returning s.w_id, s.smena, s.data)"),
                productId);
            QVector<Day> late;
            for (const Day& d : left)
                if (!locked.contains(d))
                    late.append(d);
            if (!late.isEmpty()) {
                // Another copy moved a record of the product onto another day
                // in between: start again with the locks of the days as they
                // are now (the transaction's end releases the ones held).
                if (attempt < kTries)
                    continue;
                DayPosting::lockShiftKeys(dm, keysOf(late));
            }
            for (const Day& d : left)
                if (d.keyed)
                    DayPosting::shiftAfterDelete(dm, d.worker, d.shift, d.date);
        }
        if (plan.operations)
            exec(QStringLiteral("delete from accounts_dep.oper o where o.i_id =cast(:id as bigint)"));
        if (plan.product)
            exec(QStringLiteral("delete from cmn_gds_and_srv.gds_and_srv  where id=:id"));
        tx.commit();
        return;
    }
}

} // namespace ProductDelete
