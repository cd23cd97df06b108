#pragma once
#include "reports/engine/ReportDefinition.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>
#include <memory>
#include <vector>

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

    // The text as it fits the width: unchanged when it does, otherwise cut
    // with an ellipsis at its end (each line of a text of several lines).
    // `textWidthMm`, when given, receives the width of a result of one line
    // (-1 for several lines).
    QString elide(const QString& text, const FontSpec& font, double widthMm, double* textWidthMm = nullptr);

private:
    // A font with its metrics and the advances of the characters met so
    // far, which answer most "does it fit" questions without laying out.
    struct Measured {
        QFont font;
        QFontMetricsF metrics;
        QHash<char16_t, double> advances;   // reference units
        // Texts broken into lines, by width and text: a group's name is
        // broken again on every page its group continues on.
        QHash<QString, Wrapped> wrapped;
        explicit Measured(const QFont& f) : font(f), metrics(f) {}
    };
    Measured& measured(const FontSpec& fontSpec);
    Measured& lookUp(const FontSpec& fontSpec);
    QString elideLine(const QString& line, Measured& m, double width, double* lineWidth);

    QHash<QString, Measured*> m_fonts;
    FontSpec m_lastSpec;
    Measured* m_last = nullptr;
    std::vector<std::unique_ptr<Measured>> m_owned;
};

} // namespace report::detail
