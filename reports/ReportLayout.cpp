#include "reports/ReportLayout.h"
#include "reports/engine/DatasetSource.h"

ReportLayout::ReportLayout(Database& db, const QString& queryName, int parameterCount)
    : m_query(db, queryName), m_parameterCount(parameterCount)
{
}

void ReportLayout::setTitle(const QString& text)
{
    if (report::Item* label = m_def.findItem(QStringLiteral("QRLabel1")))
        label->text = text;
    m_def.title = text;
}

QString ReportLayout::title() const
{
    return m_def.title;
}

void ReportLayout::bindPeriod(const QDate& from, const QDate& to)
{
    for (int i = 1; i <= m_parameterCount; ++i)
        m_query.setParam(QStringLiteral("data%1").arg(i), i % 2 == 1 ? from : to);
}

void ReportLayout::setProductType(int index)
{
    if (index != 1 && index != 2) {
        m_query.setFiltered(false);
        return;
    }
    QString filter = index == 1 ? QStringLiteral("naimen=0") : QStringLiteral("naimen=1");
    if (m_maintenanceRows)
        filter += QStringLiteral(" or maint=1");
    m_query.setFilter(filter);
    m_query.setFiltered(true);
}

const report::PageModel& ReportLayout::Prepare()
{
    m_pages = report::layoutReport(m_def, report::DatasetSource(m_query));
    return m_pages;
}

namespace LayoutStyle {

report::FontSpec font(double pointSize, bool bold)
{
    report::FontSpec f;
    f.family = QStringLiteral("Arial");
    f.pointSize = pointSize;
    f.bold = bold;
    return f;
}

QColor titleShade()
{
    return QColor(0xF4, 0xF4, 0xF4);
}

QColor groupShade()
{
    return QColor(0xE0, 0xE0, 0xE0);
}

QColor totalShade()
{
    return QColor(0xDC, 0xDC, 0xDC);
}

double addTitle(report::Band& header)
{
    header.addBox({0, 0, kWidth, 8}, titleShade());
    header.addLabel({2, 0, kWidth - 4, 8}, QString()).setName(QStringLiteral("QRLabel1")).setFont(headingFont());
    return 10;
}

void addPageNumber(report::Band& footer)
{
    footer.height = 6;
    footer.addExpression({kWidth - 40, 1, 40, 5}, QStringLiteral("PAGENUMBER"))
        .setName(QStringLiteral("PageNumber"))
        .setFont(detailFont())
        .setAlignment(kRight);
}

QString groupName(const QString& field)
{
    return field + QStringLiteral(" + IF(CONTINUED, ' (продолжение)', '')");
}

QString productTypeText()
{
    return QStringLiteral("IF(naimen = 0, 'Готовая продукция', 'Заготовки')");
}

QString colourText()
{
    return QStringLiteral("IF(color = 1, ' (грунт)', IF(color > 1, ' (RAL: ' + STR(color) + ')', ' '))");
}

} // namespace LayoutStyle
