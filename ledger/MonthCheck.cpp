#include "ledger/MonthCheck.h"
#include "db/TDataModule6.h"
#include "db/Database.h"
#include "db/Dataset.h"
#include "ledger/DayPosting.h"
#include "ledger/RecordEntry.h"
#include "ledger/PriceRule.h"

#include <QStringList>
#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace {

using MonthCheck::Finding;
using MonthCheck::Kind;
using MonthCheck::Source;

// "(1, h.d1), (2, h.d2), ..., (31, h.d31)": a timesheet row's days as rows.
QString dayValues()
{
    QStringList values;
    for (int d = 1; d <= 31; ++d)
        values << QStringLiteral("(%1, h.d%1)").arg(d);
    return values.join(QStringLiteral(", "));
}

// Opens `q` on `sql` with the month's parameters bound.
void openFor(Dataset& q, const QString& sql, const MonthRange& month)
{
    q.close();
    q.setSql(sql);
    q.setParam(QStringLiteral("first"), month.first());
    q.setParam(QStringLiteral("next"), month.next());
    q.setParam(QStringLiteral("year"), month.year);
    q.setParam(QStringLiteral("month"), month.month);
    q.setParam(QStringLiteral("days"), month.days());
    q.open();
}

QString hoursText(const Field& f)
{
    return f.isNull() ? QStringLiteral("0") : f.asString();
}

QString operationText(Dataset& q)
{
    const QString mark = q.field(QStringLiteral("marka")).asTrimmed();
    const QString kind = q.field(QStringLiteral("vid")).asTrimmed();
    if (mark.isEmpty() && kind.isEmpty())
        return QString();
    return mark + QStringLiteral("; ") + kind;
}

QString withOperation(const QString& text, Dataset& q)
{
    const QString op = operationText(q);
    return op.isEmpty() ? text : text + QStringLiteral(": ") + op;
}

QString workerName(Dataset& q, const QString& idField)
{
    const QString name = q.field(QStringLiteral("fio")).asTrimmed();
    if (!name.isEmpty())
        return name;
    const Field id = q.field(idField);
    return id.isNull() ? QStringLiteral("(работник не указан)") : QStringLiteral("(код %1)").arg(id.asString());
}

QString markText(const QString& mark)
{
    return mark.isEmpty() ? QStringLiteral("не принята (без отметки)")
                          : QStringLiteral("не принята (отметка «%1»)").arg(mark);
}

// The timesheet findings of one statement (shift rows or typed rows).
void readTimesheet(Dataset& q, Source source, QVector<Finding>& out, const MonthRange& month)
{
    for (q.first(); !q.eof(); q.next()) {
        Finding f;
        const bool recorded = !q.field(QStringLiteral("hours")).isNull();
        f.kind = recorded ? Kind::TimesheetDiffers : Kind::HoursWithoutRecords;
        f.source = source;
        f.date = QDate(month.year, month.month, q.field(QStringLiteral("day")).asInt());
        f.record = q.field(QStringLiteral("first_id")).asLongLong();
        f.worker = workerName(q, QStringLiteral("w_id"));
        f.workerId = q.field(QStringLiteral("w_id")).asLongLong();
        QString where;
        if (source == Source::ShiftRecord) {
            f.shift = q.field(QStringLiteral("smena")).asInt();
            where = f.shift == 4 ? QStringLiteral("переработка") : QStringLiteral("смена %1").arg(f.shift);
        } else {
            f.kindId = q.field(QStringLiteral("i_type")).asInt();
            f.night = q.field(QStringLiteral("i_night")).asInt();
            const QString kind = q.field(QStringLiteral("vid")).asTrimmed();
            where = (kind.isEmpty() ? QStringLiteral("вид %1").arg(f.kindId) : kind)
                + (f.night != 0 ? QStringLiteral(", ночь") : QString());
        }
        const QString posted = hoursText(q.field(QStringLiteral("posted")));
        f.text = recorded ? QStringLiteral("%1: в табеле %2 ч, по записям %3 ч")
                                .arg(where, posted, hoursText(q.field(QStringLiteral("hours"))))
                          : QStringLiteral("%1: в табеле %2 ч, записей нет").arg(where, posted);
        out << f;
    }
}

Finding shiftFinding(Dataset& q, Kind kind, const QString& text)
{
    Finding f;
    f.kind = kind;
    f.source = Source::ShiftRecord;
    f.date = q.field(QStringLiteral("data")).asDate();
    f.shift = q.field(QStringLiteral("smena")).asInt();
    f.record = q.field(QStringLiteral("id")).asLongLong();
    f.worker = workerName(q, QStringLiteral("w_id"));
    f.workerId = q.field(QStringLiteral("w_id")).asLongLong();
    f.text = text;
    return f;
}

