#include "db/Dataset.h"
#include "db/Command.h"
#include "db/Database.h"
#include "db/DbError.h"

#include <QCollator>
#include <QLocale>
#include <QSqlQuery>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlDriver>
#include <QSqlResult>
#include <algorithm>
#include <limits>

#include <langinfo.h>
#include <iterator>
#include <sql.h>
#include <sqlext.h>

namespace {

// Reads the rows of an executed forward-only query straight from its ODBC
// statement: one call per cell into a buffer that is reused, texts taken as
// the driver's UTF-8 where the C library's character set is UTF-8 and as
// UTF-16 elsewhere. The values are the ones the Qt driver gives (the same
// types, NULLs as null values of the column's type, exact decimals as
// text), without its per-value bookkeeping and without the driver
// manager's conversion of every text to UTF-16, which together took most of
// the time of reading a large result. A query with a column of another kind
// is read through the Qt driver as before (`false`).
class OdbcRowReader {
public:
    enum class Kind { Int, LongLong, Decimal, Text, Date, DateTime };

    static bool canRead(const QSqlQuery& query, const QSqlRecord& record, QVector<Kind>* kinds)
    {
        // Qt's ODBC driver hands out its statement handle (an SQLHANDLE,
        // which is a void*).
        const QSqlResult* result = query.result();
        // Only the PostgreSQL driver is known to give its values so; other
        // sources (the legacy database's driver) go through Qt's driver.
        if (!result || !query.driver() || qstrcmp(query.driver()->metaObject()->className(), "QODBCDriver") != 0
            || query.driver()->dbmsType() != QSqlDriver::PostgreSQL
            || !query.isActive() || !query.isForwardOnly() || query.numericalPrecisionPolicy() != QSql::HighPrecision)
            return false;
        const QVariant handle = result->handle();
        if (handle.metaType() != QMetaType::fromType<SQLHANDLE>() || !*static_cast<const SQLHANDLE*>(handle.constData()))
            return false;
        kinds->clear();
        for (int i = 0; i < record.count(); ++i) {
            switch (record.field(i).metaType().id()) {
            case QMetaType::Short:   // read as int by the Qt driver
            case QMetaType::Int: *kinds << Kind::Int; break;
            case QMetaType::LongLong: *kinds << Kind::LongLong; break;
            case QMetaType::Float:
            case QMetaType::Double: *kinds << Kind::Decimal; break;
            case QMetaType::QString: *kinds << Kind::Text; break;
            case QMetaType::QDate: *kinds << Kind::Date; break;
            case QMetaType::QDateTime: *kinds << Kind::DateTime; break;
            default: return false;
            }
        }
        return true;
    }

    OdbcRowReader(const QSqlQuery& query, const QVector<Kind>& kinds)
        : m_stmt(*static_cast<const SQLHANDLE*>(query.result()->handle().constData())), m_kinds(kinds)
    {
        for (Kind k : kinds) {
            switch (k) {
            case Kind::Int: m_nulls << QVariant(QMetaType::fromType<int>()); break;
            case Kind::LongLong: m_nulls << QVariant(QMetaType::fromType<qlonglong>()); break;
            // A NULL text or decimal comes from the Qt driver as an empty
            // value without a type.
            case Kind::Decimal:
            case Kind::Text: m_nulls << QVariant(); break;
            case Kind::Date: m_nulls << QVariant(QMetaType::fromType<QDate>()); break;
            case Kind::DateTime: m_nulls << QVariant(QMetaType::fromType<QDateTime>()); break;
            }
        }
    }

