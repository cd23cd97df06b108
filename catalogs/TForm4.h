#pragma once
#include "widgets/AppContext.h"
#include "widgets/ListMode.h"
#include "db/Dataset.h"
#include "widgets/ExcelExporter.h"

#include <QDialog>
#include <functional>

class DBGrid;
class QCheckBox;
class QLineEdit;
class QPushButton;
class TDataModule6;
class TForm10;
class TForm22;

// The operation a picker hands back: the current row of the operations
// query as the shift record editor needs it.
struct OperationChoice {
    int id = 0;             // operation
    int productId = 0;
    double listPrice = 0;   // the lowest norm price
    bool hasPrice = false;  // false while no norm of the operation has a price
    QString productMark;    // read again from the products
    QString kind;
    int productType = 0;    // 0 finished goods, 1 blanks

    // "mark; kind; product type", as the editor shows the operation.
    QString text() const;
};
using OperationPickHandler = std::function<void(const OperationChoice&)>;

// "Готовая продукция" for product type 0, "Заготовки" otherwise.
QString productTypeText(int naimen);

// The operations list ("Операции"): the catalog of operations with their
// lowest norm price and number of norms, and the operation picker of the
// shift record editor (mode 1).
class TForm4 : public QDialog {
    Q_OBJECT
public:
    TForm4(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    void setEditors(TForm10& priceEditor, TForm22& norms);

    int Tag = ListMode::Catalog;

    // The price list: every operation with its own price column.
    Dataset XLS_Rep;
    ExcelExporter Excel;

    DBGrid* DBGrid1;
    QLineEdit* Edit1;        // filter: operations whose product mark contains it
    QPushButton* Button1;    // Добавить
    QPushButton* Button2;    // Изменить / Выбрать
    QPushButton* Button3;    // Удалить
    QPushButton* Button4;    // Выход
    QPushButton* Button5;    // Excel
    QCheckBox* CheckBox1;    // Цены

    // What the journal's menu item does before and after showing the list.
    void prepareCatalog();
    void finishCatalog();
    // What the shift record editor does before and after showing the list
    // as its picker: the list stands on `operationId` (the first row when 0
    // or not listed) and hands the chosen operation to `onPicked`.
    void preparePicker(int mode, int operationId, OperationPickHandler onPicked);
    void finishPicker();
    int pick(int mode, int operationId, OperationPickHandler onPicked);

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button5Click();
    void DBGrid1DblClick();
    void Edit1Change();
    void FormActivate();
    // Opens the norms of an operation.
    void openNorms(int operationId);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void changeOperation();
    void exportPriceList();

    AppContext m_ctx;
    TDataModule6& m_dm;
    TForm10* m_priceEditor = nullptr;
    TForm22* m_norms = nullptr;
    OperationPickHandler m_onPicked;
};
