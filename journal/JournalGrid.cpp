#include "journal/JournalGrid.h"

#include <QDateTime>

namespace JournalGrid {

QVector<GridColumn> columns()
{
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    const Qt::Alignment centre = Qt::AlignCenter;
    GridColumn vvod{QStringLiteral("vvod"), QStringLiteral("Заведен"), 130, centre};
    vvod.format = [](const QVariant& v) {
        return v.isNull() ? QString() : v.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm"));
    };
    GridColumn prize{QStringLiteral("prize"), QStringLiteral("Премия (%)"), 60, right};
    prize.visible = false;
    return {
        {QStringLiteral("fio"), QStringLiteral("Фамилия И.О."), 190, left},
        {QStringLiteral("marka"), QStringLiteral("Марка изделия"), 130, left},
        {QStringLiteral("vid"), QStringLiteral("Операция"), 150, left},
        {QStringLiteral("nmn"), QStringLiteral("Вид"), 130, left},
        {QStringLiteral("color"), QStringLiteral("Цвет"), 50, centre},
        {QStringLiteral("time"), QStringLiteral("Часы"), 45, right},
        {QStringLiteral("kol_vo"), QStringLiteral("Кол-во"), 60, right},
        {QStringLiteral("brak"), QStringLiteral("Брак"), 45, right},
        {QStringLiteral("summa"), QStringLiteral("Итого (р.)"), 85, right},
        prize,
        {QStringLiteral("ok"), QStringLiteral("OK"), 40, centre},
        vvod,
    };
}

} // namespace JournalGrid
