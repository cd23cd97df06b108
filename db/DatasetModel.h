#pragma once
#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QPointer>
#include <functional>
#include <optional>

#include "db/Dataset.h"

// One column of a grid: the field it shows and how.
struct GridColumn {
    QString field;
    QString title;
    int width = 0;                                   // pixels; 0 lets the grid decide
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool visible = true;
    bool readOnly = true;
    QColor titleColor;                               // invalid: the header's own colour
    // Turns a value into its displayed text; empty uses the default form
    // (numbers in the Russian locale, dates dd.MM.yyyy, texts right-trimmed).
    std::function<QString(const QVariant&)> format;
};

// What the drawing hook of a grid may change in one cell.
struct CellStyle {
    std::optional<QColor> foreground;
    std::optional<QColor> background;
    std::optional<bool> bold;
};

// The table model that a grid shows a dataset through: one row per visible
// dataset row, the configured columns, and a per-cell drawing hook.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using CellRule = std::function<void(int row, const GridColumn& column, CellStyle& style)>;

    explicit DatasetModel(Dataset* dataset, QObject* parent = nullptr);

    Dataset* dataset() const { return m_dataset; }
    // No columns configured shows every field of the dataset under its name.
    void setColumns(const QVector<GridColumn>& columns);
    const QVector<GridColumn>& columns() const { return m_columns; }
    void setCellRule(CellRule rule) { m_rule = std::move(rule); }
    CellRule cellRule() const { return m_rule; }
    void setEditable(bool editable) { m_editable = editable; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The displayed text of a value in the default form; `numeric` says the
    // column holds numbers (exact decimals arrive as text).
    static QString defaultText(const QVariant& value, bool numeric = false);

private:
    const GridColumn& columnAt(int section) const;
    QVector<GridColumn> effectiveColumns() const;

    QPointer<Dataset> m_dataset;
    QVector<GridColumn> m_columns;
    QVector<GridColumn> m_autoColumns;
    CellRule m_rule;
    bool m_editable = false;
};
