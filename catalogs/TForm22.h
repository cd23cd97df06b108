#pragma once
#include "widgets/AppContext.h"
#include "db/Dataset.h"

#include <QDialog>

class DBGrid;
class NormCellDelegate;
class QPushButton;
class TDataModule6;

// The norms of one operation ("Норматив"): standard quantity, price and
// bonus per norm, edited in place in the grid. The lowest norm price is the
// operation's price in the operations list.
class TForm22 : public QDialog {
    Q_OBJECT
public:
    TForm22(const AppContext& context, TDataModule6& dm, QWidget* parent = nullptr);

    // The norm rows of the operation being edited, sorted by norma; a new
    // row is written with the operation's id.
    Dataset norm;

    DBGrid* DBGrid1;
    QPushButton* Button1;   // Сохранить (also Enter and Esc)
    QPushButton* Button2;   // Удалить

    // Whether the row being edited was started as a new row.
    bool newRow = false;
    // The operation whose norms are shown.
    int operationId = 0;

    // What the operations list does before showing the window.
    void openFor(int operation);

    void Button1Click();
    void Button2Click();
    // Entering the grid: an empty list starts a new row.
    void DBGrid1ColEnter();
    // Leaving a cell: a changed row is saved, a new one with the operation's id.
    void DBGrid1ColExit();
    // Starts a new row at the end of the grid (Down on the last row, Insert).
    void appendRow();
    // A value typed into a cell of the grid (row counted from 0).
    void commitCell(int row, const QString& field, const QString& text);
    // Whether the current row holds typed values not yet written (a value
    // the database refused stays so until it is put right).
    bool rowPending() const;
    // Whether the last value typed into a cell was refused (the window
    // then stays open on it).
    bool cellRefused() const { return m_cellRefused; }

    // A price as the grid shows it: "#0.00#" with the locale's separator.
    static QString priceText(const QVariant& value);

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Before the current row may change: the open cell is written, and a
    // new row nothing was typed into is dropped (answers true then).
    bool settleRow();
    // Before another row becomes current: a pending row is written; answers
    // false, the row staying current, when it is refused again.
    bool leaveRow();

    AppContext m_ctx;
    TDataModule6& m_dm;
    NormCellDelegate* m_delegate;
    bool m_rowTouched = false;
    bool m_committing = false;
    bool m_cellRefused = false;
};
