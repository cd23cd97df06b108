#include "catalogs/TForm5.h"
#include "app/DBGrid.h"
#include "app/DialogService.h"
#include "app/TDataModule6.h"
#include "catalogs/CatalogSql.h"
#include "catalogs/FilterKeys.h"
#include "catalogs/TForm2.h"
#include "db/FilterExpr.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm5::TForm5(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_dm(dm)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Список рабочих"));

    auto* layout = new QVBoxLayout(this);
    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Список рабочих"));
    DBGrid1->setDataset(&m_dm.Workers);
    DBGrid1->setColumns({
        {QStringLiteral("fio"), QStringLiteral("ФИО"), 260},
        {QStringLiteral("s_staffpos_hl"), QStringLiteral("Должность"), 220},
    });
    // Whole rows are selected; the last column takes the rest of the width.
    DBGrid1->verticalHeader()->hide();
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(DBGrid1, 1);

    auto* bottom = new QHBoxLayout;
    auto button = [this, bottom](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        bottom->addWidget(b);
        return b;
    };
    Button1 = button("Button1", QStringLiteral("Добавить"));
    Button1->setDefault(true);
    Button2 = button("Button2", QStringLiteral("Изменить"));
    Button3 = button("Button3", QStringLiteral("Удалить"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Фильтр"));
    bottom->addWidget(Edit1, 1);
    Button4 = button("Button4", QStringLiteral("Выход"));
    layout->addLayout(bottom);
    new FilterFieldKeys(Edit1, m_dm.Workers, FilterKeyPolicy::ArrowsAndNoEditingKeys);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, &QDialog::reject);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, [this] { Button2Click(); });
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    resize(560, 480);
}

void TForm5::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TForm5::FormActivate()
{
    if (Edit1->isVisible())
        Edit1->setFocus();
}

void TForm5::prepareCatalog()
{
    Tag = ListMode::Catalog;
    m_onPicked = nullptr;
    m_dm.Workers.open();
    Button2->setText(QStringLiteral("Изменить"));
    Button2->setDefault(false);
    Button1->setDefault(true);
    Button1->setVisible(true);
    Button3->setVisible(true);
}

void TForm5::finishCatalog()
{
    m_dm.Workers.close();
}

void TForm5::preparePicker(int mode, PickHandler onPicked)
{
    Tag = mode;
    m_onPicked = std::move(onPicked);
    m_dm.Workers.open();
    Button2->setText(QStringLiteral("Выбрать"));
    Button2->setDefault(true);
    Button2->setVisible(true);
    Button3->setVisible(false);
    Button1->setVisible(false);
    Edit1->setVisible(true);
    {
        const QSignalBlocker quiet(Edit1);
        Edit1->clear();
    }
    Edit1Change();
}

void TForm5::finishPicker()
{
    m_dm.Workers.close();
}

int TForm5::pick(int mode, PickHandler onPicked)
{
    if (!m_ctx.dialogs.guarded(this, [&] { preparePicker(mode, std::move(onPicked)); }))
        return QDialog::Rejected;
    const int result = m_ctx.dialogs.showModal(*this);
    m_ctx.dialogs.guarded(this, [this] { finishPicker(); });
    return result;
}

void TForm5::Button1Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        m_editor->Edit1->clear();
        m_editor->setWindowTitle(QStringLiteral("Заведение данных нового работника"));
        m_editor->Tag = EditorMode::New;
        m_editor->reopenLookups();
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
    bool handed = false;
    m_ctx.dialogs.guarded(this, [&] {
        Dataset& workers = m_dm.Workers;
        if (workers.isEmpty() || !m_onPicked)
            return;
        const int id = workers.field(QStringLiteral("id")).asInt();
        const QString name = workers.field(QStringLiteral("fio")).asTrimmed();
        handed = true;
        m_onPicked(id, name);
    });
    done(handed ? QDialog::Accepted : QDialog::Rejected);
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
        CatalogSql::run(m_editor->cmd_person, CatalogSql::workerDelete(workers.field(QStringLiteral("id")).asInt()));
        workers.close();
        workers.open();
        if (!workers.isEmpty())
            workers.setRecNo(row);
    });
}

void TForm5::Edit1Change()
{
    m_ctx.dialogs.guarded(this, [this] {
        const QString text = Edit1->text();
        if (text.isEmpty()) {
            m_dm.Workers.setFiltered(false);
            return;
        }
        m_dm.Workers.setFilter(filterLikePrefix(QStringLiteral("fio"), text));
        m_dm.Workers.setFiltered(true);
    });
}
