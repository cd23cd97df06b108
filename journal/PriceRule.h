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

// The value in ten-thousandths, rounded half to even.
qint64 units(double value);
// The value rounded to 4 decimal places.
double round4(double value);

// The rounded value as the program shows it: no trailing zeros, the
// locale's decimal separator ("240", "12,3457", "0,0312").
QString displayText(double value);
QString displayText(double value, QChar decimalPoint);
// The rounded value as SQL text, with a point ("12.3457").
QString sqlText(double value);

} // namespace PriceRule
