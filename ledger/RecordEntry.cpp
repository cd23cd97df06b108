#include "ledger/RecordEntry.h"
#include "db/SharedSql.h"
#include "db/TDataModule6.h"
#include "db/Command.h"
#include "db/DbError.h"
#include "ledger/DayPosting.h"
#include "ledger/PriceRule.h"

#include <QVariant>
#include <limits>
#include <optional>

namespace RecordEntry {

namespace {

using SharedSql::dateText;

void bindValues(Command& command, const Values& v)
{
    command.clearParams();
    command.setParam(QStringLiteral("w_id"), v.key.worker);
    command.setParam(QStringLiteral("i_id"), v.key.product);
    command.setParam(QStringLiteral("o_id"), v.key.operation);
    command.setParam(QStringLiteral("cena"), v.price);
    command.setParam(QStringLiteral("kol_vo"), v.quantity);
    command.setParam(QStringLiteral("brak"), v.rejects);
    command.setParam(QStringLiteral("data"), v.key.date);
    command.setParam(QStringLiteral("smena"), v.key.shift);
    command.setParam(QStringLiteral("color"), v.key.colour);
    command.setParam(QStringLiteral("time"), v.hours);
    command.setParam(QStringLiteral("vvod"), v.entered);
}

// Runs a one-row query in the data module's Control and hands its row over.
template <typename Read>
void readOne(TDataModule6& dm, const QString& sql, Read read)
{
    dm.Control.close();
    dm.Control.clearSql();
    dm.Control.addSql(sql);
    try {
        dm.Control.open();
        read(dm.Control);
    } catch (...) {
        dm.Control.close();
        throw;
    }
    dm.Control.close();
}

// The timesheet key of a stored record, if it exists.
std::optional<DayPosting::ShiftKey> placeOf(TDataModule6& dm, int id)
{
    std::optional<DayPosting::ShiftKey> place;
    readOne(dm, QStringLiteral("select w_id, smena, data from accounts_dep.smena where id=") + QString::number(id),
            [&](Dataset& q) {
                if (!q.isEmpty())
                    place = DayPosting::ShiftKey{q.field(QStringLiteral("w_id")).asInt(),
                                                 q.field(QStringLiteral("smena")).asInt(),
                                                 q.field(QStringLiteral("data")).asDate()};
            });
    return place;
}

bool samePlace(const DayPosting::ShiftKey& a, const DayPosting::ShiftKey& b)
{
    return a.worker == b.worker && a.shift == b.shift && a.date == b.date;
}

// The record's key locked. It was read before its lock was held, so it is
// read again: when another copy moved the record in between, the key it
// stands on now is locked too.
std::optional<DayPosting::ShiftKey> lockedPlaceOf(TDataModule6& dm, int id, std::optional<DayPosting::ShiftKey> also)
{
    std::optional<DayPosting::ShiftKey> place = placeOf(dm, id);
    if (!place)
        return place;
    QVector<DayPosting::ShiftKey> keys{*place};
    if (also)
        keys << *also;
    DayPosting::lockShiftKeys(dm, keys);
    const std::optional<DayPosting::ShiftKey> now = placeOf(dm, id);
    if (now && !samePlace(*now, *place))
        DayPosting::lockShiftKeys(dm, {*now});
    return now;
}


} // namespace

bool isPainting(const QString& operationText)
{
    return operationText.toUpper().contains(QStringLiteral("КРАСКА"));
}

bool isComplete(const Input& input)
{
    for (const QString* field : {&input.worker, &input.operation, &input.quantity, &input.rejects, &input.hours})
        if (field->trimmed().isEmpty())
            return false;
    return !(isPainting(input.operation) && input.colour.trimmed().isEmpty());
}

qlonglong wholeNumber(const QString& text, qlonglong max)
{
    const QString digits = text.trimmed();
    bool ok = !digits.isEmpty();
    for (const QChar c : digits)
        ok = ok && c >= u'0' && c <= u'9';
    const qlonglong value = ok ? digits.toLongLong(&ok) : 0;
    if (!ok || value > max)
        throw InputError(QStringLiteral("'%1' не является целым числом").arg(text));
    return value;
}

int colourCode(const QString& text)
{
    if (text.trimmed().isEmpty())
        return 0;
    return int(wholeNumber(text, std::numeric_limits<int>::max()));
}

QString quantityText(const QVariant& stored)
{
    QString text = stored.toString().trimmed();
    const qsizetype point = text.indexOf(u'.');
    if (point < 0)
        return text;
    for (qsizetype i = point + 1; i < text.size(); ++i)
        if (text.at(i) != u'0')
            return text;
    text.truncate(point);
    return text.isEmpty() ? QStringLiteral("0") : text;
}

QString tooManyHoursText()
{
    return QStringLiteral("Время больше %1 часов!").arg(kMaxHours);
}

QString refusal(const Values& v, const QString& operationText)
{
    if (!v.priced)
        return QStringLiteral("У операции «%1» нет цены!").arg(operationText.trimmed());
    if (v.rejects > v.quantity)
        return QStringLiteral("Брак больше количества!");
    if (v.hours > kMaxHours)
        return tooManyHoursText();
    if (!PriceRule::inRange(v.price) || !PriceRule::inRange(double(v.quantity) * v.price))
        return QStringLiteral("Сумма позиции слишком велика!");
    return QString();
}

QString duplicateSql(const Key& key, std::optional<int> exceptId)
{
    QString sql = QStringLiteral("select count(id) as cnt from accounts_dep.SMENA where w_id=") + QString::number(key.worker)
        + QStringLiteral(" and o_id=") + QString::number(key.operation) + QStringLiteral(" and i_id=")
        + QString::number(key.product) + QStringLiteral(" and data=to_date('") + dateText(key.date)
        + QStringLiteral("', 'DD.MM.YYYY') and smena=") + QString::number(key.shift);
    if (exceptId)
        sql += QStringLiteral(" and id<>") + QString::number(*exceptId);
    return sql + QStringLiteral(" and coalesce(color, 0)=") + QString::number(key.colour);
}

void bindInsert(Command& command, const Values& values)
{
    command.setText(QStringLiteral(
        "insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time, vvod,ok, prize, "
        "id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use) values(:w_id, :i_id, :o_id, :cena, :kol_vo, "
        ":brak, :data, :smena, :color, :time, :vvod, 'no', 0, 0, 0, 0, 0, 0)"));
    bindValues(command, values);
}

void bindUpdate(Command& command, const Values& values, int id)
{
    command.setText(QStringLiteral(
        "update accounts_dep.SMENA set w_id=:w_id, i_id=:i_id, o_id=:o_id, cena=:cena, kol_vo=:kol_vo, brak=:brak, "
        "data=:data, smena=:smena, color=:color, time=:time, vvod=:vvod, prize=0, id_doc=0, id_doc_item=0, "
        "f_gds_qty_use=0, id_gds_use=0, id_cons_use=0 where id=:id"));
    bindValues(command, values);
    command.setParam(QStringLiteral("id"), id);
}

std::optional<double> listPriceOf(TDataModule6& dm, int operation)
{
    std::optional<double> price;
    readOne(dm,
            QStringLiteral("select min(price)::numeric as cena from accounts_dep.norm where o_id=")
                + QString::number(operation),
            [&](Dataset& q) {
                if (!q.isEmpty() && !q.field(QStringLiteral("cena")).isNull())
                    price = q.field(QStringLiteral("cena")).asFloat();
            });
    return price;
}

Outcome saveRecord(TDataModule6& dm, Command& command, const Values& values, int id)
{
    const DayPosting::ShiftKey target{values.key.worker, values.key.shift, values.key.date};
    const auto duplicate = [&](std::optional<int> except) {
        int count = 0;
        readOne(dm, duplicateSql(values.key, except), [&](Dataset& q) { count = q.field(QStringLiteral("cnt")).asInt(); });
        return count > 0;
    };
    return inTransaction(dm.ADO_DB, [&] {
        if (id == 0) {
            DayPosting::lockShiftKeys(dm, {target});
            if (duplicate(std::nullopt))
                return Outcome::Duplicate;
            bindInsert(command, values);
            command.execute();
            DayPosting::shiftAfterSave(dm, target.worker, target.shift, target.date);
            return Outcome::Written;
        }
        // Where the record stood before, so that a day it leaves is posted too.
        const std::optional<DayPosting::ShiftKey> old = lockedPlaceOf(dm, id, target);
        if (!old)
            throw DbError(QStringLiteral("Позиция не найдена: она удалена из журнала."));
        if (duplicate(id))
            return Outcome::Duplicate;
        bindUpdate(command, values, id);
        command.execute();
        DayPosting::shiftAfterEdit(dm, old->worker, old->shift, old->date, target.worker, target.shift, target.date);
        return Outcome::Written;
    });
}

Outcome deleteRecord(TDataModule6& dm, int id)
{
    return inTransaction(dm.ADO_DB, [&] {
        const std::optional<DayPosting::ShiftKey> place = lockedPlaceOf(dm, id, std::nullopt);
        if (!place)
            return Outcome::Gone;
        dm.DelSmena.setText(QStringLiteral("delete from accounts_dep.smena where id=") + QString::number(id));
        dm.DelSmena.execute();
        DayPosting::shiftAfterDelete(dm, place->worker, place->shift, place->date);
        return Outcome::Written;
    });
}

Outcome setAcceptance(TDataModule6& dm, int id, const QString& mark)
{
    return inTransaction(dm.ADO_DB, [&] {
        if (!lockedPlaceOf(dm, id, std::nullopt))
            return Outcome::Gone;
        Command update(dm.ADO_DB, QStringLiteral("update accounts_dep.smena set ok=:ok where id=:id"));
        update.setParam(QStringLiteral("ok"), mark);
        update.setParam(QStringLiteral("id"), id);
        update.execute();
        return Outcome::Written;
    });
}

bool isAccepted(const QString& mark)
{
    return mark == QLatin1String("ok") || mark == QStringLiteral("да");
}

QString toggledMark(const QString& mark)
{
    return isAccepted(mark) ? QStringLiteral("no") : QStringLiteral("ok");
}

} // namespace RecordEntry
