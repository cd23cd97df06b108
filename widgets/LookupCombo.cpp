#include "widgets/LookupCombo.h"
#include "db/Dataset.h"

#include <QComboBox>

namespace LookupCombo {

namespace {

// Keys are 15-digit numbers: held as 64-bit integers, never through a
// 32-bit int or a double.
qlonglong toKey(const QVariant& value)
{
    return Field(value, QString()).asLongLong();
}

} // namespace

void fill(QComboBox* combo, const Dataset& dataset, const QString& keyField, const QString& listField)
{
    const qlonglong chosen = key(combo);
    combo->clear();
    const int keyColumn = dataset.fieldIndex(keyField);
    const int listColumn = dataset.fieldIndex(listField);
    for (int row = 0; row < dataset.recordCount(); ++row) {
        QString text = dataset.valueAt(row, listColumn).toString();
        while (text.endsWith(u' '))
            text.chop(1);
        combo->addItem(text, toKey(dataset.valueAt(row, keyColumn)));
    }
    selectKey(combo, chosen);
}

qlonglong key(const QComboBox* combo)
{
    if (combo->currentIndex() < 0)
        return 0;
    return combo->currentData().toLongLong();
}

bool selectKey(QComboBox* combo, qlonglong key)
{
    const int index = key == 0 ? -1 : combo->findData(QVariant::fromValue(key));
    combo->setCurrentIndex(index);
    return index >= 0;
}

bool selectText(QComboBox* combo, const QString& text)
{
    const QString wanted = text.trimmed();
    if (wanted.isEmpty())
        return false;
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).trimmed() == wanted) {
            combo->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

} // namespace LookupCombo
