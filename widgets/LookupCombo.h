#pragma once
#include <QString>
#include <QtGlobal>

class Dataset;
class QComboBox;

// A drop-down list over a lookup table: shows one field, is keyed by
// another, and keeps its chosen key when the table is read again.
namespace LookupCombo {

// Refills `combo` from the visible rows of the open `dataset`; the entry
// whose key was chosen before stays chosen when it is still there.
void fill(QComboBox* combo, const Dataset& dataset, const QString& keyField, const QString& listField);
// The chosen entry's key; 0 when nothing is chosen.
qlonglong key(const QComboBox* combo);
// Chooses the entry with `key`; chooses nothing when there is none.
bool selectKey(QComboBox* combo, qlonglong key);
// Chooses the entry showing `text` (exactly, blanks around it ignored).
bool selectText(QComboBox* combo, const QString& text);

} // namespace LookupCombo
