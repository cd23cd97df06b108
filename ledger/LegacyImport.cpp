#include "ledger/LegacyImport.h"
#include "db/Command.h"
#include "db/Database.h"
#include "ledger/MonthClosing.h"

#include <QDate>
#include <QDateTime>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTime>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

const char* const kNotChanged = "Импорт не выполнен, данные не изменены.";

QVector<ImportColumn> integers(std::initializer_list<const char*> names)
{
    QVector<ImportColumn> out;
    for (const char* n : names)
        out.append({QLatin1String(n), Carry::Integer});
    return out;
}

QVector<ImportColumn> timesheetColumns()
{
    QVector<ImportColumn> out = integers({"id", "w_id", "month", "year", "smena"});
    for (int d = 1; d <= 31; ++d)
        out.append({QStringLiteral("d%1").arg(d), Carry::Integer});
    return out;
}

QString quoted(const QString& name)
{
    return u'"' + name + u'"';
}

QString quotedList(const QStringList& names)
{
    QStringList out;
    for (const QString& n : names)
        out << quoted(n);
    return out.join(QStringLiteral(", "));
}

QString targetColumnList(const ImportStep& step)
{
    QStringList names;
    for (const ImportColumn& c : step.columns)
        names << c.targetName();
    return quotedList(names);
}

