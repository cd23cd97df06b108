#include "reports/engine/ReportDefinition.h"

#include <QPageSize>

namespace report {

namespace {

Item& append(Band& band, ItemKind kind, const QRectF& rect, const QString& text)
{
    Item item;
    item.kind = kind;
    item.rect = rect;
    item.text = text;
    band.items.append(item);
    return band.items.last();
}

} // namespace

Item& Band::addLabel(const QRectF& rect, const QString& text)
{
    return append(*this, ItemKind::Label, rect, text);
}

Item& Band::addField(const QRectF& rect, const QString& field, const QString& mask)
{
    return append(*this, ItemKind::Field, rect, field).setMask(mask);
}

Item& Band::addExpression(const QRectF& rect, const QString& expression, const QString& mask)
{
    return append(*this, ItemKind::Expression, rect, expression).setMask(mask);
}

Item& Band::addLine(const QPointF& from, const QPointF& to, double width)
{
    Item& item = append(*this, ItemKind::Line, QRectF(from, to), QString());
    item.lineWidth = width;
    return item;
}

Item& Band::addBox(const QRectF& rect, const QColor& fill, int frameSides)
{
    Item& item = append(*this, ItemKind::Box, rect, QString());
    item.background = fill;
    item.frame.sides = frameSides;
    return item;
}

QSizeF PageSetup::paperSize() const
{
    return orientation == PaperOrientation::Portrait ? QSizeF(210, 297) : QSizeF(297, 210);
}

double PageSetup::printableWidth() const
{
    return paperSize().width() - leftMargin - rightMargin;
}

QPageLayout PageSetup::pageLayout() const
{
    return QPageLayout(QPageSize(QPageSize::A4),
                       orientation == PaperOrientation::Portrait ? QPageLayout::Portrait : QPageLayout::Landscape,
                       QMarginsF(), QPageLayout::Millimeter);
}

Group& ReportDefinition::addGroup(const QString& name, const QString& expression)
{
    Group g;
    g.name = name;
    g.expression = expression;
    groups.push_back(std::move(g));
    return groups.back();
}

Item* ReportDefinition::findItem(const QString& name)
{
    auto inBand = [&](Band& band) -> Item* {
        for (Item& item : band.items) {
            if (item.name == name)
                return &item;
        }
        return nullptr;
    };
    for (Band* band : {&reportHeader, &detail, &reportFooter, &pageFooter}) {
        if (Item* item = inBand(*band))
            return item;
    }
    for (Group& g : groups) {
        if (Item* item = inBand(g.header))
            return item;
        if (Item* item = inBand(g.footer))
            return item;
    }
    return nullptr;
}

} // namespace report
