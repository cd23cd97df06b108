#include "ledger/MonthRange.h"

#include <QGuiApplication>
#include <QPalette>
#include <QStringList>

QStringList MonthRange::monthNames()
{
    return {QStringLiteral("Январь"), QStringLiteral("Февраль"), QStringLiteral("Март"),    QStringLiteral("Апрель"),
            QStringLiteral("Май"),    QStringLiteral("Июнь"),    QStringLiteral("Июль"),    QStringLiteral("Август"),
            QStringLiteral("Сентябрь"), QStringLiteral("Октябрь"), QStringLiteral("Ноябрь"), QStringLiteral("Декабрь")};
}

QString MonthRange::monthName(int month)
{
    return month >= 1 && month <= 12 ? monthNames().at(month - 1) : QString();
}

namespace DayColours {

QColor windowText()
{
    return QGuiApplication::palette().color(QPalette::WindowText);
}

QColor windowBackground()
{
    return QGuiApplication::palette().color(QPalette::Base);
}

} // namespace DayColours

QVector<DayColumnLook> dayColumnLooks(const MonthRange& month)
{
    QVector<DayColumnLook> looks;
    const int days = month.days();
    for (int k = 1; k <= 31; ++k) {
        DayColumnLook look;
        look.day = k;
        if (k <= days) {
            const int weekday = QDate(month.year, month.month, k).dayOfWeek();   // 1 Monday .. 7 Sunday
            look.weekend = weekday >= 6;
            look.text = look.weekend ? DayColours::red() : DayColours::windowText();
            look.title = look.text;
        } else {
            look.pastEnd = true;
            look.text = DayColours::windowBackground();
            look.title = DayColours::silver();
        }
        looks.append(look);
    }
    return looks;
}

int dayOfField(const QString& field)
{
    if (field.size() < 2 || field.at(0) != u'd')
        return 0;
    bool ok = false;
    const int d = field.mid(1).toInt(&ok);
    return ok && d >= 1 && d <= 31 ? d : 0;
}
