#include "catalogs/TForm3.h"
#include "app/DBGrid.h"
#include "app/DialogService.h"
#include "app/TDataModule6.h"
#include "catalogs/DecimalKeys.h"
#include "catalogs/FilterKeys.h"
#include "catalogs/ProductDelete.h"
#include "catalogs/TForm7.h"
#include "db/FilterExpr.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm3::TForm3(const AppContext& context, TDataModule6& dm, QWidget* parent)
    : QDialog(parent),
      Izdel_Smena(dm.ADO_DB, QStringLiteral("Izdel_Smena")),
      ii_oper(dm.ADO_DB, QStringLiteral("ii_oper")),
      m_ctx(context),
      m_dm(dm)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Изделия (3)"));
    Izdel_Smena.setSql(QStringLiteral(
        "select count(*) as cnt from accounts_dep.smena s where s.i_id =:id_ii and s.\"data\">=:dt"));
    ii_oper.setSql(QStringLiteral("select count(*) as cnt from accounts_dep.oper o where o.i_id =:id_ii"));

    auto* layout = new QVBoxLayout(this);
    DBGrid1 = new DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Изделия"));
    DBGrid1->setDataset(&m_dm.Izdel);
    GridColumn massa{QStringLiteral("massa"), QStringLiteral("Коробки"), 90};
    massa.format = [](const QVariant& v) { return decimalEditText(v).replace(u'.', u','); };
    DBGrid1->setColumns({
        {QStringLiteral("marka"), QStringLiteral("Марка изделия"), 200},
        {QStringLiteral("nom"), QStringLiteral("Номенклатурная группа"), 220},
        massa,
    });
    // Whole rows are selected; the last column takes the rest of the width.
    DBGrid1->verticalHeader()->hide();
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(DBGrid1, 1);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("Фильтр"));
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
    new FilterFieldKeys(Edit1, m_dm.Izdel, FilterKeyPolicy::ArrowsOnly);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, &QDialog::reject);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, [this] { Button2Click(); });
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    resize(600, 520);
}

void TForm3::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TForm3::FormActivate()
{
    if (Edit1->isVisible())
        Edit1->setFocus();
}

void TForm3::prepareCatalog()
{
    Tag = ListMode::Catalog;
    m_onPicked = nullptr;
    m_dm.Izdel.open();
    Button2->setText(QStringLiteral("Изменить"));
    Button2->setDefault(false);
    Button1->setDefault(true);
    Button1->setVisible(true);
    Button3->setVisible(true);
}

void TForm3::finishCatalog()
{
    m_dm.Izdel.close();
}

void TForm3::preparePicker(int mode, PickHandler onPicked)
{
    Tag = mode;
    m_onPicked = std::move(onPicked);
    m_dm.Izdel.open();
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

void TForm3::finishPicker()
{
    Button2->setDefault(false);
    Button1->setDefault(true);
    Edit1->setVisible(false);
    m_dm.Izdel.close();
}

int TForm3::pick(int mode, PickHandler onPicked)
{
    if (!m_ctx.dialogs.guarded(this, [&] { preparePicker(mode, std::move(onPicked)); }))
        return QDialog::Rejected;
    const int result = m_ctx.dialogs.showModal(*this);
    m_ctx.dialogs.guarded(this, [this] { finishPicker(); });
    return result;
}

void TForm3::Button1Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        Dataset& izdel = m_dm.Izdel;
        const int row = izdel.recNo();
        m_editor->Edit1->clear();
        m_editor->Edit2->clear();
        m_editor->setWindowTitle(QStringLiteral("Заведение нового изделия (7)"));
        m_editor->Tag = EditorMode::New;
        m_editor->openGroups();
        m_ctx.dialogs.showModal(*m_editor);
        m_editor->closeGroups();
        izdel.setRecNo(row);
    });
}

void TForm3::Button2Click()
{
    if (Tag == ListMode::Catalog) {
        changeProduct();
        return;
    }
    bool handed = false;
    m_ctx.dialogs.guarded(this, [&] {
        Dataset& izdel = m_dm.Izdel;
        if (izdel.isEmpty() || !m_onPicked)
            return;
        const int id = izdel.field(QStringLiteral("id")).asInt();
        const QString mark = izdel.field(QStringLiteral("marka")).asTrimmed();
        handed = true;
        m_onPicked(id, mark);
    });
    done(handed ? QDialog::Accepted : QDialog::Rejected);
}

void TForm3::changeProduct()
{
    m_ctx.dialogs.guarded(this, [this] {
        Dataset& izdel = m_dm.Izdel;
        if (izdel.isEmpty())
            return;
        const int row = izdel.recNo();
        m_editor->setWindowTitle(QStringLiteral("Изменение данных изделия (7)"));
        m_editor->Tag = EditorMode::Change;
        m_editor->productId = izdel.field(QStringLiteral("id")).asInt();
        m_editor->Edit1->setText(izdel.field(QStringLiteral("marka")).asTrimmed());
        m_editor->Edit2->setText(decimalEditText(izdel.value(QStringLiteral("massa"))));
        m_editor->openGroups();
        m_editor->selectGroup(izdel.field(QStringLiteral("id_class_item")).asInt());
        m_ctx.dialogs.showModal(*m_editor);
        m_editor->closeGroups();
        izdel.setRecNo(row);
    });
}

void TForm3::Button3Click()
{
    m_ctx.dialogs.guarded(this, [this] {
        Dataset& izdel = m_dm.Izdel;
        if (izdel.isEmpty())
            return;
        const int id = izdel.field(QStringLiteral("id")).asInt();
        const ProductDelete::Usage usage = ProductDelete::count(Izdel_Smena, ii_oper, id, today());
        const ProductDelete::Plan plan = ProductDelete::ask(usage, [this](const QString& question) {
            return m_ctx.dialogs.askYesNo(this, QStringLiteral("Удаление"), question);
        });
        ProductDelete::run(m_dm.ADO_DB, m_dm.DelSmena, id, plan);
        izdel.close();
        izdel.open();
    });
}

void TForm3::Edit1Change()
{
    m_ctx.dialogs.guarded(this, [this] {
        const QString text = Edit1->text();
        if (text.isEmpty()) {
            m_dm.Izdel.setFiltered(false);
            return;
        }
        m_dm.Izdel.setFilter(filterLikePrefix(QStringLiteral("marka"), text));
        m_dm.Izdel.setFiltered(true);
    });
}
