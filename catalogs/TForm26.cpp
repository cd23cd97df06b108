#include "catalogs/TForm26.h"
#include "app/DBGrid.h"
#include "app/DialogService.h"
#include "app/TDataModule6.h"
#include "catalogs/FilterKeys.h"
#include "catalogs/TForm29.h"
#include "db/FilterExpr.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm26::TForm26(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      item(dm.ADO_DB, QStringLiteral("item")),
      m_ctx(context),
      m_dm(dm)
{
    setObjectName(QStringLiteral("Form26"));
    setWindowTitle(QStringLiteral("Номенклатура (26)"));
    item.setSql(QStringLiteral("select * from cmn_classifier.item where id_level=2 order by s_caption"));

    auto* layout = new QVBoxLayout(this);
    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Номенклатура"));
    DBGrid1->setDataset(&item);
    DBGrid1->setColumns({{QStringLiteral("s_caption"), QStringLiteral("Наименование"), 400}});
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
    Button1 = button("Button1", QStringLiteral("Удалить"));
    Button1->setEnabled(false);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Фильтр"));
    bottom->addWidget(Edit1, 1);
    Button2 = button("Button2", QStringLiteral("Добавить"));
    Button3 = button("Button3", QStringLiteral("Изменить"));
    Button3->setDefault(true);
    bottom->addSpacing(12);
    Button4 = button("Button4", QStringLiteral("Выход"));
    layout->addLayout(bottom);
    new FilterFieldKeys(Edit1, item, FilterKeyPolicy::ArrowsAndNoEditingKeys);

    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, &QDialog::reject);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, [this] { Button3Click(); });
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    setFixedSize(520, 460);
}

void TForm26::prepareCatalog()
{
    Tag = ListMode::Catalog;
    m_onPicked = nullptr;
    item.open();
    Button3->setText(QStringLiteral("Изменить"));
    Button1->setVisible(true);
    Button2->setVisible(true);
}

void TForm26::finishCatalog()
{
    item.close();
}

void TForm26::preparePicker(int mode, PickHandler onPicked)
{
    Tag = mode;
    m_onPicked = std::move(onPicked);
    Button3->setText(QStringLiteral("Выбрать"));
    Button1->setVisible(false);
    Button2->setVisible(false);
    item.open();
}

void TForm26::finishPicker()
{
    Button1->setVisible(true);
    Button2->setVisible(true);
    item.close();
}

int TForm26::pick(int mode, PickHandler onPicked)
{
    if (!m_ctx.dialogs.guarded(this, [&] { preparePicker(mode, std::move(onPicked)); }))
        return QDialog::Rejected;
    const int result = m_ctx.dialogs.showModal(*this);
    m_ctx.dialogs.guarded(this, [this] { finishPicker(); });
    return result;
}

int TForm26::currentId() const
{
    return item.isOpen() && !item.isEmpty() ? item.field(QStringLiteral("id")).asInt() : 0;
}

void TForm26::Button2Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        const int row = item.recNo();
        m_editor->Edit1->clear();
        m_editor->Tag = EditorMode::New;
        m_ctx.dialogs.showModal(*m_editor);
        item.setRecNo(row);
    });
}

void TForm26::Button3Click()
{
    if (Tag == ListMode::Catalog) {
        m_ctx.dialogs.guarded(this, [this] {
            if (item.isEmpty())
                return;
            const int row = item.recNo();
            m_editor->Tag = EditorMode::Change;
            m_editor->Edit1->setText(item.field(QStringLiteral("s_caption")).asTrimmed());
            m_ctx.dialogs.showModal(*m_editor);
            item.setRecNo(row);
        });
        return;
    }
    bool handed = false;
    m_ctx.dialogs.guarded(this, [&] {
        if (item.isEmpty() || !m_onPicked)
            return;
        const int id = item.field(QStringLiteral("id")).asInt();
        const QString name = item.field(QStringLiteral("s_caption")).asString();
        handed = true;
        m_onPicked(id, name);
    });
    done(handed ? QDialog::Accepted : QDialog::Rejected);
}

void TForm26::Edit1Change()
{
    m_ctx.dialogs.guarded(this, [this] {
        const QString text = Edit1->text();
        if (text.isEmpty()) {
            item.setFiltered(false);
            return;
        }
        item.setFilter(filterLikePrefix(QStringLiteral("s_caption"), text));
        item.setFiltered(true);
    });
}
