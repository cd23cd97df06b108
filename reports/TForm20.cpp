#include "reports/TForm20.h"

using namespace report;
using namespace LayoutStyle;

namespace {

constexpr double kMarkaX = 0, kMarkaW = 30;
constexpr double kVidX = 30, kVidW = 40;
constexpr double kColorX = 70, kColorW = 12;
constexpr double kTypeX = 82, kTypeW = 28;
constexpr double kTimeX = 110, kTimeW = 15;    // "Часы"
constexpr double kBrkX = 125, kBrkW = 13;      // "Брак"
constexpr double kKolvoX = 138, kKolvoW = 22;  // "Количество"
constexpr double kSummaX = 160, kSummaW = 30;  // "Сумма"

// The worker's table: row label, hours, money with and without the
// regional coefficient.
constexpr double kRowX = 50, kRowW = 45;
constexpr double kHoursX = 95, kHoursW = 25;
constexpr double kGrossX = 120, kGrossW = 35;
constexpr double kNetX = 155, kNetW = 33.5;   // clear of the frame

} // namespace

TForm20::TForm20(Database& db) : ReportLayout(db, QStringLiteral("w_Report"), 4), w_Report(m_query)
{
    // The worker's maintenance work and average piecework are summed once
    // per worker (f) instead of by eight sub-queries on every row, and
    // travel once per worker: on a row of its own (maint=1), last in his
    // rows, from which his footer reads them; his shift rows leave them
    // empty. That row is there for every worker with maintenance records in
    // the period, so that a worker with maintenance work or average
    // piecework alone has his section, also when a product filter hides his
    // shift rows (it keeps maint=1).
    m_maintenanceRows = true;
    w_Report.clearSql();
    w_Report.addSql("with f as (select f.id_p,");
    w_Report.addSql(" coalesce(sum(f.cnt*f.price) filter (where f.id_o=7777 and f.i_night=0),0)::numeric(10,2) f_sum7,");
    w_Report.addSql(" coalesce(sum(f.cnt*f.price) filter (where f.id_o=7777 and f.i_night=1),0)::numeric(10,2) f_sum7_n,");
    w_Report.addSql(" coalesce(sum(f.cnt*f.price) filter (where f.id_o=7778 and f.i_night=0),0)::numeric(10,2) f_sum8,");
    w_Report.addSql(" coalesce(sum(f.cnt*f.price) filter (where f.id_o=7778 and f.i_night=1),0)::numeric(10,2) f_sum8_n,");
    w_Report.addSql(" coalesce(sum(f.cnt) filter (where f.id_o=7777 and f.i_night=0),0)::numeric(10,2) f_sum7h,");
    w_Report.addSql(" coalesce(sum(f.cnt) filter (where f.id_o=7777 and f.i_night=1),0)::numeric(10,2) f_sum7h_n,");
    w_Report.addSql(" coalesce(sum(f.cnt) filter (where f.id_o=7778 and f.i_night=0),0)::numeric(10,2) f_sum8h,");
    w_Report.addSql(" coalesce(sum(f.cnt) filter (where f.id_o=7778 and f.i_night=1),0)::numeric(10,2) f_sum8h_n");
    w_Report.addSql(" from accounts_dep.fatigue f where f.d_date<:data2 and f.d_date>=:data1 group by f.id_p),");
    // Grouped and ordered on the ranks of the names (pr, mk, vk) instead of
    // the names: the same groups and the same order, without comparing
    // texts row by row.
    w_Report.addSql("pr as (select id, s_code, dense_rank() over (order by s_caption) rf from cmn_contractor.person),");
    w_Report.addSql("mk as (select id, dense_rank() over (order by marka) rm from accounts_dep.izdel),");
    w_Report.addSql("vk as (select id, dense_rank() over (order by vid) rv from accounts_dep.vid_oper),");
    w_Report.addSql("s as (select min(pr.id) p_id, min(smena.i_id) i_id, min(vk.id) v_id, pr.rf, mk.rm, vk.rv, oper.naimen, color, w_id,");
    w_Report.addSql(" sum(time) as sum_time, sum(smena.kol_vo)::numeric as kolvo, sum(smena.brak) as brk, sum((kol_vo-brak)*smena.cena) as summa,");
    w_Report.addSql(" sum(prize*(kol_vo-brak)*cena/100) as s_prize");
    w_Report.addSql(" from accounts_dep.smena join pr on smena.w_id=pr.s_code::integer join mk on mk.id=smena.i_id");
    w_Report.addSql(" join accounts_dep.oper on oper.id=smena.o_id join vk on vk.id=oper.vid");
    w_Report.addSql(" where smena.data<:data4 and smena.data>=:data3");
    w_Report.addSql(" group by pr.rf, w_id, mk.rm, vk.rv, oper.naimen, color)");
    w_Report.addSql("select fio, marka, vid, naimen, sum_time, kolvo, brk, summa, color, s_prize, f_sum7, f_sum7_n, f_sum8, f_sum8_n,");
    w_Report.addSql(" f_sum7h, f_sum7h_n, f_sum8h, f_sum8h_n, w_id, maint from (");
    w_Report.addSql("select person.s_caption fio, izdel.marka, vid_oper.vid, s.naimen, s.sum_time, s.kolvo, s.brk, s.summa, s.color, s.s_prize,");
    w_Report.addSql(" null::numeric(10,2) f_sum7, null::numeric(10,2) f_sum7_n, null::numeric(10,2) f_sum8, null::numeric(10,2) f_sum8_n,");
    w_Report.addSql(" null::numeric(10,2) f_sum7h, null::numeric(10,2) f_sum7h_n, null::numeric(10,2) f_sum8h, null::numeric(10,2) f_sum8h_n,");
    w_Report.addSql(" s.w_id, 0 maint, s.rf, s.rm, s.rv");
    w_Report.addSql("from s join cmn_contractor.person person on person.id=s.p_id join accounts_dep.izdel on izdel.id=s.i_id");
    w_Report.addSql(" join accounts_dep.vid_oper on vid_oper.id=s.v_id");
    w_Report.addSql("union all");
    w_Report.addSql("select person.s_caption, null, null, null, 0, 0, 0, 0, null, 0,");
    w_Report.addSql(" f.f_sum7, f.f_sum7_n, f.f_sum8, f.f_sum8_n, f.f_sum7h, f.f_sum7h_n, f.f_sum8h, f.f_sum8h_n, f.id_p::integer, 1, pr.rf, null, null");
    w_Report.addSql("from f join pr on pr.s_code::integer=f.id_p join cmn_contractor.person person on person.id=pr.id) u");
    w_Report.addSql("order by rf, w_id, maint, rm, rv, naimen");

    m_def.reportHeader.height = addTitle(m_def.reportHeader);

    // Worker: his name and the titles of the last four detail columns.
    // Keyed by id, so that namesakes stay apart.
    Group& byWorker = m_def.addGroup(QStringLiteral("fio"), QStringLiteral("w_id"));
    byWorker.repeatHeader = true;
    Band& wh = byWorker.header;
    wh.height = 6;
    wh.background = groupShade();
    wh.addExpression({0, 0, kTimeX, 6}, groupName(QStringLiteral("fio"))).setName("fio").setFont(headingFont()).setWordWrap();
    const struct {
        double x, w;
        const char* text;
    } titles[] = {{kTimeX, kTimeW, "Часы"}, {kBrkX, kBrkW, "Брак"}, {kKolvoX, kKolvoW, "Количество"}, {kSummaX, kSummaW, "Сумма"}};
    for (const auto& t : titles)
        wh.addLabel({t.x, 0, t.w, 6}, QString::fromUtf8(t.text)).setFont(font(8, true)).setAlignment(kRight);

    Band& d = m_def.detail;
    d.height = 4;
    d.printWhen = QStringLiteral("maint = 0");   // the maintenance row carries money for the footer only
    d.addField({kMarkaX + 1, 0, kMarkaW - 1, 4}, QStringLiteral("marka")).setName("marka").setFont(smallFont());
    d.addField({kVidX, 0, kVidW, 4}, QStringLiteral("vid")).setName("vid").setFont(smallFont()).setAlignment(kCentre);
    d.addField({kColorX, 0, kColorW, 4}, QStringLiteral("color")).setName("color").setFont(smallFont()).setAlignment(kCentre);
    d.addExpression({kTypeX, 0, kTypeW, 4}, productTypeText()).setName("ProductType").setFont(smallFont());
    d.addField({kTimeX, 0, kTimeW, 4}, QStringLiteral("sum_time")).setName("sum_time").setFont(smallFont()).setAlignment(kRight);
    d.addField({kBrkX, 0, kBrkW, 4}, QStringLiteral("brk")).setName("brk").setFont(smallFont()).setAlignment(kRight);
    d.addField({kKolvoX, 0, kKolvoW, 4}, QStringLiteral("kolvo")).setName("kolvo").setFont(smallFont()).setAlignment(kRight);
    d.addField({kSummaX, 0, kSummaW, 4}, QStringLiteral("summa"), "#0.00").setName("summa").setFont(smallFont()).setAlignment(kRight);

    // Worker's footer: his totals under their columns, then the table.
    Band& wf = byWorker.footer;
    wf.addExpression({kBrkX - 5, 0.5, kBrkW + 5, 5}, QStringLiteral("SUM(brk)")).setName("FioBrk").setFont(headingFont()).setAlignment(kRight);
    wf.addExpression({kKolvoX, 0.5, kKolvoW, 5}, QStringLiteral("SUM(kolvo)"))
        .setName("FioKolvo")
        .setFont(headingFont())
        .setAlignment(kRight);
    wf.addExpression({kSummaX, 0.5, kSummaW, 5}, QStringLiteral("SUM(summa)"), "#0.00")
        .setName("FioSumma")
        .setFont(headingFont())
        .setAlignment(kRight);

    const double top = 7;
    const double rowH = 4.5;
    wf.addLabel({kHoursX, top, kHoursW, rowH}, QStringLiteral("Часы")).setFont(headingFont()).setAlignment(kRight);
    wf.addLabel({kGrossX, top, kGrossW, rowH}, QStringLiteral("Сумма с р/к (р.)")).setFont(headingFont()).setAlignment(kRight);
    wf.addLabel({kNetX, top, kNetW, rowH}, QStringLiteral("Сумма без р/к (р.)")).setFont(headingFont()).setAlignment(kRight);
    const QString piece = QStringLiteral("SUM(summa)");
    // The maintenance figures stand on the worker's maintenance row alone
    // and are empty on his other rows: their sum over his rows is his
    // figure, 0 when he has none.
    const QString money = QStringLiteral("SUM(summa) + SUM(f_sum7) + SUM(f_sum7_n) + SUM(f_sum8) + SUM(f_sum8_n)");
    const QString hours = QStringLiteral("SUM(sum_time) + SUM(f_sum7h) + SUM(f_sum7h_n) + SUM(f_sum8h) + SUM(f_sum8h_n)");
    // The average price of an hour of piece work; 0 when he has no hours.
    const QString perHour = QStringLiteral("IF(SUM(sum_time) = 0, 0, SUM(summa) / SUM(sum_time))");
    // Money prints with two decimals on every row; the hours of the
    // maintenance rows as they are stored.
    const struct {
        const char* label;
        const char* name;
        QString hours, gross;
        const char* hoursMask;
    } rows[] = {
        {"Хоз. раб. (дн.)", "F7", "SUM(f_sum7h)", "SUM(f_sum7)", ""},
        {"Хоз. раб. (нч.)", "F7n", "SUM(f_sum7h_n)", "SUM(f_sum7_n)", ""},
        {"Ср. сд. (дн.)", "F8", "SUM(f_sum8h)", "SUM(f_sum8)", ""},
        {"Ср. сд. (нч.)", "F8n", "SUM(f_sum8h_n)", "SUM(f_sum8_n)", ""},
        {"Сдел.", "Piece", "SUM(sum_time)", piece, "#0.00"},
        {"Итого:", "Total", hours, money, "#0.00"},
        {"Цена ср. сд. за 1 ч.:", "PerHour", QString(), perHour, "#0.00"},
    };
    const QString moneyMask = QStringLiteral("#0.00");
    double y = top + rowH;
    for (const auto& r : rows) {
        const QString name = QString::fromLatin1(r.name);
        wf.addLabel({kRowX, y, kRowW, rowH}, QString::fromUtf8(r.label)).setFont(headingFont());
        if (!r.hours.isEmpty())
            wf.addExpression({kHoursX, y, kHoursW, rowH}, r.hours, QString::fromLatin1(r.hoursMask))
                .setName(name + "Hours")
                .setFont(headingFont())
                .setAlignment(kRight);
        wf.addExpression({kGrossX, y, kGrossW, rowH}, r.gross, moneyMask).setName(name).setFont(headingFont()).setAlignment(kRight);
        wf.addExpression({kNetX, y, kNetW, rowH}, QStringLiteral("(%1) / 1.2").arg(r.gross), moneyMask)
            .setName(name + "Net")
            .setFont(headingFont())
            .setAlignment(kRight);
        y += rowH;
    }
    // The table's frame and rules: under the titles and above the totals.
    const double bottom = y + 0.5;
    wf.addBox({kRowX - 1, top, kWidth - kRowX + 1, bottom - top}, QColor(), AllSides);
    wf.addLine({kRowX - 1, top + rowH}, {kWidth, top + rowH});
    wf.addLine({kRowX - 1, top + 5 * rowH}, {kWidth, top + 5 * rowH});
    wf.height = bottom + 2;

    Band& rf = m_def.reportFooter;
    rf.height = 10;
    rf.addBox({0, 2, kWidth, 7.5}, QColor(), AllSides);
    rf.addLabel({2, 3, 60, 5.5}, QStringLiteral("Итого:")).setFont(totalFont());
    rf.addExpression({kBrkX - 10, 3, kBrkW + 10, 5.5}, QStringLiteral("SUM(brk)")).setName("Brk").setFont(totalFont()).setAlignment(kRight);
    rf.addExpression({kKolvoX, 3, kKolvoW, 5.5}, QStringLiteral("SUM(kolvo)")).setName("Kolvo").setFont(totalFont()).setAlignment(kRight);
    rf.addExpression({kSummaX, 3, kSummaW, 5.5}, QStringLiteral("SUM(summa)"), "#0.00").setName("Summa").setFont(totalFont()).setAlignment(kRight);

    addPageNumber(m_def.pageFooter);
}
