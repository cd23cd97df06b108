#include "ledger/MonthCheck.h"
#include "db/TDataModule6.h"
#include "db/Database.h"
#include "db/Dataset.h"
#include "ledger/DayPosting.h"
#include "ledger/RecordEntry.h"
#include "ledger/PriceRule.h"
#include "db/SharedSql.h"
#include "ledger/MaintenanceJournal.h"

#include <QHash>
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

// A timesheet key as a finding names it: "смена 1", "переработка",
// "хоз. работы, ночь".
QString timesheetPlace(Dataset& q, Finding& f)
{
    if (f.source == Source::ShiftRecord) {
        f.shift = q.field(QStringLiteral("smena")).asInt();
        return f.shift == 4 ? QStringLiteral("переработка") : QStringLiteral("смена %1").arg(f.shift);
    }
    f.kindId = q.field(QStringLiteral("i_type")).asInt();
    f.night = q.field(QStringLiteral("i_night")).asInt();
    const QString kind = q.field(QStringLiteral("vid")).asTrimmed();
    return (kind.isEmpty() ? QStringLiteral("вид %1").arg(f.kindId) : kind)
        + (f.night != 0 ? QStringLiteral(", ночь") : QString());
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
        const QString where = timesheetPlace(q, f);
        const QString posted = hoursText(q.field(QStringLiteral("posted")));
        f.text = recorded ? QStringLiteral("%1: в табеле %2 ч, по записям %3 ч")
                                .arg(where, posted, hoursText(q.field(QStringLiteral("hours"))))
                          : QStringLiteral("%1: в табеле %2 ч, записей нет").arg(where, posted);
        out << f;
    }
}

