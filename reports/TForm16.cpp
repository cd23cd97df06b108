#include "reports/TForm16.h"

using namespace report;
using namespace LayoutStyle;

namespace {

// Columns of the detail lines, in mm from the left margin.
constexpr double kTypeX = 0, kTypeW = 34;
constexpr double kVidX = 34, kVidW = 50;
constexpr double kColourX = 84, kColourW = 22;
constexpr double kKolvoX = 106, kKolvoW = 22;
constexpr double kSummaX = 128, kSummaW = 31;
constexpr double kNetX = 159, kNetW = 31;   // "Сумма без Р/К"

} // namespace

TForm16::TForm16(Database& db) : ReportLayout(db, QStringLiteral("t_Report"), 4), t_Report(m_query)
{
    // The worker's maintenance money is summed once per worker and group
    // instead of once per row. Besides the shift rows there is one row
    // (maint=1) for each worker and group with maintenance records in the
    // period, whether he made anything there or not, so that a worker with
    // maintenance work or average piecework alone has his section and the
    // period's totals never depend on the rows a product filter leaves.
    m_maintenanceRows = true;
    t_Report.clearSql();
    t_Report.addSql("with f as (select f.id_p, f.id_nom,");
    t_Report.addSql(" coalesce(sum(f.cnt*f.price) filter (where f.id_o=7777),0) m7,");
    t_Report.addSql(" coalesce(sum(f.cnt*f.price) filter (where f.id_o=7778),0) m8,");
    t_Report.addSql(" sum(f.cnt*f.price) m78");
    t_Report.addSql(" from accounts_dep.fatigue f where f.d_date<:data2 and f.d_date>=:data1 group by f.id_p, f.id_nom),");
    t_Report.addSql("w as (select id_p, coalesce(sum(m78),0)::numeric(10,2) f_sum78 from f group by id_p),");
    t_Report.addSql("a as (select coalesce(sum(m7),0)::numeric(10,2) f_sum7_all, coalesce(sum(m8),0)::numeric(10,2) f_sum8_all from f),");
    t_Report.addSql("s as (select person.s_caption fio, sum(smena.kol_vo-smena.brak)::numeric(10,2) as kolvo,vid_oper.vid, ");
    t_Report.addSql(" sum((kol_vo-brak)*smena.cena)::numeric(10,2) as summa,izdel.nom, oper.naimen, color, smena.w_id, izdel.id_nom");
    t_Report.addSql(" from cmn_contractor.person person,accounts_dep.smena,accounts_dep.izdel,accounts_dep.vid_oper,");
    t_Report.addSql(" accounts_dep.oper where w_id=s_code::integer and izdel.id=smena.i_id and vid_oper.id=oper.vid");
    t_Report.addSql(" and oper.id=smena.o_id and smena.data<:data4 and smena.data>=:data3");
    t_Report.addSql(" group by fio, izdel.nom, vid_oper.vid, smena.w_id, izdel.id_nom, oper.naimen, color)");
    t_Report.addSql("select s.fio, s.kolvo, s.vid, s.summa, s.nom, s.naimen, s.color,");
    t_Report.addSql(" coalesce(g.m7,0)::numeric(10,2) f_sum7, coalesce(g.m8,0)::numeric(10,2) f_sum8,");
    t_Report.addSql(" coalesce(w.f_sum78,0)::numeric(10,2) f_sum78, a.f_sum7_all, a.f_sum8_all, s.w_id, s.id_nom, 0 maint");
    t_Report.addSql("from s left join f g on g.id_p=s.w_id and g.id_nom=s.id_nom left join w on w.id_p=s.w_id cross join a");
    t_Report.addSql("union all");
    t_Report.addSql("select person.s_caption, 0, null, 0, i.s_caption, null, null,");
    t_Report.addSql(" g.m7::numeric(10,2), g.m8::numeric(10,2), w.f_sum78, a.f_sum7_all, a.f_sum8_all, g.id_p::integer, g.id_nom, 1");
    t_Report.addSql("from f g join w on w.id_p=g.id_p cross join a");
    t_Report.addSql(" join cmn_contractor.person person on person.s_code::integer=g.id_p");
    t_Report.addSql(" left join cmn_classifier.item i on i.id=g.id_nom");
    t_Report.addSql("order by fio, w_id, nom, id_nom, maint");

    m_def.reportHeader.height = addTitle(m_def.reportHeader);

    // The worker group and, inside it, the group of nomenclature; both
    // keyed by id, so that namesakes stay apart.
    m_def.addGroup(QStringLiteral("fio"), QStringLiteral("w_id"));
    m_def.addGroup(QStringLiteral("nom"), QStringLiteral("id_nom"));
    Group& byWorker = m_def.groups[0];
    Group& byGroup = m_def.groups[1];
    byWorker.repeatHeader = true;
    byGroup.repeatHeader = true;
    byWorker.header.height = 6;
    byWorker.header.background = groupShade();
    byWorker.header.addExpression({0, 0, 120, 6}, groupName(QStringLiteral("fio"))).setName("fio").setFont(headingFont()).setWordWrap();
    byWorker.header.addLabel({kNetX - 10, 0, kNetW + 10, 6}, QStringLiteral("Сумма без Р/К"))
        .setName("NetTitle")
        .setFont(headingFont())
        .setAlignment(kRight);

    byGroup.header.height = 5.5;
    byGroup.header.addExpression({0, 0, 150, 5.5}, groupName(QStringLiteral("nom"))).setName("nom").setFont(headingFont()).setWordWrap();

    Band& d = m_def.detail;
    d.height = 4.5;
    d.printWhen = QStringLiteral("maint = 0");   // the maintenance rows carry money for the footers only
    d.addExpression({kTypeX + 2, 0, kTypeW - 2, 4.5}, productTypeText()).setName("ProductType").setFont(detailFont());
    d.addField({kVidX, 0, kVidW, 4.5}, QStringLiteral("vid")).setName("vid").setFont(detailFont()).setAlignment(kCentre);
    d.addExpression({kColourX, 0, kColourW, 4.5}, colourText()).setName("ColourText").setFont(detailFont());
    d.addField({kKolvoX, 0, kKolvoW, 4.5}, QStringLiteral("kolvo")).setName("kolvo").setFont(detailFont()).setAlignment(kRight);
    d.addField({kSummaX, 0, kSummaW, 4.5}, QStringLiteral("summa"), "#0.00")
        .setName("summa")
        .setFont(detailFont())
        .setAlignment(kRight);

    // Footer of a nomenclature group: its maintenance money and totals.
    Band& nf = byGroup.footer;
    nf.height = 11;
    nf.addLabel({2, 0, 14, 5}, QStringLiteral("Хоз.р.:")).setFont(headingFont());
    nf.addField({16, 0, 24, 5}, QStringLiteral("f_sum7"), "#0.00").setName("NomF7").setFont(headingFont());
    nf.addLabel({42, 0, 16, 5}, QStringLiteral("Ср. сд.:")).setFont(headingFont());
    nf.addField({58, 0, 26, 5}, QStringLiteral("f_sum8"), "#0.00").setName("NomF8").setFont(headingFont());
    nf.addExpression({kKolvoX, 0, kKolvoW, 5}, QStringLiteral("SUM(kolvo)"))
        .setName("NomKolvo")
        .setFont(headingFont())
        .setAlignment(kRight);
    nf.addExpression({kSummaX, 0, kSummaW, 5}, QStringLiteral("SUM(summa)"), "#0.00")
        .setName("NomSumma")
        .setFont(headingFont())
        .setAlignment(kRight);
    nf.addExpression({kNetX, 0, kNetW, 5}, QStringLiteral("SUM(summa) / 1.2"), "#0.00")
        .setName("NomSummaNet")
        .setFont(headingFont())
        .setAlignment(kRight);
    nf.addLabel({kKolvoX - 20, 5.5, 40, 5}, QStringLiteral("Итого:")).setFont(headingFont()).setAlignment(kRight);
    nf.addExpression({kSummaX, 5.5, kSummaW, 5}, QStringLiteral("SUM(summa) + f_sum7 + f_sum8"), "#0.00")
        .setName("NomTotal")
        .setFont(headingFont())
        .setAlignment(kRight);
    nf.addExpression({kNetX, 5.5, kNetW, 5}, QStringLiteral("(SUM(summa) + f_sum7 + f_sum8) / 1.2"), "#0.00")
        .setName("NomTotalNet")
        .setFont(headingFont())
        .setAlignment(kRight);

    // Footer of a worker: his piece-work money, then with all his
    // maintenance records (f_sum78), ruled below.
    Band& wf = byWorker.footer;
    wf.height = 12;
    wf.addExpression({kSummaX, 0.5, kSummaW, 5}, QStringLiteral("SUM(summa)"), "#0.00")
        .setName("FioSumma")
        .setFont(headingFont())
        .setAlignment(kRight);
    wf.addExpression({kNetX, 0.5, kNetW, 5}, QStringLiteral("SUM(summa) / 1.2"), "#0.00")
        .setName("FioSummaNet")
        .setFont(headingFont())
        .setAlignment(kRight);
    wf.addExpression({kSummaX, 5.5, kSummaW, 5}, QStringLiteral("SUM(summa) + f_sum78"), "#0.00")
        .setName("FioTotal")
        .setFont(headingFont())
        .setAlignment(kRight);
    wf.addExpression({kNetX, 5.5, kNetW, 5}, QStringLiteral("(SUM(summa) + f_sum78) / 1.2"), "#0.00")
        .setName("FioTotalNet")
        .setFont(headingFont())
        .setAlignment(kRight);
    wf.addLine({0, 11.2}, {kWidth, 11.2}, 0.4);

    // Report footer: piece work, all maintenance work, all average
    // piecework of the period and their total.
    Band& rf = m_def.reportFooter;
    rf.height = 27;
    rf.addBox({0, 2, kWidth, 24}, totalShade(), AllSides);
    const struct {
        const char* label;
        const char* name;
        QString value;
    } lines[] = {
        {"", "Summa", QStringLiteral("SUM(summa)")},
        {"Хоз.р.:", "F7All", QStringLiteral("f_sum7_all")},
        {"Ср.сд.:", "F8All", QStringLiteral("f_sum8_all")},
        {"Итого:", "Total", QStringLiteral("SUM(summa) + f_sum7_all + f_sum8_all")},
    };
    double y = 2.5;
    for (const auto& line : lines) {
        if (*line.label)
            rf.addLabel({kKolvoX - 40, y, 60, 5.5}, QString::fromUtf8(line.label)).setFont(totalFont()).setAlignment(kRight);
        rf.addExpression({kSummaX - 10, y, kSummaW + 10, 5.5}, line.value, "#0.00")
            .setName(QString::fromLatin1(line.name))
            .setFont(totalFont())
            .setAlignment(kRight);
        rf.addExpression({kNetX, y, kNetW, 5.5}, QStringLiteral("(%1) / 1.2").arg(line.value), "#0.00")
            .setName(QString::fromLatin1(line.name) + QStringLiteral("Net"))
            .setFont(totalFont())
            .setAlignment(kRight);
        y += 5.75;
    }

    addPageNumber(m_def.pageFooter);
}