void readShiftRecords(Dataset& q, QVector<Finding>& out)
{
    for (q.first(); !q.eof(); q.next()) {
        const Field price = q.field(QStringLiteral("cena"));
        if (price.isNull())
            out << shiftFinding(q, Kind::NoPrice, withOperation(QStringLiteral("без цены"), q));
        else if (price.asFloat() == 0)
            out << shiftFinding(q, Kind::NoPrice, withOperation(QStringLiteral("цена 0"), q));
        const QString quantity = q.field(QStringLiteral("kol_vo")).asString();
        const QString rejects = q.field(QStringLiteral("brak")).asString();
        if (q.field(QStringLiteral("over_rejects")).asInt() != 0)
            out << shiftFinding(q, Kind::RejectsAboveQuantity,
                                withOperation(QStringLiteral("брак %1 больше количества %2").arg(rejects, quantity), q));
        if (q.field(QStringLiteral("no_pieces")).asInt() != 0)
            out << shiftFinding(q, Kind::HoursWithoutPieces,
                                withOperation(QStringLiteral("%1 ч, годных изделий нет (кол-во %2, брак %3)")
                                                  .arg(q.field(QStringLiteral("time")).asString(),
                                                       quantity.isEmpty() ? QStringLiteral("0") : quantity,
                                                       rejects.isEmpty() ? QStringLiteral("0") : rejects),
                                              q));
        const QString mark = q.field(QStringLiteral("ok")).asString();
        if (!RecordEntry::isAccepted(mark))
            out << shiftFinding(q, Kind::NotAccepted, withOperation(markText(mark), q));
        const auto missing = [&](const char* flag, const char* idField, const QString& none, const QString& what) {
            if (q.field(QLatin1String(flag)).asInt() == 0)
                return;
            const Field id = q.field(QLatin1String(idField));
            out << shiftFinding(q, Kind::MissingReference,
                                id.isNull() ? none : QStringLiteral("%1 с кодом %2 не существует").arg(what, id.asString()));
        };
        missing("no_worker", "w_id", QStringLiteral("работник не указан"), QStringLiteral("работник"));
        missing("no_product", "i_id", QStringLiteral("изделие не указано"), QStringLiteral("изделие"));
        missing("no_oper", "o_id", QStringLiteral("операция не указана"), QStringLiteral("операция"));
    }
}

void readOperations(Dataset& q, QVector<Finding>& out)
{
    for (q.first(); !q.eof(); q.next()) {
        Finding f = shiftFinding(q, Kind::OperationWithoutPrice, QString());
        const QString op = operationText(q);
        f.text = QStringLiteral("%1: в нормах нет цены, записей за месяц: %2")
                     .arg(op.isEmpty() ? QStringLiteral("операция %1").arg(q.field(QStringLiteral("o_id")).asString()) : op,
                          q.field(QStringLiteral("n")).asString());
        out << f;
    }
}

void readDayHours(Dataset& q, QVector<Finding>& out)
{
    for (q.first(); !q.eof(); q.next()) {
        Finding f;
        f.kind = Kind::DayOver24Hours;
        f.date = q.field(QStringLiteral("day")).asDate();
        f.worker = workerName(q, QStringLiteral("w_id"));
        f.workerId = q.field(QStringLiteral("w_id")).asLongLong();
        if (!q.field(QStringLiteral("shift_id")).isNull()) {
            f.source = Source::ShiftRecord;
            f.record = q.field(QStringLiteral("shift_id")).asLongLong();
            f.shift = q.field(QStringLiteral("smena")).asInt();
        } else {
            f.source = Source::MaintenanceRecord;
            f.record = q.field(QStringLiteral("maint_id")).asLongLong();
        }
        f.text = QStringLiteral("за день %1 ч (в сменах %2 ч, хоз. работы и ср. сдельная %3 ч)")
                     .arg(q.field(QStringLiteral("total")).asString(), hoursText(q.field(QStringLiteral("shift_hours"))),
                          hoursText(q.field(QStringLiteral("maint_hours"))));
        out << f;
    }
}

