#pragma once
#include "reports/engine/DataSource.h"

#include <QVector>

class Dataset;

namespace report {

// The visible rows of an open Dataset (after its filter and sort) as a
// report's data. Numeric columns, which the driver may hand over as text,
// are answered as numbers. The dataset's current row is left alone.
class DatasetSource : public DataSource {
public:
    explicit DatasetSource(const Dataset& dataset);   // throws ReportError when it is not open

    int rowCount() const override;
    int columnCount() const override;
    QString columnName(int column) const override;
    QVariant value(int row, int column) const override;

private:
    QVariant convert(const QVariant& v, int column) const;

    const Dataset& m_dataset;
    QVector<bool> m_numeric;
    // Numeric columns converted once, all of them at the first use of one:
    // a report reads each of their values several times.
    mutable QVector<QVector<QVariant>> m_converted;
};

} // namespace report
