#include "reports/engine/TextMetrics.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <QTextOption>

namespace report::detail {

QFont referenceFont(const FontSpec& fontSpec)
{
    QFont f(fontSpec.family);
    f.setPixelSize(qMax(1, qRound(fontSpec.pointSize * kRefDpi / 72.0)));
    f.setBold(fontSpec.bold);
    f.setItalic(fontSpec.italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

TextMetrics::Measured& TextMetrics::measured(const FontSpec& fontSpec)
{
    // Texts come mostly in the font of the text before.
    if (m_last && m_lastSpec == fontSpec)
        return *m_last;
    m_lastSpec = fontSpec;
    m_last = &lookUp(fontSpec);
    return *m_last;
}

TextMetrics::Measured& TextMetrics::lookUp(const FontSpec& fontSpec)
{
    const QString key = QStringLiteral("%1|%2|%3|%4").arg(fontSpec.family).arg(fontSpec.pointSize).arg(fontSpec.bold).arg(fontSpec.italic);
    auto it = m_fonts.find(key);
    if (it == m_fonts.end()) {
        m_owned.push_back(std::make_unique<Measured>(referenceFont(fontSpec)));
        it = m_fonts.insert(key, m_owned.back().get());
    }
    return **it;
}

QString TextMetrics::elide(const QString& text, const FontSpec& fontSpec, double widthMm, double* textWidthMm)
{
    if (textWidthMm)
        *textWidthMm = 0;
    if (text.isEmpty())
        return text;
    Measured& m = measured(fontSpec);
    // Painted glyphs scale from the reference size within a fraction of a
    // per cent; the margin keeps a text that just fits inside its item.
    const double width = qMax(0.0, widthMm) * kRefPerMm * 0.99;
    double lineWidth = 0;
    if (!text.contains(QLatin1Char('\n'))) {
        QString out = elideLine(text, m, width, &lineWidth);
        if (textWidthMm)
            *textWidthMm = lineWidth / kRefPerMm;
        return out;
    }
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = elideLine(line, m, width, &lineWidth);
    if (textWidthMm)
        *textWidthMm = -1;
    return lines.join(QLatin1Char('\n'));
}

QString TextMetrics::elideLine(const QString& line, Measured& m, double width, double* lineWidth)
{
    // The sum of the characters' advances is what the line takes without
    // kerning; well inside the width it fits, near it the line is measured.
    double estimate = 0;
    for (QChar c : line) {
        auto it = m.advances.constFind(c.unicode());
        if (it == m.advances.constEnd())
            it = m.advances.insert(c.unicode(), m.metrics.horizontalAdvance(c));
        estimate += *it;
    }
    *lineWidth = estimate;
    if (estimate <= width * 0.95)
        return line;
    *lineWidth = m.metrics.horizontalAdvance(line);
    if (*lineWidth <= width)
        return line;
    const QString cut = m.metrics.elidedText(line, Qt::ElideRight, width);
    *lineWidth = m.metrics.horizontalAdvance(cut);
    return cut;
}

TextMetrics::Wrapped TextMetrics::wrap(const QString& text, const FontSpec& fontSpec, double widthMm)
{
    Measured& m = measured(fontSpec);
    const QFont& f = m.font;
    const QFontMetricsF& metrics = m.metrics;
    const double width = widthMm * kRefPerMm;
    const QString key = QString::number(widthMm, 'g', 17) + QLatin1Char('|') + text;
    if (const auto known = m.wrapped.constFind(key); known != m.wrapped.constEnd())
        return *known;
    if (m.wrapped.size() >= 10000)
        m.wrapped.clear();

    QStringList lines;
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (const QString& paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, f);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
    }
    Wrapped out;
    out.text = lines.join(QLatin1Char('\n'));
    out.height = lines.size() * metrics.lineSpacing() / kRefPerMm;
    m.wrapped.insert(key, out);
    return out;
}

} // namespace report::detail
