#pragma once
#include "ledger/MonthRange.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <stdexcept>

class QTextStream;

// The month's work without a window: the month check, the summary reports
// and the timesheets, written to files from a terminal or a scheduled job.
// Nothing of it writes to the database: its session is read-only.
namespace CommandLine {

// Exit statuses.
inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;          // the database, a file: the reason is printed
inline constexpr int kBadArguments = 2;    // which argument is wrong is printed
inline constexpr int kFindings = 3;        // the month check found something

// Whether the program's first argument asks for a command (or names an
// option that is none of the program's), rather than the windows' start
// with a database and a server. The legacy import is not among them: it
// has its own start.
bool isCommand(const QString& first);

// The whole run of a command: a Qt application on the platform that needs
// no display, the program's locale, then run(). From main().
int main(int argc, char* argv[]);

enum class Command { Help, CheckMonth, Report, Timesheet };

struct Options {
    Command command = Command::Help;
    QString kind;            // the report's or the timesheet's name as given
    MonthRange month;        // --check-month, --month
    QDate from, to;          // --from (included), --to (excluded)
    int productType = 0;     // --type: 0 all, 1 finished goods, 2 blanks
    QString pdf, xlsx;       // the file to write (one of them)
    QString database, server;
};

// A wrong argument, with the text that says which and why.
class BadArguments : public std::runtime_error {
public:
    explicit BadArguments(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// Reads the arguments after the program's name. Throws BadArguments.
Options parse(const QStringList& arguments);

// "2026-03" as a month, "01.11.2026" as a date; invalid when they do not
// read as one (a month 13, a 31st of February, another form).
MonthRange parseMonth(const QString& text);
QDate parseDate(const QString& text);

// Every option, in Russian.
QString helpText();

// Runs the command of `arguments` against the database they name; prints
// the findings or what was written to `out`, the failure to `err`.
// Answers the exit status.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace CommandLine
