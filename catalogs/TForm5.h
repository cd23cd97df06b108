#pragma once
#include "catalogs/CatalogList.h"

class TDataModule6;
class TForm2;

// The workers list ("Список рабочих"): the catalog of workers, and the
// picker of the shift record editor (mode 1) and of the maintenance
// record editor (mode 24).
class TForm5 : public CatalogList {
    Q_OBJECT
public:
    TForm5(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    void setEditor(TForm2& editor) { m_editor = &editor; }

    // Button1 Добавить, Button2 Изменить / Выбрать, Button3 Удалить, then
    // Edit1, the filter by the start of the name, and Button4 Выход. As a
    // picker it hands back the worker's id and trimmed name.

    void Button1Click();
    void Button2Click();
    void Button3Click();

private:
    void changeWorker();

    TDataModule6& m_dm;
    TForm2* m_editor = nullptr;
};
