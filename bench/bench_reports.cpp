// The summary report layouts over a generated year (pw_bench, 300
// workers): the detailed workers report for the last full month and for
// the whole year, split into the query (bound, executed and read into the
// client buffer), the layout into pages and the PDF file, with the share of
// each; the other three layouts for the month; the detailed workers query
// once more through the layer alone; the workers reports' statements
// against the texts first given, for time and for the same rows. The
// server's own execution time of the query is shown beside the query's
// share, and the program's processor time beside the wall time. With an
// argument naming a folder the PDFs are kept there; with PW_BENCH_LISTING
// set, beside each a listing of its laid-out pages (outside the timings),
// for comparing the pages of two builds.
#include "db/ProcessLocale.h"
#include "bench/BenchSupport.h"
#include "db/Command.h"
#include "db/ConnectionText.h"
#include "reports/TForm16.h"
#include "reports/TForm17.h"
#include "reports/TForm20.h"
#include "reports/TForm21.h"
#include "tests/reports/GivenStatements.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

struct Split {
    int rows = 0;
    int pages = 0;
    double queryMs = 0;
    double layoutMs = 0;
    double pdfMs = 0;
    double pdfMb = 0;
    // The program's own processor time of each part: on a busy machine the
    // wall time also counts the other processes' turns.
    double queryCpuMs = 0;
    double layoutCpuMs = 0;
    double pdfCpuMs = 0;
};

double cpuNowMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double elapsedMs(QElapsedTimer& timer)
{
    const double ms = timer.nsecsElapsed() / 1e6;
    timer.restart();
    return ms;
}

double elapsedCpuMs(double& since)
{
    const double now = cpuNowMs();
    const double ms = now - since;
    since = now;
    return ms;
}

// Every primitive of the laid-out pages as text, one a line, so that two
// builds can be compared for the same pages, texts and places.
void writePageListing(const report::PageModel& model, const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    QTextStream out(&file);
    auto rect = [](const QRectF& r) {
        return QStringLiteral("%1 %2 %3 %4").arg(r.x(), 0, 'f', 4).arg(r.y(), 0, 'f', 4).arg(r.width(), 0, 'f', 4).arg(r.height(), 0, 'f', 4);
    };
    out << "title " << model.title << "\n";
    for (const report::Page& page : model.pages) {
        out << "page " << page.number << " " << page.size.width() << "x" << page.size.height() << "\n";
        for (const report::PlacedBand& b : page.bands)
            out << " band " << int(b.kind) << " " << b.group << " " << b.row << " " << rect(b.rect) << " " << b.repeated << "\n";
        for (const report::BoxPrimitive& b : page.boxes)
            out << " box " << rect(b.rect) << " " << b.fill.name() << "\n";
        for (const report::LinePrimitive& l : page.lines)
            out << " line " << l.line.x1() << " " << l.line.y1() << " " << l.line.x2() << " " << l.line.y2() << " " << l.width << " "
                << l.color.name() << "\n";
        for (const report::TextPrimitive& t : page.texts)
            out << " text " << rect(t.rect) << " [" << t.text << "] " << t.font.family << " " << t.font.pointSize << " " << t.font.bold
                << t.font.italic << " " << int(t.alignment) << " " << t.color.name() << " " << t.item << " " << t.band << " "
                << QString::number(t.width, 'f', 6) << "\n";
    }
}

