#include "catalogs/FilterKeys.h"
#include "db/Dataset.h"

#include <QKeyEvent>
#include <QLineEdit>

FilterKeyAction filterKeyAction(int key, const QString& text, FilterKeyPolicy policy)
{
    switch (key) {
    case Qt::Key_Up:
        return FilterKeyAction::Prior;
    case Qt::Key_Down:
        return FilterKeyAction::Next;
    // The dialog's own keys and Backspace always reach their handlers.
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Backspace:
        return FilterKeyAction::Pass;
    default:
        break;
    }
    if (policy == FilterKeyPolicy::ArrowsOnly)
        return FilterKeyAction::Pass;
    if (key == Qt::Key_Delete)
        return FilterKeyAction::Swallow;
    // A key that types something (letters, digits, Ctrl+V and the like)
    // acts; the cursor and editing keys, which type nothing, do not.
    return text.isEmpty() ? FilterKeyAction::Swallow : FilterKeyAction::Pass;
}

FilterFieldKeys::FilterFieldKeys(QLineEdit* field, Dataset& dataset, FilterKeyPolicy policy)
    : QObject(field), m_dataset(dataset), m_policy(policy)
{
    field->installEventFilter(this);
}

bool FilterFieldKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (filterKeyAction(key->key(), key->text(), m_policy)) {
    case FilterKeyAction::Pass:
        return false;
    case FilterKeyAction::Prior:
        m_dataset.prior();
        return true;
    case FilterKeyAction::Next:
        m_dataset.next();
        return true;
    case FilterKeyAction::Swallow:
        return true;
    }
    return false;
}
