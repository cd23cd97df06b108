#pragma once
#include "widgets/AppContext.h"
#include "widgets/ListMode.h"
#include "db/Command.h"
#include "db/Dataset.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class TDataModule6;

// The worker editor ("Работники"): adds a worker or changes one.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    TForm2(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    int Tag = EditorMode::New;   // 1 new worker, 2 change of workerId
    int workerId = 0;

    QGroupBox* GroupBox1;        // Данные о работнике
    QLineEdit* Edit1;            // ФИО
    QComboBox* LCB_department;   // Подразделение
    QComboBox* LCB_staffpos;     // Должность
    QComboBox* LCB_roles;        // Роль
    QPushButton* Button1;        // Записать
    QPushButton* Button2;        // Отмена

    // The statements of the editor and of the workers list.
    Command cmd_person;
    // The lookup tables of the three lists.
    Dataset Departments;
    Dataset Staffpos;
    Dataset Roles;

    // Re-reads the lookup tables (positions, roles, departments); each list
    // keeps the entry chosen in it when that entry is still there.
    void reopenLookups();
    // Chooses in each list the entry that shows what a worker holds as his
    // position (a new worker: none); the position list shows nothing when
    // no position matches, and the stored text is then kept.
    void preselect(const QString& position);
    // What is stored as the worker's position: the entry chosen in
    // "Должность", or the worker's stored text while none is chosen.
    QString positionText() const;

    void Button1Click();
    void FormActivate();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppContext m_ctx;
    TDataModule6& m_dm;
    QString m_keptPosition;
};
