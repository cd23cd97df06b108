#pragma once
#include "db/DatasetModel.h"

#include <QColor>
#include <QString>
#include <QVector>

// The journal grid's columns and its colouring of the acceptance mark.
namespace JournalGrid {

QVector<GridColumn> columns();

inline const QColor kGreen{0, 128, 0};
inline const QColor kRed{255, 0, 0};

} // namespace JournalGrid
