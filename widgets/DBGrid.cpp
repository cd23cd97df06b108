#include "widgets/DBGrid.h"
#include "db/Dataset.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMetaMethod>

DBGrid::DBGrid(QWidget* parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setVisible(false);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setHighlightSections(false);
    setWordWrap(false);
}

void DBGrid::setDataset(Dataset* dataset)
{
    // Switching datasets keeps the columns and the drawing hook.
    QVector<GridColumn> columns;
    DatasetModel::CellRule rule;
    if (m_model) {
        columns = m_model->columns();
        rule = m_model->cellRule();
        disconnect(m_datasetConnection);
        m_model->deleteLater();
    }
    m_model = new DatasetModel(dataset, this);
    m_model->setColumns(columns);
    m_model->setCellRule(rule);
    setModel(m_model);
    applyWidths();
    m_datasetConnection = connect(dataset, &Dataset::currentChanged, this, [this] { syncSelection(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { syncSelection(); });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (m_syncing || !current.isValid() || !this->dataset())
            return;
        m_syncing = true;
        this->dataset()->setRecNo(current.row() + 1);
        m_syncing = false;
    });
    syncSelection();
}

void DBGrid::setColumns(const QVector<GridColumn>& columns)
{
    m_model->setColumns(columns);
    applyWidths();
}

void DBGrid::setCellRule(DatasetModel::CellRule rule)
{
    m_model->setCellRule(std::move(rule));
}

void DBGrid::applyWidths()
{
    const auto& columns = m_model->columns();
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).width > 0)
            setColumnWidth(i, columns.at(i).width);
        setColumnHidden(i, !columns.at(i).visible);
    }
}

void DBGrid::syncSelection()
{
    if (m_syncing || !dataset())
        return;
    const int row = dataset()->recNo() - 1;
    m_syncing = true;
    if (row >= 0 && row < m_model->rowCount()) {
        int column = currentIndex().isValid() ? currentIndex().column() : 0;
        while (column < m_model->columnCount() && isColumnHidden(column))
            ++column;
        const QModelIndex index = m_model->index(row, std::min(column, m_model->columnCount() - 1));
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
    } else {
        selectionModel()->clearSelection();
    }
    m_syncing = false;
}

QString DBGrid::cellText(int row, int column) const
{
    return m_model->data(m_model->index(row, column), Qt::DisplayRole).toString();
}

void DBGrid::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && state() != EditingState
        && isSignalConnected(QMetaMethod::fromSignal(&DBGrid::enterPressed))) {
        emit enterPressed();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}