// One run of a report as the window makes it: query, layout, PDF.
Split runOnce(ReportLayout& layout, const QDate& from, const QDate& to, const QString& pdf)
{
    Split s;
    QElapsedTimer timer;
    timer.start();
    double cpu = cpuNowMs();
    layout.query().close();
    layout.bindPeriod(from, to);
    layout.query().open();
    s.queryMs = elapsedMs(timer);
    s.queryCpuMs = elapsedCpuMs(cpu);
    layout.setTitle(QStringLiteral("   Отчет за период с %1 по %2")
                        .arg(QLocale().toString(from, QLocale::ShortFormat), QLocale().toString(to, QLocale::ShortFormat)));
    const report::PageModel& pages = layout.Prepare();
    s.layoutMs = elapsedMs(timer);
    s.layoutCpuMs = elapsedCpuMs(cpu);
    report::writePdf(pages, pdf);
    s.pdfMs = elapsedMs(timer);
    s.pdfCpuMs = elapsedCpuMs(cpu);
    if (qEnvironmentVariableIsSet("PW_BENCH_LISTING"))
        writePageListing(pages, pdf + QStringLiteral(".pages.txt"));
    s.rows = layout.query().recordCount();
    s.pages = pages.pageCount();
    s.pdfMb = QFileInfo(pdf).size() / 1e6;
    layout.query().close();
    return s;
}

