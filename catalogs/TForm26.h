#pragma once
#include "catalogs/CatalogList.h"
#include "db/Dataset.h"

class TDataModule6;
class TForm29;

// The nomenclature groups ("Номенклатура (26)"): the catalog of groups,
// and the picker of the maintenance record editor (mode 24).
class TForm26 : public CatalogList {
    Q_OBJECT
public:
    TForm26(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    void setEditor(TForm29& editor) { m_editor = &editor; }

    // The groups: classifier items of level 2, by name.
    Dataset item;

    // Button1 Удалить, never enabled; Edit1, the filter by the start of
    // the name; Button2 Добавить, Button3 Изменить / Выбрать, Button4 Выход.
    // As a picker it hands back the group's id and its name as stored.

    // The id of the current group (0 when the list is empty).
    qlonglong currentId() const;

    void Button2Click();
    void Button3Click();

private:
    TDataModule6& m_dm;
    TForm29* m_editor = nullptr;
};
