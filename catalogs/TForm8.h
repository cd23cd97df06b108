#pragma once
#include "app/AppContext.h"
#include "catalogs/ListMode.h"

#include <QDialog>

class DBGrid;
class QLineEdit;
class QPushButton;
class TDataModule6;
class TForm9;

// The operation kinds list ("Виды операций (8)"): the catalog of kinds,
// and the picker of the operation price editor (mode 1).
class TForm8 : public QDialog {
    Q_OBJECT
public:
    TForm8(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    void setEditor(TForm9& editor) { m_editor = &editor; }

    int Tag = ListMode::Catalog;

    DBGrid* DBGrid1;
    QLineEdit* Edit1;       // filter, shown only while the list is a picker
    QPushButton* Button1;   // Добавить
    QPushButton* Button2;   // Изменить / Выбрать
    QPushButton* Button3;   // Удалить
    QPushButton* Button4;   // Выход

    // What the journal's menu item does before and after showing the list.
    void prepareCatalog();
    void finishCatalog();
    // What the price editor does before and after showing the list as its
    // picker; `onPicked` receives the kind's id and trimmed name.
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
    AppContext m_ctx;
    TDataModule6& m_dm;
    TForm9* m_editor = nullptr;
    PickHandler m_onPicked;
};