void readMaintenance(Dataset& q, QVector<Finding>& out)
{
    for (q.first(); !q.eof(); q.next()) {
        auto finding = [&](Kind kind, const QString& text) {
            Finding f;
            f.kind = kind;
            f.source = Source::MaintenanceRecord;
            f.date = q.field(QStringLiteral("d_date")).asDate();
            f.record = q.field(QStringLiteral("id")).asLongLong();
            f.worker = workerName(q, QStringLiteral("id_p"));
            f.workerId = q.field(QStringLiteral("id_p")).asLongLong();
            f.text = text;
            out << f;
        };
        if (q.field(QStringLiteral("not_averaged")).asInt() != 0) {
            const Field price = q.field(QStringLiteral("price"));
            finding(Kind::AverageNotCalculated,
                    price.isNull() ? QStringLiteral("цена не рассчитана «Расчитать ср.сд.»")
                                   : QStringLiteral("цена %1 не рассчитана «Расчитать ср.сд.» после изменения записи")
                                         .arg(PriceRule::displayText(price.asFloat())));
        }
        const auto missing = [&](const char* flag, const char* idField, const QString& none, const QString& what) {
            if (q.field(QLatin1String(flag)).asInt() == 0)
                return;
            const Field id = q.field(QLatin1String(idField));
            finding(Kind::MissingReference,
                    id.isNull() ? none : QStringLiteral("%1 с кодом %2 не существует").arg(what, id.asString()));
        };
        missing("no_worker", "id_p", QStringLiteral("работник не указан"), QStringLiteral("работник"));
        missing("no_kind", "id_o", QStringLiteral("вид работ не указан"), QStringLiteral("вид работ"));
        missing("no_group", "id_nom", QString(), QStringLiteral("номенклатурная группа"));
    }
}

} // namespace

