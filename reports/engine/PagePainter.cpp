#include "reports/engine/ReportEngine.h"
#include "reports/engine/TextMetrics.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPaintDevice>
#include <QRawFont>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

namespace report {

namespace {

// The painted font of a text: the reference font's family and style at the
// text's point size on the device, so that glyphs are rasterised or
// outlined at the size they appear (a font at the reference size of about
// 900 px costs several times more to draw). `devicePixelsPerPoint` is what
// a point is in the units the texts are painted in; the painter resolves a
// font's point size with its device's logical DPI.
QFont deviceFont(const FontSpec& fontSpec, double devicePixelsPerPoint, double deviceDpi)
{
    QFont f = detail::referenceFont(fontSpec);
    f.setPointSizeF(fontSpec.pointSize * devicePixelsPerPoint * 72.0 / deviceDpi);
    return f;
}

// Paints pages onto one painter. A text measured by the layout (one line)
// is shaped once per font and text (reports repeat the same names, marks
// and numbers on many rows), and the glyphs of consecutive texts in one font
// and colour are drawn together as one run: each drawn run costs a PDF its
// own text object with the colour and font set anew, which for a page of
// short texts was a third of its size and of the time to write it. The
// glyphs land where drawText would put them, with the same font engine, so
// a PDF embeds the same font and reads back the same text.
// A text as the key of the shaped texts: hashed with a short FNV-1a over
// its characters, several times faster than the general string hash for
// the short texts of a report.
struct TextKey {
    QString text;
    bool operator==(const TextKey& other) const { return text == other.text; }
};

size_t qHash(const TextKey& key, size_t seed = 0)
{
    quint64 h = 14695981039346656037ull ^ seed;
    const QChar* c = key.text.constData();
    for (qsizetype i = 0, n = key.text.size(); i < n; ++i) {
        h ^= c[i].unicode();
        h *= 1099511628211ull;
    }
    return size_t(h ^ (h >> 32));
}

class PagePainter {
public:
    explicit PagePainter(QPainter& painter) : m_painter(painter) {}
    void paint(const Page& page, double pixelsPerMmX, double pixelsPerMmY);

private:
    // The glyphs of a text in one font, placed from its layout origin.
    struct Run {
        QRawFont font;
        std::vector<quint32> glyphs;
        std::vector<QPointF> positions;
    };
    struct Shaped {
        std::vector<Run> runs;   // one, unless characters come from fallback fonts
        double ascent = 0;       // of the laid-out line, above which the runs are placed
    };
    // A painted font with the metrics that place a measured line on its
    // baseline, and the texts shaped in it so far.
    // The characters of printed numbers ("-1 234,50"): in a font that does
    // not kern or substitute among them, such a text is its characters'
    // glyphs side by side, and is put together from them without shaping
    // (money and hours are mostly different on every row).
    static constexpr char16_t kNumberChars[] = u"0123456789,.-+ \u00a0\u202f";
    static constexpr int kNumberCharCount = int(std::size(kNumberChars)) - 1;
    static int numberCharIndex(char16_t c)
    {
        for (int i = 0; i < kNumberCharCount; ++i)
            if (kNumberChars[i] == c)
                return i;
        return -1;
    }
    struct PaintFont {
        FontSpec spec;
        QFont font;
        double ascent = 0;
        double height = 0;   // ascent + descent
        QHash<TextKey, Shaped> shaped;
        // Whether numbers are put together from their characters: unknown
        // until enough of them have been met to make the check worth it.
        enum class Numbers { Unknown, Composed, Shaped } numbers = Numbers::Unknown;
        int numbersMet = 0;
        QRawFont numberFont;
        double numberAscent = 0;
        double numberY = 0;
        bool numberUsable[kNumberCharCount] = {};   // in the font itself, not a fallback
        quint32 numberGlyphs[kNumberCharCount] = {};
        double numberAdvances[kNumberCharCount] = {};
    };
    const Shaped& shape(PaintFont& font, const QString& text);
    Shaped layOut(const PaintFont& font, const QString& text) const;
    // A number's glyphs from its characters into m_composed; false when the
    // text or the font does not allow it.
    bool composeNumber(PaintFont& font, const QString& text);
    void checkNumbers(PaintFont& font);
    Shaped m_composed;

