#include "ledger/MaintenanceEntry.h"
#include "db/SharedSql.h"
#include "db/TDataModule6.h"
#include "db/DbError.h"
#include "ledger/DayPosting.h"
#include "ledger/PriceRule.h"

#include <QMap>

namespace MaintenanceEntry {

namespace {

QString num(qint64 v)
{
    return QString::number(v);
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

QString priceText(qint64 units)
{
    return PriceRule::sqlText(double(units) / 10000.0);
}

} // namespace

QString typeWorkSql()
{
    return QStringLiteral("select vo.id, vo.vid, n.price, (n.price*:cnt) as summ from accounts_dep.vid_oper vo,"
                          "accounts_dep.norm n, accounts_dep.oper o where n.o_id =o.id and o.vid=vo.id and "
                          "(vo.id = 7777 or vo.id = 7778)");
}

QVector<Kind> kindsOf(const Dataset& typeWork)
{
    QMap<int, Kind> kinds;
    const int idColumn = typeWork.fieldIndex(QStringLiteral("id"));
    const int nameColumn = typeWork.fieldIndex(QStringLiteral("vid"));
    const int priceColumn = typeWork.fieldIndex(QStringLiteral("price"));
    for (int row = 0; row < typeWork.recordCount(); ++row) {
        const int id = typeWork.valueAt(row, idColumn).toInt();
        Kind& kind = kinds[id];
        if (kind.id == 0) {
            kind.id = id;
            kind.name = typeWork.valueAt(row, nameColumn).toString().trimmed();
        }
        // A norm row without a price, or with none above 0, prices nothing.
        const QVariant price = typeWork.valueAt(row, priceColumn);
        if (price.isNull())
            continue;
        const qint64 units = PriceRule::units(price.toDouble());
        if (units > 0 && (!kind.priceUnits || units < *kind.priceUnits))
            kind.priceUnits = units;
    }
    return kinds.values().toVector();
}

qint64 priceUnits(qint64 normUnits, bool dayOff, bool night)
{
    // In hundred-thousandths the factors are exact (2, and 12/10); the
    // product is even, so rounding it to ten-thousandths meets no tie.
    const qint64 fine = normUnits * (dayOff ? 2 : 1) * (night ? 12 : 10);
    return (fine + 5) / 10;
}

QString noPriceMessage(const QString& kindName)
{
    return QStringLiteral("Для вида работ «%1» в нормах не задана цена. Запись не сохранена.").arg(kindName);
}

QString insertSql(const Record& r)
{
    return QStringLiteral("INSERT INTO accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, "
                          "price, i_holiday, i_night)VALUES(")
        + num(r.group) + QStringLiteral(", ") + num(r.kind) + QStringLiteral(" ,") + num(r.worker)
        + QStringLiteral(", to_date('") + SharedSql::dateText(r.date) + QStringLiteral("', 'DD.MM.YYYY'), ")
        + num(r.date.month()) + QStringLiteral(", ") + num(r.date.year()) + QStringLiteral(", ") + num(Shift)
        + QStringLiteral(", ") + num(r.hours) + QStringLiteral(", ") + priceText(r.priceUnits) + QStringLiteral(", ")
        + flag(r.dayOff) + QStringLiteral(", ") + flag(r.night) + QStringLiteral(")");
}

QString updateSql(const Record& r, int id)
{
    return QStringLiteral("UPDATE accounts_dep.fatigue SET id_nom=") + num(r.group) + QStringLiteral(", id_o=") + num(r.kind)
        + QStringLiteral(", id_p=") + num(r.worker) + QStringLiteral(", cnt=") + num(r.hours) + QStringLiteral(", price=")
        + priceText(r.priceUnits) + QStringLiteral(", i_holiday=") + flag(r.dayOff) + QStringLiteral(", i_night=")
        + flag(r.night) + QStringLiteral(" where id=") + num(id);
}

void save(TDataModule6& dm, const Record& record, std::optional<int> changeId)
{
    Transaction tx(dm.ADO_DB);
    if (!changeId) {
        dm.SQL_exec.setText(insertSql(record));
        dm.SQL_exec.execute();
        DayPosting::typedAfterSave(dm, record.worker, record.kind, record.night ? 1 : 0, record.date);
    } else {
        // Where the record stood, so that a key it leaves is posted too; the
        // row stays locked until the change commits.
        Dataset& q = dm.Control;
        q.close();
        q.setSql(QStringLiteral("select id_p, id_o, i_night, d_date from accounts_dep.fatigue where id=")
                 + num(*changeId) + QStringLiteral(" for update"));
        bool found = false;
        int oldWorker = 0, oldKind = 0, oldNight = 0;
        QDate date;
        try {
            q.open();
            found = !q.isEmpty();
            if (found) {
                oldWorker = q.field(QStringLiteral("id_p")).asInt();
                oldKind = q.field(QStringLiteral("id_o")).asInt();
                oldNight = q.field(QStringLiteral("i_night")).asInt();
                date = q.field(QStringLiteral("d_date")).asDate();
            }
        } catch (...) {
            q.close();
            throw;
        }
        q.close();
        if (!found)
            throw DbError(QStringLiteral("Запись не найдена: она удалена из журнала."));
        dm.SQL_exec.setText(updateSql(record, *changeId));
        dm.SQL_exec.execute();
        DayPosting::typedAfterEdit(dm, oldWorker, oldKind, oldNight, date, record.worker, record.kind,
                                   record.night ? 1 : 0, date);
    }
    tx.commit();
}

} // namespace MaintenanceEntry
