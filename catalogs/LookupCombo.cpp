#include "catalogs/LookupCombo.h"
#include "db/Dataset.h"

#include <QComboBox>

namespace LookupCombo {

namespace {

int toKey(const QVariant& value)
{
    if (value.isNull())
        return 0;
    bool ok = false;
    const int k = value.toInt(&ok);
    if (ok)
        return k;
    return int(value.toString().trimmed().toDouble());
}

} // namespace

void fill(QComboBox* combo, const Dataset& dataset, const QString& keyField, const QString& listField)
{
    const int chosen = key(combo);
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

int key(const QComboBox* combo)
{
    if (combo->currentIndex() < 0)
        return 0;
    return combo->currentData().toInt();
}

bool selectKey(QComboBox* combo, int key)
{
    const int index = key == 0 ? -1 : combo->findData(key);
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
