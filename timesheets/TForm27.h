#pragma once
#include "widgets/AppContext.h"
#include "db/Dataset.h"
#include "ledger/MonthRange.h"

#include <QDate>
#include <QDialog>
#include <functional>

class DBGrid;
class ExcelExporter;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class TDataModule6;
class TForm1;

// The monthly pay timesheet: per worker (and, for maintenance work and
// average piecework, per night mark) the hours of every day, the month's
// hours, pay and pay of one hour, in four variants, with the workshop's pay
// totals of the month underneath.
class TForm27 : public QDialog {
    Q_OBJECT
public:
    enum Mode { Piece = 9, Maintenance = 14, Average = 15, Total = 17 };

    TForm27(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);
    ~TForm27() override;

    // A menu item of "Табель": the variant prepared, shown, and its query
    // and the year list closed when it returns.
    void openVariant(Mode mode, TForm1& journal);
    void prepare(Mode mode);
    void finish();

    Mode mode() const { return m_mode; }
    Dataset& query() const { return *m_query; }
    // The selected month. Its year is the year list's key: the chosen year,
    // or, while the list shows none (no timesheet rows of that year yet),
    // today's year as the opening set it; 0 before the first opening.
    MonthRange selectedMonth() const;
    // Width of the name column as the opening made it.
    int openingNameWidth() const { return m_nameWidth; }

    void FormActivate();
    void FormClose();
    void ComboBox1Change();
    void Button2Click();   // Excel
    void Button3Click();   // Перестроить
    void Button5Click();   // Обновить

    Dataset H_Tabel0, H_Tabel7777, H_Tabel7778, H_Tabel_all;
    Dataset price, price7, price8, all_price;
    Dataset q_year;

    DBGrid* DBGrid1;
    QComboBox* ComboBox1;   // month
    QComboBox* cb_year;     // year, over q_year
    QLabel* LabelClosed;    // "Месяц закрыт …"
    QLabel* Label1;         // Ср. сдел.:
    QLabel* Label2;         // Хоз. работы:
    QLabel* Label3;         // Сделка:
    QLabel* Label4;         // Итого:
    QLabel* DBText1;        // price8
    QLabel* DBText2;        // price7
    QLabel* DBText3;        // price
    QLabel* DBText4;        // all_price
    QPushButton* Button2;   // Excel
    QPushButton* Button5;   // Обновить
    QPushButton* Button3;   // Перестроить
    QProgressBar* PB;
    QPushButton* Button1;   // Выход

    // Today as the opening reads it (tests set another day).
    std::function<QDate()> today = [] { return QDate::currentDate(); };
    // Each export makes an exporter of its own; tests set its folder and opener here.
    std::function<void(ExcelExporter&)> prepareExporter;
    const QString& lastExportFile() const { return m_lastFile; }

    // Grid column of a field; -1 when there is none.
    int column(const QString& field) const;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void setLayoutFor(Mode mode);
    void openFooters(const MonthRange& month);
    void applyDays(const MonthRange& month);
    void exportLines();

    AppContext m_ctx;
    TDataModule6& m_dm;
    Mode m_mode = Piece;
    Dataset* m_query;
    int m_nameWidth = 208;
    int m_yearKey = 0;      // today's year, kept while the year list shows no year
    QVector<DayColumnLook> m_looks;
    QString m_lastFile;
    bool m_busy = false;
};
