#pragma once
#include "catalogs/CatalogList.h"
#include "db/Dataset.h"

#include <QDate>
#include <functional>

class TDataModule6;
class TForm7;

// The products list ("Изделия (3)"): the catalog of products, and the
// picker of the operation price editor (mode 1).
class TForm3 : public CatalogList {
    Q_OBJECT
public:
    TForm3(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    void setEditor(TForm7& editor) { m_editor = &editor; }

    // Today's date as the delete reads it (tests set another day).
    std::function<QDate()> today = [] { return QDate::currentDate(); };

    // The counts the delete asks about.
    Dataset Izdel_Smena;
    Dataset ii_oper;

    // Button1 Добавить, Button2 Изменить / Выбрать, Button3 Удалить,
    // Button4 Выход; Edit1 filters by the start of the mark. As a picker
    // it hands back the product's id and trimmed mark.

    void Button1Click();
    void Button2Click();
    void Button3Click();

private:
    void changeProduct();

    TDataModule6& m_dm;
    TForm7* m_editor = nullptr;
};
