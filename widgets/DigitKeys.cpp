#include "widgets/DigitKeys.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

bool digitKeyAccepted(const QString& typed)
{
    // Control characters (Backspace, Enter, Escape, Tab) and keys that
    // type nothing pass; of printable text only digits do.
    for (const QChar c : typed) {
        if (c.category() == QChar::Other_Control)
            continue;
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

DigitKeyFilter::DigitKeyFilter(QLineEdit* field) : QObject(field), m_field(field)
{
    field->installEventFilter(this);
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
}

bool DigitKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_field || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // Shortcuts (Ctrl+C, Ctrl+V ...) act; the validator refuses a paste
    // that is not all digits.
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    return !digitKeyAccepted(key->text());
}
