#include "reports/engine/ReportEngine.h"
#include "reports/engine/TextMetrics.h"

#include <QFileInfo>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace report {

void paintPage(QPainter& painter, const Page& page, double pixelsPerMmX, double pixelsPerMmY)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.scale(pixelsPerMmX, pixelsPerMmY);   // from here on: millimetres

    for (const BoxPrimitive& box : page.boxes)
        painter.fillRect(box.rect, box.fill);

    for (const LinePrimitive& line : page.lines) {
        QPen pen(line.color, line.width);
        pen.setCapStyle(Qt::SquareCap);
        painter.setPen(pen);
        painter.drawLine(line.line);
    }

    // Texts in the reference units they were measured in.
    const double toRef = detail::kRefPerMm;
    painter.scale(1.0 / toRef, 1.0 / toRef);
    QHash<QString, QFont> fonts;
    for (const TextPrimitive& text : page.texts) {
        if (text.text.isEmpty())
            continue;
        const QString key = QStringLiteral("%1|%2|%3|%4")
                                .arg(text.font.family)
                                .arg(text.font.pointSize)
                                .arg(text.font.bold)
                                .arg(text.font.italic);
        auto it = fonts.find(key);
        if (it == fonts.end())
            it = fonts.insert(key, detail::referenceFont(text.font));
        painter.setFont(*it);
        painter.setPen(text.color);
        const QRectF r(text.rect.x() * toRef, text.rect.y() * toRef, text.rect.width() * toRef,
                       text.rect.height() * toRef);
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
