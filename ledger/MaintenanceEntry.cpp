#include "ledger/MaintenanceEntry.h"
#include "db/SharedSql.h"
#include "db/TDataModule6.h"
#include "db/DbError.h"
#include "ledger/DayPosting.h"
#include "ledger/PriceRule.h"
#include "ledger/RecordEntry.h"

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

// The key of a stored record, if it exists.
std::optional<DayPosting::TypedKey> keyOf(TDataModule6& dm, int id)
{
    Dataset& q = dm.Control;
    q.close();
    q.setSql(QStringLiteral("select id_p, id_o, i_night, d_date from accounts_dep.fatigue where id=:id"));
    q.setParam(QStringLiteral("id"), id);
    std::optional<DayPosting::TypedKey> key;
    try {
        q.open();
        if (!q.isEmpty())
            key = DayPosting::TypedKey{q.field(QStringLiteral("id_p")).asInt(), q.field(QStringLiteral("id_o")).asInt(),
                                       q.field(QStringLiteral("i_night")).asInt(),
                                       q.field(QStringLiteral("d_date")).asDate()};
    } catch (...) {
        q.close();
        throw;
    }
    q.close();
    return key;
}

bool sameKey(const DayPosting::TypedKey& a, const DayPosting::TypedKey& b)
{
    return a.worker == b.worker && a.kind == b.kind && a.night == b.night && a.date == b.date;
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

QString hoursRefusal(const QString& typed)
{
    const QString digits = typed.trimmed();
    bool number = false;
    const qlonglong hours = digits.toLongLong(&number);
    if (!number || hours < 1)
        return QStringLiteral("Нужно завести количество!");
    if (hours > RecordEntry::kMaxHours)
        return RecordEntry::tooManyHoursText();
    return QString();
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

std::optional<DayPosting::TypedKey> lockedKeyOf(
    TDataModule6& dm, int id, const std::function<QVector<DayPosting::TypedKey>(const DayPosting::TypedKey&)>& alsoLock)
{
    std::optional<DayPosting::TypedKey> key = keyOf(dm, id);
    while (key) {
        QVector<DayPosting::TypedKey> keys{*key};
        if (alsoLock)
            keys += alsoLock(*key);
        DayPosting::lockTypedKeys(dm, keys);
        // Read before its lock was held, the key may have changed meanwhile;
        // once read under it, nobody moves the record off it.
        const std::optional<DayPosting::TypedKey> now = keyOf(dm, id);
        if (!now || sameKey(*now, *key))
            return now;
        key = now;
    }
    return key;
}

void save(TDataModule6& dm, const Record& record, std::optional<int> changeId)
{
    if (const QString refused = hoursRefusal(QString::number(record.hours)); !refused.isEmpty())
        throw DbError(refused);
    const int night = record.night ? 1 : 0;
    inTransaction(dm.ADO_DB, [&] {
        if (!changeId) {
            DayPosting::lockTypedKeys(dm, {{record.worker, record.kind, night, record.date}});
            dm.SQL_exec.setText(insertSql(record));
            dm.SQL_exec.execute();
            DayPosting::typedAfterSave(dm, record.worker, record.kind, night, record.date);
            return;
        }
        // Where the record stands, so that a key it leaves is posted too; a
        // change keeps the record's date.
        const std::optional<DayPosting::TypedKey> old =
            lockedKeyOf(dm, *changeId, [&](const DayPosting::TypedKey& at) {
                return QVector<DayPosting::TypedKey>{{record.worker, record.kind, night, at.date}};
            });
        if (!old)
            throw DbError(QStringLiteral("Запись не найдена: она удалена из журнала."));
        dm.SQL_exec.setText(updateSql(record, *changeId));
        dm.SQL_exec.execute();
        DayPosting::typedAfterEdit(dm, old->worker, old->kind, old->night, old->date, record.worker, record.kind, night,
                                   old->date);
    });
}

} // namespace MaintenanceEntry
