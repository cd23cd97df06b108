#pragma once
#include "widgets/AppContext.h"
#include "db/DatasetModel.h"
#include "widgets/ExcelExporter.h"
#include "ledger/MonthRange.h"
#include "timesheets/TForm15.h"

#include <QDate>
#include <QDialog>
#include <functional>

class DBGrid;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class TDataModule6;
class TForm1;

// The shift timesheet ("Табель по времени"): one page per shift with every
// worker's hours per day of the month, the month rebuilt from the shift
// records, the month's summary printed and exported to a workbook.
class TForm19 : public QDialog {
    Q_OBJECT
public:
    TForm19(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);
    ~TForm19() override;

    // The menu item "Табель по сменам": prepared from the journal's date,
    // shown, and the shift queries closed when it returns.
    void openFrom(TForm1& journal);
    // Selects the month and year of `date` and reads the month.
    void prepare(const QDate& date);
    void finish();

    MonthRange selectedMonth() const;
    const QVector<DayColumnLook>& dayLooks() const { return m_looks; }

    // The look of one day cell: `look` of its column, `value` its hours.
    static CellStyle DBGrid1DrawColumnCell(const DayColumnLook& look, const QVariant& value);

    void FormActivate();
    void ComboBox1Change();
    void Button1Click();   // Перестроить
    void Button2Click();   // Excel
    void Button5Click();   // Обновить
    void Button6Click();   // Печать

    ExcelExporter& exporter() { return m_excel; }
    TForm15 Form15;
    // Where the preview saves a PDF; unset, the user is asked. Tests answer it.
    std::function<QString(QWidget*)> askPdfFileName;
    // Today as the year list reads it (tests set another day).
    std::function<QDate()> today = [] { return QDate::currentDate(); };

    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    DBGrid* DBGrid1;
    DBGrid* DBGrid2;
    DBGrid* DBGrid3;
    QPushButton* Button1;   // Перестроить
    QProgressBar* PB;
    QPushButton* Button2;   // Excel
    QComboBox* ComboBox1;   // month
    QComboBox* ComboBox2;   // year
    QLabel* LabelClosed;    // "Месяц закрыт …"
    QPushButton* Button5;   // Обновить
    QPushButton* Button6;   // Печать
    QPushButton* Button4;   // Выход

    DBGrid* grid(int shift) const;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillYears(int year);
    void openShifts();
    void closeShifts();
    void applyLooks();
    void exportMonth();
    void openPrintQuery();

    AppContext m_ctx;
    TDataModule6& m_dm;
    ExcelExporter m_excel;
    QVector<DayColumnLook> m_looks;
    bool m_busy = false;
};
