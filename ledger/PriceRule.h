#pragma once
#include <QChar>
#include <QString>
#include <QtGlobal>

// The price of a shift record and how prices and sums are rounded and shown.
//
// A record's price is the operation's list price (its lowest norm price),
// doubled on a day off, then times 1.2 in shift 3 or 1.5 in overtime
// (shift 4). Prices and sums are kept to 4 decimal places, a tie going to
// the even last digit.
namespace PriceRule {

double finalPrice(double listPrice, int shift, bool dayOff);

// Prices and sums the rule keeps to 4 exact places: below 10^11 in
// magnitude. A value beyond (a quantity typed with too many digits, a price
// another program wrote) is refused before it is written.
inline constexpr double kLimit = 1e11;
bool inRange(double value);

// The value in ten-thousandths, rounded half to even (in range only).
qint64 units(double value);
// The value rounded to 4 decimal places; a value out of range as it is.
double round4(double value);

// The rounded value as the program shows it: no trailing zeros, the
// locale's decimal separator ("240", "12,3457", "0,0312").
QString displayText(double value);
QString displayText(double value, QChar decimalPoint);
// The rounded value as SQL text, with a point ("12.3457").
QString sqlText(double value);

} // namespace PriceRule
