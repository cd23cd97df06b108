#include "app/WindowUtil.h"

#include <QLabel>
#include <QWidget>

namespace WindowUtil {

void setBackground(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    if (color.isValid()) {
        palette.setColor(QPalette::Window, color);
        palette.setColor(QPalette::Button, color);
        widget->setAutoFillBackground(true);
    } else {
        palette = widget->style() ? QPalette() : palette;
        widget->setAutoFillBackground(false);
    }
    widget->setPalette(palette);
}

void setBold(QWidget* widget, bool bold)
{
    QFont font = widget->font();
    font.setBold(bold);
    widget->setFont(font);
}

void setBuddy(QLabel* label, QWidget* field)
{
    label->setBuddy(field);
    QString name = label->text();
    name.remove(u'&');
    field->setAccessibleName(name);
}

} // namespace WindowUtil
