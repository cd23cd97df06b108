#pragma once
#include "widgets/AppContext.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTimer;
class TForm1;

// The login window ("Авторизация"): takes the code, sets the role's
// enabled states and runs the journal. Closing it ends the program.
class TForm23 : public QDialog {
    Q_OBJECT
public:
    TForm23(const AppContext& context, TForm1& journal, QWidget* parent = nullptr);

    // The summary reports window, once it exists, is handed over here.
    void setReportsWindow(QDialog* reports) { m_reports = reports; }

    QLineEdit* Edit1;
    QPushButton* Button1;   // Вход
    QPushButton* Button2;   // Отмена
    QTimer* Timer1;         // ends an outdated program

    void FormActivate();
    void Button1Click();
    void Button2Click();
    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    AppContext m_ctx;
    TForm1& m_journal;
    QDialog* m_reports = nullptr;
};