    // Appends every remaining row; throws DbError on a failed fetch.
    void readAll(QVector<QVector<QVariant>>& rows)
    {
        const int columns = m_kinds.size();
        for (;;) {
            const SQLRETURN r = SQLFetch(m_stmt);
            if (r == SQL_NO_DATA)
                return;
            if (!SQL_SUCCEEDED(r))
                throw DbError(diagnostic());
            QVector<QVariant> row(columns);
            for (int c = 0; c < columns; ++c)
                row[c] = value(c);
            rows.append(std::move(row));
        }
    }

private:
    QVariant value(int c)
    {
        const SQLUSMALLINT column = SQLUSMALLINT(c + 1);
        SQLLEN indicator = 0;
        SQLRETURN r = SQL_ERROR;
        switch (m_kinds[c]) {
        case Kind::Int: {
            SQLINTEGER v = 0;
            r = SQLGetData(m_stmt, column, SQL_C_SLONG, &v, 0, &indicator);
            check(r);
            return indicator == SQL_NULL_DATA ? m_nulls[c] : QVariant(int(v));
        }
        case Kind::LongLong: {
            SQLBIGINT v = 0;
            r = SQLGetData(m_stmt, column, SQL_C_SBIGINT, &v, 0, &indicator);
            check(r);
            return indicator == SQL_NULL_DATA ? m_nulls[c] : QVariant(qlonglong(v));
        }
        case Kind::Date: {
            DATE_STRUCT d{};
            r = SQLGetData(m_stmt, column, SQL_C_DATE, &d, 0, &indicator);
            check(r);
            return indicator == SQL_NULL_DATA ? m_nulls[c] : QVariant(QDate(d.year, d.month, d.day));
        }
        case Kind::DateTime: {
            TIMESTAMP_STRUCT t{};
            r = SQLGetData(m_stmt, column, SQL_C_TIMESTAMP, &t, 0, &indicator);
            check(r);
            if (indicator == SQL_NULL_DATA)
                return m_nulls[c];
            return QVariant(QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second, t.fraction / 1000000)));
        }
        case Kind::Decimal:
        case Kind::Text:
            break;
        }
        if (m_kinds[c] == Kind::Decimal || m_utf8)
            return narrowText(column, c);
        return wideText(column, c);
    }

    // A text in pieces as long as the buffer until the driver has given all
    // of it, as the driver's narrow text; the bytes are decoded once at the
    // end, so that a character split between pieces stays whole. The driver
    // gives narrow text in the C library's character set: read so only the
    // decimals (digits, sign, point) and, where that set is UTF-8, texts.
    QVariant narrowText(SQLUSMALLINT column, int c)
    {
        SQLLEN indicator = 0;
        QByteArray* whole = nullptr;
        for (;;) {
            const SQLRETURN r = SQLGetData(m_stmt, column, SQL_C_CHAR, m_buffer, sizeof m_buffer, &indicator);
            if (r == SQL_NO_DATA)
                break;
            check(r);
            if (indicator == SQL_NULL_DATA)
                return m_nulls[c];
            const bool more = r == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator >= SQLLEN(sizeof m_buffer));
            const qsizetype got = more ? qsizetype(sizeof m_buffer) - 1 : qsizetype(indicator);
            if (!more && !whole)
                return QVariant(QString::fromUtf8(m_buffer, got));
            if (!whole) {
                m_long.clear();
                whole = &m_long;
            }
            whole->append(m_buffer, got);
            if (!more)
                break;
        }
        return QVariant(QString::fromUtf8(whole ? *whole : QByteArray()));
    }

    // The same as UTF-16 code units, whatever the C library's character set.
    QVariant wideText(SQLUSMALLINT column, int c)
    {
        static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager's wide characters are UTF-16");
        SQLLEN indicator = 0;
        QString whole;
        bool pieces = false;
        for (;;) {
            const SQLRETURN r = SQLGetData(m_stmt, column, SQL_C_WCHAR, m_wide, sizeof m_wide, &indicator);
            if (r == SQL_NO_DATA)
                break;
            check(r);
            if (indicator == SQL_NULL_DATA)
                return m_nulls[c];
            const bool more = r == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator >= SQLLEN(sizeof m_wide));
            const qsizetype units = more ? qsizetype(std::size(m_wide)) - 1 : qsizetype(indicator / SQLLEN(sizeof(SQLWCHAR)));
            const auto* text = reinterpret_cast<const QChar*>(m_wide);
            if (!more && !pieces)
                return QVariant(QString(text, units));
            pieces = true;
            whole.append(text, units);
            if (!more)
                break;
        }
        return QVariant(whole);
    }

    void check(SQLRETURN r)
    {
        if (!SQL_SUCCEEDED(r))
            throw DbError(diagnostic());
    }

    QString diagnostic() const
    {
        QStringList lines;
        SQLCHAR state[6];
        SQLINTEGER native = 0;
        SQLCHAR message[1024];
        SQLSMALLINT length = 0;
        for (SQLSMALLINT i = 1; SQLGetDiagRecA(SQL_HANDLE_STMT, m_stmt, i, state, &native, message, sizeof message, &length) == SQL_SUCCESS; ++i)
            lines << QString::fromUtf8(reinterpret_cast<const char*>(message), qMin<int>(length, sizeof message - 1)).trimmed();
        lines.removeAll(QString());
        return lines.isEmpty() ? QStringLiteral("Ошибка чтения строк запроса") : lines.join(u'\n');
    }

    SQLHANDLE m_stmt;
    QVector<Kind> m_kinds;
    QVector<QVariant> m_nulls;
    char m_buffer[4096];
    SQLWCHAR m_wide[2048];
    QByteArray m_long;
    // The C library's character set is UTF-8 (the driver's narrow texts are
    // then the UTF-8 they are decoded as).
    bool m_utf8 = QByteArray(nl_langinfo(CODESET)) == "UTF-8";
};

} // namespace

