#include "ledger/PriceRule.h"

#include <QLocale>
#include <cfenv>
#include <cmath>

namespace PriceRule {

double finalPrice(double listPrice, int shift, bool dayOff)
{
    double price = listPrice;
    if (dayOff)
        price *= 2;
    if (shift == 3)
        price *= 1.2;
    else if (shift == 4)
        price *= 1.5;
    return price;
}

bool inRange(double value)
{
    return std::fabs(value) < kLimit;   // false for NaN and infinities too
}

qint64 units(double value)
{
    if (!inRange(value))   // never converted past what qint64 holds
        value = std::isnan(value) ? 0 : std::copysign(kLimit, value);
    // nearbyint rounds a tie to the even neighbour in the default mode.
    if (std::fegetround() != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    return qint64(std::nearbyint(value * 10000.0));
}

double round4(double value)
{
    return inRange(value) ? double(units(value)) / 10000.0 : value;
}

QString displayText(double value, QChar decimalPoint)
{
    if (!inRange(value)) {
        // Too large for exact places: the whole number, as far as it is known.
        return QString::number(value, 'f', 0);
    }
    const qint64 u = units(value);
    const qint64 magnitude = u < 0 ? -u : u;
    QString text = QString::number(magnitude / 10000);
    QString fraction = QStringLiteral("%1").arg(magnitude % 10000, 4, 10, QChar(u'0'));
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    if (!fraction.isEmpty())
        text += decimalPoint + fraction;
    return u < 0 ? QStringLiteral("-") + text : text;
}

QString displayText(double value)
{
    return displayText(value, QLocale().decimalPoint().at(0));
}

QString sqlText(double value)
{
    return displayText(value, QChar(u'.'));
}

} // namespace PriceRule
