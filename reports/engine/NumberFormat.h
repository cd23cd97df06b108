#pragma once
#include <QLocale>
#include <QString>

namespace report {

// How a number is printed: a mask parsed once, or the default format.
//
// Masks: '0' a digit that is always printed, '#' a digit printed only when
// significant, '.' the decimal separator, ',' (before the separator) digit
// grouping. "#0.00" prints two decimals, "#0.000" three, "#0" none; the
// value is rounded half away from zero. The default format prints up to 15
// significant digits without trailing zeros and without grouping.
// Separators and the minus sign come from the locale given to format().
class NumberFormat {
public:
    NumberFormat() = default;  // the default format
    static NumberFormat parse(const QString& mask);  // throws ReportError

    bool isDefault() const { return m_default; }
    QString format(double value, const QLocale& locale) const;

private:
    bool m_default = true;
    int m_minIntDigits = 1;
    int m_minDecimals = 0;
    int m_maxDecimals = 0;
    bool m_grouping = false;
};

} // namespace report
