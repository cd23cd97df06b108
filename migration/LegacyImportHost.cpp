#include "migration/LegacyImportHost.h"
#include "widgets/DialogService.h"
#include "widgets/WindowUtil.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QWidget>

LegacyImportHost::LegacyImportHost(Database& main, DialogService& dialogs, QWidget* window)
    : QObject(window),
      DB_struct(main, QStringLiteral("delete from accounts_dep.fatigue where f.id_nom =47")),
      Label1(new QLabel(QStringLiteral("Label1"), window)),
      m_main(main),
      m_dialogs(dialogs),
      m_window(window)
{
    setObjectName(QStringLiteral("LegacyImport"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->hide();
}

LegacyImportHost::~LegacyImportHost() = default;

bool LegacyImportHost::N12Click()
{
    return m_dialogs.guarded(m_window, [this] {
        WindowUtil::WaitCursor wait;
        openLegacyConnections(MSA, PGSQL);
        LegacyImport import(MSA, PGSQL, m_main);
        if (m_batchSize > 0)
            import.setBatchSize(m_batchSize);
        import.onProgress = [this](const QString& source, int copied, int total) {
            Label1->setText(LegacyImport::progressText(source, copied, total));
        };
        // The window repaints while the import runs, but takes no input:
        // an action of the journal would wait for the rows the import's
        // open transaction holds, in the same thread.
        import.keepResponsive = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
        m_lastReport = import.run();
    });
}

void LegacyImportHost::N16Click()
{
    try {
        DB_struct.execute();
    } catch (const std::exception&) {
        // The stored statement names an alias it does not declare; the
        // database refuses it and nothing changes, as intended.
    }
}
