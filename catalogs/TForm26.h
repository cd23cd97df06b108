#pragma once
#include "app/AppContext.h"
#include "catalogs/ListMode.h"
#include "db/Dataset.h"

#include <QDialog>

class DBGrid;
class QLineEdit;
class QPushButton;
class TDataModule6;
class TForm29;

// The nomenclature groups ("Номенклатура (26)"): the catalog of groups,
// and the picker of the maintenance record editor (mode 24).
class TForm26 : public QDialog {
    Q_OBJECT
public:
    TForm26(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    void setEditor(TForm29& editor) { m_editor = &editor; }

    int Tag = ListMode::Catalog;
    // The groups: classifier items of level 2, by name.
    Dataset item;

    DBGrid* DBGrid1;
    QPushButton* Button1;   // Удалить, never enabled
    QLineEdit* Edit1;       // filter: groups whose name begins with it
    QPushButton* Button2;   // Добавить
    QPushButton* Button3;   // Изменить / Выбрать
    QPushButton* Button4;   // Выход

    // What the journal's menu item does before and after showing the list.
    void prepareCatalog();
    void finishCatalog();
    // What the maintenance record editor does before and after showing the
    // list as its picker; `onPicked` receives the group's id and its name
    // as stored.
    void preparePicker(int mode, PickHandler onPicked);
    void finishPicker();
    // The three steps of a picker's opener: prepare, show modally, finish.
    int pick(int mode, PickHandler onPicked);

    // The id of the current group (0 when the list is empty).
    int currentId() const;

    void Button2Click();
    void Button3Click();
    void Edit1Change();

private:
    AppContext m_ctx;
    TDataModule6& m_dm;
    TForm29* m_editor = nullptr;
    PickHandler m_onPicked;
};
