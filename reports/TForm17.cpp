#include "reports/TForm17.h"

using namespace report;
using namespace LayoutStyle;

namespace {

constexpr double kTypeX = 0, kTypeW = 38;
constexpr double kVidX = 38, kVidW = 60;
constexpr double kColourX = 98, kColourW = 27;
constexpr double kMassX = 125, kMassW = 32;    // "Коробки"
constexpr double kKolvoX = 157, kKolvoW = 33;  // "Количество"

} // namespace

TForm17::TForm17(Database& db) : ReportLayout(db, QStringLiteral("t_Report"), 2), t_Report(m_query)
{
    t_Report.clearSql();
    t_Report.addSql("select sum(smena.kol_vo-smena.brak)::numeric as kolvo, vid_oper.vid,");
    t_Report.addSql("izdel.nom, oper.naimen, color,  round((izdel.massa*sum(smena.kol_vo-smena.brak))::numeric,2) as mass, izdel.id_nom");
    t_Report.addSql("from accounts_dep.smena,accounts_dep.izdel,accounts_dep.vid_oper, accounts_dep.oper where izdel.id=smena.i_id and vid_oper.id=oper.vid");
    t_Report.addSql("and oper.id=smena.o_id and smena.data<:data2 and smena.data>=:data1 ");
    // Grouped and ordered by the group's id as well, so that two groups
    // of one name stay apart.
    t_Report.addSql("group by izdel.nom,color, oper.naimen, vid_oper.vid, izdel.massa, izdel.id_nom order by izdel.nom, izdel.id_nom");

    Band& h = m_def.reportHeader;
    const double titleHeight = addTitle(h);
    h.addLabel({kMassX, titleHeight, kMassW, 5}, QStringLiteral("Коробки")).setName("MassTitle").setFont(headingFont()).setAlignment(kCentre);
    h.addLabel({kKolvoX, titleHeight, kKolvoW, 5}, QStringLiteral("Количество"))
        .setName("KolvoTitle")
        .setFont(headingFont())
        .setAlignment(kCentre);
    h.height = titleHeight + 6;

    Group& byGroup = m_def.addGroup(QStringLiteral("nom"), QStringLiteral("id_nom"));
    byGroup.repeatHeader = true;
    byGroup.header.height = 6;
    byGroup.header.background = groupShade();
    byGroup.header.addExpression({0, 0, kWidth, 6}, groupName(QStringLiteral("nom"))).setName("nom").setFont(headingFont()).setWordWrap();

    Band& d = m_def.detail;
    d.height = 4.5;
    d.addExpression({kTypeX + 2, 0, kTypeW - 2, 4.5}, productTypeText()).setName("ProductType").setFont(detailFont());
    d.addField({kVidX, 0, kVidW, 4.5}, QStringLiteral("vid")).setName("vid").setFont(detailFont()).setAlignment(kCentre);
    d.addExpression({kColourX, 0, kColourW, 4.5}, colourText()).setName("ColourText").setFont(detailFont());
    d.addField({kMassX, 0, kMassW, 4.5}, QStringLiteral("mass")).setName("mass").setFont(detailFont()).setAlignment(kCentre);
    d.addField({kKolvoX, 0, kKolvoW, 4.5}, QStringLiteral("kolvo")).setName("kolvo").setFont(detailFont()).setAlignment(kCentre);

    Band& nf = byGroup.footer;
    nf.height = 6;
    nf.addExpression({kMassX, 0.5, kMassW, 5}, QStringLiteral("SUM(mass)")).setName("NomMass").setFont(headingFont()).setAlignment(kCentre);
    nf.addExpression({kKolvoX, 0.5, kKolvoW, 5}, QStringLiteral("SUM(kolvo)"))
        .setName("NomKolvo")
        .setFont(headingFont())
        .setAlignment(kCentre);

    Band& rf = m_def.reportFooter;
    rf.height = 10;
    rf.addBox({0, 2, kWidth, 7.5}, totalShade(), AllSides);
    rf.addLabel({2, 3, 60, 5.5}, QStringLiteral("Итого:")).setFont(totalFont());
    rf.addExpression({kMassX, 3, kMassW, 5.5}, QStringLiteral("SUM(mass)"), "#0").setName("Mass").setFont(totalFont()).setAlignment(kCentre);
    rf.addExpression({kKolvoX, 3, kKolvoW, 5.5}, QStringLiteral("SUM(kolvo)")).setName("Kolvo").setFont(totalFont()).setAlignment(kCentre);

    addPageNumber(m_def.pageFooter);
}
