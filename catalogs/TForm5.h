#pragma once
#include "app/AppContext.h"
#include "catalogs/ListMode.h"

#include <QDialog>

class DBGrid;
class QLineEdit;
class QPushButton;
class TDataModule6;
class TForm2;

// The workers list ("Список рабочих"): the catalog of workers, and the
// picker of the shift record editor (mode 1) and of the maintenance
// record editor (mode 24).
class TForm5 : public QDialog {
    Q_OBJECT
public:
    TForm5(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    void setEditor(TForm2& editor) { m_editor = &editor; }

    int Tag = ListMode::Catalog;

    DBGrid* DBGrid1;
    QPushButton* Button1;   // Добавить
    QPushButton* Button2;   // Изменить / Выбрать
    QPushButton* Button3;   // Удалить
    QLineEdit* Edit1;       // filter: workers whose name begins with it
    QPushButton* Button4;   // Выход

    // What the journal's menu item does before and after showing the list.
    void prepareCatalog();
    void finishCatalog();
    // What an editor does before and after showing the list as its picker;
    // `onPicked` receives the chosen worker's id and trimmed name.
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
    void changeWorker();

    AppContext m_ctx;
    TDataModule6& m_dm;
    TForm2* m_editor = nullptr;
    PickHandler m_onPicked;
};
