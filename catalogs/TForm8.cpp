#include "catalogs/TForm8.h"
#include "app/DBGrid.h"
#include "app/DialogService.h"
#include "app/TDataModule6.h"
#include "catalogs/FilterKeys.h"
#include "catalogs/TForm9.h"
#include "db/FilterExpr.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm8::TForm8(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_dm(dm)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Виды операций (8)"));

    auto* layout = new QVBoxLayout(this);
    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Виды операций"));
    DBGrid1->setDataset(&m_dm.Vid_oper);
    DBGrid1->setColumns({{QStringLiteral("VID"), QStringLiteral("Операции"), 360}});
    // Whole rows are selected; the last column takes the rest of the width.
    DBGrid1->verticalHeader()->hide();
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(DBGrid1, 1);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Фильтр"));
    Edit1->setVisible(false);
    layout->addWidget(Edit1);

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
    bottom->addStretch(1);
    Button4 = button("Button4", QStringLiteral("Выход"));
    layout->addLayout(bottom);
    new FilterFieldKeys(Edit1, m_dm.Vid_oper, FilterKeyPolicy::ArrowsAndNoEditingKeys);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, &QDialog::reject);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, [this] { Button2Click(); });
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    resize(440, 480);
}

void TForm8::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Centred on the window that opened it.
    if (QWidget* opener = QApplication::activeWindow(); opener && opener != this)
        move(opener->frameGeometry().center() - rect().center());
    FormActivate();
}

void TForm8::FormActivate()
{
    if (Edit1->isVisible())
        Edit1->setFocus();
}

void TForm8::prepareCatalog()
{
    Tag = ListMode::Catalog;
    m_onPicked = nullptr;
    m_dm.Vid_oper.setFiltered(false);
    m_dm.Vid_oper.open();
    Button2->setText(QStringLiteral("Изменить"));
    Button2->setDefault(false);
    Button1->setDefault(true);
    Button1->setVisible(true);
    Button3->setVisible(true);
}

void TForm8::finishCatalog()
{
    m_dm.Vid_oper.close();
}

void TForm8::preparePicker(int mode, PickHandler onPicked)
{
    Tag = mode;
    m_onPicked = std::move(onPicked);
    m_dm.Vid_oper.open();
    Button2->setText(QStringLiteral("Выбрать"));
    Button1->setVisible(false);
    Button3->setVisible(false);
    Button2->setDefault(true);
    Edit1->setVisible(true);
    {
        const QSignalBlocker quiet(Edit1);
        Edit1->clear();
    }
    Edit1Change();
}

void TForm8::finishPicker()
{
    Button2->setDefault(false);
    Button1->setDefault(true);
    Edit1->setVisible(false);
    m_dm.Vid_oper.close();
}

int TForm8::pick(int mode, PickHandler onPicked)
{
    if (!m_ctx.dialogs.guarded(this, [&] { preparePicker(mode, std::move(onPicked)); }))
        return QDialog::Rejected;
    const int result = m_ctx.dialogs.showModal(*this);
    m_ctx.dialogs.guarded(this, [this] { finishPicker(); });
    return result;
}

void TForm8::Button1Click()
{
    m_editor->Edit1->clear();
    m_editor->setWindowTitle(QStringLiteral("Заведение нового вида операций"));
    m_editor->Tag = EditorMode::New;
    m_ctx.dialogs.showModal(*m_editor);
}

void TForm8::Button2Click()
{
    Dataset& kinds = m_dm.Vid_oper;
    if (Tag == ListMode::Catalog) {
        if (kinds.isEmpty())
            return;
        m_editor->setWindowTitle(QStringLiteral("Изменение данных вида операции"));
        m_editor->Tag = EditorMode::Change;
        m_ctx.dialogs.guarded(this, [&] { m_editor->Edit1->setText(kinds.field(QStringLiteral("vid")).asTrimmed()); });
        m_ctx.dialogs.showModal(*m_editor);
        return;
    }
    bool handed = false;
    m_ctx.dialogs.guarded(this, [&] {
        if (kinds.isEmpty() || !m_onPicked)
            return;
        const int id = kinds.field(QStringLiteral("ID")).asInt();
        const QString name = kinds.field(QStringLiteral("vid")).asTrimmed();
        handed = true;
        m_onPicked(id, name);
    });
    done(handed ? QDialog::Accepted : QDialog::Rejected);
}

void TForm8::Button3Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        Dataset& kinds = m_dm.Vid_oper;
        if (kinds.isEmpty())
            return;
        if (!m_ctx.dialogs.askYesNo(this, QStringLiteral("Удаление"), QStringLiteral("Удалить вид операции?")))
            return;
        kinds.remove();
        kinds.close();
        kinds.open();
    });
}

void TForm8::Edit1Change()
{
    m_ctx.dialogs.guarded(this, [this] {
        const QString text = Edit1->text();
        if (text.isEmpty()) {
            m_dm.Vid_oper.setFiltered(false);
            return;
        }
        m_dm.Vid_oper.setFilter(filterLikePrefix(QStringLiteral("vid"), text));
        m_dm.Vid_oper.setFiltered(true);
    });
}
