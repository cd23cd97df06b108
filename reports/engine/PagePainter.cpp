#include "reports/engine/ReportEngine.h"
#include "reports/engine/TextMetrics.h"

#include <QFileInfo>
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

    std::vector<std::pair<FontSpec, QFont>> fonts;
    const FontSpec* currentFont = nullptr;
    QColor currentColor;
    bool penSet = false;
    for (const TextPrimitive& text : page.texts) {
        if (text.text.isEmpty())
            continue;
        if (!currentFont || !(*currentFont == text.font)) {
            auto it = std::find_if(fonts.begin(), fonts.end(),
                                   [&](const auto& known) { return known.first == text.font; });
            if (it == fonts.end()) {
                fonts.emplace_back(text.font, deviceFont(text.font, perPoint, deviceDpi));
                it = fonts.end() - 1;
            }
            painter.setFont(it->second);
            currentFont = &it->first;
        }
        if (!penSet || text.color != currentColor) {
            painter.setPen(text.color);
            currentColor = text.color;
            penSet = true;
        }
        const QRectF r(text.rect.x() * perMm, text.rect.y() * perMm, text.rect.width() * perMm,
                       text.rect.height() * perMm);
        painter.drawText(r, int(text.alignment) | Qt::TextDontClip, text.text);
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
