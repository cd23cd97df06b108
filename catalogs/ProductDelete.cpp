#include "catalogs/ProductDelete.h"
#include "db/Command.h"
#include "db/Database.h"
#include "db/Dataset.h"

namespace ProductDelete {

QDate shiftRecordsSince(const QDate& today)
{
    int month = today.month();
    if (month == 1)
        month = 13;
    return QDate(2000, month - 1, 1);
}

Usage count(Dataset& izdelSmena, Dataset& iiOper, int productId, const QDate& today)
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

void run(Database& db, Command& command, int productId, const Plan& plan)
{
    if (plan.isEmpty())
        return;
    auto exec = [&](const QString& sql) {
        command.setText(sql);
        command.clearParams();
        command.setParam(QStringLiteral("id"), productId);
        command.execute();
    };
    Transaction tx(db);
    if (plan.shiftRecords)
        exec(QStringLiteral("delete from accounts_dep.smena s where s.i_id =:id"));
    if (plan.operations)
        exec(QStringLiteral("delete from accounts_dep.oper o where o.i_id =:id"));
    if (plan.product)
        exec(QStringLiteral("delete from cmn_gds_and_srv.gds_and_srv  where id=:id"));
    tx.commit();
}

} // namespace ProductDelete
