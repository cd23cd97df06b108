#include "catalogs/DecimalKeys.h"

#include <QKeyEvent>
#include <QLineEdit>

std::optional<QChar> decimalKeyChar(QChar typed)
{
    if (typed >= u'0' && typed <= u'9')
        return typed;
    if (typed == u'.' || typed == u',')
        return QChar(u'.');
    return std::nullopt;
}

QString decimalEditText(const QVariant& value)
{
    if (value.isNull())
        return QString();
    QString text = value.toString().trimmed();
    if (value.metaType().id() == QMetaType::Double || value.metaType().id() == QMetaType::Float)
        text = QString::number(value.toDouble(), 'f', 6);
    text.replace(u',', u'.');
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text;
}

DecimalKeyFilter::DecimalKeyFilter(QLineEdit* field) : QObject(field), m_field(field)
{
    field->installEventFilter(this);
}

bool DecimalKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_field || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return false;
    default:
        break;
    }
    const QString text = key->text();
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!decimalKeyChar(c))
            return true;
    }
    QString mapped;
    for (const QChar c : text)
        mapped += *decimalKeyChar(c);
    if (mapped == text)
        return false;
    m_field->insert(mapped);
    return true;
}
