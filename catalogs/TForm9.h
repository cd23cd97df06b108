#pragma once
#include "widgets/AppContext.h"
#include "widgets/ListMode.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;
class TDataModule6;

// The operation kind editor: adds a kind or renames the current row of the
// shared kinds query, refusing a name another kind has in any letter case.
class TForm9 : public QDialog {
    Q_OBJECT
public:
    TForm9(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    int Tag = EditorMode::New;   // 1 new kind, otherwise a change of the current kind

    QGroupBox* GroupBox1;        // Вид операции
    QLineEdit* Edit1;            // Операция
    QPushButton* Button1;        // Записать
    QPushButton* Button2;        // Отмена

    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    AppContext m_ctx;
    TDataModule6& m_dm;
};
