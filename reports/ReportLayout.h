#pragma once
#include "db/Dataset.h"
#include "reports/engine/ReportEngine.h"

#include <QDate>
#include <QString>

class Database;

// A printed summary over one query: the query's text, the report definition
// (bands and items) and the pages that Prepare lays out. The summary
// reports window binds the period, sets the product-type filter, opens the
// query, sets the title, prepares and shows the pages, then closes the query.
class ReportLayout {
public:
    virtual ~ReportLayout() = default;
    ReportLayout(const ReportLayout&) = delete;
    ReportLayout& operator=(const ReportLayout&) = delete;

    Dataset& query() { return m_query; }
    const Dataset& query() const { return m_query; }
    report::ReportDefinition& definition() { return m_def; }
    const report::ReportDefinition& definition() const { return m_def; }

    // The text of the title label QRLabel1; it is also the document's title.
    void setTitle(const QString& text);
    QString title() const;

    // The query's date parameters come in pairs, one pair per use of the
    // period: data1, data3, ... receive `from`, data2, data4, ... `to`.
    int parameterCount() const { return m_parameterCount; }
    void bindPeriod(const QDate& from, const QDate& to);

    // The product-type filter of the summary reports window on the query:
    // 0 all rows, 1 finished goods (naimen=0), 2 blanks (naimen=1). Rows of
    // maintenance money (maint=1), where a layout has them, belong to no
    // product type and stay visible under either filter.
    void setProductType(int index);

    // Lays out every page over the visible rows of the open query (after
    // its filter). Throws report::ReportError when the query is not open.
    const report::PageModel& Prepare();
    const report::PageModel& pages() const { return m_pages; }

protected:
    ReportLayout(Database& db, const QString& queryName, int parameterCount);

    Dataset m_query;
    report::ReportDefinition m_def;
    bool m_maintenanceRows = false;   // the query has the column maint

private:
    int m_parameterCount;
    report::PageModel m_pages;
};

// What the four layouts have in common: fonts, shading, the title band,
// the page number and the texts computed from a row.
namespace LayoutStyle {

inline constexpr double kWidth = 190;   // printable width of A4 portrait with 10 mm margins

// Arial of the given size.
report::FontSpec font(double pointSize, bool bold = false);
inline report::FontSpec detailFont() { return font(9); }
inline report::FontSpec smallFont() { return font(8); }
inline report::FontSpec headingFont() { return font(10, true); }
inline report::FontSpec totalFont() { return font(11, true); }

QColor titleShade();    // F4F4F4: the report header
QColor groupShade();    // E0E0E0: the outermost group header
QColor totalShade();    // DCDCDC: the report footer

// The report header's title label QRLabel1 on its shading, followed by a
// thin spacer; answers the height used.
double addTitle(report::Band& header);
// The page number alone, at the right of the page footer.
void addPageNumber(report::Band& footer);

// The group's name from `field`, marked " (продолжение)" where its header
// is repeated on a page that the group continues on.
QString groupName(const QString& field);

// "Готовая продукция" when naimen is 0, otherwise "Заготовки".
QString productTypeText();
// " (грунт)" for colour 1, " (RAL: n)" above 1, a single blank otherwise.
QString colourText();

// Right-aligned and centred, vertically centred.
inline constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;
inline constexpr Qt::Alignment kCentre = Qt::AlignHCenter | Qt::AlignVCenter;

} // namespace LayoutStyle