// ---- Field ---------------------------------------------------------------

QString Field::asString() const
{
    if (m_value.isNull())
        return QString();
    switch (m_value.metaType().id()) {
    case QMetaType::QDate:
        return m_value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime:
        return m_value.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    case QMetaType::Double:
        return QLocale().toString(m_value.toDouble(), 'g', 15);
    default:
        return m_value.toString();
    }
}

int Field::asInt() const
{
    // A key above the 32-bit range must not wrap into another key: it is
    // refused here and read with asLongLong.
    const qlonglong v = asLongLong();
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        throw DbError(QStringLiteral("Значение %1 поля %2 не помещается в целое число").arg(v).arg(m_name));
    return int(v);
}

qlonglong Field::asLongLong() const
{
    if (m_value.isNull())
        return 0;
    bool ok = false;
    const qlonglong v = m_value.toLongLong(&ok);
    if (ok)
        return v;
    // Exact decimals arrive as text ("3000000001", "10.000"): whole digits
    // are read exactly, a fraction is cut off.
    const QString text = m_value.toString().trimmed();
    const int point = text.indexOf(u'.');
    const qlonglong whole = (point < 0 ? text : text.left(point)).toLongLong(&ok);
    if (ok && (point < 0 || text.mid(point + 1).toLongLong(&ok) >= 0))
        return whole;
    const double d = text.toDouble(&ok);
    if (ok && d >= -9.2e18 && d <= 9.2e18)
        return qlonglong(d);
    throw DbError(QStringLiteral("'%1' не является целым числом").arg(m_value.toString()));
}

double Field::asFloat() const
{
    if (m_value.isNull())
        return 0.0;
    bool ok = false;
    const double v = m_value.toDouble(&ok);
    if (ok)
        return v;
    const double d = m_value.toString().trimmed().toDouble(&ok);
    if (ok)
        return d;
    throw DbError(QStringLiteral("'%1' не является числом").arg(m_value.toString()));
}

QDate Field::asDate() const
{
    if (m_value.metaType().id() == QMetaType::QDateTime)
        return m_value.toDateTime().date();
    if (m_value.metaType().id() == QMetaType::QString) {
        QDate d = QDate::fromString(m_value.toString().left(10), Qt::ISODate);
        if (!d.isValid())
            d = QDate::fromString(m_value.toString().left(10), QStringLiteral("dd.MM.yyyy"));
        return d;
    }
    return m_value.toDate();
}