    // Fonts are sized for one device at one scale; another scale starts
    // anew.
    void reset(double perPoint, double deviceDpi);
    // Adds a shaped text with its layout origin to the glyphs waiting to be
    // drawn; flush() draws them.
    void append(const Shaped& shaped, const QPointF& origin);
    void flush();

    QPainter& m_painter;
    std::vector<std::unique_ptr<PaintFont>> m_fonts;
    double m_perPoint = -1;
    double m_deviceDpi = -1;
    int m_shapedCount = 0;

    QRawFont m_pendingFont;
    std::vector<quint32> m_pendingGlyphs;
    std::vector<QPointF> m_pendingPositions;
};

void PagePainter::append(const Shaped& shaped, const QPointF& origin)
{
    for (const Run& run : shaped.runs) {
        if (!m_pendingGlyphs.empty() && !(run.font == m_pendingFont))
            flush();
        if (m_pendingGlyphs.empty())
            m_pendingFont = run.font;
        m_pendingGlyphs.insert(m_pendingGlyphs.end(), run.glyphs.begin(), run.glyphs.end());
        for (const QPointF& p : run.positions)
            m_pendingPositions.push_back(origin + p);
    }
}

void PagePainter::flush()
{
    if (m_pendingGlyphs.empty())
        return;
    QGlyphRun run;
    run.setRawFont(m_pendingFont);
    run.setRawData(m_pendingGlyphs.data(), m_pendingPositions.data(), int(m_pendingGlyphs.size()));
    m_painter.drawGlyphRun(QPointF(0, 0), run);
    m_pendingGlyphs.clear();
    m_pendingPositions.clear();
}

void PagePainter::reset(double perPoint, double deviceDpi)
{
    m_fonts.clear();
    m_perPoint = perPoint;
    m_deviceDpi = deviceDpi;
    m_shapedCount = 0;
}

const PagePainter::Shaped& PagePainter::shape(PaintFont& font, const QString& text)
{
    const TextKey key{text};
    auto it = font.shaped.constFind(key);
    if (it != font.shaped.constEnd())
        return *it;
    // The cache stays bounded over a long report: its texts repeat page
    // after page, and a cleared cache fills again with them.
    if (m_shapedCount >= 50000) {
        for (auto& f : m_fonts)
            f->shaped.clear();
        m_shapedCount = 0;
    }
    Shaped out = layOut(font, text);
    ++m_shapedCount;
    return *font.shaped.insert(key, std::move(out));
}

PagePainter::Shaped PagePainter::layOut(const PaintFont& font, const QString& text) const
{
    Shaped out;
    QTextLayout layout(text, font.font, m_painter.device());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(m_painter.layoutDirection());
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setLineWidth(1e9);
        line.setPosition(QPointF(0, 0));
        out.ascent = line.ascent();
    }
    layout.endLayout();
    for (const QGlyphRun& glyphRun : layout.glyphRuns()) {
        Run run;
        run.font = glyphRun.rawFont();
        const QList<quint32> glyphs = glyphRun.glyphIndexes();
        const QList<QPointF> positions = glyphRun.positions();
        run.glyphs.assign(glyphs.begin(), glyphs.end());
        run.positions.assign(positions.begin(), positions.end());
        out.runs.push_back(std::move(run));
    }
    return out;
}

void PagePainter::checkNumbers(PaintFont& font)
{
    using Numbers = PaintFont::Numbers;
    font.numbers = Numbers::Shaped;
    // Each character between two zeros gives its glyph and advance; every
    // pair between two zeros must then be the two glyphs at the sum of the
    // advances (no kerning, no substitution), and whole numbers must come
    // out as shaping gives them.
    const QString zero = QStringLiteral("0");
    auto single = [](const Shaped& s) { return s.runs.size() == 1 ? &s.runs.front() : nullptr; };
    const Shaped zeros = layOut(font, zero + zero);
    const Run* z = single(zeros);
    if (!z || z->glyphs.size() != 2 || z->positions[0].x() != 0)
        return;
    const double zeroAdvance = z->positions[1].x();
    font.numberFont = z->font;
    font.numberAscent = zeros.ascent;
    font.numberY = z->positions[0].y();
    // A character the font lacks (drawn from a fallback font) stays with
    // shaping.
    for (int i = 0; i < kNumberCharCount; ++i) {
        const Shaped s = layOut(font, zero + QChar(kNumberChars[i]) + zero);
        const Run* r = single(s);
        font.numberUsable[i] = r && r->glyphs.size() == 3 && r->font == font.numberFont && s.ascent == font.numberAscent
            && r->glyphs[0] == z->glyphs[0] && r->glyphs[2] == z->glyphs[0] && r->positions[0] == QPointF(0, font.numberY)
            && r->positions[1] == QPointF(zeroAdvance, font.numberY) && r->positions[2].y() == font.numberY;
        if (!font.numberUsable[i])
            continue;
        font.numberGlyphs[i] = r->glyphs[1];
        font.numberAdvances[i] = r->positions[2].x() - zeroAdvance;
    }
    for (int i = 0; i < kNumberCharCount; ++i) {
        for (int j = 0; j < kNumberCharCount; ++j) {
            if (!font.numberUsable[i] || !font.numberUsable[j])
                continue;
            const Shaped s = layOut(font, zero + QChar(kNumberChars[i]) + QChar(kNumberChars[j]) + zero);
            const Run* r = single(s);
            const double x1 = zeroAdvance, x2 = x1 + font.numberAdvances[i], x3 = x2 + font.numberAdvances[j];
            if (!r || r->glyphs.size() != 4 || r->glyphs[1] != font.numberGlyphs[i] || r->glyphs[2] != font.numberGlyphs[j]
                || r->positions[1] != QPointF(x1, font.numberY) || r->positions[2] != QPointF(x2, font.numberY)
                || r->positions[3] != QPointF(x3, font.numberY))
                return;
        }
    }
    font.numbers = Numbers::Composed;
    const QString samples[] = {QStringLiteral("-1 234 567,89"), QStringLiteral("-1\u00a0234\u00a0567,89"), QStringLiteral("0,00"),
                               QStringLiteral("12.5"), QStringLiteral("3 1,5"), QStringLiteral("+7-8")};
    for (const QString& sample : samples) {
        const Shaped expected = layOut(font, sample);
        if (!composeNumber(font, sample))
            continue;   // a character of the sample is not in the font
        const Run* e = single(expected);
        const Run& c = m_composed.runs.front();
        if (!e || expected.ascent != m_composed.ascent || !(e->font == c.font) || e->glyphs != c.glyphs || e->positions != c.positions) {
            font.numbers = Numbers::Shaped;
            return;
        }
    }
}

bool PagePainter::composeNumber(PaintFont& font, const QString& text)
{
    using Numbers = PaintFont::Numbers;
    const qsizetype n = text.size();
    if (font.numbers == Numbers::Shaped || n == 0 || n > 64 || m_painter.layoutDirection() == Qt::RightToLeft)
        return false;
    const QChar* p = text.constData();
    // Blanks at either end are left to shaping, which drops them.
    if (p[0].isSpace() || p[n - 1].isSpace())
        return false;
    int indexes[64];
    for (qsizetype i = 0; i < n; ++i) {
        indexes[i] = numberCharIndex(p[i].unicode());
        if (indexes[i] < 0 || (font.numbers == Numbers::Composed && !font.numberUsable[indexes[i]]))
            return false;
    }
    if (font.numbers == Numbers::Unknown) {
        if (++font.numbersMet < 500)
            return false;
        checkNumbers(font);
        return composeNumber(font, text);
    }
    if (m_composed.runs.size() != 1)
        m_composed.runs.resize(1);
    Run& run = m_composed.runs.front();
    run.font = font.numberFont;
    run.glyphs.clear();
    run.positions.clear();
    double x = 0;
    for (qsizetype i = 0; i < n; ++i) {
        run.glyphs.push_back(font.numberGlyphs[indexes[i]]);
        run.positions.emplace_back(x, font.numberY);
        x += font.numberAdvances[indexes[i]];
    }
    m_composed.ascent = font.numberAscent;
    return true;
}

void PagePainter::paint(const Page& page, double pixelsPerMmX, double pixelsPerMmY)
{
    QPainter& painter = m_painter;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    painter.save();
    painter.scale(pixelsPerMmX, pixelsPerMmY);   // from here on: millimetres
    for (const BoxPrimitive& box : page.boxes)
        painter.fillRect(box.rect, box.fill);

    for (const LinePrimitive& line : page.lines) {
        QPen pen(line.color, line.width);
        pen.setCapStyle(Qt::SquareCap);
        painter.setPen(pen);
        painter.drawLine(line.line);
    }
    painter.restore();

    // Texts in device units with fonts sized for the device. Text was
    // measured at the reference size; fonts without hinting scale in
    // proportion, so it keeps its place. Units are the device's vertical
    // pixels; a device with other horizontal pixels stretches them as a
    // scaled painter would.
    const double perMm = pixelsPerMmY;
    if (pixelsPerMmX != pixelsPerMmY)
        painter.scale(pixelsPerMmX / pixelsPerMmY, 1.0);
    const QPaintDevice* device = painter.device();
    const double deviceDpi = device && device->logicalDpiY() > 0 ? device->logicalDpiY() : 72.0;
    const double perPoint = perMm * 25.4 / 72.0;
    if (perPoint != m_perPoint || deviceDpi != m_deviceDpi)
        reset(perPoint, deviceDpi);

    PaintFont* currentFont = nullptr;
    QColor currentColor;
    bool penSet = false;
    for (const TextPrimitive& text : page.texts) {
        if (text.text.isEmpty())
            continue;
        if (!currentFont || !(currentFont->spec == text.font)) {
            auto it = std::find_if(m_fonts.begin(), m_fonts.end(), [&](const auto& known) { return known->spec == text.font; });
            if (it == m_fonts.end()) {
                auto f = std::make_unique<PaintFont>();
                f->spec = text.font;
                f->font = deviceFont(text.font, perPoint, deviceDpi);
                painter.setFont(f->font);
                const QFontMetricsF metrics = painter.fontMetrics();
                f->ascent = metrics.ascent();
                f->height = metrics.ascent() + metrics.descent();
                m_fonts.push_back(std::move(f));
                it = m_fonts.end() - 1;
            }
            painter.setFont((*it)->font);
            currentFont = it->get();
        }
        if (!penSet || text.color != currentColor) {
            flush();
            painter.setPen(text.color);
            currentColor = text.color;
            penSet = true;
        }
        const QRectF r(text.rect.x() * perMm, text.rect.y() * perMm, text.rect.width() * perMm,
                       text.rect.height() * perMm);
        if (text.width < 0) {
            flush();
            painter.drawText(r, int(text.alignment) | Qt::TextDontClip, text.text);
            continue;
        }
        // A line measured by the layout is put on its baseline directly,
        // which spares the painter laying it out in the rectangle again.
        const double width = text.width * perMm;
        double x = r.left();
        if (text.alignment & Qt::AlignRight)
            x = r.right() - width;
        else if (text.alignment & Qt::AlignHCenter)
            x = r.left() + (r.width() - width) / 2;
        double y = r.top() + currentFont->ascent;
        if (text.alignment & Qt::AlignBottom)
            y = r.bottom() - currentFont->height + currentFont->ascent;
        else if (text.alignment & Qt::AlignVCenter)
            y = r.top() + (r.height() - currentFont->height) / 2 + currentFont->ascent;
        const Shaped& shaped = composeNumber(*currentFont, text.text) ? m_composed : shape(*currentFont, text.text);
        append(shaped, QPointF(x, y - shaped.ascent));
    }
    flush();
    painter.restore();
}

} // namespace

