#pragma once
#include "db/DatasetModel.h"

#include <QTableView>

class Dataset;

// A grid bound to a dataset: whole-row selection that follows the
// dataset's current row and moves it, titled columns, a drawing hook.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);

    void setDataset(Dataset* dataset);
    Dataset* dataset() const { return m_model ? m_model->dataset() : nullptr; }
    DatasetModel* datasetModel() const { return m_model; }
    void setColumns(const QVector<GridColumn>& columns);
    void setCellRule(DatasetModel::CellRule rule);

    // The text the grid shows in a cell (for tests and accessibility).
    QString cellText(int row, int column) const;

signals:
    // Enter pressed on the grid.
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void syncSelection();
    void applyWidths();

    DatasetModel* m_model = nullptr;
    QMetaObject::Connection m_datasetConnection;
    bool m_syncing = false;
};
