#include "journal/RecordEntry.h"
#include "db/Command.h"
#include "journal/PriceRule.h"

#include <limits>

namespace RecordEntry {

namespace {

QString dateText(const QDate& d)
{
    return d.toString(QStringLiteral("dd.MM.yyyy"));
}

void bindValues(Command& command, const Values& v)
{
    command.clearParams();
    command.setParam(QStringLiteral("w_id"), v.key.worker);
    command.setParam(QStringLiteral("i_id"), v.key.product);
    command.setParam(QStringLiteral("o_id"), v.key.operation);
    command.setParam(QStringLiteral("cena"), PriceRule::round4(v.price));
    command.setParam(QStringLiteral("kol_vo"), v.quantity);
    command.setParam(QStringLiteral("brak"), v.rejects);
    command.setParam(QStringLiteral("data"), v.key.date);
    command.setParam(QStringLiteral("smena"), v.key.shift);
    command.setParam(QStringLiteral("color"), v.key.colour);
    command.setParam(QStringLiteral("time"), v.hours);
    command.setParam(QStringLiteral("vvod"), v.entered);
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

} // namespace RecordEntry
