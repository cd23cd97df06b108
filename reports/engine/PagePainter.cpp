#include "reports/engine/ReportEngine.h"
#include "reports/engine/TextMetrics.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
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

} // namespace

void paintPage(QPainter& painter, const Page& page, double pixelsPerMmX, double pixelsPerMmY)
{
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

    // A painted font with the metrics that place a measured line on its
    // baseline.
    struct PaintFont {
        FontSpec spec;
        QFont font;
        double ascent = 0;
        double height = 0;   // ascent + descent
    };
    std::vector<PaintFont> fonts;
    const PaintFont* currentFont = nullptr;
    QColor currentColor;
    bool penSet = false;
    for (const TextPrimitive& text : page.texts) {
        if (text.text.isEmpty())
            continue;
        if (!currentFont || !(currentFont->spec == text.font)) {
            auto it = std::find_if(fonts.begin(), fonts.end(), [&](const PaintFont& known) { return known.spec == text.font; });
            if (it == fonts.end()) {
                PaintFont f;
                f.spec = text.font;
                f.font = deviceFont(text.font, perPoint, deviceDpi);
                painter.setFont(f.font);
                const QFontMetricsF metrics = painter.fontMetrics();
                f.ascent = metrics.ascent();
                f.height = metrics.ascent() + metrics.descent();
                fonts.push_back(f);
                it = fonts.end() - 1;
            }
            painter.setFont(it->font);
            currentFont = &*it;
        }
        if (!penSet || text.color != currentColor) {
            painter.setPen(text.color);
            currentColor = text.color;
            penSet = true;
        }
        const QRectF r(text.rect.x() * perMm, text.rect.y() * perMm, text.rect.width() * perMm,
                       text.rect.height() * perMm);
        if (text.width < 0) {
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
        painter.drawText(QPointF(x, y), text.text);
    }
    painter.restore();
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
        for (int i = 0; i < model.pages.size(); ++i) {
            if (i > 0 && !writer.newPage())
                throw ReportError(failed);
            paintPage(painter, model.pages[i], perMm, perMm);
        }
        if (!painter.end())
            throw ReportError(failed);
    }
    if (!QFileInfo(fileName).isFile() || QFileInfo(fileName).size() == 0)
        throw ReportError(failed);
}

} // namespace report
