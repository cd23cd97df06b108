#pragma once
#include "ledger/MonthRebuild.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class DialogService;
class QBoxLayout;
class QComboBox;
class QLabel;
class QProgressBar;
class QWidget;

// The controls the month timesheets share.
namespace MonthControls {

struct MonthChoice {
    QComboBox* month;   // "Январь" .. "Декабрь"
    QComboBox* year;
    QLabel* closed;     // "Месяц закрыт …", hidden while the month is open
};
// "Месяц:" with the month list and "Год:" with an empty year list, each
// label the buddy of its list, and the closed month's label, as one row
// appended to `layout`.
MonthChoice addMonthChoice(QWidget* owner, QBoxLayout* layout, const char* monthName, const char* yearName);

// The year list: from 2007 up to the year after `thisYear`; a year outside
// that range (an old journal date) is added in its place.
void fillYears(QComboBox* years, int year, int thisYear);

// The hidden progress bar of a rebuild (minimum and position 1), appended to `row`.
QProgressBar* addRebuildProgress(QWidget* owner, QBoxLayout* row);

// Runs a month rebuild with the hourglass and the progress bar shown, one
// step of the bar per day of the month; an error is shown. Answers whether
// the rebuild went through.
using Rebuild = void (*)(TDataModule6&, const MonthRange&, const MonthRebuild::Progress&);
bool runRebuild(Rebuild rebuild, TDataModule6& dm, const MonthRange& month, QProgressBar* bar, DialogService& dialogs,
                QWidget* parent);

// Disables the given controls while an export walks its query (the window
// keeps handling events then), and enables them again when it ends.
class DisabledWhile {
public:
    explicit DisabledWhile(std::initializer_list<QWidget*> controls);
    ~DisabledWhile();
    DisabledWhile(const DisabledWhile&) = delete;
    DisabledWhile& operator=(const DisabledWhile&) = delete;

private:
    QList<QPointer<QWidget>> m_controls;
};

} // namespace MonthControls
