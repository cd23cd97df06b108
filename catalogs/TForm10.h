#pragma once
#include "widgets/AppContext.h"
#include "widgets/ListMode.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TDataModule6;
class TForm3;
class TForm8;

// The operation price editor: creates an operation (a product, an operation
// kind and a product type) or changes the three parts of the current row of
// the operations query, refusing a second operation with the same parts.
class TForm10 : public QDialog {
    Q_OBJECT
public:
    TForm10(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    void setPickers(TForm3& products, TForm8& kinds);

    int Tag = EditorMode::New;   // 1 new operation, otherwise a change of the current one
    int productId = 0;           // selected product
    int kindId = 0;              // selected operation kind
    // The operation the last save created (0 when it changed one or failed).
    int createdOperation = 0;

    QGroupBox* GroupBox1;        // Цена операции
    QLabel* Label1;              // Марка изделия
    QLineEdit* Edit1;
    QPushButton* Button3;        // ... products
    QLabel* Label2;              // Операция
    QLineEdit* Edit2;
    QPushButton* Button4;        // ... operation kinds
    QLabel* Label3;              // Вид
    QComboBox* ComboBox1;        // product type
    QPushButton* Button1;        // Записать
    QPushButton* Button2;        // Отмена

    void Button1Click();
    void Button3Click();
    void Button4Click();
    void FormActivate();

protected:
    void showEvent(QShowEvent* event) override;

private:
    AppContext m_ctx;
    TDataModule6& m_dm;
    TForm3* m_products = nullptr;
    TForm8* m_kinds = nullptr;
};