QDateTime Field::asDateTime() const
{
    if (m_value.metaType().id() == QMetaType::QDate)
        return m_value.toDate().startOfDay();
    return m_value.toDateTime();
}

// ---- Dataset -------------------------------------------------------------

Dataset::Dataset(Database& db, const QString& name, QObject* parent)
    : QObject(parent), m_db(db)
{
    setObjectName(name);
}

void Dataset::setSql(const QString& sql)
{
    m_sql = sql;
}

void Dataset::addSql(const QString& line)
{
    if (!m_sql.isEmpty())
        m_sql += u'\n';
    m_sql += line;
}

void Dataset::setParam(const QString& name, const QVariant& value)
{
    m_params.insert(name.toLower(), value);
}

void Dataset::open()
{
    if (isOpen())
        return;
    QSqlQuery query(m_db.handle());
    query.setNumericalPrecisionPolicy(QSql::HighPrecision);
    execStatement(query, m_db, m_sql, m_params);

    m_fields.clear();
    m_types.clear();
    m_fieldIndex.clear();
    m_rows.clear();
    const QSqlRecord record = query.record();
    const int columns = record.count();
    for (int i = 0; i < columns; ++i) {
        m_fields << record.fieldName(i);
        m_types << record.field(i).metaType();
        m_fieldIndex.insert(record.fieldName(i).toLower(), i);
    }
    QVector<OdbcRowReader::Kind> kinds;
    if (query.isSelect() && OdbcRowReader::canRead(query, record, &kinds)) {
        OdbcRowReader(query, kinds).readAll(m_rows);
    } else {
        while (query.next()) {
            QVector<QVariant> row(columns);
            for (int i = 0; i < columns; ++i)
                row[i] = query.value(i);
            m_rows.append(std::move(row));
        }
    }
    m_state = State::Browse;
    // A filter that no longer parses against the new fields is an error of
    // the opener; report it like the database would.
    if (m_filtered)
        m_filter = FilterExpr::parse(m_filterText, m_fields);
    applyView(false);
}

void Dataset::close()
{
    if (!isOpen())
        return;
    m_state = State::Inactive;
    m_rows.clear();
    m_view.clear();
    m_current = -1;
    m_eof = m_bof = true;
    emit layoutReset();
}

void Dataset::refresh()
{
    const int keep = recNo();
    m_state = State::Inactive;
    m_rows.clear();
    m_view.clear();
    m_current = -1;
    open();
    if (keep > 0 && !m_view.isEmpty())
        setRecNo(std::min(keep, int(m_view.size())));
}

void Dataset::applyView(bool keepPosition)
{
    const int keepRow = (keepPosition && m_current >= 0) ? m_view.at(m_current) : -1;
    m_view.clear();
    m_view.reserve(m_rows.size());
    if (m_filtered && !m_filter.isEmpty()) {
        for (int r = 0; r < m_rows.size(); ++r) {
            const QVector<QVariant>& row = m_rows.at(r);
            if (m_filter.matches([&row](int c) { return row.at(c); }))
                m_view.append(r);
        }
    } else {
        for (int r = 0; r < m_rows.size(); ++r)
            m_view.append(r);
    }

    if (!m_sortText.trimmed().isEmpty()) {
        struct Key { int column; bool desc; };
        QVector<Key> keys;
        for (const QString& part : m_sortText.split(u',', Qt::SkipEmptyParts)) {
            const QStringList words = part.simplified().split(u' ');
            const bool desc = words.size() > 1 && words.at(1).compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0;
            keys.append({columnOrThrow(words.at(0)), desc});
        }
        QCollator collator{QLocale(QLocale::Russian, QLocale::Russia)};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        auto compare = [&](const QVariant& a, const QVariant& b) -> int {
            if (a.isNull() || b.isNull())
                return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
            const int t = a.metaType().id();
            if (t == QMetaType::QString) {
                bool okA = false, okB = false;
                const double da = a.toString().toDouble(&okA), db = b.toString().toDouble(&okB);
                if (okA && okB)
                    return da < db ? -1 : (da > db ? 1 : 0);
                return collator.compare(a.toString(), b.toString());
            }
            if (t == QMetaType::QDate || t == QMetaType::QDateTime) {
                const QDateTime x = a.toDateTime(), y = b.toDateTime();
                return x < y ? -1 : (x > y ? 1 : 0);
            }
            const double x = a.toDouble(), y = b.toDouble();
            return x < y ? -1 : (x > y ? 1 : 0);
        };
        std::stable_sort(m_view.begin(), m_view.end(), [&](int l, int r) {
            for (const Key& k : keys) {
                const int c = compare(m_rows.at(l).at(k.column), m_rows.at(r).at(k.column));
                if (c != 0)
                    return k.desc ? c > 0 : c < 0;
            }
            return false;
        });
    }

    emit layoutReset();
    int index = 0;
    if (keepRow >= 0) {
        const int found = m_view.indexOf(keepRow);
        index = found >= 0 ? found : 0;
    }
    setCurrent(m_view.isEmpty() ? -1 : index);
}

