#pragma once
#include "widgets/AppContext.h"
#include "db/Dataset.h"
#include "widgets/ExcelExporter.h"
#include "reports/TForm16.h"
#include "reports/TForm17.h"
#include "reports/TForm20.h"
#include "reports/TForm21.h"

#include <QDate>
#include <QDialog>
#include <functional>

class QDateEdit;
class QGroupBox;
class QPushButton;
class QRadioButton;
class TDataModule6;

// The summary reports window ("Отчеты (8)"): a period and a product type,
// the four printed summaries and the Excel table of the production by
// nomenclature group and operation kind.
class TForm18 : public QDialog {
    Q_OBJECT
public:
    TForm18(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);
    ~TForm18() override;

    // The printed layouts and the export's query.
    TForm16 Form16;   // Отчет по рабочим
    TForm17 Form17;   // Отчет по продукции
    TForm20 Form20;   // Детальный отчет по рабочим
    TForm21 Form21;   // Детальный отчет по продукции
    Dataset XLS_Rep;

    QGroupBox* RadioGroup1;          // Вид продукции: Все, Готовая продукция, Заготовки
    QRadioButton* RadioAll;
    QRadioButton* RadioFinished;
    QRadioButton* RadioBlanks;
    QGroupBox* GroupBox1;            // Период отбора
    QDateEdit* DTPicker1;            // с (included)
    QDateEdit* DTPicker2;            // по (excluded)
    QPushButton* Button4;            // Отчет по рабочим
    QPushButton* Button2;            // Отчет по продукции
    QPushButton* Button1;            // Детальный отчет по рабочим
    QPushButton* Button3;            // Детальный отчет по продукции
    QPushButton* Button6;            // Excel (N из M)
    QPushButton* Button5;            // Выход

    // The chosen item of "Вид продукции": 0 all, 1 finished goods, 2 blanks.
    int productType() const;
    void setProductType(int index);

    // The whole month before `today`: from its first day up to, and
    // excluding, the first day of today's month.
    static QDate previousMonthStart(const QDate& today);
    static QDate currentMonthStart(const QDate& today);
    // What the journal's menu item sets before showing the window.
    void setPreviousMonth(const QDate& today);

    ExcelExporter& exporter() { return m_excel; }
    // Where the preview saves a PDF; unset, the user is asked with a file
    // dialog. Tests answer it.
    std::function<QString(QWidget*)> askPdfFileName;

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button6Click();

public slots:
    void reject() override;

private:
    void showReport(ReportLayout& layout, const QString& caption);
    void exportProduction();

    AppContext m_ctx;
    TDataModule6& m_dm;
    ExcelExporter m_excel;
    bool m_exporting = false;
};