namespace MonthCheck {

QString title(Kind kind)
{
    switch (kind) {
    case Kind::TimesheetDiffers: return QStringLiteral("Табель расходится с записями");
    case Kind::HoursWithoutRecords: return QStringLiteral("Часы в табеле без записей");
    case Kind::NoPrice: return QStringLiteral("Записи с ценой 0 или без цены");
    case Kind::OperationWithoutPrice: return QStringLiteral("Операции без цены в нормах");
    case Kind::RejectsAboveQuantity: return QStringLiteral("Брак больше количества");
    case Kind::DayOver24Hours: return QStringLiteral("Больше 24 часов за день");
    case Kind::HoursWithoutPieces: return QStringLiteral("Часы без годных изделий");
    case Kind::NotAccepted: return QStringLiteral("Не принятые записи");
    case Kind::AverageNotCalculated: return QStringLiteral("Ср. сдельная не рассчитана");
    case Kind::MissingReference: return QStringLiteral("Ссылки на несуществующие данные");
    }
    return QString();
}

bool blocksClosing(Kind kind)
{
    return kind == Kind::TimesheetDiffers || kind == Kind::HoursWithoutRecords || kind == Kind::NoPrice
        || kind == Kind::OperationWithoutPrice;
}

bool isTimesheet(Kind kind)
{
    return kind == Kind::TimesheetDiffers || kind == Kind::HoursWithoutRecords;
}

int Result::count(Kind kind) const
{
    return int(std::count_if(findings.begin(), findings.end(), [kind](const Finding& f) { return f.kind == kind; }));
}

int Result::blocking() const
{
    return int(std::count_if(findings.begin(), findings.end(), [](const Finding& f) { return blocksClosing(f.kind); }));
}

QString shiftTimesheetSql()
{
    return QStringLiteral(
               "with posted as (select h.w_id, h.smena, d.day, d.val from accounts_dep.h_tabel h "
               "cross join lateral (values %1) as d(day, val) "
               "where h.year=:year and h.month=:month and h.smena>0 and d.day<=:days), "
               "recs as (select s.w_id, s.smena, extract(day from s.data)::int as day, sum(coalesce(s.time, 0)) as hours, "
               "min(s.id) as first_id from accounts_dep.smena s "
               "where s.data>=:first and s.data<:next and s.smena>0 and s.w_id is not null group by 1, 2, 3) "
               "select coalesce(p.w_id, r.w_id) as w_id, coalesce(p.smena, r.smena) as smena, coalesce(p.day, r.day) as day, "
               "p.val as posted, r.hours, r.first_id, w.fio "
               "from posted p full join recs r on r.w_id=p.w_id and r.smena=p.smena and r.day=p.day "
               "left join accounts_dep.person w on w.id=coalesce(p.w_id, r.w_id) "
               "where coalesce(p.val, 0)<>coalesce(r.hours, 0) order by 3, 2, w.fio, 1")
        .arg(dayValues());
}

QString typedTimesheetSql()
{
    return QStringLiteral(
               "with posted as (select h.w_id::bigint as w_id, h.i_type::bigint as i_type, h.i_night, d.day, d.val "
               "from accounts_dep.h_tabel h cross join lateral (values %1) as d(day, val) "
               "where h.year=:year and h.month=:month and h.smena=0 and d.day<=:days), "
               "recs as (select f.id_p::bigint as w_id, f.id_o::bigint as i_type, f.i_night, "
               "extract(day from f.d_date)::int as day, sum(coalesce(f.cnt, 0)) as hours, min(f.id) as first_id "
               "from accounts_dep.fatigue f where f.d_date>=:first and f.d_date<:next and f.id_p is not null "
               "and f.id_o is not null and f.i_night is not null group by 1, 2, 3, 4) "
               "select coalesce(p.w_id, r.w_id) as w_id, coalesce(p.i_type, r.i_type) as i_type, "
               "coalesce(p.i_night, r.i_night) as i_night, coalesce(p.day, r.day) as day, p.val as posted, r.hours, "
               "r.first_id, w.fio, v.vid "
               "from posted p full join recs r on r.w_id=p.w_id and r.i_type=p.i_type and r.i_night=p.i_night and r.day=p.day "
               "left join accounts_dep.person w on w.id=coalesce(p.w_id, r.w_id) "
               "left join accounts_dep.vid_oper v on v.id=coalesce(p.i_type, r.i_type) "
               "where coalesce(p.val, 0)<>coalesce(r.hours, 0) order by 4, w.fio, 1, 2, 3")
        .arg(dayValues());
}

QString shiftRecordsSql()
{
    return QStringLiteral(
        "select s.id, s.data, s.smena, s.w_id, s.i_id, s.o_id, w.fio, s.cena, s.kol_vo, s.brak, s.time, s.ok, "
        "i.marka, v.vid, (s.brak>s.kol_vo)::int as over_rejects, "
        "(coalesce(s.time, 0)>0 and coalesce(s.kol_vo, 0)-coalesce(s.brak, 0)<=0)::int as no_pieces, "
        "(w.id is null)::int as no_worker, (g.id is null)::int as no_product, (o.id is null)::int as no_oper "
        "from accounts_dep.smena s "
        "left join accounts_dep.person w on w.id=s.w_id "
        "left join cmn_gds_and_srv.gds_and_srv g on g.id=s.i_id "
        "left join accounts_dep.izdel i on i.id=s.i_id "
        "left join accounts_dep.oper o on o.id=s.o_id "
        "left join accounts_dep.vid_oper v on v.id=o.vid "
        "where s.data>=:first and s.data<:next and (s.cena is null or s.cena=0 or s.brak>s.kol_vo "
        "or (coalesce(s.time, 0)>0 and coalesce(s.kol_vo, 0)-coalesce(s.brak, 0)<=0) "
        "or s.ok is null or s.ok not in ('ok', 'да') or w.id is null or g.id is null or o.id is null) "
        "order by s.data, s.smena, w.fio, s.id");
}

QString operationsWithoutPriceSql()
{
    return QStringLiteral(
        "with used as (select s.o_id, count(*) as n, min(s.id) as first_id from accounts_dep.smena s "
        "where s.data>=:first and s.data<:next and s.o_id is not null "
        "and not exists (select 1 from accounts_dep.norm n where n.o_id=s.o_id and n.price>0) group by s.o_id) "
        "select u.o_id, u.n, s.id, s.data, s.smena, s.w_id, w.fio, i.marka, v.vid "
        "from used u join accounts_dep.oper o on o.id=u.o_id "
        "join accounts_dep.smena s on s.id=u.first_id "
        "left join accounts_dep.person w on w.id=s.w_id "
        "left join accounts_dep.izdel i on i.id=o.i_id "
        "left join accounts_dep.vid_oper v on v.id=o.vid "
        "order by i.marka, v.vid, u.o_id");
}

QString dayHoursSql()
{
    return QStringLiteral(
        "with hours as (select s.w_id::bigint as w_id, s.data as day, coalesce(s.time, 0) as h, 0 as maint, s.id as sid, "
        "null::bigint as fid from accounts_dep.smena s where s.data>=:first and s.data<:next and s.w_id is not null "
        "union all select f.id_p::bigint, f.d_date, coalesce(f.cnt, 0), 1, null, f.id from accounts_dep.fatigue f "
        "where f.d_date>=:first and f.d_date<:next and f.id_p is not null), "
        "days as (select w_id, day, sum(h) as total, sum(h) filter (where maint=0) as shift_hours, "
        "sum(h) filter (where maint=1) as maint_hours, min(sid) as shift_id, min(fid) as maint_id "
        "from hours group by w_id, day having sum(h)>24) "
        "select d.*, s.smena, w.fio from days d left join accounts_dep.smena s on s.id=d.shift_id "
        "left join accounts_dep.person w on w.id=d.w_id order by d.day, w.fio, d.w_id");
}

QString maintenanceRecordsSql()
{
    return QStringLiteral(
        "select f.id, f.d_date, f.id_p, f.id_o, f.id_nom, f.price, w.fio, "
        "(f.id_o=7778 and not f.price_by_average)::int as not_averaged, "
        "(w.id is null)::int as no_worker, (v.id is null)::int as no_kind, "
        "(f.id_nom is not null and f.id_nom<>0 and g.id is null)::int as no_group "
        "from accounts_dep.fatigue f "
        "left join accounts_dep.person w on w.id=f.id_p "
        "left join accounts_dep.vid_oper v on v.id=f.id_o "
        "left join cmn_classifier.item g on g.id=f.id_nom "
        "where f.d_date>=:first and f.d_date<:next and ((f.id_o=7778 and not f.price_by_average) "
        "or w.id is null or v.id is null or (f.id_nom is not null and f.id_nom<>0 and g.id is null)) "
        "order by f.d_date, w.fio, f.id");
}

Result run(TDataModule6& dm, const MonthRange& month)
{
    Result result;
    result.month = month;
    Dataset q(dm.ADO_DB, QStringLiteral("month_check"));
    QVector<Finding> all;
    openFor(q, shiftTimesheetSql(), month);
    readTimesheet(q, Source::ShiftRecord, all, month);
    openFor(q, typedTimesheetSql(), month);
    readTimesheet(q, Source::MaintenanceRecord, all, month);
    openFor(q, shiftRecordsSql(), month);
    readShiftRecords(q, all);
    openFor(q, operationsWithoutPriceSql(), month);
    readOperations(q, all);
    openFor(q, dayHoursSql(), month);
    readDayHours(q, all);
    openFor(q, maintenanceRecordsSql(), month);
    readMaintenance(q, all);
    q.close();
    // Grouped by kind, by day within a kind, and otherwise in the order the
    // statements gave.
    std::stable_sort(all.begin(), all.end(), [](const Finding& a, const Finding& b) {
        return std::tie(a.kind, a.date) < std::tie(b.kind, b.date);
    });
    result.findings = std::move(all);
    return result;
}

int repostTimesheetDays(TDataModule6& dm, const Result& result)
{
    QVector<const Finding*> shiftDays, typedDays;
    for (const Finding& f : result.findings) {
        if (!isTimesheet(f.kind))
            continue;
        (f.source == Source::ShiftRecord ? shiftDays : typedDays) << &f;
    }
    if (shiftDays.isEmpty() && typedDays.isEmpty())
        return 0;
    return inTransaction(dm.ADO_DB, [&] {
        // Every key's lock first, in the postings' one order (shift keys,
        // then typed keys, each set sorted), then the days.
        QVector<DayPosting::ShiftKey> shiftKeys;
        for (const Finding* f : shiftDays)
            shiftKeys.append({int(f->workerId), f->shift, f->date});
        QVector<DayPosting::TypedKey> typedKeys;
        for (const Finding* f : typedDays)
            typedKeys.append({int(f->workerId), f->kindId, f->night, f->date});
        if (!shiftKeys.isEmpty())
            DayPosting::lockShiftKeys(dm, shiftKeys);
        if (!typedKeys.isEmpty())
            DayPosting::lockTypedKeys(dm, typedKeys);
        for (const Finding* f : shiftDays) {
            if (f->kind == Kind::TimesheetDiffers)
                DayPosting::shiftAfterSave(dm, int(f->workerId), f->shift, f->date);
            else
                DayPosting::shiftAfterDelete(dm, int(f->workerId), f->shift, f->date);
        }
        for (const Finding* f : typedDays) {
            if (f->kind == Kind::TimesheetDiffers)
                DayPosting::typedAfterSave(dm, int(f->workerId), f->kindId, f->night, f->date);
            else
                DayPosting::typedAfterDelete(dm, int(f->workerId), f->kindId, f->night, f->date);
        }
        return int(shiftDays.size() + typedDays.size());
    });
}

} // namespace MonthCheck
