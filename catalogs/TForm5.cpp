#include "catalogs/TForm5.h"
#include "widgets/DialogService.h"
#include "db/TDataModule6.h"
#include "catalogs/TForm2.h"
#include "ledger/WorkerDelete.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

TForm5::TForm5(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : CatalogList(context, {.nameField = QStringLiteral("fio")}, parent), m_dm(dm)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Список рабочих"));

    addGrid(m_dm.Workers, QStringLiteral("Список рабочих"),
            {
                {QStringLiteral("fio"), QStringLiteral("ФИО"), 260},
                {QStringLiteral("s_staffpos_hl"), QStringLiteral("Должность"), 220},
            });
    QHBoxLayout& bottom = addButtonRow();
    Button1 = addButton(bottom, "Button1", QStringLiteral("Добавить"), [this] { Button1Click(); });
    Button2 = addButton(bottom, "Button2", QStringLiteral("Изменить"), [this] { Button2Click(); });
    Button3 = addButton(bottom, "Button3", QStringLiteral("Удалить"), [this] { Button3Click(); });
    addFilter(bottom, FilterKeyPolicy::ArrowsAndNoEditingKeys, 1);
    Button4 = addButton(bottom, "Button4", QStringLiteral("Выход"), [this] { reject(); });
    setRoles(Button2, [this] { Button2Click(); }, Button1, {Button1, Button3});
    resize(560, 480);
}

void TForm5::Button1Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        m_editor->Edit1->clear();
        m_editor->setWindowTitle(QStringLiteral("Заведение данных нового работника"));
        m_editor->Tag = EditorMode::New;
        m_editor->reopenLookups();
        // A new worker starts without a position, not with the last one shown.
        m_editor->preselect(QString());
        m_ctx.dialogs.showModal(*m_editor);
        m_dm.Workers.close();
        m_dm.Workers.open();
    });
}

void TForm5::Button2Click()
{
    if (Tag == ListMode::Catalog) {
        changeWorker();
        return;
    }
    pickCurrent();
}

void TForm5::changeWorker()
{
    bool shown = false;
    m_ctx.dialogs.guarded(this, [&] {
        Dataset& workers = m_dm.Workers;
        if (workers.isEmpty())
            return;
        const int row = workers.recNo();
        m_editor->setWindowTitle(QStringLiteral("Изменение данных работника"));
        m_editor->Tag = EditorMode::Change;
        m_editor->reopenLookups();
        m_editor->Edit1->setText(workers.field(QStringLiteral("fio")).asTrimmed());
        m_editor->workerId = workers.field(QStringLiteral("id")).asInt();
        m_editor->preselect(workers.field(QStringLiteral("s_staffpos_hl")).asTrimmed());
        shown = true;
        m_ctx.dialogs.showModal(*m_editor);
        workers.close();
        workers.open();
        if (!workers.isEmpty())
            workers.setRecNo(row);
    });
    // A change always ends in the window that opened the list.
    if (shown)
        reject();
}

void TForm5::Button3Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        Dataset& workers = m_dm.Workers;
        if (workers.isEmpty())
            return;
        if (!m_ctx.dialogs.askYesNo(this, QStringLiteral("Удаление"), QStringLiteral("Удалить работника?")))
            return;
        const int row = workers.recNo();
        WorkerDelete::run(m_dm, m_editor->cmd_person, workers.field(QStringLiteral("id")).asInt());
        workers.close();
        workers.open();
        if (!workers.isEmpty())
            workers.setRecNo(row);
    });
}
