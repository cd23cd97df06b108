#include "reports/TForm21.h"

using namespace report;
using namespace LayoutStyle;

namespace {

constexpr double kMarkaX = 0, kMarkaW = 28;
constexpr double kVidX = 28, kVidW = 36;
constexpr double kColorX = 64, kColorW = 10;
constexpr double kTypeX = 74, kTypeW = 30;
constexpr double kBrkX = 104, kBrkW = 14;      // "Брак"
constexpr double kMassX = 118, kMassW = 26;    // "Коробки"
constexpr double kKolvoX = 144, kKolvoW = 20;  // "Кол-во"
constexpr double kSummaX = 164, kSummaW = 26;  // "Сумма"

} // namespace

TForm21::TForm21(Database& db) : ReportLayout(db, QStringLiteral("i_Report"), 2), i_Report(m_query)
{
    i_Report.clearSql();
    // Grouped and ordered by the group's id as well, so that two groups
    // of one name stay apart.
    i_Report.addSql("select izdel.marka, vid_oper.vid vid, oper.naimen, izdel.nom, izdel.id_nom,");
    i_Report.addSql("sum(smena.kol_vo)::numeric as kolvo, sum(smena.brak) as brk, ");
    i_Report.addSql("sum((kol_vo-brak)*smena.cena) as summa, color, round((izdel.massa*sum(smena.kol_vo))::numeric,2) as mass ");
    i_Report.addSql("from accounts_dep.izdel,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper where smena.o_id=oper.id and smena.i_id=izdel.id ");
    i_Report.addSql("and smena.o_id=oper.id and oper.vid=vid_oper.id and smena.data<:data2 and ");
    i_Report.addSql("smena.data>=:data1 group by izdel.nom, izdel.id_nom, marka, vid_oper.vid, oper.naimen, color,massa ");
    i_Report.addSql("order by izdel.nom, izdel.id_nom, marka, vid_oper.vid, oper.naimen");

    Band& h = m_def.reportHeader;
    const double titleHeight = addTitle(h);
    const struct {
        double x, w;
        const char* text;
    } titles[] = {{kBrkX, kBrkW, "Брак"}, {kMassX, kMassW, "Коробки"}, {kKolvoX, kKolvoW, "Кол-во"}, {kSummaX, kSummaW, "Сумма"}};
    for (const auto& t : titles)
        h.addLabel({t.x, titleHeight, t.w, 5}, QString::fromUtf8(t.text)).setFont(headingFont()).setAlignment(kRight);
    h.height = titleHeight + 6;

    Group& byGroup = m_def.addGroup(QStringLiteral("nom"), QStringLiteral("id_nom"));
    byGroup.repeatHeader = true;
    byGroup.header.height = 6;
    byGroup.header.background = groupShade();
    byGroup.header.addExpression({0, 0, kWidth, 6}, groupName(QStringLiteral("nom"))).setName("nom").setFont(headingFont()).setWordWrap();

    Band& d = m_def.detail;
    d.height = 4.5;
    d.addField({kMarkaX + 1, 0, kMarkaW - 1, 4.5}, QStringLiteral("marka")).setName("marka").setFont(detailFont());
    d.addField({kVidX + 1, 0, kVidW - 1, 4.5}, QStringLiteral("vid")).setName("vid").setFont(detailFont());
    d.addField({kColorX, 0, kColorW, 4.5}, QStringLiteral("color")).setName("color").setFont(detailFont()).setAlignment(kCentre);
    d.addExpression({kTypeX, 0, kTypeW, 4.5}, productTypeText()).setName("ProductType").setFont(detailFont());
    d.addField({kBrkX, 0, kBrkW, 4.5}, QStringLiteral("brk")).setName("brk").setFont(detailFont()).setAlignment(kRight);
    d.addField({kMassX, 0, kMassW, 4.5}, QStringLiteral("mass")).setName("mass").setFont(detailFont()).setAlignment(kRight);
    d.addField({kKolvoX, 0, kKolvoW, 4.5}, QStringLiteral("kolvo")).setName("kolvo").setFont(detailFont()).setAlignment(kRight);
    d.addField({kSummaX, 0, kSummaW, 4.5}, QStringLiteral("summa"), "#0.00").setName("summa").setFont(detailFont()).setAlignment(kRight);

    Band& nf = byGroup.footer;
    nf.height = 6;
    nf.addExpression({kBrkX - 6, 0.5, kBrkW + 6, 5}, QStringLiteral("SUM(brk)")).setName("NomBrk").setFont(headingFont()).setAlignment(kRight);
    nf.addExpression({kMassX, 0.5, kMassW, 5}, QStringLiteral("SUM(mass)"), "#0.00").setName("NomMass").setFont(headingFont()).setAlignment(kRight);
    nf.addExpression({kKolvoX, 0.5, kKolvoW, 5}, QStringLiteral("SUM(kolvo)")).setName("NomKolvo").setFont(headingFont()).setAlignment(kRight);
    nf.addExpression({kSummaX, 0.5, kSummaW, 5}, QStringLiteral("SUM(summa)"), "#0.00").setName("NomSumma").setFont(headingFont()).setAlignment(kRight);

    Band& rf = m_def.reportFooter;
    rf.height = 10;
    rf.addBox({0, 2, kWidth, 7.5}, totalShade(), AllSides);
    rf.addLabel({2, 3, 60, 5.5}, QStringLiteral("Итого:")).setFont(totalFont());
    rf.addExpression({kBrkX - 12, 3, kBrkW + 12, 5.5}, QStringLiteral("SUM(brk)")).setName("Brk").setFont(totalFont()).setAlignment(kRight);
    rf.addExpression({kMassX, 3, kMassW, 5.5}, QStringLiteral("SUM(mass)")).setName("Mass").setFont(totalFont()).setAlignment(kRight);
    rf.addExpression({kKolvoX, 3, kKolvoW, 5.5}, QStringLiteral("SUM(kolvo)")).setName("Kolvo").setFont(totalFont()).setAlignment(kRight);
    rf.addExpression({kSummaX, 3, kSummaW, 5.5}, QStringLiteral("SUM(summa)"), "#0.00").setName("Summa").setFont(totalFont()).setAlignment(kRight);

    addPageNumber(m_def.pageFooter);
}
