#include "reports/engine/DatasetSource.h"
#include "reports/engine/ReportError.h"

#include "db/Dataset.h"

#include <charconv>
#include <optional>

namespace report {

namespace {

bool isNumericType(QMetaType type)
{
    switch (type.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

} // namespace

namespace {

std::optional<double> parseNumber(const QString& text);

} // namespace

DatasetSource::DatasetSource(const Dataset& dataset) : m_dataset(dataset)
{
    if (!dataset.isOpen())
        throw ReportError(QStringLiteral("Набор данных \"%1\" не открыт").arg(dataset.name()));
    const int columns = dataset.fieldNames().size();
    m_numeric.resize(columns);
    for (int c = 0; c < columns; ++c)
        m_numeric[c] = isNumericType(dataset.fieldType(c));
}

int DatasetSource::rowCount() const
{
    return m_dataset.recordCount();
}

int DatasetSource::columnCount() const
{
    return m_numeric.size();
}

QString DatasetSource::columnName(int column) const
{
    return m_dataset.fieldNames().value(column);
}

namespace {

// The number a decimal's text holds. The driver's texts ("1234.50",
// "-0.01", "1e-300") are read by from_chars, which rounds as QString does,
// without building a byte array for each; anything else (blanks, a sign
// '+', letters) goes the general way.
std::optional<double> parseNumber(const QString& text)
{
    const qsizetype n = text.size();
    if (n > 0 && n < 64) {
        char buffer[64];
        const QChar* p = text.constData();
        bool plain = true;
        for (qsizetype i = 0; i < n && plain; ++i) {
            const char16_t c = p[i].unicode();
            plain = (c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'e' || c == u'E';
            buffer[i] = char(c);
        }
        if (plain) {
            double d = 0;
            const auto [end, error] = std::from_chars(buffer, buffer + n, d);
            if (error == std::errc() && end == buffer + n)
                return d;
        }
    }
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (ok)
        return d;
    return std::nullopt;
}

} // namespace

QVariant DatasetSource::convert(const QVariant& v, int column) const
{
    if (v.isNull() || !m_numeric.value(column) || v.metaType().id() != QMetaType::QString)
        return v;
    const std::optional<double> d = parseNumber(*static_cast<const QString*>(v.constData()));
    return d ? QVariant(*d) : v;
}

QVariant DatasetSource::value(int row, int column) const
{
    if (!m_numeric.value(column))
        return m_dataset.valueRefAt(row, column);
    if (m_converted.size() != m_numeric.size()) {
        // Every numeric column at once, row by row: the rows lie apart in
        // memory, and one pass over them costs a column's pass.
        m_converted.resize(m_numeric.size());
        const int rows = m_dataset.recordCount();
        for (int c = 0; c < m_numeric.size(); ++c)
            if (m_numeric[c])
                m_converted[c].reserve(rows);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < m_numeric.size(); ++c)
                if (m_numeric[c])
                    m_converted[c].append(convert(m_dataset.valueRefAt(r, c), c));
    }
    return m_converted[column].value(row);
}

} // namespace report
