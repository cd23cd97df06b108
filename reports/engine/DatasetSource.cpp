#include "reports/engine/DatasetSource.h"
#include "reports/engine/ReportError.h"

#include "db/Dataset.h"

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

QVariant DatasetSource::convert(const QVariant& v, int column) const
{
    if (v.isNull() || !m_numeric.value(column) || v.metaType().id() != QMetaType::QString)
        return v;
    bool ok = false;
    const double d = v.toString().trimmed().toDouble(&ok);
    return ok ? QVariant(d) : v;
}

QVariant DatasetSource::value(int row, int column) const
{
    if (!m_numeric.value(column))
        return m_dataset.valueAt(row, column);
    if (m_converted.size() != m_numeric.size())
        m_converted.resize(m_numeric.size());
    QVector<QVariant>& converted = m_converted[column];
    if (converted.isEmpty() && m_dataset.recordCount() > 0) {
        const int rows = m_dataset.recordCount();
        converted.reserve(rows);
        for (int r = 0; r < rows; ++r)
            converted.append(convert(m_dataset.valueAt(r, column), column));
    }
    return converted.value(row);
}

} // namespace report
