#pragma once
#include "db/DatasetModel.h"

#include <QColor>
#include <QString>
#include <QVector>

// The journal grid's columns and its colouring of the acceptance mark.
namespace JournalGrid {

QVector<GridColumn> columns();

// "ok" and "да" (exactly) are accepted.
bool isAccepted(const QString& mark);
// The new mark a double click gives a record with `mark`.
QString toggledMark(const QString& mark);

inline const QColor kGreen{0, 128, 0};
inline const QColor kRed{255, 0, 0};

} // namespace JournalGrid