// The median of each part over `runs` runs.
Split measure(ReportLayout& layout, const QDate& from, const QDate& to, const QString& pdf, int runs)
{
    QVector<Split> all;
    for (int i = 0; i < runs; ++i)
        all << runOnce(layout, from, to, pdf);
    auto median = [&](double Split::*part) {
        QVector<double> v;
        for (const Split& s : all)
            v << s.*part;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    Split m = all.first();
    m.queryMs = median(&Split::queryMs);
    m.layoutMs = median(&Split::layoutMs);
    m.pdfMs = median(&Split::pdfMs);
    m.queryCpuMs = median(&Split::queryCpuMs);
    m.layoutCpuMs = median(&Split::layoutCpuMs);
    m.pdfCpuMs = median(&Split::pdfCpuMs);
    return m;
}

void print(const QString& name, const Split& s, double serverMs)
{
    const double total = s.queryMs + s.layoutMs + s.pdfMs;
    std::printf("%-40s %7d rows %5d pages  total %8.1f ms | query %8.1f ms (%4.1f%%, server alone %8.1f ms) | "
                "layout %7.1f ms (%4.1f%%) | pdf %7.1f ms (%4.1f%%, %.1f MB) | processor: query %.0f, layout %.0f, pdf %.0f ms\n",
                name.toUtf8().constData(), s.rows, s.pages, total, s.queryMs, 100 * s.queryMs / total, serverMs,
                s.layoutMs, 100 * s.layoutMs / total, s.pdfMs, 100 * s.pdfMs / total, s.pdfMb, s.queryCpuMs, s.layoutCpuMs,
                s.pdfCpuMs);
    std::fflush(stdout);
}

QHash<QString, QVariant> periodParams(const ReportLayout& layout, const QDate& from, const QDate& to)
{
    QHash<QString, QVariant> params;
    for (int i = 1; i <= layout.parameterCount(); ++i)
        params.insert(QStringLiteral("data%1").arg(i), i % 2 == 1 ? from : to);
    return params;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    ProcessLocale::apply();
    QTemporaryDir scratch;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : scratch.path();
    QDir().mkpath(folder);

    Database db;
    db.setConnectionText(connectionText(Bench::database(), QStringLiteral("localhost")));
    db.open();
    // As the program's own connection runs: without the server's JIT.
    Command(db, QStringLiteral("set jit = off")).execute();

    // The last full month of the generated data, and its whole year.
    Dataset last(db);
    last.setSql(QStringLiteral("select max(data) as last from accounts_dep.smena"));
    last.open();
    const QDate end = last.field(QStringLiteral("last")).asDate();
    const QDate monthTo(end.year(), end.month(), 1);
    const QDate monthFrom = monthTo.addMonths(-1);
    const QDate yearFrom(end.year(), 1, 1);
    const QDate yearTo = yearFrom.addYears(1);

    TForm20 detailed(db);
    auto run = [&](ReportLayout& layout, const QString& name, const QString& file, const QDate& from, const QDate& to,
                   int runs) {
        const double server = Bench::serverMs(db, layout.query().sql(), periodParams(layout, from, to));
        print(name, measure(layout, from, to, QDir(folder).filePath(file), runs), server);
    };
    run(detailed, QStringLiteral("detailed workers report, month"), QStringLiteral("detailed_workers_month.pdf"), monthFrom,
        monthTo, 5);
    run(detailed, QStringLiteral("detailed workers report, year"), QStringLiteral("detailed_workers_year.pdf"), yearFrom,
        yearTo, 3);

    TForm16 workers(db);
    TForm17 products(db);
    TForm21 detailedProducts(db);
    run(workers, QStringLiteral("workers report, month"), QStringLiteral("workers_month.pdf"), monthFrom, monthTo, 5);
    run(products, QStringLiteral("products report, month"), QStringLiteral("products_month.pdf"), monthFrom, monthTo, 5);
    run(detailedProducts, QStringLiteral("detailed products report, month"), QStringLiteral("detailed_products_month.pdf"),
        monthFrom, monthTo, 5);

    // The statements as first given (a sub-query per row for every
    // maintenance sum) against the faster ones: time, and the same rows.
    auto compare = [&](const QString& name, ReportLayout& layout, const QString& given, int givenParameters,
                       const QStringList& perWorker, const QDate& from, const QDate& to) {
        QElapsedTimer timer;
        timer.start();
        const Given::Rows reference = Given::readRows(db, given, givenParameters, from, to);
        const double givenMs = timer.nsecsElapsed() / 1e6;
        timer.restart();
        const Given::Rows rewritten =
            Given::readRows(db, layout.query().sql(), layout.parameterCount(), from, to, reference.columns, true, perWorker);
        const double rewrittenMs = timer.nsecsElapsed() / 1e6;
        QHash<QString, QVariant> givenParams;
        for (int i = 1; i <= givenParameters; ++i)
            givenParams.insert(QStringLiteral("data%1").arg(i), i % 2 == 1 ? from : to);
        QString difference;
        const bool same = Given::sameRows(reference, rewritten, &difference);
        std::printf("%-40s %7lld rows  given %8.1f ms (server alone %8.1f ms) | now %8.1f ms (server alone %8.1f ms) | %s\n",
                    name.toUtf8().constData(), qlonglong(reference.rows.size()), givenMs, Bench::serverMs(db, given, givenParams),
                    rewrittenMs, Bench::serverMs(db, layout.query().sql(), periodParams(layout, from, to)),
                    same ? "same rows" : qPrintable(QStringLiteral("ROWS DIFFER: ") + difference));
        std::fflush(stdout);
        return same;
    };
    const QStringList perWorker = {"f_sum7", "f_sum7_n", "f_sum8", "f_sum8_n", "f_sum7h", "f_sum7h_n", "f_sum8h", "f_sum8h_n"};
    bool same = compare(QStringLiteral("detailed workers statement, month"), detailed, Given::detailedWorkersReportSql(), 18,
                        perWorker, monthFrom, monthTo);
    same &= compare(QStringLiteral("detailed workers statement, year"), detailed, Given::detailedWorkersReportSql(), 18,
                    perWorker, yearFrom, yearTo);
    same &= compare(QStringLiteral("workers statement, month"), workers, Given::workersReportSql(), 12, {}, monthFrom, monthTo);
    same &= compare(QStringLiteral("workers statement, year"), workers, Given::workersReportSql(), 12, {}, yearFrom, yearTo);

    // The query alone, opened through the layer, against the server's time.
    auto queryOnly = [&](const QString& name, const QDate& from, const QDate& to, int runs) {
        const double ms = Bench::medianMs(runs, [&] {
            detailed.query().close();
            detailed.bindPeriod(from, to);
            detailed.query().open();
        });
        const int rows = detailed.query().recordCount();
        detailed.query().close();
        std::printf("%-40s %7d rows  query %8.1f ms (server alone %8.1f ms)\n", name.toUtf8().constData(), rows, ms,
                    Bench::serverMs(db, detailed.query().sql(), periodParams(detailed, from, to)));
        std::fflush(stdout);
    };
    queryOnly(QStringLiteral("detailed workers query, month"), monthFrom, monthTo, 5);
    queryOnly(QStringLiteral("detailed workers query, year"), yearFrom, yearTo, 3);
    return same ? 0 : 1;
}
