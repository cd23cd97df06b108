#pragma once
#include "widgets/AppContext.h"
#include "ledger/LoginCodes.h"
#include "db/Dataset.h"

#include <QDate>
#include <QDialog>
#include <functional>

class DBGrid;
class QCheckBox;
class QDateEdit;
class QLabel;
class QPushButton;
class TDataModule6;
class TForm24;

// The maintenance works journal ("Хоз. работы (25)"): the maintenance and
// average-piecework records of one day. Records are added and changed in
// the maintenance record editor and deleted here; "Расчитать ср.сд." sets
// the month's average piece rates.
class TForm25 : public QDialog {
    Q_OBJECT
public:
    TForm25(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    void setEditor(TForm24& editor) { m_editor = &editor; }

    // The day's records (parameter :d_date).
    Dataset fatigue;

    DBGrid* DBGrid1;
    QPushButton* Button5;    // Добавить
    QPushButton* Button6;    // Изменить
    QPushButton* Button7;    // Удалить
    QDateEdit* DTPcker1;
    QPushButton* Button1;    // Расчитать ср.сд.
    QCheckBox* CBox1;        // Выходной
    QLabel* LabelClosed;     // "Месяц закрыт …"
    QPushButton* Button8;    // Выход

    // What the daily journal's "Ср.сд./хоз. работы" sets before showing it:
    // the date, without the date handler (so "Выходной" keeps its state),
    // and what the logged-in role may do here; `record`, when given, is
    // made current once the day is read.
    void prepareOpen(const QDate& date, LoginRole role, qlonglong record = 0);

    void FormActivate();
    void DTPcker1Change();
    void CBox1Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button1Click();
    // Re-reads the list for the picked day and stays on the same row number.
    void reread();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Shows the editor prepared by `prepare`; the list is re-read afterwards.
    void runEditor(const std::function<void()>& prepare);
    void showMonthState();
    bool refuseClosedMonth();

    AppContext m_ctx;
    TDataModule6& m_dm;
    TForm24* m_editor = nullptr;
    qlonglong m_focusRecord = 0;
};
