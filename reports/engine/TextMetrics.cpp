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

const QFont& TextMetrics::font(const FontSpec& fontSpec)
{
    const QString key = QStringLiteral("%1|%2|%3|%4").arg(fontSpec.family).arg(fontSpec.pointSize).arg(fontSpec.bold).arg(fontSpec.italic);
    auto it = m_fonts.find(key);
    if (it == m_fonts.end())
        it = m_fonts.insert(key, referenceFont(fontSpec));
    return *it;
}

TextMetrics::Wrapped TextMetrics::wrap(const QString& text, const FontSpec& fontSpec, double widthMm)
{
    const QFont& f = font(fontSpec);
    const QFontMetricsF metrics(f);
    const double width = widthMm * kRefPerMm;

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
    return out;
}

} // namespace report::detail
