#pragma once
#include "widgets/AppContext.h"
#include "widgets/ListMode.h"
#include "db/Dataset.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class TDataModule6;

// The product editor ("Изделие"): adds a product or changes one.
class TForm7 : public QDialog {
    Q_OBJECT
public:
    TForm7(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    int Tag = EditorMode::New;   // 1 new product, 2 change of productId
    qlonglong productId = 0;

    // The groups the list cb_item offers: classifier items of level 2.
    Dataset Item;

    QGroupBox* GroupBox1;   // Данные об изделии
    QLineEdit* Edit1;       // Марка
    QLineEdit* Edit2;       // Расценка: digits and one decimal point
    QComboBox* cb_item;     // the nomenclature group
    QPushButton* Button1;   // Записать
    QPushButton* Button2;   // Отмена

    // Opens and closes the group table; the group chosen last stays chosen.
    void openGroups();
    void closeGroups();
    // Chooses the group with `id` (none for 0 or an unknown id).
    void selectGroup(qlonglong id);
    // The chosen group's id; 0 when none is chosen.
    qlonglong groupId() const;

    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    AppContext m_ctx;
    TDataModule6& m_dm;
    qlonglong m_groupId = 0;
};
