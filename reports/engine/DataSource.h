#pragma once
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace report {

// The rows a report is laid out over. Values are typed: numbers as
// int/double, texts as QString, dates as QDate/QDateTime, NULL as an
// invalid or null QVariant. Column names match case-insensitively.
class DataSource {
public:
    virtual ~DataSource() = default;
    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual QVariant value(int row, int column) const = 0;

    // -1 when there is no such column.
    int columnIndex(const QString& name) const;
};

// A table held in memory: for tests and for reports over computed rows.
class TableSource : public DataSource {
public:
    explicit TableSource(const QStringList& columns, const QVector<QVector<QVariant>>& rows = {});

    void addRow(const QVector<QVariant>& row);

    int rowCount() const override { return m_rows.size(); }
    int columnCount() const override { return m_columns.size(); }
    QString columnName(int column) const override { return m_columns.value(column); }
    QVariant value(int row, int column) const override;

private:
    QStringList m_columns;
    QVector<QVector<QVariant>> m_rows;
};

} // namespace report