void paintPage(QPainter& painter, const Page& page, double pixelsPerMmX, double pixelsPerMmY)
{
    PagePainter(painter).paint(page, pixelsPerMmX, pixelsPerMmY);
}

void paintPage(QPainter& painter, const Page& page)
{
    const QPaintDevice* device = painter.device();
    const double x = device ? device->logicalDpiX() / 25.4 : 96 / 25.4;
    const double y = device ? device->logicalDpiY() / 25.4 : 96 / 25.4;
    paintPage(painter, page, x, y);
}

void writePdf(const PageModel& model, const QString& fileName)
{
    const QString failed = QStringLiteral("Не удалось записать файл \"%1\"").arg(fileName);
    {
        QPdfWriter writer(fileName);
        writer.setResolution(1200);
        writer.setPageLayout(model.setup.pageLayout());
        writer.setTitle(model.title);
        QPainter painter;
        if (!painter.begin(&writer))
            throw ReportError(failed);
        const double perMm = writer.resolution() / 25.4;
        PagePainter pagePainter(painter);
        for (int i = 0; i < model.pages.size(); ++i) {
            if (i > 0 && !writer.newPage())
                throw ReportError(failed);
            pagePainter.paint(model.pages[i], perMm, perMm);
        }
        if (!painter.end())
            throw ReportError(failed);
    }
    if (!QFileInfo(fileName).isFile() || QFileInfo(fileName).size() == 0)
        throw ReportError(failed);
}

} // namespace report
