// The command line's detailed workers report for the whole year of the
// generated data (pw_bench) beside the same report through its window, side
// by side: the window's button with its preview saving the pages as PDF,
// and the program started as a command that writes the PDF (its start, the
// connection and the application included). Medians of 3 runs each, of
// the wall time and of the program's own processor time (on a busy machine
// the wall time also counts the other processes' turns), and the ratio of
// the command to the window; beside them the command's fixed cost (a report
// of one day). The two PDFs must read the same.
#include "bench/BenchProgram.h"
#include "bench/PrintedDialogs.h"
#include "db/Dataset.h"
#include "db/TDataModule6.h"
#include "reports/TForm18.h"

#include <QAction>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace {

// Boxes are printed; the preview is answered by saving its pages as PDF.
class SavingDialogs : public Bench::PrintedDialogs {
public:
    int showModal(QDialog& dialog) override
    {
        if (auto* save = dialog.findChild<QAction*>(QStringLiteral("ActSavePdf")))
            save->trigger();
        return QDialog::Rejected;
    }
};

double ownCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The processor time of the finished child processes so far.
double childrenCpuMs()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

QString pdfText(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), file,
                                          QStringLiteral("-")});
    p.waitForFinished(120000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

int main(int argc, char** argv)
{
    Bench::Application app(argc, argv);
    QTemporaryDir scratch;
    SavingDialogs dialogs;
    Bench::Program program(dialogs);
    if (!program.started())
        return 1;
    TForm18& window = program.owner().form18();

    // The generated data's last year.
    Dataset last(program.owner().dataModule().ADO_DB);
    last.setSql(QStringLiteral("select max(data) as last from accounts_dep.smena"));
    last.open();
    const QDate from(last.field(QStringLiteral("last")).asDate().year(), 1, 1);
    const QDate to = from.addYears(1);
    last.close();

    const QString windowPdf = QDir(scratch.path()).filePath(QStringLiteral("window"));
    window.askPdfFileName = [&](QWidget*) { return windowPdf; };
    window.DTPicker1->setDate(from);
    window.DTPicker2->setDate(to);
    window.setProductType(0);
    QVector<double> windowCpu;
    const double windowMs = Bench::medianMs(3, [&] {
        const double before = ownCpuMs();
        window.Button1->click();
        windowCpu << ownCpuMs() - before;
    });

    const QString commandPdf = QDir(scratch.path()).filePath(QStringLiteral("command.pdf"));
    const QStringList arguments = {QStringLiteral("--report"), QStringLiteral("workers-detailed"), QStringLiteral("--from"),
                                   from.toString(QStringLiteral("dd.MM.yyyy")), QStringLiteral("--to"),
                                   to.toString(QStringLiteral("dd.MM.yyyy")), QStringLiteral("--pdf"), commandPdf,
                                   Bench::database(), QStringLiteral("localhost")};
    const QString programPath = QStringLiteral(PW_PROGRAM);
    bool commandFailed = false;
    QVector<double> commandCpu;
    auto runCommand = [&](const QStringList& args) {
        const double before = childrenCpuMs();
        QProcess command;
        command.start(programPath, args);
        if (!command.waitForFinished(600000) || command.exitCode() != 0) {
            std::printf("the command failed: %s\n", command.readAllStandardError().constData());
            commandFailed = true;
        }
        commandCpu << childrenCpuMs() - before;
    };
    const double commandMs = Bench::medianMs(3, [&] { runCommand(arguments); });
    const double commandCpuMs = median(commandCpu);
    commandCpu.clear();
    QStringList oneDay = arguments;
    oneDay[1] = QStringLiteral("products");
    oneDay[5] = from.addDays(1).toString(QStringLiteral("dd.MM.yyyy"));
    oneDay[7] = QDir(scratch.path()).filePath(QStringLiteral("day.pdf"));
    const double fixedMs = Bench::medianMs(3, [&] { runCommand(oneDay); });
    const double fixedCpuMs = median(commandCpu);

    const bool same = !commandFailed && pdfText(windowPdf + QStringLiteral(".pdf")) == pdfText(commandPdf)
        && !pdfText(commandPdf).isEmpty();
    std::printf("detailed workers report, year %d (%s .. %s):\n", from.year(),
                qPrintable(from.toString(QStringLiteral("dd.MM.yyyy"))), qPrintable(to.toString(QStringLiteral("dd.MM.yyyy"))));
    std::printf("  the window (button, query, layout, preview saving the PDF): %.2f s, processor %.2f s\n", windowMs / 1000,
                median(windowCpu) / 1000);
    std::printf("  the command line (start, connection, query, layout, PDF):   %.2f s, processor %.2f s\n", commandMs / 1000,
                commandCpuMs / 1000);
    std::printf("  command / window: %.2f (processor %.2f)\n", commandMs / windowMs, commandCpuMs / median(windowCpu));
    std::printf("  the command's fixed cost (products report of one day): %.2f s, processor %.2f s\n", fixedMs / 1000,
                fixedCpuMs / 1000);
    std::printf("  the two PDFs read %s\n", same ? "the same" : "DIFFERENTLY");
    return same && dialogs.errors == 0 ? 0 : 1;
}
