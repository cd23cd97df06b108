#pragma once
#include "widgets/AppContext.h"
#include "widgets/ListMode.h"
#include "db/Command.h"

#include <QDate>
#include <QDialog>
#include <functional>
#include <optional>

class Dataset;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TDataModule6;
class TForm1;
class TForm4;
class TForm5;

// The shift record editor: creates a shift record of the journal's current
// shift, or changes the journal's current record. The worker and the
// operation are picked from their lists; the price comes from the
// operation's list price and the day-off and shift factors.
class TForm11 : public QDialog {
    Q_OBJECT
public:
    TForm11(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    // The journal whose shift, shift query and day-off box the editor reads,
    // and the two lists it picks from.
    void setPeers(TForm1& journal, TForm5& workers, TForm4& operations);

    int Tag = EditorMode::New;   // 1 new record, otherwise a change of the journal's current one
    int workerId = 0;
    int operationId = 0;
    int productId = 0;
    int recordId = 0;            // the record being changed
    double finalPrice = 0;       // the price to write, factors included
    // The list price of the record's operation or of the one picked ("Цена база").
    std::optional<double> listPrice;
    // Today's date, the entry date of a saved record (tests set another day).
    std::function<QDate()> today = [] { return QDate::currentDate(); };

    Command SmenaIU;             // the insert or update of a save

    QGroupBox* GroupBox1;        // Закрыто мастером
    QLabel* Label1;              // ФИО
    QLineEdit* Edit1;
    QPushButton* Button3;        // ... workers
    QLabel* Label2;              // Операция
    QLineEdit* Edit2;
    QPushButton* Button4;        // ... operations
    QLabel* Label3;              // Кол-во
    QLineEdit* Edit3;
    QLabel* Label5;              // Время
    QLineEdit* Edit6;
    QLabel* Label6;              // Цвет
    QLineEdit* Edit5;
    QLabel* Label7;              // Дата
    QDateEdit* DTimeP;
    QLabel* Label4;              // Брак
    QLineEdit* Edit4;
    QLabel* Label8;              // Цена база
    QLineEdit* Edit8;
    QLabel* Label9;              // Цена итог
    QLineEdit* Edit7;
    QLabel* Label10;             // Сумма
    QLineEdit* Edit9;
    QPushButton* Button1;        // Запись
    QPushButton* Button2;        // Отмена

    // What the journal's "Добавить" and "Изменить" set before showing it.
    void prepareNew(const QDate& date);
    void prepareChange(const Dataset& row);

    void Button1Click();
    void Button3Click();
    void Button4Click();
    void Edit3Exit();
    void Edit6Exit();
    void FormActivate();
    // "Цена итог", "Цена база" and "Сумма" from the price and quantity.
    void refreshPrices();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setPainting(bool painting);
    // Validated input written with its posting; false when refused.
    bool save();

    AppContext m_ctx;
    TDataModule6& m_dm;
    TForm1* m_journal = nullptr;
    TForm5* m_workers = nullptr;
    TForm4* m_operations = nullptr;
    // Whether the final price is a price: false after picking an operation
    // none of whose norms has one.
    bool m_priced = true;
    // Whether the final price is the stored price of the record changed.
    bool m_storedPrice = false;
};
