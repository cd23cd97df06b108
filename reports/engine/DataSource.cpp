#include "reports/engine/DataSource.h"
#include "reports/engine/ReportError.h"

namespace report {

int DataSource::columnIndex(const QString& name) const
{
    const int n = columnCount();
    for (int c = 0; c < n; ++c) {
        if (columnName(c).compare(name, Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

TableSource::TableSource(const QStringList& columns, const QVector<QVector<QVariant>>& rows)
    : m_columns(columns)
{
    for (const auto& row : rows)
        addRow(row);
}

void TableSource::addRow(const QVector<QVariant>& row)
{
    if (row.size() != m_columns.size())
        throw ReportError(QStringLiteral("Строка таблицы содержит %1 значений вместо %2")
                              .arg(row.size())
                              .arg(m_columns.size()));
    m_rows.append(row);
}

QVariant TableSource::value(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_columns.size())
        return QVariant();
    return m_rows.at(row).at(column);
}

} // namespace report