// Appends `s` as a JSON string literal.
void appendJsonString(QString& out, const QString& s)
{
    out += u'"';
    for (const QChar ch : s) {
        switch (ch.unicode()) {
        case '"': out += QLatin1String("\\\""); break;
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default:
            if (ch.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(ch.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += ch;
        }
    }
    out += u'"';
}

// A value that cannot be carried as its column says.
struct BadValue {
    QString reason;
};

QString wholeNumber(const QVariant& v, const QString& column)
{
    if (v.isNull())
        return QStringLiteral("0");
    auto integral = [&](double d) -> QString {
        if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 9.0e15)
            throw BadValue{QStringLiteral("в поле %1 значение «%2» не целое число").arg(column, v.toString())};
        return QString::number(qlonglong(d));
    };
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return QString::number(v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return integral(v.toDouble());
    default: {
        const QString text = v.toString().trimmed();
        if (text.isEmpty())
            return QStringLiteral("0");
        bool ok = false;
        const qlonglong n = text.toLongLong(&ok);
        if (ok)
            return QString::number(n);
        const double d = text.toDouble(&ok);
        if (!ok)
            throw BadValue{QStringLiteral("в поле %1 значение «%2» не целое число").arg(column, text)};
        return integral(d);
    }
    }
}

void appendValue(QString& json, const QVariant& v, const ImportColumn& column)
{
    switch (column.carry) {
    case Carry::Integer:
        json += wholeNumber(v, column.name);
        return;
    case Carry::Decimal: {
        if (v.isNull()) {
            json += QLatin1String("null");
            return;
        }
        bool ok = false;
        const double d = v.metaType().id() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            throw BadValue{QStringLiteral("в поле %1 значение «%2» не число").arg(column.name, v.toString())};
        json += QString::number(d, 'g', 17);
        return;
    }
    case Carry::Text:
        if (v.isNull()) {
            json += QLatin1String("null");
            return;
        }
        switch (v.metaType().id()) {
        case QMetaType::QDate: appendJsonString(json, v.toDate().toString(QStringLiteral("yyyy-MM-dd"))); return;
        case QMetaType::QDateTime:
            appendJsonString(json, v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")));
            return;
        case QMetaType::QTime: appendJsonString(json, v.toTime().toString(QStringLiteral("HH:mm:ss.zzz"))); return;
        case QMetaType::QByteArray: appendJsonString(json, QString::fromUtf8(v.toByteArray())); return;
        default: appendJsonString(json, v.toString()); return;
        }
    }
}

// One source row as a JSON object of the target's columns.
QString rowJson(const QSqlQuery& source, const ImportStep& step)
{
    QString json;
    json.reserve(16 * step.columns.size());
    json += u'{';
    for (int c = 0; c < step.columns.size(); ++c) {
        if (c > 0)
            json += u',';
        appendJsonString(json, step.columns.at(c).targetName());
        json += u':';
        appendValue(json, source.value(c), step.columns.at(c));
    }
    json += u'}';
    return json;
}

QString stepTitle(const ImportStep& step)
{
    return step.source + QStringLiteral(" → ") + step.target;
}

[[noreturn]] void fail(const ImportStep& step, const QString& row, const QString& reason)
{
    QString text = QString::fromUtf8(kNotChanged) + u'\n' + stepTitle(step);
    if (!row.isEmpty())
        text += QStringLiteral(", ") + row;
    throw ImportError(text + QStringLiteral(": ") + reason);
}

QString rowLabel(const ImportStep& step, const QString& id, int number)
{
    return step.hasKey() ? QStringLiteral("запись id=%1").arg(id) : QStringLiteral("запись №%1").arg(number);
}

QVariant scalar(Database& db, const QString& sql)
{
    QSqlQuery q(db.handle());
    execStatement(q, db, sql, {});
    return q.next() ? q.value(0) : QVariant();
}

void exec(Database& db, const QString& sql)
{
    Command(db, sql).execute();
}

// The source's own spelling of each column the step copies, from the
// driver's description of the table as the copy's select finds it (the
// shift records' table is the one on the search path, which the driver's
// catalog call would look for in one schema only). A column the source
// lacks fails the import: quoted, a name that matches no column would be
// read as a text by some sources and copied into every row.
QStringList sourceColumns(Database& db, const ImportStep& step)
{
    QSqlQuery probe(db.handle());
    try {
        execStatement(probe, db, QStringLiteral("select * from ") + step.source + QStringLiteral(" where 1=0"), {});
    } catch (const DbError& e) {
        fail(step, QString(), QStringLiteral("таблица не читается: ") + e.text());
    }
    const QSqlRecord record = probe.record();
    QStringList present;
    for (int i = 0; i < record.count(); ++i)
        present << record.fieldName(i);
    QStringList names;
    for (const ImportColumn& c : step.columns) {
        // The same spelling first, else one that differs in case only.
        auto found = std::find(present.cbegin(), present.cend(), c.name);
        if (found == present.cend())
            found = std::find_if(present.cbegin(), present.cend(),
                                 [&](const QString& n) { return n.compare(c.name, Qt::CaseInsensitive) == 0; });
        if (found == present.cend())
            fail(step, QString(),
                 QStringLiteral("в таблице %1 нет поля %2 (поля таблицы: %3)")
                     .arg(step.source, c.name, present.join(QStringLiteral(", "))));
        names << *found;
    }
    return names;
}

} // namespace

bool ImportStep::hasKey() const
{
    return !columns.isEmpty() && columns.first().name == QLatin1String("id");
}

const QVector<ImportStep>& legacyImportSteps()
{
    static const QVector<ImportStep> steps = [] {
        QVector<ImportStep> s;
        s.append({QStringLiteral("H_TABEL"), QStringLiteral("accounts_dep.h_tabel"), timesheetColumns()});
        s.append({QStringLiteral("IZDEL"), QStringLiteral("accounts_dep.izdel"),
                  {{QStringLiteral("id"), Carry::Integer},
                   {QStringLiteral("marka"), Carry::Text},
                   {QStringLiteral("nom"), Carry::Text},
                   {QStringLiteral("massa"), Carry::Decimal}}});
        s.append({QStringLiteral("NOMENKL"), QStringLiteral("accounts_dep.nomenkl"),
                  {{QStringLiteral("marka"), Carry::Text}, {QStringLiteral("nom"), Carry::Text}},
                  false});
        QVector<ImportColumn> oper = integers({"id", "vid", "naimen"});
        // The old price: under its own name, since the shift records' price
        // `cena` is named without its table in the statements that join both.
        oper.append({QStringLiteral("cena"), Carry::Decimal, QStringLiteral("cena_old")});
        oper.append({QStringLiteral("i_id"), Carry::Integer});
        s.append({QStringLiteral("OPER"), QStringLiteral("accounts_dep.oper"), oper});
        s.append({QStringLiteral("VID_OPER"), QStringLiteral("accounts_dep.vid_oper"),
                  {{QStringLiteral("id"), Carry::Integer}, {QStringLiteral("vid"), Carry::Text}}});
        s.append({QStringLiteral("WORKERS"), QStringLiteral("accounts_dep.workers"),
                  {{QStringLiteral("id"), Carry::Integer},
                   {QStringLiteral("fio"), Carry::Text},
                   {QStringLiteral("addr"), Carry::Text}}});
        QVector<ImportColumn> smena = integers({"id", "w_id", "i_id", "o_id", "kol_vo", "brak", "smena"});
        smena.append({QStringLiteral("cena"), Carry::Decimal});
        smena.append({QStringLiteral("color"), Carry::Integer});
        for (const char* t : {"ok", "data", "time", "vvod"})
            smena.append({QLatin1String(t), Carry::Text});
        s.append({QStringLiteral("smena"), QStringLiteral("accounts_dep.smena"), smena, true, true});
        return s;
    }();
    return steps;
}

QString ImportReport::summary() const
{
    QStringList parts;
    for (const ImportedTable& t : tables)
        parts << QStringLiteral("%1 %2").arg(t.source).arg(t.rows);
    return parts.join(QStringLiteral(", "));
}

void openLegacyConnections(Database& legacy, Database& target)
{
    const struct {
        Database& db;
        const char* text;
        const char* source;
    } connections[] = {
        // The ODBC driver of Qt puts "DSN=" before a text that names no driver.
        {legacy, "Tabel;PWD=qalotwesm", "Tabel"},
        {target, "Tabel_PgSQL;UID=sys", "Tabel_PgSQL"},
    };
    for (const auto& c : connections) {
        if (c.db.isOpen())
            continue;
        c.db.setConnectionText(QLatin1String(c.text));
        try {
            c.db.open();
        } catch (const DbError& e) {
            throw ImportError(QStringLiteral("Нет подключения к источнику данных \"%1\": %2")
                                  .arg(QLatin1String(c.source), e.text()));
        }
    }
}

LegacyImport::LegacyImport(Database& legacy, Database& target, Database& main)
    : m_legacy(legacy), m_target(target), m_main(main)
{
}

QString LegacyImport::progressText(const QString& source, int copied, int total)
{
    return QStringLiteral("%1: %2 из %3 записей").arg(source).arg(copied).arg(total);
}

ImportReport LegacyImport::run()
{
    ImportReport report;
    Transaction tx(m_target);
    try {
        refuseClosedMonths();
        exec(m_target, QStringLiteral("set constraints all deferred"));
        for (const ImportStep& step : legacyImportSteps()) {
            const bool operations = step.target == QLatin1String("accounts_dep.oper");
            if (operations)
                setNormsAside();
            report.tables.append({step.source, copyStep(step)});
            if (operations)
                report.normsKept = restoreNorms();
            if (onTableDone)
                onTableDone(step.source, report.tables.last().rows);
        }
        writeNewLayout(report);
        if (keepResponsive)
            keepResponsive();
        checkReferences();
        if (keepResponsive)
            keepResponsive();
        tx.commit();
    } catch (const ImportError&) {
        throw;
    } catch (const DbError& e) {
        throw ImportError(QString::fromUtf8(kNotChanged) + u'\n' + e.text());
    }
    return report;
}

void LegacyImport::refuseClosedMonths()
{
    // Closing and opening a month write this table: held until the import
    // ends, it keeps a month from being closed while the import replaces its
    // records, and a closing that committed a moment ago is seen below.
    exec(m_target, QStringLiteral("lock table accounts_dep.closed_month in share mode"));
    QSqlQuery closed(m_target.handle());
    execStatement(closed, m_target,
                  QStringLiteral("select year, month from accounts_dep.closed_month order by year, month"), {});
    QStringList months;
    while (closed.next())
        months << MonthClosing::monthText(closed.value(0).toInt(), closed.value(1).toInt());
    if (months.isEmpty())
        return;
    // The import replaces the records and timesheet rows of every month.
    throw ImportError(QString::fromUtf8(kNotChanged) + u'\n'
                      + (months.size() == 1 ? QStringLiteral("Закрыт месяц %1.") : QStringLiteral("Закрыты месяцы: %1."))
                            .arg(months.join(QStringLiteral(", ")))
                      + QStringLiteral(" Импорт заменяет записи и табели всех месяцев: откройте закрытые месяцы "
                                       "(«Табель» — «Проверка месяца») и запустите импорт снова."));
}

void LegacyImport::setNormsAside()
{
    // Deleting the operations deletes their norms (the reference cascades):
    // the norms are kept aside here and put back for the operations that
    // return.
    exec(m_target, QStringLiteral("create temporary table pw_import_norm on commit drop as "
                                  "select n.* from accounts_dep.norm n "
                                  " where n.o_id in (select o.id from accounts_dep.oper o where o.id > 0)"));
}

int LegacyImport::restoreNorms()
{
    // Every column as it was, the key included; norms of operations that
    // did not return go with them.
    const int kept = Command(m_target, QStringLiteral(
        "insert into accounts_dep.norm select k.* from pw_import_norm k "
        " where exists (select 1 from accounts_dep.oper o where o.id = k.o_id)")).execute();
    exec(m_target, QStringLiteral("drop table pw_import_norm"));
    return kept;
}

int LegacyImport::copyStep(const ImportStep& step)
{
    Database& sourceDb = step.fromMainConnection ? m_main : m_legacy;
    int total = 0;
    try {
        total = scalar(sourceDb, QStringLiteral("select count(*) from ") + step.source).toInt();
    } catch (const DbError& e) {
        fail(step, QString(), QStringLiteral("таблица не читается: ") + e.text());
    }

    const QStringList sourceNames = sourceColumns(sourceDb, step);

    // The rows the delete keeps (id 0 or below): a copy that fails on one of
    // these keys met a kept row, one that fails on another key met a copied one.
    QSet<qlonglong> keptIds;
    if (step.hasKey()) {
        QSqlQuery kept(m_target.handle());
        execStatement(kept, m_target, QStringLiteral("select id from ") + step.target + QStringLiteral(" where id<=0"), {});
        while (kept.next())
            keptIds.insert(kept.value(0).toLongLong());
    }

    Command cmd(m_target, QStringLiteral("delete from ") + step.target + QStringLiteral(" where id>0"));
    cmd.execute();
    if (keepResponsive)
        keepResponsive();

    QSqlQuery source(sourceDb.handle());
    QString select = QStringLiteral("select ") + quotedList(sourceNames) + QStringLiteral(" from ") + step.source;
    if (step.sortById)
        select += QStringLiteral(" order by id ASC");
    try {
        execStatement(source, sourceDb, select, {});
    } catch (const DbError& e) {
        fail(step, QString(), QStringLiteral("таблица не читается: ") + e.text());
    }

    const QString insert = QStringLiteral("insert into %1 (%2) select %2 from json_populate_recordset(null::%1, :rows::json)")
                               .arg(step.target, targetColumnList(step));
    auto insertRows = [&](const QString& json) {
        QSqlQuery q(m_target.handle());
        execStatement(q, m_target, insert, {{QStringLiteral("rows"), json}});
    };
    // Written again one by one when a batch fails, to name the row at fault.
    auto findFailingRow = [&](const QVector<QString>& rows, const QVector<qlonglong>& ids, int firstNumber) {
        for (int i = 0; i < rows.size(); ++i) {
            exec(m_target, QStringLiteral("savepoint pw_import_row"));
            try {
                insertRows(u'[' + rows.at(i) + u']');
            } catch (const DbError& e) {
                exec(m_target, QStringLiteral("rollback to savepoint pw_import_row"));
                const QString row = rowLabel(step, QString::number(ids.at(i)), firstNumber + i);
                if (step.hasKey()) {
                    // A row with the same key makes the copy fail whatever
                    // else is wrong with it: it is named when it is there.
                    const qlonglong id = ids.at(i);
                    if (keptIds.contains(id))
                        fail(step, row,
                             QStringLiteral("в %1 уже есть запись с id=%2; записи с id<=0 импорт не удаляет, "
                                            "и копия с тем же id с ней совпала")
                                 .arg(step.target)
                                 .arg(id));
                    const int present =
                        scalar(m_target, QStringLiteral("select count(*) from %1 where id=%2").arg(step.target).arg(id))
                            .toInt();
                    if (present > 0)
                        fail(step, row, QStringLiteral("id=%1 встречается в источнике больше одного раза").arg(id));
                }
                fail(step, row, e.text());
            }
            exec(m_target, QStringLiteral("release savepoint pw_import_row"));
        }
    };

    QVector<QString> rows;
    QVector<qlonglong> ids;
    int copied = 0;
    auto flush = [&] {
        if (rows.isEmpty())
            return;
        QString json;
        qsizetype size = 2;
        for (const QString& r : rows)
            size += r.size() + 1;
        json.reserve(size);
        json += u'[';
        for (int i = 0; i < rows.size(); ++i) {
            if (i > 0)
                json += u',';
            json += rows.at(i);
        }
        json += u']';
        exec(m_target, QStringLiteral("savepoint pw_import_batch"));
        try {
            insertRows(json);
        } catch (const DbError& e) {
            try {
                exec(m_target, QStringLiteral("rollback to savepoint pw_import_batch"));
            } catch (const DbError&) {
                // The transaction is gone with the batch: only the batch can be named.
                fail(step, QStringLiteral("записи %1–%2").arg(copied + 1).arg(copied + rows.size()), e.text());
            }
            findFailingRow(rows, ids, copied + 1);
            fail(step, QString(), e.text());
        }
        exec(m_target, QStringLiteral("release savepoint pw_import_batch"));
        copied += rows.size();
        rows.clear();
        ids.clear();
        if (onProgress)
            onProgress(step.source, copied, total);
        if (keepResponsive)
            keepResponsive();
    };

    int read = 0;
    while (source.next()) {
        ++read;
        try {
            rows.append(rowJson(source, step));
            ids.append(step.hasKey() ? wholeNumber(source.value(0), step.columns.first().name).toLongLong() : 0);
        } catch (const BadValue& bad) {
            fail(step, rowLabel(step, source.value(0).toString(), read), bad.reason);
        }
        if (rows.size() >= m_batchSize)
            flush();
        else if (keepResponsive && read % 256 == 0)
            keepResponsive();
    }
    if (source.lastError().isValid())
        fail(step, QString(), QStringLiteral("таблица не читается: ") + sqlErrorText(source.lastError()));
    flush();
    return copied;
}

void LegacyImport::writeNewLayout(ImportReport& report)
{
    // Every legacy worker whose records came over is a worker of the
    // workshop's catalog under the same code and his name, so that the
    // journal, the timesheets and the reports show the records.
    report.workersWritten = Command(m_target, QStringLiteral(
        "insert into accounts_dep.person (id, fio) "
        "select w.id, w.fio from accounts_dep.workers w "
        " where w.id > 0 and w.id in (select w_id from accounts_dep.smena where id > 0 "
        "                             union select w_id from accounts_dep.h_tabel where id > 0) "
        "on conflict (id) do update set fio = excluded.fio "
        " where accounts_dep.person.fio is distinct from excluded.fio")).execute();
    // An imported operation's price becomes its price norm, so that the
    // operations list and the record editor offer it, unless the operation
    // kept norms of its own.
    report.normsAdded = Command(m_target, QStringLiteral(
        "insert into accounts_dep.norm (o_id, norma, prize, price) "
        "select o.id, 0, 0, o.cena_old from accounts_dep.oper o "
        " where o.id > 0 and o.cena_old is not null "
        "   and not exists (select 1 from accounts_dep.norm n where n.o_id = o.id)")).execute();
    if (keepResponsive)
        keepResponsive();
    // Keys handed out after the import must not meet the imported ones.
    for (const char* table : {"accounts_dep.h_tabel", "accounts_dep.oper", "accounts_dep.vid_oper", "accounts_dep.smena",
                              "accounts_dep.person"}) {
        const QString sequence =
            scalar(m_target, QStringLiteral("select pg_get_serial_sequence('%1', 'id')").arg(QLatin1String(table))).toString();
        if (sequence.isEmpty())
            continue;
        exec(m_target, QStringLiteral("select setval('%1', greatest((select coalesce(max(id), 0) from %2), "
                                      "(select last_value from %1)))")
                           .arg(sequence, QLatin1String(table)));
    }
}

void LegacyImport::checkReferences()
{
    // References the schema does not declare but every statement that
    // shows the records joins on: a record of a product or a timesheet row
    // of a worker that is not there would drop out of the journal, the
    // timesheets and the reports.
    struct Reference {
        const char* table;
        const char* column;
        const char* parent;
    };
    static const Reference undeclared[] = {
        {"accounts_dep.h_tabel", "w_id", "accounts_dep.person"},
        {"accounts_dep.oper", "i_id", "accounts_dep.izdel"},
        {"accounts_dep.smena", "i_id", "accounts_dep.izdel"},
    };

    // The references were deferred; each one is looked at here so that the
    // message can name the row, then the server checks them all.
    for (const ImportStep& step : legacyImportSteps()) {
        if (!step.hasKey())
            continue;
        QVector<std::array<QString, 3>> references;   // column, parent table, parent column
        QSqlQuery refs(m_target.handle());
        execStatement(refs, m_target, QStringLiteral(
            "select format('%I', a.attname), c.confrelid::regclass::text, format('%I', af.attname) "
            "  from pg_constraint c "
            "  join pg_attribute a on a.attrelid = c.conrelid and a.attnum = c.conkey[1] "
            "  join pg_attribute af on af.attrelid = c.confrelid and af.attnum = c.confkey[1] "
            " where c.contype = 'f' and cardinality(c.conkey) = 1 "
            "   and c.conrelid = to_regclass(:target) order by c.conname"),
            {{QStringLiteral("target"), step.target}});
        while (refs.next())
            references.append({refs.value(0).toString(), refs.value(1).toString(), refs.value(2).toString()});
        for (const Reference& r : undeclared)
            if (step.target == QLatin1String(r.table))
                references.append({QLatin1String(r.column), QLatin1String(r.parent), QStringLiteral("id")});
        for (const auto& [column, parent, parentColumn] : references) {
            QSqlQuery broken(m_target.handle());
            execStatement(broken, m_target, QStringLiteral(
                "select t.id, t.%1 from %2 t where t.%1 is not null "
                "   and not exists (select 1 from %3 p where p.%4 = t.%1) order by t.id limit 1")
                .arg(column, step.target, parent, parentColumn), {});
            if (broken.next())
                fail(step, QStringLiteral("запись id=%1").arg(broken.value(0).toString()),
                     QStringLiteral("ссылка %1=%2 не найдена в %3").arg(column, broken.value(1).toString(), parent));
            if (keepResponsive)
                keepResponsive();
        }
    }
    exec(m_target, QStringLiteral("set constraints all immediate"));
}
