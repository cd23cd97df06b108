#pragma once
#include "reports/engine/ReportDefinition.h"

#include <QFont>
#include <QHash>
#include <QString>

namespace report::detail {

// Text is measured in reference units of 1/7200 inch (a point is 100 units)
// with fonts sized in those units, so that measuring does not depend on any
// screen or printer. It is painted with the same fonts sized for the device;
// without hinting they scale in proportion.
constexpr double kRefDpi = 7200.0;
constexpr double kRefPerMm = kRefDpi / 25.4;

QFont referenceFont(const FontSpec& fontSpec);

// Breaks texts into lines that fit a width, with the fonts' metrics at the
// reference size. Keeps one font per font description.
class TextMetrics {
public:
    struct Wrapped {
        QString text;       // lines joined with '\n'
        double height = 0;  // mm
    };
    Wrapped wrap(const QString& text, const FontSpec& font, double widthMm);

private:
    const QFont& font(const FontSpec& fontSpec);
    QHash<QString, QFont> m_fonts;
};

} // namespace report::detail
