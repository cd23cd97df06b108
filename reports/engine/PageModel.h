#pragma once
#include "reports/engine/ReportDefinition.h"

#include <QColor>
#include <QLineF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>

namespace report {

// A band as it was placed on a page.
struct PlacedBand {
    BandKind kind = BandKind::Detail;
    int group = -1;     // group level of a group header/footer, else -1
    int row = -1;       // the data row current while it was laid out; -1 none
    QRectF rect;        // mm from the paper's top-left corner
    bool repeated = false;  // a group header laid out again on a continued page
};

// A text already measured and broken into lines ('\n').
struct TextPrimitive {
    QRectF rect;        // mm from the paper's top-left corner
    QString text;
    FontSpec font;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QColor color = Qt::black;
    QString item;       // the item's name
    int band = -1;      // index into Page::bands
    // The width of a text of one line as measured, mm; -1 when unknown
    // (wrapped texts), and the painter then lays the text out itself.
    double width = -1;
};

struct LinePrimitive {
    QLineF line;        // mm
    double width = 0.2; // mm
    QColor color = Qt::black;
};

struct BoxPrimitive {
    QRectF rect;        // mm
    QColor fill;
};

// One laid-out page. Painted in this order: boxes, lines, texts.
struct Page {
    int number = 0;     // 1-based
    QSizeF size;        // mm
    QVector<PlacedBand> bands;
    QVector<BoxPrimitive> boxes;
    QVector<LinePrimitive> lines;
    QVector<TextPrimitive> texts;

    // The texts printed for the named item, top to bottom.
    QStringList textsOf(const QString& item) const;
};

struct PageModel {
    QString title;
    PageSetup setup;
    QVector<Page> pages;

    int pageCount() const { return pages.size(); }
    // The texts printed for the named item on all pages, in print order.
    QStringList textsOf(const QString& item) const;
};

} // namespace report
