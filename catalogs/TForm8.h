#pragma once
#include "catalogs/CatalogList.h"

class TDataModule6;
class TForm9;

// The operation kinds list ("Виды операций (8)"): the catalog of kinds,
// and the picker of the operation price editor (mode 1).
class TForm8 : public CatalogList {
    Q_OBJECT
public:
    TForm8(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    void setEditor(TForm9& editor) { m_editor = &editor; }

    // Edit1, the filter by the start of the name, shown only while the
    // list is a picker; Button1 Добавить, Button2 Изменить / Выбрать,
    // Button3 Удалить, Button4 Выход. As a picker it hands back the kind's
    // id and trimmed name.

    void Button1Click();
    void Button2Click();
    void Button3Click();

private:
    TDataModule6& m_dm;
    TForm9* m_editor = nullptr;
};
