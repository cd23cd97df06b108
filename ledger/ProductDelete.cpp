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
    Transaction tx(dm.ADO_DB);
    if (plan.shiftRecords) {
        // The days the deleted records leave, read from the delete itself,
        // in one order (worker, shift, date) so that the postings' locks
        // are always taken in the same order.
        Dataset days(dm.ADO_DB, QStringLiteral("deleted_days"));
        days.setSql(QStringLiteral("with gone as (delete from accounts_dep.smena s where s.i_id =cast(:id as bigint) "
                                   "returning s.w_id, s.smena, s.data) "
                                   "select distinct w_id, smena, data, (w_id is not null and smena is not null)::int as keyed "
                                   "from gone where data is not null order by w_id, smena, data"));
        days.setParam(QStringLiteral("id"), productId);
        days.open();
        struct Day {
            int worker, shift;
            QDate date;
            bool keyed;   // a record without worker or shift has no timesheet row
        };
        QVector<Day> left;
        for (days.first(); !days.eof(); days.next())
            left.append({days.field(QStringLiteral("w_id")).asInt(), days.field(QStringLiteral("smena")).asInt(),
                         days.field(QStringLiteral("data")).asDate(), days.field(QStringLiteral("keyed")).asInt() != 0});
        days.close();
        // All the keys' locks first, in the postings' one fixed order; the
        // month locks of every deleted record, so that a closed month
        // refuses the whole delete.
        QVector<DayPosting::ShiftKey> keys;
        for (const Day& d : left)
            keys.append({d.worker, d.shift, d.date});
        DayPosting::lockShiftKeys(dm, keys);
        for (const Day& d : left)
            if (d.keyed)
                DayPosting::shiftAfterDelete(dm, d.worker, d.shift, d.date);
    }
    if (plan.operations)
        exec(QStringLiteral("delete from accounts_dep.oper o where o.i_id =cast(:id as bigint)"));
    if (plan.product)
        exec(QStringLiteral("delete from cmn_gds_and_srv.gds_and_srv  where id=:id"));
    tx.commit();
}

} // namespace ProductDelete
