#pragma once
#include "widgets/AppContext.h"
#include "ledger/LoginCodes.h"
#include "ledger/MonthClosing.h"
#include "ledger/MonthCheck.h"

#include <QDate>
#include <QDialog>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TDataModule6;

// The month check ("Проверка месяца"): every finding of a month that would
// make its pay wrong, in groups with their counts, each leading to the
// records behind it; the timesheet days that disagree re-posted at one
// press; the month closed and opened again.
class MonthCheckWindow : public QDialog {
    Q_OBJECT
public:
    MonthCheckWindow(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    // Selects the month of `date`, remembers the role, and checks the month.
    void prepare(const QDate& date, LoginRole role);

    // Where a double click on a finding leads: a shift record is shown in
    // the journal (the check closes first, see `pendingJournal`), a
    // maintenance record in the maintenance journal over the check.
    struct JournalPlace {
        QDate date;
        int shift = 1;
        qlonglong record = 0;
    };
    std::optional<JournalPlace> pendingJournal;
    std::function<void(const QDate&, qlonglong)> openMaintenance;
    // Today as the year list reads it (tests set another day).
    std::function<QDate()> today = [] { return QDate::currentDate(); };

    MonthRange selectedMonth() const;
    const MonthCheck::Result& result() const { return m_result; }

    QComboBox* ComboBox1;     // month
    QComboBox* ComboBox2;     // year
    QLabel* LabelClosed;      // "Месяц закрыт …"
    QPushButton* Button1;     // Проверить
    QLabel* LabelSummary;     // how many findings, or that there are none
    QTreeWidget* Tree1;       // the findings in their groups
    QPushButton* Button2;     // Исправить табель
    QPushButton* Button3;     // Закрыть месяц
    QPushButton* Button4;     // Открыть месяц
    QPushButton* Button5;     // Выход

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    // Opens what is behind a finding (a group's row does nothing); of a
    // record that its journal cannot show, tells where it is kept.
    void Tree1DblClick(QTreeWidgetItem* item);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showResult();
    void showState();
    // The month can be closed or opened by this user (told when not).
    bool mayChangeMonth(const MonthRange& month);
    // Asks `question`, then closes or opens the selected month.
    void changeMonth(const QString& caption, const QString& question,
                     MonthClosing::Outcome (*change)(TDataModule6&, int, int, LoginRole), const QString& unchanged);

    AppContext m_ctx;
    TDataModule6& m_dm;
    LoginRole m_role = LoginRole::None;
    MonthCheck::Result m_result;
};
