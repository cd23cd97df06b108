#pragma once
#include "app/AppContext.h"
#include "catalogs/ListMode.h"
#include "db/Dataset.h"

#include <QDate>
#include <QDialog>
#include <functional>

class DBGrid;
class QLineEdit;
class QPushButton;
class TDataModule6;
class TForm7;

// The products list ("Изделия (3)"): the catalog of products, and the
// picker of the operation price editor (mode 1).
class TForm3 : public QDialog {
    Q_OBJECT
public:
    TForm3(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    void setEditor(TForm7& editor) { m_editor = &editor; }

    int Tag = ListMode::Catalog;
    // Today's date as the delete reads it (tests set another day).
    std::function<QDate()> today = [] { return QDate::currentDate(); };

    // The counts the delete asks about.
    Dataset Izdel_Smena;
    Dataset ii_oper;

    DBGrid* DBGrid1;
    QPushButton* Button1;   // Добавить
    QPushButton* Button2;   // Изменить / Выбрать
    QPushButton* Button3;   // Удалить
    QPushButton* Button4;   // Выход
    QLineEdit* Edit1;       // filter: products whose mark begins with it

    // What the journal's menu item does before and after showing the list.
    void prepareCatalog();
    void finishCatalog();
    // What the price editor does before and after showing the list as its
    // picker; `onPicked` receives the product's id and trimmed mark.
    void preparePicker(int mode, PickHandler onPicked);
    void finishPicker();
    // The three steps of a picker's opener: prepare, show modally, finish.
    int pick(int mode, PickHandler onPicked);

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Edit1Change();
    void FormActivate();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void changeProduct();

    AppContext m_ctx;
    TDataModule6& m_dm;
    TForm7* m_editor = nullptr;
    PickHandler m_onPicked;
};
