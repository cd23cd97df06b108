#pragma once
#include "widgets/AppContext.h"
#include "db/Dataset.h"
#include "ledger/MaintenanceEntry.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TDataModule6;
class TForm25;
class TForm26;
class TForm5;

// The maintenance record editor ("Хоз. работы/среднесдельная (24)"): hours
// of one worker on one day of maintenance work or average piecework, for
// one nomenclature group, at the kind's hourly price with the day-off and
// night factors. It writes the record, posts the worker's day into his
// typed timesheet row and re-reads the journal's list.
class TForm24 : public QDialog {
    Q_OBJECT
public:
    TForm24(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    // The journal whose date, "Выходной" and list the editor uses, and the
    // two lists it picks from.
    void setPeers(TForm25& journal, TForm5& workers, TForm26& groups);

    int Tag = MaintenanceEntry::Add;
    qlonglong groupId = 0;     // a nomenclature group: a 15-digit key
    int workerId = 0;
    int recordId = 0;          // the record being changed

    // The kinds with their norm prices; open while the editor is shown.
    Dataset type_work;

    QGroupBox* GroupBox1;      // Закрыто мастером
    QLabel* Label1;            // ФИО
    QLineEdit* Edit1;
    QPushButton* Button3;      // ... workers
    QLabel* Label2;            // Номенклатура
    QLineEdit* Edit2;
    QPushButton* Button4;      // ... groups
    QLabel* Label3;            // Работа
    QComboBox* cb_type_work;
    QLabel* Label4;            // Кол-во
    QLineEdit* Edit6;          // hours
    QLabel* Label5;            // ч.    Цена
    QLineEdit* DBEdit1;        // the kind's norm price
    QLabel* Label6;            // р.    Сумма
    QLineEdit* DBEdit2;        // the record's price times the hours
    QCheckBox* CBox1;          // Ночные
    QPushButton* Button1;      // Записать
    QPushButton* Button6;      // Выход

    // What the journal's "Добавить" and "Изменить" set before showing it,
    // and what it does after the editor closed.
    void prepareNew();
    void prepareChange(const Dataset& row);
    void finish();

    void Button1Click();
    void Button3Click();
    void Button4Click();
    // "Цена" and "Сумма" for the chosen kind, the hours and the marks.
    void refreshPrices();

    // The chosen kind (nullptr when none is chosen).
    const MaintenanceEntry::Kind* chosenKind() const;
    // The price of one hour as it would be written now, if the kind has one.
    std::optional<qint64> recordPriceUnits() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Validated input written with its posting, committed when it returns.
    void save();

    AppContext m_ctx;
    TDataModule6& m_dm;
    TForm25* m_journal = nullptr;
    TForm5* m_workers = nullptr;
    TForm26* m_groups = nullptr;
    QVector<MaintenanceEntry::Kind> m_kinds;
};
