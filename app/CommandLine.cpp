#include "app/CommandLine.h"
#include "app/ImportCommand.h"
#include "db/Command.h"
#include "db/ConnectionText.h"
#include "db/DbError.h"
#include "db/ErrorSink.h"
#include "db/ProcessLocale.h"
#include "db/TDataModule6.h"
#include "ledger/MonthCheck.h"
#include "ledger/MonthCheckText.h"
#include "ledger/TimesheetSql.h"
#include "reports/SummaryReports.h"
#include "reports/TForm16.h"
#include "reports/TForm17.h"
#include "reports/TForm20.h"
#include "reports/TForm21.h"
#include "reports/engine/CellWriter.h"
#include "timesheets/TForm15.h"
#include "timesheets/TimesheetExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTextStream>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/stat.h>

namespace CommandLine {

namespace {

const QString kCheckMonth = QStringLiteral("--check-month");
const QString kReport = QStringLiteral("--report");
const QString kTimesheet = QStringLiteral("--timesheet");
const QString kHelp = QStringLiteral("--help");

// The options Qt's own applications take (with one dash or two): the
// windows' start passes them on to Qt, so they are no wrong option.
bool isQtOption(const QString& argument)
{
    static const QStringList names = {
        QStringLiteral("platform"),  QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
        QStringLiteral("plugin"),    QStringLiteral("qwindowgeometry"),    QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"), QStringLiteral("reverse"),         QStringLiteral("session"),
        QStringLiteral("style"),     QStringLiteral("stylesheet"),         QStringLiteral("widgetcount"),
        QStringLiteral("display"),   QStringLiteral("geometry"),           QStringLiteral("fontengine"),
        QStringLiteral("qmljsdebugger"), QStringLiteral("nograb"),         QStringLiteral("dograb"),
        QStringLiteral("sync"),      QStringLiteral("title"),              QStringLiteral("name"),
        QStringLiteral("visual"),    QStringLiteral("ncols"),              QStringLiteral("cmap"),
        QStringLiteral("dialogs"),
    };
    QString name = argument.mid(2);
    name = name.section(QLatin1Char('='), 0, 0);
    return names.contains(name);
}

struct ReportKind {
    const char* name;
    QString (*caption)();
    bool workbook;   // the production workbook is its --xlsx
};

const ReportKind kReports[] = {
    {"workers", &SummaryReports::workersCaption, false},
    {"workers-detailed", &SummaryReports::workersDetailedCaption, false},
    {"products", &SummaryReports::productsCaption, true},
    {"products-detailed", &SummaryReports::productsDetailedCaption, true},
};

const ReportKind* reportKind(const QString& name)
{
    for (const ReportKind& k : kReports)
        if (name == QLatin1String(k.name))
            return &k;
    return nullptr;
}

std::unique_ptr<ReportLayout> makeLayout(const QString& name, Database& db)
{
    if (name == QLatin1String("workers"))
        return std::make_unique<TForm16>(db);
    if (name == QLatin1String("products"))
        return std::make_unique<TForm17>(db);
    if (name == QLatin1String("workers-detailed"))
        return std::make_unique<TForm20>(db);
    return std::make_unique<TForm21>(db);
}

// The pay timesheet's variants as the window's menu names them.
struct TimesheetKind {
    const char* name;
    const char* title;
    QString (*sql)();
    bool night;      // the night mark's column
    bool hourPay;    // the pay of one hour
};

const TimesheetKind kTimesheets[] = {
    {"shift", "Табель по сменам", nullptr, false, false},
    {"piecework", "Табель сделка", &TimesheetSql::hTabel0, false, true},
    {"maintenance", "Табель хоз. работ", [] { return TimesheetSql::hTabelTyped(7777); }, true, true},
    {"average", "Табель ср. сдельная", [] { return TimesheetSql::hTabelTyped(7778); }, true, true},
    {"all", "Общий табель", &TimesheetSql::hTabelAll, false, false},
};

const TimesheetKind* timesheetKind(const QString& name)
{
    for (const TimesheetKind& k : kTimesheets)
        if (name == QLatin1String(k.name))
            return &k;
    return nullptr;
}

QString names(const QStringList& list)
{
    return list.join(QLatin1Char('|'));
}

QStringList reportNames()
{
    QStringList out;
    for (const ReportKind& k : kReports)
        out << QString::fromLatin1(k.name);
    return out;
}

QStringList timesheetNames()
{
    QStringList out;
    for (const TimesheetKind& k : kTimesheets)
        out << QString::fromLatin1(k.name);
    return out;
}

// The command's refusals of the data module reach its error output.
class StreamErrorSink : public ErrorSink {
public:
    explicit StreamErrorSink(QTextStream& err) : m_err(err) {}
    void showError(const QString& text) override { m_err << text << Qt::endl; }

private:
    QTextStream& m_err;
};

// A failure after the arguments were read: the database, a file.
class Failure : public std::runtime_error {
public:
    explicit Failure(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// Writes `target` whole or not at all: `write` fills a new file beside it,
// which then takes the target's name (an earlier file of that name is
// replaced). The file gets the permissions a new file of the user gets.
void writeFile(const QString& target, const std::function<void(const QString& path)>& write)
{
    const QFileInfo info(target);
    QTemporaryFile part(info.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(info.fileName())));
    if (!part.open())
        throw Failure(QStringLiteral("Не удалось записать файл \"%1\": %2").arg(target, part.errorString()));
    part.close();
    try {
        write(part.fileName());
    } catch (const WorkbookError& e) {
        throw Failure(QStringLiteral("Не удалось записать файл \"%1\": %2").arg(target, e.text()));
    } catch (const report::ReportError&) {
        throw Failure(QStringLiteral("Не удалось записать файл \"%1\"").arg(target));
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(part.fileName()).constData(), 0666 & ~mask);
    if (std::rename(QFile::encodeName(part.fileName()).constData(), QFile::encodeName(info.absoluteFilePath()).constData())
        != 0)
        throw Failure(QStringLiteral("Не удалось записать файл \"%1\"").arg(target));
    part.setAutoRemove(false);
}

void checkMonth(TDataModule6& dm, const Options& o, QTextStream& out, int& status)
{
    const MonthCheck::Result result = MonthCheck::run(dm, o.month);
    for (const MonthCheck::Finding& f : result.findings)
        out << f.date.toString(QStringLiteral("dd.MM.yyyy")) << '\t' << MonthCheck::placeText(f) << '\t' << f.worker
            << '\t' << f.text << '\n';
    out << MonthCheck::summaryText(result) << Qt::endl;
    status = result.isClean() ? kDone : kFindings;
}

void report(TDataModule6& dm, const Options& o, QTextStream& out)
{
    const ReportKind& kind = *reportKind(o.kind);
    if (!o.pdf.isEmpty()) {
        const std::unique_ptr<ReportLayout> layout = makeLayout(o.kind, dm.ADO_DB);
        const report::PageModel& pages = SummaryReports::prepare(*layout, kind.caption(), o.from, o.to, o.productType);
        layout->query().close();
        writeFile(o.pdf, [&](const QString& path) { report::writePdf(pages, path); });
        out << layout->title().trimmed() << QStringLiteral(": страниц %1, файл %2").arg(pages.pageCount()).arg(o.pdf)
            << Qt::endl;
        return;
    }
    Dataset query(dm.ADO_DB, QStringLiteral("XLS_Rep"));
    query.setSql(SummaryReports::productionSql());
    SummaryReports::openProduction(query, o.from, o.to, o.productType);
    WorkbookWriter cells;
    SummaryReports::writeProduction(query, cells);
    writeFile(o.xlsx, [&](const QString& path) { cells.save(path); });
    out << SummaryReports::title(QStringLiteral("%1 за период с ").arg(SummaryReports::productionExportName()), o.from,
                                 o.to)
        << QStringLiteral(": строк %1, файл %2").arg(query.recordCount()).arg(o.xlsx) << Qt::endl;
}

void timesheet(TDataModule6& dm, const Options& o, QTextStream& out)
{
    const TimesheetKind& kind = *timesheetKind(o.kind);
    const QString title = QString::fromUtf8(kind.title) + QStringLiteral(", ") + TimesheetExport::periodText(o.month);
    if (!kind.sql) {
        TForm15 print(dm.ADO_DB);
        TimesheetSql::bindPrintMonth(print.H_Tabel, o.month);
        print.H_Tabel.open();
        if (!o.pdf.isEmpty()) {
            print.setPeriodText(TimesheetExport::printPeriodText(o.month));
            const report::PageModel& pages = print.Prepare();
            writeFile(o.pdf, [&](const QString& path) { report::writePdf(pages, path); });
            out << title << QStringLiteral(": страниц %1, файл %2").arg(pages.pageCount()).arg(o.pdf) << Qt::endl;
            return;
        }
        WorkbookWriter cells;
        TimesheetExport::writeShiftSummary(print.H_Tabel, TimesheetExport::periodText(o.month), cells);
        writeFile(o.xlsx, [&](const QString& path) { cells.save(path); });
        out << title << QStringLiteral(": строк %1, файл %2").arg(print.H_Tabel.recordCount()).arg(o.xlsx) << Qt::endl;
        return;
    }
    Dataset query(dm.ADO_DB, QStringLiteral("H_Tabel"));
    query.setSql(kind.sql());
    TimesheetSql::bindPayMonth(query, o.month, 4);
    query.open();
    WorkbookWriter cells;
    TimesheetExport::writePayLines(query, TimesheetExport::periodText(o.month), kind.night, kind.hourPay, cells);
    writeFile(o.xlsx, [&](const QString& path) { cells.save(path); });
    out << title << QStringLiteral(": строк %1, файл %2").arg(query.recordCount()).arg(o.xlsx) << Qt::endl;
}

// The arguments one by one, with the option being read for the messages.
class Reader {
public:
    explicit Reader(const QStringList& arguments) : m_args(arguments) {}
    bool atEnd() const { return m_at >= m_args.size(); }
    QString next() { return m_args.at(m_at++); }
    // The value of `option`: after "=" in the same argument, else the next argument.
    QString value(const QString& option, const QString& inline_, bool hasInline)
    {
        if (hasInline) {
            if (inline_.isEmpty())
                throw BadArguments(QStringLiteral("Не указано значение параметра %1.").arg(option));
            return inline_;
        }
        if (atEnd() || m_args.at(m_at).startsWith(QLatin1String("--")))
            throw BadArguments(QStringLiteral("Не указано значение параметра %1.").arg(option));
        return next();
    }

private:
    QStringList m_args;
    int m_at = 0;
};

} // namespace

bool isCommand(const QString& first)
{
    if (first == QLatin1String(ImportCommand::kOption))
        return false;
    if (first == QLatin1String("-h") || first == QLatin1String("-?"))
        return true;
    return first.startsWith(QLatin1String("--")) && !isQtOption(first);
}

MonthRange parseMonth(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{4})-([0-9]{2})$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return MonthRange();
    const int year = m.captured(1).toInt();
    const int month = m.captured(2).toInt();
    if (year < 1 || month < 1 || month > 12)
        return MonthRange();
    return MonthRange(year, month);
}

QDate parseDate(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^[0-9]{2}\\.[0-9]{2}\\.[0-9]{4}$"));
    if (!form.match(text).hasMatch())
        return QDate();
    return QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
}

Options parse(const QStringList& arguments)
{
    Options o;
    Reader args(arguments);
    if (args.atEnd())
        throw BadArguments(QStringLiteral("Не указана команда."));
    const QString first = args.next();
    if (first == kHelp || first == QLatin1String("-h") || first == QLatin1String("-?")) {
        if (!args.atEnd())
            throw BadArguments(QStringLiteral("Лишний аргумент после %1: %2").arg(first, args.next()));
        return o;
    }
    QString commandValue;
    if (first.startsWith(kCheckMonth) || first.startsWith(kReport) || first.startsWith(kTimesheet)) {
        const QString name = first.section(QLatin1Char('='), 0, 0);
        const bool hasInline = first.contains(QLatin1Char('='));
        if (name == kCheckMonth)
            o.command = Command::CheckMonth;
        else if (name == kReport)
            o.command = Command::Report;
        else if (name == kTimesheet)
            o.command = Command::Timesheet;
        else
            throw BadArguments(QStringLiteral("Неизвестный параметр: %1").arg(first));
        commandValue = args.value(name, first.section(QLatin1Char('='), 1), hasInline);
    } else {
        throw BadArguments(QStringLiteral("Неизвестный параметр: %1").arg(first));
    }

    switch (o.command) {
    case Command::CheckMonth:
        o.month = parseMonth(commandValue);
        if (o.month.year == 0)
            throw BadArguments(QStringLiteral("Неверный месяц в %1: \"%2\" (нужен ГГГГ-ММ, например 2026-03).")
                                   .arg(kCheckMonth, commandValue));
        break;
    case Command::Report:
        if (!reportKind(commandValue))
            throw BadArguments(QStringLiteral("Неизвестный отчет в %1: \"%2\" (есть %3).")
                                   .arg(kReport, commandValue, names(reportNames())));
        o.kind = commandValue;
        break;
    case Command::Timesheet:
        if (!timesheetKind(commandValue))
            throw BadArguments(QStringLiteral("Неизвестный табель в %1: \"%2\" (есть %3).")
                                   .arg(kTimesheet, commandValue, names(timesheetNames())));
        o.kind = commandValue;
        break;
    case Command::Help:
        break;
    }

    // The options each command takes.
    QStringList allowed;
    if (o.command == Command::Report)
        allowed = {QStringLiteral("--from"), QStringLiteral("--to"), QStringLiteral("--type"), QStringLiteral("--pdf"),
                   QStringLiteral("--xlsx")};
    else if (o.command == Command::Timesheet)
        allowed = {QStringLiteral("--month"), QStringLiteral("--pdf"), QStringLiteral("--xlsx")};
    QStringList seen;
    QStringList positional;
    QString type;
    while (!args.atEnd()) {
        const QString arg = args.next();
        if (!arg.startsWith(QLatin1String("--"))) {
            positional << arg;
            continue;
        }
        const QString name = arg.section(QLatin1Char('='), 0, 0);
        if (!allowed.contains(name)) {
            const bool known = name == kHelp || name == kCheckMonth || name == kReport || name == kTimesheet
                || name == QLatin1String(ImportCommand::kOption) || QStringList{QStringLiteral("--from"), QStringLiteral("--to"),
                   QStringLiteral("--type"), QStringLiteral("--pdf"), QStringLiteral("--xlsx"), QStringLiteral("--month")}.contains(name);
            if (known)
                throw BadArguments(QStringLiteral("Параметр %1 не применяется с %2.").arg(name, first.section(QLatin1Char('='), 0, 0)));
            throw BadArguments(QStringLiteral("Неизвестный параметр: %1").arg(arg));
        }
        if (!positional.isEmpty())
            throw BadArguments(QStringLiteral("Параметр %1 стоит после базы и сервера: они указываются последними.").arg(name));
        if (seen.contains(name))
            throw BadArguments(QStringLiteral("Параметр %1 указан дважды.").arg(name));
        seen << name;
        const QString value = args.value(name, arg.section(QLatin1Char('='), 1), arg.contains(QLatin1Char('=')));
        if (name == QLatin1String("--from") || name == QLatin1String("--to")) {
            const QDate date = parseDate(value);
            if (!date.isValid())
                throw BadArguments(QStringLiteral("Неверная дата в %1: \"%2\" (нужна ДД.ММ.ГГГГ, например 01.11.2026).")
                                       .arg(name, value));
            (name == QLatin1String("--from") ? o.from : o.to) = date;
        } else if (name == QLatin1String("--month")) {
            o.month = parseMonth(value);
            if (o.month.year == 0)
                throw BadArguments(
                    QStringLiteral("Неверный месяц в %1: \"%2\" (нужен ГГГГ-ММ, например 2026-03).").arg(name, value));
        } else if (name == QLatin1String("--type")) {
            type = value;
            if (value != QLatin1String("0") && value != QLatin1String("1") && value != QLatin1String("2"))
                throw BadArguments(QStringLiteral("Неверный вид продукции в --type: \"%1\" (есть 0 — все, 1 — готовая "
                                                  "продукция, 2 — заготовки).")
                                       .arg(value));
            o.productType = value.toInt();
        } else if (name == QLatin1String("--pdf")) {
            o.pdf = value;
        } else {
            o.xlsx = value;
        }
    }
    if (positional.size() > 2)
        throw BadArguments(QStringLiteral("Лишний аргумент: %1 (после параметров указываются только база и сервер).")
                               .arg(positional.at(2)));
    o.database = positional.value(0);
    o.server = positional.value(1);

    if (o.command == Command::CheckMonth)
        return o;
    if (o.command == Command::Report) {
        if (!o.from.isValid())
            throw BadArguments(QStringLiteral("Не указано начало периода: --from ДД.ММ.ГГГГ."));
        if (!o.to.isValid())
            throw BadArguments(QStringLiteral("Не указан конец периода: --to ДД.ММ.ГГГГ (сам день не входит в период)."));
        if (o.from >= o.to)
            throw BadArguments(QStringLiteral("Период пуст: --from %1 должна быть раньше --to %2.")
                                   .arg(o.from.toString(QStringLiteral("dd.MM.yyyy")), o.to.toString(QStringLiteral("dd.MM.yyyy"))));
    } else if (o.month.year == 0) {
        throw BadArguments(QStringLiteral("Не указан месяц: --month ГГГГ-ММ."));
    }
    if (o.pdf.isEmpty() == o.xlsx.isEmpty())
        throw BadArguments(o.pdf.isEmpty() ? QStringLiteral("Не указан файл: --pdf ФАЙЛ или --xlsx ФАЙЛ.")
                                           : QStringLiteral("Указаны и --pdf, и --xlsx: нужен один файл."));
    if (o.command == Command::Report && !o.xlsx.isEmpty() && !reportKind(o.kind)->workbook)
        throw BadArguments(QStringLiteral("Для отчета %1 есть только --pdf; таблица --xlsx есть у отчетов по продукции.")
                               .arg(o.kind));
    if (o.command == Command::Timesheet && !o.pdf.isEmpty() && timesheetKind(o.kind)->sql)
        throw BadArguments(QStringLiteral("У табеля %1 («%2») нет печатной формы: есть только --xlsx.")
                               .arg(o.kind, QString::fromUtf8(timesheetKind(o.kind)->title)));
    return o;
}

QString helpText()
{
    return QStringLiteral(
        "Сдельный учет: работа за месяц из командной строки.\n"
        "\n"
        "  piecework [база [сервер]]\n"
        "      программа с окнами; без базы и сервера — база vestra_erp на этом компьютере.\n"
        "\n"
        "  piecework --check-month ГГГГ-ММ [база сервер]\n"
        "      проверка месяца: каждое замечание строкой (дата, где, работник, замечание,\n"
        "      через табуляцию), затем итог, как в окне «Проверка месяца».\n"
        "      Код выхода: 0 — замечаний нет, 3 — есть замечания, 1 — ошибка.\n"
        "\n"
        "  piecework --report workers|workers-detailed|products|products-detailed\n"
        "            --from ДД.ММ.ГГГГ --to ДД.ММ.ГГГГ [--type 0|1|2] (--pdf ФАЙЛ | --xlsx ФАЙЛ) [база сервер]\n"
        "      сводные отчеты окна «Отчеты» за период с --from (включительно) до --to (не включая):\n"
        "        workers — отчет по рабочим, workers-detailed — детальный отчет по рабочим,\n"
        "        products — отчет по продукции, products-detailed — детальный отчет по продукции;\n"
        "      --type — вид продукции: 0 — все (по умолчанию), 1 — готовая продукция, 2 — заготовки;\n"
        "      --pdf — страницы отчета в файл PDF;\n"
        "      --xlsx — таблица продукции по группам и операциям (кнопка «Excel»), для products\n"
        "        и products-detailed.\n"
        "\n"
        "  piecework --timesheet shift|piecework|maintenance|average|all --month ГГГГ-ММ\n"
        "            (--pdf ФАЙЛ | --xlsx ФАЙЛ) [база сервер]\n"
        "      табели за месяц:\n"
        "        shift — табель по сменам: --pdf — его печать, --xlsx — его выгрузка в Excel;\n"
        "        piecework — «Табель сделка», maintenance — «Табель хоз. работ»,\n"
        "        average — «Табель ср. сдельная», all — «Общий табель»: только --xlsx.\n"
        "\n"
        "  piecework --import-legacy [база сервер]\n"
        "      импорт из старой базы табеля (источники данных ODBC Tabel и Tabel_PgSQL).\n"
        "\n"
        "  piecework --help\n"
        "      эта справка.\n"
        "\n"
        "База и сервер указываются последними, как при запуске программы. Значение параметра можно\n"
        "писать и через «=» (--month=2026-03). Проверка, отчеты и табели ничего не изменяют в базе;\n"
        "файл записывается целиком или не записывается (прежний файл с тем же именем заменяется).\n"
        "Неверный параметр, дата или месяц: сообщение о нем и код выхода 2.\n");
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    Options o;
    try {
        o = parse(arguments);
    } catch (const BadArguments& e) {
        err << e.text() << Qt::endl << QStringLiteral("Справка: piecework --help") << Qt::endl;
        return kBadArguments;
    }
    if (o.command == Command::Help) {
        out << helpText() << Qt::flush;
        return kDone;
    }

    StreamErrorSink sink(err);
    try {
        TDataModule6 dm(sink);
        try {
            dm.openConnection(connectionTextForArguments(o.database, o.server));
        } catch (const DbError& e) {
            throw Failure(QStringLiteral("Подключение к БД отсутсвует!!! ") + e.text());
        }
        // Whatever runs below, the session writes nothing.
        ::Command(dm.ADO_DB, QStringLiteral("set session characteristics as transaction read only")).execute();
        int status = kDone;
        switch (o.command) {
        case Command::CheckMonth: checkMonth(dm, o, out, status); break;
        case Command::Report: report(dm, o, out); break;
        case Command::Timesheet: timesheet(dm, o, out); break;
        case Command::Help: break;
        }
        return status;
    } catch (const Failure& e) {
        err << e.text() << Qt::endl;
    } catch (const DbError& e) {
        err << e.text() << Qt::endl;
    } catch (const std::exception& e) {
        err << QString::fromUtf8(e.what()) << Qt::endl;
    }
    return kFailed;
}

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // The reports are laid out and painted without a display: the platform
    // that needs none, whatever the environment names (or does not).
    static char platformOption[] = "-platform";
    static char platform[] = "offscreen";
    char* qtArgv[] = {argv[0], platformOption, platform, nullptr};
    int qtArgc = 3;
    // The drivers' and the platform's warnings (no runtime folder, no
    // window manager) say nothing the failure message does not.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    });
    QGuiApplication app(qtArgc, qtArgv);
    ProcessLocale::apply();
    QTextStream out(stdout);
    QTextStream err(stderr);
    return run(arguments, out, err);
}

} // namespace CommandLine
