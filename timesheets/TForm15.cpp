#include "timesheets/TForm15.h"
#include "reports/ReportLayout.h"
#include "reports/engine/DatasetSource.h"
#include "ledger/TimesheetSql.h"

#include <QStringList>

using namespace report;
using LayoutStyle::font;

namespace {

QColor grey()
{
    return QColor(160, 160, 160);
}

} // namespace

TForm15::TForm15(Database& db) : H_Tabel(db, QStringLiteral("H_Tabel"))
{
    H_Tabel.setSql(TimesheetSql::hTabelPrint());

    QuickRep1.page.orientation = PaperOrientation::Landscape;
    QuickRep1.page.leftMargin = QuickRep1.page.rightMargin = 10;
    QuickRep1.page.topMargin = QuickRep1.page.bottomMargin = 10;
    const double width = QuickRep1.page.printableWidth();
    const double totalX = kNameWidth + 31 * kDayWidth;

    // One group over the whole month: its header is the column header.
    Group& group = QuickRep1.addGroup(QStringLiteral("QRGroup1"), QStringLiteral("1"));
    group.repeatHeader = true;
    Band& header = group.header;
    header.height = 7;
    header.addLine({0, 0}, {width, 0}, 0.3);
    header.addLine({0, 7}, {width, 7}, 0.3);
    header.addLabel({0, 0, kNameWidth, 7}, QStringLiteral("Данные за:"))
        .setName(QStringLiteral("QRLabel33"))
        .setFont(font(9, true));
    for (int d = 1; d <= 31; ++d)
        header.addLabel({kNameWidth + (d - 1) * kDayWidth, 0, kDayWidth, 7}, QString::number(d))
            .setName(QStringLiteral("QRLabel%1").arg(d))
            .setFont(font(8, true))
            .setAlignment(LayoutStyle::kCentre)
            .setFrame(LeftSide | RightSide, 0.1)
            .frame.color = grey();
    header.addLabel({totalX, 0, kTotalWidth, 7}, QStringLiteral("Итого"))
        .setName(QStringLiteral("QRLabel32"))
        .setFont(font(8, true))
        .setAlignment(LayoutStyle::kCentre);

    Band& detail = QuickRep1.detail;
    detail.height = 5;
    detail.frame.sides = TopSide | BottomSide;
    detail.frame.width = 0.1;
    detail.frame.color = grey();
    detail.addField({1, 0, kNameWidth - 1, 5}, QStringLiteral("fio")).setName(QStringLiteral("QRDBText32")).setFont(font(8));
    QStringList sum;
    for (int d = 1; d <= 31; ++d) {
        detail.addField({kNameWidth + (d - 1) * kDayWidth, 0, kDayWidth, 5}, QStringLiteral("sd%1").arg(d))
            .setName(QStringLiteral("QRDBText%1").arg(d))
            .setFont(font(8))
            .setAlignment(LayoutStyle::kCentre)
            .setFrame(LeftSide | RightSide, 0.1)
            .frame.color = grey();
        sum << QStringLiteral("sd%1").arg(d);
    }
    detail.addExpression({totalX, 0, kTotalWidth, 5}, sum.join(u'+'))
        .setName(QStringLiteral("QRExpr1"))
        .setFont(font(8, true))
        .setAlignment(LayoutStyle::kCentre);

    QuickRep1.pageFooter.height = 6;
    QuickRep1.pageFooter.addExpression({width - 30, 1, 30, 5}, QStringLiteral("PAGENUMBER"))
        .setName(QStringLiteral("QRExpr2"))
        .setFont(font(8))
        .setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void TForm15::setPeriodText(const QString& text)
{
    if (Item* label = QuickRep1.findItem(QStringLiteral("QRLabel33")))
        label->text = text;
    QuickRep1.title = text;
}

QString TForm15::periodText() const
{
    return QuickRep1.title;
}

const PageModel& TForm15::Prepare()
{
    m_pages = layoutReport(QuickRep1, DatasetSource(H_Tabel));
    return m_pages;
}
