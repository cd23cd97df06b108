#pragma once
#include "ledger/LoginCodes.h"
#include "db/DbError.h"

#include <QString>
#include <optional>

class TDataModule6;

// Closed months: a month whose pay was computed is closed, and from then on
// nothing of the program writes into it (its shift and maintenance records,
// their acceptance, its timesheet rows, its average piece rates) until a
// user with full access opens it again.
//
// Every writer decides this inside its transaction, after the month's lock
// (DayPosting::lockMonth does it for every posting and rebuild); closing and
// opening take that lock exclusively, so a writer that found the month open
// has committed before the month closes.
namespace MonthClosing {

// "ноябрь 2026", as a sentence names the month.
QString monthText(int year, int month);

// When and from where a month was closed.
struct Closure {
    QString closedAt;   // "10.12.2026 14:05"
    QString closedBy;   // the computer it was closed from
};

// The refusal of a write into a closed month.
class ClosedMonthError : public DbError {
public:
    ClosedMonthError(int year, int month, const Closure& closure);
    int year() const { return m_year; }
    int month() const { return m_month; }

private:
    int m_year;
    int m_month;
};

// What a user is told when he tries to change something of a closed month.
QString refusalText(int year, int month, const Closure& closure);
// What a window shows while its month is closed ("Месяц закрыт …").
QString stateText(const Closure& closure);

// The month's closure as the database holds it now; none while it is open.
std::optional<Closure> closure(TDataModule6& dm, int year, int month);

// Throws ClosedMonthError when the month is closed. Called inside the
// writing transaction, after the month's lock.
void ensureOpen(TDataModule6& dm, int year, int month);

// Who may close and open months: full access only.
bool mayClose(LoginRole role);
QString notAllowedText();

enum class Outcome { Done, Unchanged };
// Closes the month (recording when and from where) or opens it, under the
// month's exclusive lock, in a transaction of its own. A role that may not
// throws DbError with notAllowedText(); a month already closed (or already
// open) answers Unchanged.
Outcome close(TDataModule6& dm, int year, int month, LoginRole role);
Outcome open(TDataModule6& dm, int year, int month, LoginRole role);

} // namespace MonthClosing
