#include "db/DatasetModel.h"
#include "db/Dataset.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>

DatasetModel::DatasetModel(Dataset* dataset, QObject* parent)
    : QAbstractTableModel(parent), m_dataset(dataset)
{
    auto rebuild = [this] {
        m_autoColumns.clear();
        if (m_dataset)
            for (const QString& f : m_dataset->fieldNames())
                m_autoColumns.append(GridColumn{f, f});
    };
    rebuild();
    connect(dataset, &Dataset::layoutReset, this, [this, rebuild] {
        beginResetModel();
        rebuild();
        endResetModel();
    });
    connect(dataset, &Dataset::rowChanged, this, [this](int row) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
}

void DatasetModel::setColumns(const QVector<GridColumn>& columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

const GridColumn& DatasetModel::columnAt(int section) const
{
    return m_columns.isEmpty() ? m_autoColumns.at(section) : m_columns.at(section);
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_dataset || !m_dataset->isOpen())
        return 0;
    return m_dataset->recordCount();
}

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_columns.isEmpty() ? m_autoColumns.size() : m_columns.size();
}

QString DatasetModel::defaultText(const QVariant& value, bool numeric)
{
    if (value.isNull())
        return QString();
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    case QMetaType::Double:
    case QMetaType::Float:
        return QLocale().toString(value.toDouble(), 'g', 15);
    case QMetaType::QString: {
        // Exact decimals arrive as text with a point: show them the Russian way.
        QString s = value.toString();
        if (numeric)
            return s.replace(u'.', QLocale().decimalPoint());
        while (s.endsWith(u' '))
            s.chop(1);
        return s;
    }
    default:
        return value.toString();
    }
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_dataset || index.row() >= rowCount())
        return QVariant();
    const GridColumn& column = columnAt(index.column());
    const QVariant value = m_dataset->valueAt(index.row(), column.field);
    switch (role) {
    case Qt::DisplayRole:
        if (column.format)
            return column.format(value);
        return defaultText(value, m_dataset->fieldType(m_dataset->fieldIndex(column.field)).id() == QMetaType::Double);
    case Qt::EditRole:
        return value;
    case Qt::TextAlignmentRole:
        return int(column.alignment);
    case Qt::ForegroundRole:
    case Qt::BackgroundRole:
    case Qt::FontRole: {
        if (!m_rule)
            return QVariant();
        CellStyle style;
        m_rule(index.row(), column, style);
        if (role == Qt::ForegroundRole && style.foreground)
            return *style.foreground;
        if (role == Qt::BackgroundRole && style.background)
            return *style.background;
        if (role == Qt::FontRole && style.bold) {
            QFont font;
            font.setBold(*style.bold);
            return font;
        }
        return QVariant();
    }
    default:
        return QVariant();
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return columnAt(section).title;
    if (role == Qt::FontRole) {
        QFont font;
        font.setBold(true);
        return font;
    }
    if (role == Qt::ForegroundRole && columnAt(section).titleColor.isValid())
        return columnAt(section).titleColor;
    return QVariant();
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_editable && index.isValid() && !columnAt(index.column()).readOnly)
        f |= Qt::ItemIsEditable;
    return f;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !m_editable || !index.isValid() || !m_dataset)
        return false;
    const GridColumn& column = columnAt(index.column());
    if (column.readOnly)
        return false;
    m_dataset->setRecNo(index.row() + 1);
    m_dataset->setValue(column.field, value);
    return true;
}