void Dataset::setCurrent(int index)
{
    m_current = index;
    m_bof = m_eof = m_view.isEmpty();
    emit currentChanged(recNo());
}

void Dataset::setRecNo(int recNo)
{
    postPending();
    if (m_view.isEmpty())
        return;
    setCurrent(std::clamp(recNo, 1, int(m_view.size())) - 1);
}

void Dataset::first()
{
    postPending();
    if (m_view.isEmpty()) {
        m_bof = m_eof = true;
        return;
    }
    setCurrent(0);
    m_bof = true;
}

void Dataset::last()
{
    postPending();
    if (m_view.isEmpty()) {
        m_bof = m_eof = true;
        return;
    }
    setCurrent(m_view.size() - 1);
    m_eof = true;
}

void Dataset::next()
{
    postPending();
    if (m_view.isEmpty()) {
        m_eof = true;
        return;
    }
    if (m_current + 1 >= m_view.size()) {
        m_eof = true;
        return;
    }
    setCurrent(m_current + 1);
}

void Dataset::prior()
{
    postPending();
    if (m_view.isEmpty()) {
        m_bof = true;
        return;
    }
    if (m_current <= 0) {
        m_bof = true;
        return;
    }
    setCurrent(m_current - 1);
}

bool Dataset::locate(const QString& fieldName, const QVariant& value, int options)
{
    postPending();
    const int column = columnOrThrow(fieldName);
    const Qt::CaseSensitivity cs = (options & CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const QString wanted = value.toString();
    const bool numeric = value.metaType().id() == QMetaType::Int || value.metaType().id() == QMetaType::LongLong
        || value.metaType().id() == QMetaType::Double;
    for (int i = 0; i < m_view.size(); ++i) {
        const QVariant v = m_rows.at(m_view.at(i)).at(column);
        if (v.isNull())
            continue;
        bool hit;
        if (numeric) {
            bool ok = false;
            const double d = v.toString().toDouble(&ok);
            hit = ok && d == value.toDouble();
        } else if (options & PartialKey) {
            hit = v.toString().startsWith(wanted, cs);
        } else {
            hit = v.toString().compare(wanted, cs) == 0;
        }
        if (hit) {
            setCurrent(i);
            return true;
        }
    }
    return false;
}

int Dataset::fieldIndex(const QString& name) const
{
    return m_fieldIndex.value(name.toLower(), -1);
}

int Dataset::columnOrThrow(const QString& name) const
{
    const int column = fieldIndex(name);
    if (column < 0)
        throw DbError(QStringLiteral("%1: поле '%2' не найдено").arg(objectName(), name));
    return column;
}

Field Dataset::field(const QString& name) const
{
    const int column = columnOrThrow(name);
    if (m_current < 0)
        return Field(QVariant(), name);
    return Field(m_rows.at(m_view.at(m_current)).at(column), name);
}

Field Dataset::fieldAt(int row, const QString& name) const
{
    return Field(valueAt(row, columnOrThrow(name)), name);
}

QVariant Dataset::valueAt(int row, int column) const
{
    if (row < 0 || row >= m_view.size() || column < 0 || column >= m_fields.size())
        return QVariant();
    return m_rows.at(m_view.at(row)).at(column);
}

const QVariant& Dataset::valueRefAt(int row, int column) const
{
    static const QVariant none;
    if (row < 0 || row >= m_view.size() || column < 0 || column >= m_fields.size())
        return none;
    return m_rows.at(m_view.at(row)).at(column);
}

QVariant Dataset::valueAt(int row, const QString& name) const
{
    return valueAt(row, fieldIndex(name));
}

void Dataset::setFilter(const QString& text)
{
    m_filterText = text;
    if (m_filtered && isOpen()) {
        m_filter = FilterExpr::parse(m_filterText, m_fields);
        applyView(false);
    }
}

void Dataset::setFiltered(bool on)
{
    if (on && isOpen())
        m_filter = FilterExpr::parse(m_filterText, m_fields);
    m_filtered = on;
    if (isOpen())
        applyView(false);
}

void Dataset::setSort(const QString& sort)
{
    m_sortText = sort;
    if (isOpen())
        applyView(true);
}

// ---- updates -------------------------------------------------------------

void Dataset::setUpdateTable(const QString& table, const QString& keyField)
{
    m_updateTable = table;
    m_keyField = keyField;
}

void Dataset::append()
{
    if (!isOpen())
        throw DbError(QStringLiteral("%1: набор данных закрыт").arg(objectName()));
    if (m_state != State::Browse)
        post();
    m_rows.append(QVector<QVariant>(m_fields.size()));
    m_view.append(m_rows.size() - 1);
    m_editOriginal = m_rows.last();
    m_modified = QVector<bool>(m_fields.size(), false);
    m_state = State::Insert;
    emit layoutReset();
    setCurrent(m_view.size() - 1);
}

void Dataset::edit()
{
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    if (!isOpen() || m_current < 0)
        throw DbError(QStringLiteral("%1: нет текущей записи").arg(objectName()));
    m_editOriginal = m_rows.at(m_view.at(m_current));
    m_modified = QVector<bool>(m_fields.size(), false);
    m_state = State::Edit;
}

void Dataset::setValue(const QString& name, const QVariant& value)
{
    const int column = columnOrThrow(name);
    if (m_state == State::Browse)
        edit();
    if (m_state == State::Inactive || m_current < 0)
        throw DbError(QStringLiteral("%1: нет текущей записи").arg(objectName()));
    m_rows[m_view.at(m_current)][column] = value;
    m_modified[column] = true;
    emit rowChanged(m_current);
}

QVector<QVariant> Dataset::fetchRow(const QString& sql, const QVector<QVariant>& binds)
{
    QSqlQuery query(m_db.handle());
    query.setNumericalPrecisionPolicy(QSql::HighPrecision);
    QHash<QString, QVariant> params;
    for (int i = 0; i < binds.size(); ++i)
        params.insert(QStringLiteral("p%1").arg(i), binds.at(i));
    execStatement(query, m_db, sql, params);
    QVector<QVariant> row;
    if (query.isSelect() && query.next()) {
        const QSqlRecord record = query.record();
        row.resize(m_fields.size());
        for (int i = 0; i < record.count(); ++i) {
            const int column = fieldIndex(record.fieldName(i));
            if (column >= 0)
                row[column] = query.value(i);
        }
    }
    return row;
}

void Dataset::post()
{
    if (m_state != State::Insert && m_state != State::Edit)
        return;
    if (m_updateTable.isEmpty())
        throw DbError(QStringLiteral("%1: набор данных только для чтения").arg(objectName()));
    const int bufferRow = m_view.at(m_current);
    QVector<QVariant>& row = m_rows[bufferRow];
    QStringList columns;
    QVector<QVariant> binds;
    for (int c = 0; c < m_fields.size(); ++c) {
        if (m_modified.at(c)) {
            columns << m_fields.at(c);
            binds << row.at(c);
        }
    }
    auto marker = [](int i) { return QStringLiteral(":p%1").arg(i); };

    if (m_state == State::Insert) {
        QString sql;
        if (columns.isEmpty()) {
            sql = QStringLiteral("insert into %1 default values returning *").arg(m_updateTable);
        } else {
            QStringList markers;
            for (int i = 0; i < columns.size(); ++i)
                markers << marker(i);
            sql = QStringLiteral("insert into %1 (%2) values (%3) returning *")
                      .arg(m_updateTable, columns.join(QStringLiteral(", ")), markers.join(QStringLiteral(", ")));
        }
        const QVector<QVariant> stored = fetchRow(sql, binds);
        if (!stored.isEmpty())
            row = stored;
    } else if (!columns.isEmpty()) {
        QStringList sets;
        for (int i = 0; i < columns.size(); ++i)
            sets << QStringLiteral("%1 = %2").arg(columns.at(i), marker(i));
        QStringList where;
        if (!m_keyField.isEmpty()) {
            where << QStringLiteral("%1 = %2").arg(m_keyField, marker(binds.size()));
            binds << m_editOriginal.at(columnOrThrow(m_keyField));
        } else {
            // A table without a key: the row is the one that still holds
            // every value it was read with.
            for (int c = 0; c < m_fields.size(); ++c) {
                where << QStringLiteral("%1 is not distinct from %2").arg(m_fields.at(c), marker(binds.size()));
                binds << m_editOriginal.at(c);
            }
        }
        const QString sql = QStringLiteral("update %1 set %2 where %3")
                                .arg(m_updateTable, sets.join(QStringLiteral(", ")), where.join(QStringLiteral(" and ")));
        QHash<QString, QVariant> params;
        for (int i = 0; i < binds.size(); ++i)
            params.insert(QStringLiteral("p%1").arg(i), binds.at(i));
        QSqlQuery query(m_db.handle());
        execStatement(query, m_db, sql, params);
    }
    m_state = State::Browse;
    m_modified.clear();
    emit rowChanged(m_current);
}

void Dataset::postPending()
{
    // Leaving a row that is being inserted or edited posts it first, so a
    // pending change is never written to the row that becomes current.
    if (m_state == State::Insert || m_state == State::Edit)
        post();
}

void Dataset::cancel()
{
    if (m_state == State::Insert) {
        m_rows.removeAt(m_view.at(m_current));
        m_view.removeAt(m_current);
        m_state = State::Browse;
        emit layoutReset();
        setCurrent(m_view.isEmpty() ? -1 : std::min(m_current, int(m_view.size()) - 1));
    } else if (m_state == State::Edit) {
        m_rows[m_view.at(m_current)] = m_editOriginal;
        m_state = State::Browse;
        emit rowChanged(m_current);
    }
}

void Dataset::remove()
{
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_state == State::Edit)
        cancel();
    if (!isOpen() || m_current < 0)
        throw DbError(QStringLiteral("%1: нет текущей записи").arg(objectName()));
    if (m_updateTable.isEmpty() || m_keyField.isEmpty())
        throw DbError(QStringLiteral("%1: набор данных только для чтения").arg(objectName()));
    Command command(m_db, QStringLiteral("delete from %1 where %2 = :key").arg(m_updateTable, m_keyField));
    command.setParam(QStringLiteral("key"), m_rows.at(m_view.at(m_current)).at(columnOrThrow(m_keyField)));
    command.execute();
    const int removedRow = m_view.at(m_current);
    m_rows.removeAt(removedRow);
    m_view.removeAt(m_current);
    for (int& r : m_view)
        if (r > removedRow)
            --r;
    emit layoutReset();
    setCurrent(m_view.isEmpty() ? -1 : std::min(m_current, int(m_view.size()) - 1));
}
