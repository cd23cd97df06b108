#include "reports/engine/NumberFormat.h"
#include "reports/engine/ReportError.h"

#include <algorithm>
#include <cmath>

namespace report {

namespace {

// Rounds to `decimals` places, half away from zero. The nudge puts values
// such as 2.675 (stored as 2.67499999...) on the side their decimal text
// is on.
double roundTo(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    // A value written with the mask's decimals and a trailing 5 may be
    // stored or scaled a unit in the last place below the half (2.675 is
    // 2.67499...): two units in the last place away from zero round it as
    // written, and are far too little to move a large amount's last digit.
    const double scaled = value * scale;
    const double away = scaled < 0 ? -HUGE_VAL : HUGE_VAL;
    const double rounded = std::round(std::nextafter(std::nextafter(scaled, away), away));
    return rounded / scale;
}

// Replaces the C-locale text of a number ("-1234.50") by the locale's
// separators, optionally grouping the integer digits; built in one pass,
// since a report formats every number it prints.
QString localise(const QString& plain, const QLocale& locale, bool grouping)
{
    const QChar* p = plain.constData();
    const qsizetype n = plain.size();
    const bool negative = n > 0 && p[0] == QLatin1Char('-');
    const qsizetype start = negative ? 1 : 0;
    const qsizetype point = plain.indexOf(QLatin1Char('.'), start);
    const qsizetype intEnd = point < 0 ? n : point;
    QString out;
    out.reserve(n + 8);
    if (negative)
        out += locale.negativeSign();
    const qsizetype intDigits = intEnd - start;
    if (grouping && intDigits > 3) {
        const QString sep = locale.groupSeparator();
        for (qsizetype i = 0; i < intDigits; ++i) {
            if (i > 0 && (intDigits - i) % 3 == 0)
                out += sep;
            out += p[start + i];
        }
    } else {
        out.append(p + start, intDigits);
    }
    if (point >= 0 && point + 1 < n) {
        out += locale.decimalPoint();
        out.append(p + point + 1, n - point - 1);
    }
    return out;
}

bool isZeroText(const QString& plain)
{
    for (QChar c : plain) {
        if (c != QLatin1Char('0') && c != QLatin1Char('.') && c != QLatin1Char('-'))
            return false;
    }
    return true;
}

} // namespace

NumberFormat NumberFormat::parse(const QString& mask)
{
    NumberFormat f;
    if (mask.isEmpty())
        return f;
    auto bad = [&] { return ReportError(QStringLiteral("Недопустимая маска числа \"%1\"").arg(mask)); };

    f.m_default = false;
    f.m_minIntDigits = 0;
    bool afterPoint = false;
    bool optionalDecimalSeen = false;
    int digits = 0;
    for (QChar c : mask) {
        if (c == QLatin1Char('.')) {
            if (afterPoint)
                throw bad();
            afterPoint = true;
        } else if (c == QLatin1Char(',')) {
            if (afterPoint)
                throw bad();
            f.m_grouping = true;
        } else if (c == QLatin1Char('0')) {
            ++digits;
            if (afterPoint) {
                if (optionalDecimalSeen)   // "0.#0" has no meaning
                    throw bad();
                ++f.m_minDecimals;
                ++f.m_maxDecimals;
            } else {
                ++f.m_minIntDigits;
            }
        } else if (c == QLatin1Char('#')) {
            ++digits;
            if (afterPoint) {
                optionalDecimalSeen = true;
                ++f.m_maxDecimals;
            } else if (f.m_minIntDigits > 0) {   // "0#" has no meaning
                throw bad();
            }
        } else {
            throw bad();
        }
    }
    if (digits == 0)
        throw bad();
    return f;
}

QString NumberFormat::format(double value, const QLocale& locale) const
{
    if (!std::isfinite(value))
        value = 0;   // nothing in a report may print "inf" or "nan"

    QString plain;
    if (m_default) {
        const double magnitude = std::fabs(value);
        if (magnitude < 1e15 && value == std::trunc(value)) {
            plain = QString::number(value, 'f', 0);
        } else {
            const int intDigits = magnitude >= 1 ? int(std::floor(std::log10(magnitude))) + 1 : 0;
            const int decimals = std::clamp(15 - intDigits, 0, 15);
            plain = QString::number(value, 'f', decimals);
            if (plain.contains(QLatin1Char('.'))) {
                while (plain.endsWith(QLatin1Char('0')))
                    plain.chop(1);
                if (plain.endsWith(QLatin1Char('.')))
                    plain.chop(1);
            }
        }
    } else {
        plain = QString::number(roundTo(value, m_maxDecimals), 'f', m_maxDecimals);
        // '#' decimals: drop trailing zeros down to the required ones.
        for (int extra = m_maxDecimals - m_minDecimals; extra > 0 && plain.endsWith(QLatin1Char('0')); --extra)
            plain.chop(1);
        if (plain.endsWith(QLatin1Char('.')))
            plain.chop(1);
        // Leading digits: "#.00" prints ".50", "000" pads to three digits.
        const bool negative = plain.startsWith(QLatin1Char('-'));
        const int start = negative ? 1 : 0;
        int point = plain.indexOf(QLatin1Char('.'));
        if (point < 0)
            point = plain.size();
        int intDigits = point - start;
        if (intDigits == 1 && plain.at(start) == QLatin1Char('0') && m_minIntDigits == 0) {
            plain.remove(start, 1);
            intDigits = 0;
        }
        if (intDigits < m_minIntDigits)
            plain.insert(start, QString(m_minIntDigits - intDigits, QLatin1Char('0')));
    }
    if (plain.startsWith(QLatin1Char('-')) && isZeroText(plain))
        plain.remove(0, 1);   // no "-0,00"
    return localise(plain, locale, m_grouping);
}

} // namespace report