// Keys with more than one timesheet row in the month.
void readRepeated(Dataset& q, QVector<Finding>& out, const MonthRange& month)
{
    for (q.first(); !q.eof(); q.next()) {
        Finding f;
        f.kind = Kind::RepeatedTimesheetRows;
        f.source = q.field(QStringLiteral("smena")).asInt() > 0 ? Source::ShiftRecord : Source::MaintenanceRecord;
        const Field first = q.field(QStringLiteral("first_day"));
        f.date = first.isNull() ? QDate(month.year, month.month, 1) : first.asDate();
        f.record = q.field(QStringLiteral("first_id")).asLongLong();
        f.worker = workerName(q, QStringLiteral("w_id"));
        f.workerId = q.field(QStringLiteral("w_id")).asLongLong();
        const QString where = timesheetPlace(q, f);
        f.text = QStringLiteral("%1: строк табеля за месяц %2, в них %3 ч, по записям %4 ч")
                     .arg(where, q.field(QStringLiteral("n")).asString(), hoursText(q.field(QStringLiteral("posted"))),
                          hoursText(q.field(QStringLiteral("hours"))));
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

QString priceText(const Field& price)
{
    return PriceRule::displayText(price.asFloat());
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
        const Field price = q.field(QStringLiteral("price"));
        const bool stale = q.field(QStringLiteral("stale")).asInt() != 0;
        const QString group = q.field(QStringLiteral("s_caption")).asTrimmed();
        if (q.field(QStringLiteral("no_price")).asInt() != 0) {
            QString text;
            if (!price.isNull() && q.field(QStringLiteral("by_average")).asInt() != 0 && !stale) {
                // What "Расчитать ср.сд." sets without shift hours to go by.
                text = QStringLiteral("цена 0 по «Расчитать ср.сд.»: у работника нет сменных часов по группе%1 за месяц")
                           .arg(group.isEmpty() ? QString() : QStringLiteral(" «%1»").arg(group));
            } else {
                QStringList what;
                for (const QString& name : {q.field(QStringLiteral("vid")).asTrimmed(), group})
                    if (!name.isEmpty())
                        what << name;
                text = price.isNull() ? QStringLiteral("без цены") : QStringLiteral("цена 0");
                if (!what.isEmpty())
                    text += QStringLiteral(": ") + what.join(QStringLiteral(", "));
            }
            finding(Kind::NoPrice, text);
        }
        if (q.field(QStringLiteral("not_averaged")).asInt() != 0) {
            finding(Kind::AverageNotCalculated,
                    price.isNull() ? QStringLiteral("цена не рассчитана «Расчитать ср.сд.»")
                                   : QStringLiteral("цена %1 не рассчитана «Расчитать ср.сд.» после изменения записи")
                                         .arg(priceText(price)));
        } else if (stale) {
            finding(Kind::AverageNotCalculated,
                    QStringLiteral("цена %1 устарела: записи смен месяца изменились, «Расчитать ср.сд.» даст %2")
                        .arg(price.isNull() ? QStringLiteral("(нет)") : priceText(price),
                             priceText(q.field(QStringLiteral("rate")))));
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
        // A record of no group (0 stands for none too) is paid and posted,
        // but no journal lists it.
        if (q.field(QStringLiteral("no_group")).asInt() != 0) {
            const Field id = q.field(QStringLiteral("id_nom"));
            finding(Kind::MissingReference, id.isNull() || id.asLongLong() == 0
                                                ? QStringLiteral("номенклатурная группа не указана")
                                                : QStringLiteral("номенклатурная группа с кодом %1 не существует")
                                                      .arg(id.asString()));
        }
    }
}

QString tableOf(Source source)
{
    return source == Source::ShiftRecord ? QStringLiteral("accounts_dep.smena") : QStringLiteral("accounts_dep.fatigue");
}

// "{1,2,3}": ids as an array parameter.
QString idArray(const QVector<qlonglong>& ids)
{
    QStringList texts;
    for (qlonglong id : ids)
        texts << QString::number(id);
    return QStringLiteral("{") + texts.join(u',') + QStringLiteral("}");
}

// Adds to `why` what is missing when the record's reference `idField` is not
// shown (`flag` 0): `none` when it names nothing (NULL, or 0 where
// `zeroIsNone`), else "<what> с кодом N нет".
void addMissing(QStringList& why, Dataset& q, const char* flag, const char* idField, const QString& none,
                const QString& what, bool zeroIsNone = false)
{
    if (q.field(QLatin1String(flag)).asInt() != 0)
        return;
    const Field id = q.field(QLatin1String(idField));
    const bool named = !id.isNull() && !(zeroIsNone && id.asLongLong() == 0);
    why << (named ? QStringLiteral("%1 с кодом %2 нет").arg(what, id.asString()) : none);
}

// Why the journal does not show a shift record of journalPlacesSql(); empty
// when it does.
QString shiftRecordHidden(Dataset& q)
{
    QStringList why;
    const auto missing = [&](const char* flag, const char* idField, const QString& none, const QString& what) {
        addMissing(why, q, flag, idField, none, what);
    };
    if (q.field(QStringLiteral("mark_shown")).asInt() == 0) {
        const Field mark = q.field(QStringLiteral("ok"));
        why << (mark.isNull() ? QStringLiteral("без отметки") : QStringLiteral("отметка «%1»").arg(mark.asString()));
    }
    if (q.field(QStringLiteral("shift_shown")).asInt() == 0)
        why << (q.field(QStringLiteral("smena")).isNull() ? QStringLiteral("смена не указана")
                                                           : QStringLiteral("смена %1").arg(q.field(QStringLiteral("smena")).asString()));
    missing("worker_shown", "w_id", QStringLiteral("работник не указан"), QStringLiteral("работника"));
    missing("product_shown", "i_id", QStringLiteral("изделие не указано"), QStringLiteral("изделия"));
    missing("oper_shown", "o_id", QStringLiteral("операция не указана"), QStringLiteral("операции"));
    if (q.field(QStringLiteral("oper_shown")).asInt() != 0)
        missing("kind_shown", "vid", QStringLiteral("вид операции не указан"), QStringLiteral("вида операции"));
    return why.join(QStringLiteral(", "));
}

// Why the maintenance journal does not show a record of maintenancePlacesSql().
QString maintenanceRecordHidden(Dataset& q)
{
    QStringList why;
    // A maintenance record's 0 names nothing, as NULL does.
    const auto missing = [&](const char* flag, const char* idField, const QString& none, const QString& what) {
        addMissing(why, q, flag, idField, none, what, true);
    };
    missing("worker_shown", "id_p", QStringLiteral("работник не указан"), QStringLiteral("работника"));
    missing("group_shown", "id_nom", QStringLiteral("номенклатурная группа не указана"),
            QStringLiteral("номенклатурной группы"));
    missing("kind_shown", "id_o", QStringLiteral("вид работ не указан"), QStringLiteral("вида работ"));
    if (q.field(QStringLiteral("oper_shown")).asInt() == 0)
        why << QStringLiteral("нет операции хоз. работ или ср. сдельной");
    return why.join(QStringLiteral(", "));
}

// Marks the findings whose record the journal (or the maintenance journal)
// cannot show, and says so in their text.
void markHidden(Dataset& q, QVector<Finding>& all)
{
    for (const Source source : {Source::ShiftRecord, Source::MaintenanceRecord}) {
        QVector<qlonglong> ids;
        for (const Finding& f : std::as_const(all))
            if (f.source == source && f.record > 0)
                ids << f.record;
        if (ids.isEmpty())
            continue;
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        const bool shift = source == Source::ShiftRecord;
        q.close();
        q.setSql(shift ? MonthCheck::journalPlacesSql() : MonthCheck::maintenancePlacesSql());
        q.setParam(QStringLiteral("ids"), idArray(ids));
        if (shift)
            q.setParam(QStringLiteral("hidden"), SharedSql::hiddenMark());
        q.open();
        QHash<qlonglong, QString> hidden;
        for (q.first(); !q.eof(); q.next()) {
            const QString why = shift ? shiftRecordHidden(q) : maintenanceRecordHidden(q);
            if (!why.isEmpty())
                hidden.insert(q.field(QStringLiteral("id")).asLongLong(), why);
        }
        q.close();
        for (Finding& f : all) {
            if (f.source != source || !hidden.contains(f.record))
                continue;
            f.hidden = hidden.value(f.record);
            f.text += QStringLiteral(" (%1 её не показывает: %2; запись № %3 в %4)")
                          .arg(shift ? QStringLiteral("журнал") : QStringLiteral("журнал хоз. работ"), f.hidden)
                          .arg(f.record)
                          .arg(tableOf(source));
        }
    }
}

bool sameKey(const Finding& a, const Finding& b)
{
    if (a.source != b.source || a.workerId != b.workerId)
        return false;
    return a.source == Source::ShiftRecord ? a.shift == b.shift : a.kindId == b.kindId && a.night == b.night;
}

// The timesheet rows of a finding's key in `month`.
QString keyWhere(const Finding& f, const MonthRange& month)
{
    if (f.source == Source::ShiftRecord)
        return QStringLiteral("w_id=%1 and smena=%2 and month=%3 and year=%4")
            .arg(f.workerId)
            .arg(f.shift)
            .arg(month.month)
            .arg(month.year);
    return QStringLiteral("w_id=%1 and smena=0 and i_type=%2 and i_night=%3 and month=%4 and year=%5")
        .arg(f.workerId)
        .arg(f.kindId)
        .arg(f.night)
        .arg(month.month)
        .arg(month.year);
}

// Leaves the key of `f` with its first row, holding the hours of every row
// of the key day by day; answers how many rows went.
int mergeRows(TDataModule6& dm, const Finding& f, const MonthRange& month)
{
    const QString key = keyWhere(f, month);
    QStringList set, sums;
    for (int d = 1; d <= 31; ++d) {
        set << QStringLiteral("d%1=m.d%1").arg(d);
        sums << QStringLiteral("sum(d%1) as d%1").arg(d);
    }
    dm.SQL_exec.setText(QStringLiteral("update accounts_dep.h_tabel h set %1 from (select min(id) as keep, %2 "
                                       "from accounts_dep.h_tabel where %3) m where h.id=m.keep")
                            .arg(set.join(QStringLiteral(", ")), sums.join(QStringLiteral(", ")), key));
    dm.SQL_exec.execute();
    dm.SQL_exec.setText(QStringLiteral("delete from accounts_dep.h_tabel where %1 and id<>(select min(id) from "
                                       "accounts_dep.h_tabel where %1)")
                            .arg(key));
    return dm.SQL_exec.execute();
}

void post(TDataModule6& dm, const Finding& f)
{
    const int worker = int(f.workerId);
    if (f.source == Source::ShiftRecord) {
        if (f.kind == Kind::TimesheetDiffers)
            DayPosting::shiftAfterSave(dm, worker, f.shift, f.date);
        else
            DayPosting::shiftAfterDelete(dm, worker, f.shift, f.date);
    } else {
        if (f.kind == Kind::TimesheetDiffers)
            DayPosting::typedAfterSave(dm, worker, f.kindId, f.night, f.date);
        else
            DayPosting::typedAfterDelete(dm, worker, f.kindId, f.night, f.date);
    }
}

} // namespace

namespace MonthCheck {

QString title(Kind kind)
{
    switch (kind) {
    case Kind::TimesheetDiffers: return QStringLiteral("Табель расходится с записями");
    case Kind::HoursWithoutRecords: return QStringLiteral("Часы в табеле без записей");
    case Kind::RepeatedTimesheetRows: return QStringLiteral("Несколько строк табеля на одного работника");
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
    return isTimesheet(kind) || kind == Kind::NoPrice || kind == Kind::OperationWithoutPrice
        || kind == Kind::AverageNotCalculated;
}

bool isTimesheet(Kind kind)
{
    return kind == Kind::TimesheetDiffers || kind == Kind::HoursWithoutRecords || kind == Kind::RepeatedTimesheetRows;
}

QString hiddenRecordText(const Finding& f)
{
    const bool shift = f.source == Source::ShiftRecord;
    QStringList where{f.date.toString(QStringLiteral("dd.MM.yyyy"))};
    if (shift)
        where << (f.shift == 4 ? QStringLiteral("переработка") : QStringLiteral("смена %1").arg(f.shift));
    if (!f.worker.isEmpty())
        where << f.worker;
    return QStringLiteral("%1 не может показать эту запись: %2.\nОна хранится в таблице %3 под номером %4 (%5).")
        .arg(shift ? QStringLiteral("Журнал") : QStringLiteral("Журнал хоз. работ"), f.hidden, tableOf(f.source))
        .arg(f.record)
        .arg(where.join(QStringLiteral(", ")));
}

int Result::count(Kind kind) const
{
    return int(std::count_if(findings.begin(), findings.end(), [kind](const Finding& f) { return f.kind == kind; }));
}

int Result::timesheet() const
{
    return int(std::count_if(findings.begin(), findings.end(), [](const Finding& f) { return isTimesheet(f.kind); }));
}

int Result::blocking() const
{
    return int(std::count_if(findings.begin(), findings.end(), [](const Finding& f) { return blocksClosing(f.kind); }));
}

QString shiftTimesheetSql()
{
    return QStringLiteral(
               "with posted as (select h.w_id, h.smena, d.day, sum(d.val) as val from accounts_dep.h_tabel h "
               "cross join lateral (values %1) as d(day, val) "
               "where h.year=:year and h.month=:month and h.smena>0 and d.day<=:days group by 1, 2, 3), "
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
               "with posted as (select h.w_id::bigint as w_id, h.i_type::bigint as i_type, h.i_night, d.day, "
               "sum(d.val) as val from accounts_dep.h_tabel h cross join lateral (values %1) as d(day, val) "
               "where h.year=:year and h.month=:month and h.smena=0 and d.day<=:days group by 1, 2, 3, 4), "
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
    // The rate "Расчитать ср.сд." would give now, for the records it priced:
    // a shift record of the worker's group changed since makes it stale.
    return QStringLiteral(
               "with rates as (select f.id, %1 as rate from accounts_dep.fatigue f "
               "where f.d_date>=:first and f.d_date<:next and f.id_o=7778 and f.price_by_average "
               "and f.i_mnth between 1 and 12 and f.i_year between 1 and 9999) "
               "select f.id, f.d_date, f.id_p, f.id_o, f.id_nom, f.price, f.price_by_average::int as by_average, w.fio, "
               "v.vid, g.s_caption, r.rate, (f.price is null or f.price=0)::int as no_price, "
               "(f.id_o=7778 and not f.price_by_average)::int as not_averaged, "
               "(r.id is not null and f.price is distinct from r.rate)::int as stale, "
               "(w.id is null)::int as no_worker, (v.id is null)::int as no_kind, (g.id is null)::int as no_group "
               "from accounts_dep.fatigue f "
               "left join accounts_dep.person w on w.id=f.id_p "
               "left join accounts_dep.vid_oper v on v.id=f.id_o "
               "left join cmn_classifier.item g on g.id=f.id_nom "
               "left join rates r on r.id=f.id "
               "where f.d_date>=:first and f.d_date<:next and (f.price is null or f.price=0 "
               "or (f.id_o=7778 and not f.price_by_average) or (r.id is not null and f.price is distinct from r.rate) "
               "or w.id is null or v.id is null or g.id is null) "
               "order by f.d_date, w.fio, f.id")
        .arg(MaintenanceJournal::averageRateOf(QStringLiteral("make_date(f.i_year, f.i_mnth, 1)"),
                                               QStringLiteral("(make_date(f.i_year, f.i_mnth, 1) + interval '1 month')::date")));
}

QString repeatedRowsSql()
{
    return QStringLiteral(
               "with keys as (select h.w_id, h.smena, case when h.smena=0 then h.i_type else 0 end as i_type, "
               "case when h.smena=0 then h.i_night else 0 end as i_night, count(*) as n, sum(%1) as posted "
               "from accounts_dep.h_tabel h where h.year=:year and h.month=:month and h.smena>=0 and h.w_id is not null "
               "group by 1, 2, 3, 4 having count(*)>1) "
               "select k.w_id, k.smena, k.i_type, k.i_night, k.n, k.posted, w.fio, v.vid, "
               "coalesce(sr.first_id, fr.first_id) as first_id, coalesce(sr.first_day, fr.first_day) as first_day, "
               "coalesce(sr.hours, fr.hours, 0) as hours "
               "from keys k "
               "left join accounts_dep.person w on w.id=k.w_id "
               "left join accounts_dep.vid_oper v on k.smena=0 and v.id=k.i_type "
               "left join lateral (select (array_agg(s.id order by s.data, s.id))[1] as first_id, min(s.data) as first_day, "
               "sum(coalesce(s.time, 0)) as hours from accounts_dep.smena s where k.smena>0 and s.w_id=k.w_id "
               "and s.smena=k.smena and s.data>=:first and s.data<:next) sr on true "
               "left join lateral (select (array_agg(f.id order by f.d_date, f.id))[1] as first_id, min(f.d_date) as first_day, "
               "sum(coalesce(f.cnt, 0)) as hours from accounts_dep.fatigue f where k.smena=0 and f.id_p=k.w_id "
               "and f.id_o=k.i_type and f.i_night=k.i_night and f.d_date>=:first and f.d_date<:next) fr on true "
               "order by w.fio, k.w_id, k.smena, k.i_type, k.i_night")
        .arg(SharedSql::daySum());
}

QString journalPlacesSql()
{
    // As the journal's shift queries join: the worker by id or by his code
    // in the contractors (a code that is no number matches nobody), product,
    // operation and its kind; the mark :hidden and a missing mark are not
    // shown, nor shifts other than 1 to 4.
    return QStringLiteral(
        "select s.id, s.smena, s.ok, s.w_id, s.i_id, s.o_id, o.vid, "
        "(s.ok is not null and s.ok<>:hidden)::int as mark_shown, "
        "(s.smena between 1 and 4)::int as shift_shown, "
        "(exists (select 1 from cmn_contractor.person p where p.id=s.w_id) "
        "or exists (select 1 from cmn_contractor.person p where case when p.s_code ~ '^ *[0-9]{1,15} *$' "
        "then p.s_code::numeric end = s.w_id))::int as worker_shown, "
        "(exists (select 1 from accounts_dep.izdel i where i.id=s.i_id))::int as product_shown, "
        "(o.id is not null)::int as oper_shown, (v.id is not null)::int as kind_shown "
        "from accounts_dep.smena s "
        "left join accounts_dep.oper o on o.id=s.o_id "
        "left join accounts_dep.vid_oper v on v.id=o.vid "
        "where s.id = any(cast(:ids as bigint[]))");
}

QString maintenancePlacesSql()
{
    // As the maintenance journal's list joins: group, worker, kind, and an
    // operation of the maintenance kinds at all.
    return QStringLiteral(
        "select f.id, f.id_p, f.id_o, f.id_nom, (w.id is not null)::int as worker_shown, "
        "(g.id is not null)::int as group_shown, (v.id is not null)::int as kind_shown, "
        "(exists (select 1 from accounts_dep.oper o where o.i_id>=7777 and o.vid>=7777))::int as oper_shown "
        "from accounts_dep.fatigue f "
        "left join accounts_dep.person w on w.id=f.id_p "
        "left join cmn_classifier.item g on g.id=f.id_nom "
        "left join accounts_dep.vid_oper v on v.id=f.id_o "
        "where f.id = any(cast(:ids as bigint[]))");
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
    openFor(q, repeatedRowsSql(), month);
    readRepeated(q, all, month);
    openFor(q, shiftRecordsSql(), month);
    readShiftRecords(q, all);
    openFor(q, operationsWithoutPriceSql(), month);
    readOperations(q, all);
    openFor(q, dayHoursSql(), month);
    readDayHours(q, all);
    openFor(q, maintenanceRecordsSql(), month);
    readMaintenance(q, all);
    markHidden(q, all);
    q.close();
    // Grouped by kind, by day within a kind, and otherwise in the order the
    // statements gave.
    std::stable_sort(all.begin(), all.end(), [](const Finding& a, const Finding& b) {
        return std::tie(a.kind, a.date) < std::tie(b.kind, b.date);
    });
    result.findings = std::move(all);
    return result;
}

Mend repostTimesheetDays(TDataModule6& dm, const Result& result)
{
    QVector<const Finding*> findings, repeated;
    for (const Finding& f : result.findings)
        if (isTimesheet(f.kind))
            (f.kind == Kind::RepeatedTimesheetRows ? repeated : findings) << &f;
    if (findings.isEmpty() && repeated.isEmpty())
        return {};
    const MonthRange& month = result.month;
    return inTransaction(dm.ADO_DB, [&] {
        // Every key's lock first, in the postings' one order (the month,
        // then shift keys, then typed keys, each set sorted), then the rows.
        QVector<DayPosting::ShiftKey> shiftKeys;
        QVector<DayPosting::TypedKey> typedKeys;
        for (const QVector<const Finding*>* list : {&findings, &repeated})
            for (const Finding* f : *list) {
                if (f->source == Source::ShiftRecord)
                    shiftKeys.append({int(f->workerId), f->shift, f->date});
                else
                    typedKeys.append({int(f->workerId), f->kindId, f->night, f->date});
            }
        if (!shiftKeys.isEmpty())
            DayPosting::lockShiftKeys(dm, shiftKeys);
        if (!typedKeys.isEmpty())
            DayPosting::lockTypedKeys(dm, typedKeys);

        Mend mend;
        for (const Finding* f : repeated)
            mend.removedRows += mergeRows(dm, *f, month);
        const auto merged = [&](const Finding& f) {
            return std::any_of(repeated.begin(), repeated.end(), [&](const Finding* r) { return sameKey(*r, f); });
        };
        // Days of the keys whose rows were merged, as they disagree now
        // (postings made meanwhile wrote into every row of the key); of the
        // other keys, the days the check found.
        QVector<Finding> days;
        for (const Source source : {Source::ShiftRecord, Source::MaintenanceRecord}) {
            if (std::none_of(repeated.begin(), repeated.end(), [&](const Finding* r) { return r->source == source; }))
                continue;
            Dataset q(dm.ADO_DB, QStringLiteral("month_check_mend"));
            openFor(q, source == Source::ShiftRecord ? shiftTimesheetSql() : typedTimesheetSql(), month);
            QVector<Finding> now;
            readTimesheet(q, source, now, month);
            q.close();
            for (const Finding& f : std::as_const(now))
                if (merged(f))
                    days << f;
        }
        for (const Finding* f : findings)
            if (!merged(*f))
                days << *f;
        for (const Finding& f : std::as_const(days))
            post(dm, f);
        mend.days = int(days.size());
        return mend;
    });
}

} // namespace MonthCheck
