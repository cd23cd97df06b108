#pragma once
#include "widgets/AppContext.h"
#include "widgets/ListMode.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;
class TDataModule6;
class TForm26;

// The group editor ("Ведение групп (29)"): adds a nomenclature group or
// renames the groups list's current one.
class TForm29 : public QDialog {
    Q_OBJECT
public:
    TForm29(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    void setList(TForm26& list) { m_list = &list; }

    int Tag = EditorMode::New;   // 1 new group, 2 rename of the list's current group

    QGroupBox* GroupBox1;        // Номенклатурная группа
    QLineEdit* Edit1;            // Наименование
    QPushButton* Button1;        // Записать
    QPushButton* Button6;        // Выход

    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    AppContext m_ctx;
    TDataModule6& m_dm;
    TForm26* m_list = nullptr;
};
