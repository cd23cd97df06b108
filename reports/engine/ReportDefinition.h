#pragma once
#include <QColor>
#include <QLocale>
#include <QPageLayout>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVector>
#include <deque>

namespace report {

// A font of a text item; the size is in points.
struct FontSpec {
    QString family = QStringLiteral("DejaVu Sans");
    double pointSize = 9;
    bool bold = false;
    bool italic = false;

    bool operator==(const FontSpec& o) const
    {
        return family == o.family && pointSize == o.pointSize && bold == o.bold && italic == o.italic;
    }
};

// Sides of a frame, combined with |.
enum Side { NoSides = 0, LeftSide = 1, TopSide = 2, RightSide = 4, BottomSide = 8, AllSides = 15 };

struct Frame {
    int sides = NoSides;
    double width = 0.2;   // mm
    QColor color = Qt::black;
};

enum class ItemKind {
    Label,       // fixed text
    Field,       // a field of the current row
    Expression,  // an expression over the current row, sums and the page number
    Line,        // a line from rect.topLeft() to rect.bottomRight()
    Box          // a rectangle: shading and/or frame
};

// One item on a band. Positions and sizes are in millimetres: x from the
// left margin, y from the top of the band.
struct Item {
    ItemKind kind = ItemKind::Label;
    QString name;              // to find it (findItem) and its texts in the page model
    QRectF rect;
    QString text;              // Label: the text; Field: the field name; Expression: its text
    QString mask;              // number mask ("#0.00"); empty: the default number format
    FontSpec font;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QColor color = Qt::black;  // text or line colour
    QColor background;         // shading under the item; invalid: none
    Frame frame;
    double lineWidth = 0.2;    // Line items, mm
    // Breaks the text into lines within the item's width; the item and its
    // band grow to hold them.
    bool wordWrap = false;

    Item& setName(const QString& n) { name = n; return *this; }
    Item& setMask(const QString& m) { mask = m; return *this; }
    Item& setFont(const FontSpec& f) { font = f; return *this; }
    Item& setBold(bool on = true) { font.bold = on; return *this; }
    Item& setPointSize(double size) { font.pointSize = size; return *this; }
    Item& setAlignment(Qt::Alignment a) { alignment = a; return *this; }
    Item& setColor(const QColor& c) { color = c; return *this; }
    Item& setBackground(const QColor& c) { background = c; return *this; }
    Item& setFrame(int sides, double width = 0.2) { frame.sides = sides; frame.width = width; return *this; }
    Item& setWordWrap(bool on = true) { wordWrap = on; return *this; }
};

// A horizontal strip of the report. The add* functions answer the new item
// for chained setters; the reference holds until the next item is added.
struct Band {
    double height = 0;         // mm; word-wrapped items may make it taller
    QColor background;         // shading across the printable width
    Frame frame;               // frame around the band across the printable width
    // An expression over the current row; when it is false the band is not
    // printed for that row (the row still counts in sums and groups).
    // Empty: always printed.
    QString printWhen;
    QVector<Item> items;

    bool isEmpty() const { return height <= 0 && items.isEmpty(); }

    Item& addLabel(const QRectF& rect, const QString& text);
    Item& addField(const QRectF& rect, const QString& field, const QString& mask = QString());
    Item& addExpression(const QRectF& rect, const QString& expression, const QString& mask = QString());
    Item& addLine(const QPointF& from, const QPointF& to, double width = 0.2);
    Item& addBox(const QRectF& rect, const QColor& fill, int frameSides = NoSides);
};

// A level of grouping: a new group starts when the value of `expression`
// (a field name or any expression) differs from the previous row's.
struct Group {
    QString name;          // for SUM(x, name)
    QString expression;
    Band header;
    Band footer;
    // The header is laid out again at the top of every page on which the
    // group continues (such a band is marked `repeated` in the page model).
    bool repeatHeader = false;
};

enum class PaperOrientation { Portrait, Landscape };

// A4 paper; margins in millimetres.
struct PageSetup {
    PaperOrientation orientation = PaperOrientation::Portrait;
    double leftMargin = 10;
    double topMargin = 10;
    double rightMargin = 10;
    double bottomMargin = 10;

    QSizeF paperSize() const;      // mm
    double printableWidth() const; // mm
    QPageLayout pageLayout() const; // paper and orientation, no margins
};

enum class BandKind { ReportHeader, GroupHeader, Detail, GroupFooter, ReportFooter, PageFooter };

class ReportDefinition {
public:
    QString title;             // the document's title (preview caption, PDF title)
    PageSetup page;
    Band reportHeader;         // once, at the start
    // Outermost first. A deque: adding a group leaves the ones added
    // before where they are, so references to them stay valid.
    std::deque<Group> groups;
    Band detail;               // once per row
    Band reportFooter;         // once, after the last row, while it is current
    Band pageFooter;           // at the bottom of every page
    // Numbers are formatted with this locale: decimal comma by default.
    QLocale locale = QLocale(QLocale::Russian, QLocale::Russia);

    // The new innermost group; the reference stays valid as more are added.
    Group& addGroup(const QString& name, const QString& expression);
    // The item of that name in any band; nullptr when there is none.
    Item* findItem(const QString& name);
};

} // namespace report
