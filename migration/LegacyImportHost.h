#pragma once
#include "db/Command.h"
#include "db/Database.h"
#include "ledger/LegacyImport.h"

#include <QObject>

class DialogService;
class QLabel;
class QWidget;

// The journal's hidden maintenance items: the import from the legacy
// database and the fixed statement "Структура БД". Holds the import's two
// connections, which stay open once opened, and the hidden progress label
// it places on the journal window.
class LegacyImportHost : public QObject {
    Q_OBJECT
public:
    // `main` is the program's connection; `window` the journal, which owns
    // the label and parents the error boxes.
    LegacyImportHost(Database& main, DialogService& dialogs, QWidget* window);
    ~LegacyImportHost() override;

    Database MSA;     // "Tabel": the legacy database
    Database PGSQL;   // "Tabel_PgSQL": the workshop's database, written in one transaction
    Command DB_struct;
    QLabel* Label1;   // hidden; the progress text of the import

    // "Импорт": copies the legacy tables; an error is shown after
    // everything was rolled back. Answers true when the import committed.
    bool N12Click();
    // "Структура БД": runs its stored statement; its error is ignored.
    void N16Click();

    // What the last successful import wrote.
    const ImportReport& lastReport() const { return m_lastReport; }
    // Rows per insert statement (tests make it small).
    void setBatchSize(int rows) { m_batchSize = rows; }

private:
    Database& m_main;
    DialogService& m_dialogs;
    QWidget* m_window;
    ImportReport m_lastReport;
    int m_batchSize = 0;
};
