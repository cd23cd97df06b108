#include "widgets/WindowUtil.h"

#include <QBoxLayout>
#include <QDate>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
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

bool isWeekend(const QDate& date)
{
    return date.dayOfWeek() >= 6;
}

void showDayOff(QWidget* box, bool ticked)
{
    setBackground(box, ticked ? QColor(255, 0, 0) : QColor());
    setBold(box, ticked);
}

void setBuddy(QLabel* label, QWidget* field)
{
    label->setBuddy(field);
    QString name = label->text();
    name.remove(u'&');
    field->setAccessibleName(name);
}

void showFigure(const QLabel* caption, QLabel* figure, const QString& text)
{
    QString name = caption->text();
    name.remove(u'&');
    figure->setText(text);
    figure->setAccessibleName(text.isEmpty() ? name : name + QStringLiteral(" ") + text);
}

void setTabOrder(std::initializer_list<QWidget*> order)
{
    for (auto it = order.begin(); it + 1 < order.end(); ++it)
        QWidget::setTabOrder(*it, *(it + 1));
}

QPushButton* addButton(QWidget* owner, QBoxLayout* row, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, owner);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    row->addWidget(b);
    return b;
}

std::pair<QPushButton*, QPushButton*> addDialogButtons(QWidget* owner, QBoxLayout* layout, const char* defaultName,
                                                       const QString& defaultText, const char* otherName,
                                                       const QString& otherText)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    QPushButton* first = addButton(owner, row, defaultName, defaultText);
    first->setDefault(true);
    QPushButton* second = addButton(owner, row, otherName, otherText);
    layout->addLayout(row);
    return {first, second};
}

WaitCursor::WaitCursor()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    QGuiApplication::restoreOverrideCursor();
}

} // namespace WindowUtil
